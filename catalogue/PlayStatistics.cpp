// The play statistics: the history rows of timesDetail folded into the play
// counters of original (all time, day, week, month, season, year) and the
// singer totals of singer.Times.
#include "catalogue/FrmData.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <utility>
#include <vector>

namespace {

// The windows of the counters, in days back from today.
constexpr int kDay = 1, kWeek = 7, kMonth = 30, kSeason = 90, kYear = 360;

QString CountSince(const SqlDialect& d, int days, const QString& alias)
{
    return QStringLiteral("(select count(songno) from timesDetail where timesDetail.songno=a.songno and ") +
           d.DaysSince(QStringLiteral("clickTime")) + QStringLiteral("<=") + QString::number(days) +
           QStringLiteral(" ) AS ") + alias;
}

// Commits what was done so far on every way out: an error ends the loop but
// the rows updated before it stay.
class KeepWhatWasDone
{
public:
    explicit KeepWhatWasDone(DbConnection& c) : m_c(c)
    {
        try {
            m_c.Begin();
            m_bOpen = true;
        } catch (...) {
        }
    }
    ~KeepWhatWasDone()
    {
        if (!m_bOpen)
            return;
        try {
            m_c.Commit();
        } catch (...) {
            try {
                m_c.Rollback();
            } catch (...) {
            }
        }
    }
    KeepWhatWasDone(const KeepWhatWasDone&) = delete;
    KeepWhatWasDone& operator=(const KeepWhatWasDone&) = delete;

private:
    DbConnection& m_c;
    bool m_bOpen = false;
};

qint64 IntOf(const QVariant& v)
{
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok)
        return n;
    return qint64(v.toDouble());
}

} // namespace

void UpdatePlayStatisticsRowByRow(DbConnection& connection)
{
    const SqlDialect& d = connection.Dialect();
    // 1. Per song: count the history rows of each window.
    const QString songs =
        QStringLiteral("SELECT a.songno, (select count(songno) from timesDetail where timesDetail.songno=a.songno) "
                       "AS timesTotal, ") +
        CountSince(d, kDay, QStringLiteral("timesDay")) + QStringLiteral(", ") +
        CountSince(d, kWeek, QStringLiteral("timesWeek")) + QStringLiteral(", ") +
        CountSince(d, kMonth, QStringLiteral("timesMonth")) + QStringLiteral(", ") +
        CountSince(d, kSeason, QStringLiteral("timesSeason")) + QStringLiteral(", ") +
        CountSince(d, kYear, QStringLiteral("timesYear")) +
        QStringLiteral(" FROM original AS a WHERE a.songno in(select songno from timesDetail)");
    struct SongRow
    {
        QString songNo;
        qint64 total, day, week, month, season, year;
    };
    std::vector<SongRow> rows;
    {
        QSqlQuery q = connection.Query(songs);
        while (q.next()) {
            rows.push_back({q.value(0).toString(), IntOf(q.value(1)), IntOf(q.value(2)), IntOf(q.value(3)),
                            IntOf(q.value(4)), IntOf(q.value(5)), IntOf(q.value(6))});
        }
    }
    {
        KeepWhatWasDone keep(connection);
        for (const SongRow& r : rows) {
            const QString sql = QStringLiteral("Update original set TimesTotal=%1,TimesDay=%2,TimesWeek=%3,"
                                               "TimesMonth=%4,TimesSeason=%5,TimesYear=%6 where SongNo=?")
                                    .arg(r.total)
                                    .arg(r.day)
                                    .arg(r.week)
                                    .arg(r.month)
                                    .arg(r.season)
                                    .arg(r.year);
            if (!connection.RunSql(sql, {r.songNo}))
                break;
        }
    }
    // 2. Per singer: the totals of the songs whose singer is exactly this one.
    std::vector<std::pair<QString, qint64>> singers;
    {
        QSqlQuery q = connection.Query(
            QStringLiteral("SELECT (select sum(TimesTotal+InitTimes) from original where "
                           "singer.singerName=original.singer_nam ) AS Times, SingerName FROM singer WHERE "
                           "singername in (select singer_nam from song AS a LEFT JOIN original AS b ON "
                           "a.SongNo=b.SONGNO)"));
        while (q.next())
            singers.emplace_back(q.value(1).toString(), q.value(0).isNull() ? 0 : IntOf(q.value(0)));
    }
    KeepWhatWasDone keep(connection);
    for (const auto& [name, times] : singers) {
        // The name is bound: quotes in a singer's name cannot break the statement.
        if (!connection.RunSql(QStringLiteral("Update Singer set Times=") + QString::number(times) +
                                   QStringLiteral(" where SingerName=?"),
                               {name}))
            break;
    }
}

