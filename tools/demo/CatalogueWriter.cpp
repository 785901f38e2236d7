#include "tools/demo/CatalogueWriter.h"

#include "platform/db/DbConnection.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// One prepared statement reused for every row: preparing per row costs more
// than the insert itself on a 300,000-song catalogue.
class Inserter
{
public:
    Inserter(const QSqlDatabase& db, const QString& sql) : m_query(db)
    {
        if (!m_query.prepare(sql))
            throw DbError(QStringLiteral("cannot prepare \"%1\": %2").arg(sql, m_query.lastError().text()));
    }
    void Run(const QVariantList& values)
    {
        for (int i = 0; i < values.size(); ++i)
            m_query.bindValue(i, values.at(i));
        if (!m_query.exec())
            throw DbError(QStringLiteral("insert failed: %1").arg(m_query.lastError().text()));
    }

private:
    QSqlQuery m_query;
};

} // namespace

void WriteCatalogue(DbConnection& connection, const std::vector<DemoSinger>& singers,
                    const std::vector<DemoSong>& songs)
{
    const QSqlDatabase db = connection.Database();
    connection.Begin();
    try {
        Inserter singer(db, QStringLiteral("INSERT INTO singer (SINGERNO, SINGERNAME, PHOTO, SEX, PLACE, PYCODE, "
                                           "TIMES, SONGS, LEN) VALUES (?,?,?,?,?,?,?,?,?)"));
        for (const DemoSinger& s : singers)
            singer.Run({s.no, s.name, s.photo, s.sex, s.place, s.pycode, s.times, s.songs, s.len});

        Inserter original(
            db, QStringLiteral("INSERT INTO original (SONGNO, Name, Disc_no, Singer_Nam, Str_len, Lan_Type, Lan_Name, "
                               "Type, Voice_Pos, First_Char, CreateDate, Price, STROKES, Version, Music, Remark, "
                               "song_vol, Disk, TimesTotal, TimesDay, TimesWeek, TimesMonth, TimesSeason, "
                               "TimesYear, InitTimes) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        Inserter song(db, QStringLiteral("INSERT INTO song (SongNo, Is_Local, FilePath) VALUES (?,?,?)"));
        for (const DemoSong& s : songs) {
            original.Run({s.songNo,
                          s.name,
                          s.discNo,
                          s.singer,
                          s.strLen,
                          s.lanType,
                          s.lanName,
                          s.type,
                          s.voicePos,
                          s.firstChar,
                          s.createDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                          s.price,
                          s.strokes,
                          s.version,
                          s.music,
                          s.remark,
                          s.songVol,
                          s.disk,
                          s.timesTotal,
                          s.timesDay,
                          s.timesWeek,
                          s.timesMonth,
                          s.timesSeason,
                          s.timesYear,
                          s.initTimes});
            song.Run({s.songNo, s.isLocal, s.filePath});
        }
        connection.Commit();
    } catch (...) {
        connection.Rollback();
        throw;
    }
}

void WriteSettings(DbConnection& connection, const QList<SettingRow>& rows)
{
    connection.Begin();
    try {
        connection.Execute(QStringLiteral("DELETE FROM Setting"));
        Inserter insert(connection.Database(),
                        QStringLiteral("INSERT INTO Setting (type, name, value) VALUES (?,?,?)"));
        for (const SettingRow& r : rows)
            insert.Run({r.type, r.name, r.value});
        connection.Commit();
    } catch (...) {
        connection.Rollback();
        throw;
    }
}