QStringList SetBasedStatisticsStatements(DbEngine engine)
{
    if (engine == DbEngine::SqlServer) {
        return {
            QStringLiteral(
                "UPDATE original SET TimesTotal =(SELECT SUM(Times) FROM timesDetail WHERE timesDetail.songno = "
                "original.songno),TimesDay =(SELECT SUM(Times) FROM timesDetail WHERE timesDetail.songno = "
                "original.songno AND GetDate() - clickTime <= 1),TimesWeek =(SELECT SUM(Times) FROM timesDetail "
                "WHERE timesDetail.songno = original.songno AND GetDate() - clickTime <= 7),TimesMonth =(SELECT "
                "SUM(Times) FROM timesDetail WHERE timesDetail.songno = original.songno AND GetDate() - clickTime <= "
                "30),TimesSeason =(SELECT SUM(Times) FROM timesDetail WHERE timesDetail.songno = original.songno AND "
                "GetDate() - clickTime <= 90),TimesYear =(SELECT SUM(Times) FROM timesDetail WHERE "
                "timesDetail.songno = original.songno AND GetDate() - clickTime <= 360) WHERE (SONGNO IN(SELECT "
                "songno FROM timesDetail))"),
            QStringLiteral("UPDATE singer SET Times =(select sum(TimesTotal+InitTimes) from original where "
                           "CHARINDEX(singer.singerName,original.singer_nam)>0 ) WHERE singername in (select "
                           "singer_nam from song AS a LEFT JOIN original AS b ON a.SongNo=b.SONGNO)"),
        };
    }
    // PostgreSQL (and, for completeness, the embedded engine): the same
    // statements with the engine's date arithmetic and substring search. The
    // server's "GetDate() - clickTime <= n" keeps rows at most n days old,
    // measured to the moment; an empty singer name is found in no title, as
    // CHARINDEX gives 0 for it.
    const SqlDialect& d = SqlDialect::For(engine);
    const QString now = d.CurrentDateTime();
    auto window = [&](int days) {
        QString age;
        if (engine == DbEngine::PostgreSQL)
            age = now + QStringLiteral(" - CAST(clickTime AS timestamp) <= interval '") + QString::number(days) +
                  QStringLiteral(" day'");
        else
            age = QStringLiteral("julianday('now','localtime') - julianday(clickTime) <= ") + QString::number(days);
        return QStringLiteral("(SELECT SUM(Times) FROM timesDetail WHERE timesDetail.songno = original.songno AND ") +
               age + u')';
    };
    return {
        QStringLiteral("UPDATE original SET TimesTotal =(SELECT SUM(Times) FROM timesDetail WHERE "
                       "timesDetail.songno = original.songno),TimesDay =") +
            window(kDay) + QStringLiteral(",TimesWeek =") + window(kWeek) + QStringLiteral(",TimesMonth =") +
            window(kMonth) + QStringLiteral(",TimesSeason =") + window(kSeason) + QStringLiteral(",TimesYear =") +
            window(kYear) + QStringLiteral(" WHERE (SONGNO IN(SELECT songno FROM timesDetail))"),
        QStringLiteral("UPDATE singer SET Times =(select sum(TimesTotal+InitTimes) from original where "
                       "singer.singerName <> '' and ") +
            d.Contains(QStringLiteral("singer.singerName"), QStringLiteral("original.singer_nam")) +
            QStringLiteral(" ) WHERE singername in (select singer_nam from song AS a LEFT JOIN original AS b ON "
                           "a.SongNo=b.SONGNO)"),
    };
}

void UpdatePlayStatisticsSetBased(DbConnection& connection)
{
    // Both run; their results are not examined.
    for (const QString& sql : SetBasedStatisticsStatements(connection.Engine()))
        connection.RunSql(sql);
}
