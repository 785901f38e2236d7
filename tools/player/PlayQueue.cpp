#include "tools/player/PlayQueue.h"

#include "platform/db/DbConnection.h"
#include "platform/dbase/DbfTable.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

class DbfQueue : public PlayQueue
{
public:
    explicit DbfQueue(const QString& path) : m_table(path) {}

    void Open() override
    {
        m_table.Open();
        m_nNum = Field("NUM");
        m_nName = Field("NAME");
        m_nPath = Field("FILEPATH");
        m_nPlaying = Field("PLAYING");
        m_nFlag = m_table.FieldIndex(QStringLiteral("FLAG"));
        m_nSinger = m_table.FieldIndex(QStringLiteral("SINGER_NAM"));
    }

    std::optional<QueueEntry> TakeFront() override
    {
        DbfWriteLock lock(m_table);
        std::optional<QueueEntry> front;
        for (const DbfTable::Record& r : m_table.ReadAll()) {
            if (r.deleted)
                continue;
            const QString playing = Text(r, m_nPlaying);
            if (playing != QLatin1String("0"))
                continue;
            if (m_nFlag >= 0 && Text(r, m_nFlag) == QLatin1String("1"))
                return std::nullopt;
            const QueueEntry e = Entry(r);
            if (front && front->num <= e.num)
                continue;
            front = e;
        }
        if (front) {
            m_table.Update(front->key.toUInt(), {{m_nPlaying, QStringLiteral("1")}});
            m_table.Commit();
        }
        return front;
    }

    void MarkSung(const QueueEntry& entry) override
    {
        DbfWriteLock lock(m_table);
        const quint32 recno = entry.key.toUInt();
        for (const DbfTable::Record& r : m_table.ReadAll()) {
            if (r.recno != recno)
                continue;
            if (!r.deleted && Text(r, m_nPlaying) == QLatin1String("1")) {
                m_table.Update(recno, {{m_nPlaying, QStringLiteral("2")}});
                m_table.Commit();
            }
            return;
        }
    }

    std::optional<QueueEntry> TakePrevious(const QueueEntry& playing) override
    {
        DbfWriteLock lock(m_table);
        const quint32 current = playing.key.toUInt();
        bool stillPlaying = false;
        std::optional<QueueEntry> previous;
        for (const DbfTable::Record& r : m_table.ReadAll()) {
            if (r.deleted)
                continue;
            const QString state = Text(r, m_nPlaying);
            if (r.recno == current)
                stillPlaying = state == QLatin1String("1");
            if (state != QLatin1String("2"))
                continue;
            const QueueEntry e = Entry(r);
            if (e.num < playing.num && (!previous || e.num > previous->num))
                previous = e;
        }
        if (!previous)
            return std::nullopt;
        if (stillPlaying)
            m_table.Update(current, {{m_nPlaying, QStringLiteral("0")}});
        m_table.Update(previous->key.toUInt(), {{m_nPlaying, QStringLiteral("1")}});
        m_table.Commit();
        return previous;
    }

    int FinishLeftovers() override
    {
        DbfWriteLock lock(m_table);
        int count = 0;
        for (const DbfTable::Record& r : m_table.ReadAll()) {
            if (!r.deleted && Text(r, m_nPlaying) == QLatin1String("1")) {
                m_table.Update(r.recno, {{m_nPlaying, QStringLiteral("2")}});
                ++count;
            }
        }
        m_table.Commit();
        return count;
    }

    QString Describe() const override { return m_table.Path(); }

private:
    int Field(const char* name)
    {
        const int index = m_table.FieldIndex(QLatin1String(name));
        if (index < 0)
            throw DbfError(QStringLiteral("%1 has no field %2").arg(m_table.Path(), QLatin1String(name)));
        return index;
    }
    QString Text(const DbfTable::Record& r, int field) const { return m_table.Decode(r.data, field).toString(); }
    QueueEntry Entry(const DbfTable::Record& r) const
    {
        QueueEntry e;
        e.key = r.recno;
        e.num = m_table.Decode(r.data, m_nNum).toLongLong();
        e.name = Text(r, m_nName);
        e.filePath = Text(r, m_nPath);
        e.singer = m_nSinger >= 0 ? Text(r, m_nSinger) : QString();
        return e;
    }

    DbfTable m_table;
    int m_nNum = -1, m_nName = -1, m_nPath = -1, m_nPlaying = -1, m_nFlag = -1, m_nSinger = -1;
};

class DatabaseQueue : public PlayQueue
{
public:
    DatabaseQueue(QString connectionString, QString room, QString exeDir)
        : m_sConnection(std::move(connectionString)), m_sRoom(std::move(room)), m_sExeDir(std::move(exeDir))
    {
    }

    void Open() override
    {
        m_db.Open(m_sConnection, m_sExeDir);
        m_sTable = m_db.Dialect().QuoteName(QStringLiteral("order"));
    }

    std::optional<QueueEntry> TakeFront() override
    {
        // Several stations of the hall write the table: the entry is taken
        // with a conditional update, so that it is ours only when it was
        // still queued.
        QSqlQuery q = m_db.Query(QStringLiteral("select id, Num, Name, FilePath, Singer_nam, Flag from %1 "
                                                "where Playing='0' order by Num")
                                     .arg(m_sTable));
        std::optional<QueueEntry> front;
        while (q.next()) {
            const QString name = q.value(2).toString();
            if (!Mine(name))
                continue;
            if (q.value(5).toString().trimmed() == QLatin1String("1"))
                return std::nullopt;
            QueueEntry e;
            e.key = q.value(0);
            e.num = q.value(1).toLongLong();
            e.name = name;
            e.filePath = q.value(3).toString();
            e.singer = q.value(4).toString();
            if (!front || e.num < front->num)
                front = e;
        }
        q.finish();
        if (!front)
            return std::nullopt;
        m_db.Execute(QStringLiteral("update %1 set Playing='1' where id=? and Playing='0'").arg(m_sTable),
                     {front->key});
        const QVariant state =
            m_db.Scalar(QStringLiteral("select Playing from %1 where id=?").arg(m_sTable), {front->key});
        if (state.toString().trimmed() != QLatin1String("1"))
            return std::nullopt;
        return front;
    }

    void MarkSung(const QueueEntry& entry) override
    {
        m_db.Execute(QStringLiteral("update %1 set Playing='2' where id=? and Playing='1'").arg(m_sTable), {entry.key});
    }

    std::optional<QueueEntry> TakePrevious(const QueueEntry& playing) override
    {
        QSqlQuery q = m_db.Query(QStringLiteral("select id, Num, Name, FilePath, Singer_nam from %1 "
                                                "where Playing='2' and Num<? order by Num desc")
                                     .arg(m_sTable),
                                 {playing.num});
        std::optional<QueueEntry> previous;
        while (q.next() && !previous) {
            if (!Mine(q.value(2).toString()))
                continue;
            QueueEntry e;
            e.key = q.value(0);
            e.num = q.value(1).toLongLong();
            e.name = q.value(2).toString();
            e.filePath = q.value(3).toString();
            e.singer = q.value(4).toString();
            previous = e;
        }
        q.finish();
        if (!previous)
            return std::nullopt;
        m_db.Execute(QStringLiteral("update %1 set Playing='0' where id=? and Playing='1'").arg(m_sTable),
                     {playing.key});
        m_db.Execute(QStringLiteral("update %1 set Playing='1' where id=? and Playing='2'").arg(m_sTable),
                     {previous->key});
        return previous;
    }

    int FinishLeftovers() override
    {
        QSqlQuery q = m_db.Query(QStringLiteral("select id, Name from %1 where Playing='1'").arg(m_sTable));
        QVariantList ids;
        while (q.next())
            if (Mine(q.value(1).toString()))
                ids << q.value(0);
        q.finish();
        for (const QVariant& id : ids)
            m_db.Execute(QStringLiteral("update %1 set Playing='2' where id=?").arg(m_sTable), {id});
        return int(ids.size());
    }

    QString Describe() const override
    {
        return m_sRoom.isEmpty() ? QStringLiteral("order table") : QStringLiteral("order table, room %1").arg(m_sRoom);
    }

private:
    bool Mine(const QString& name) const
    {
        return m_sRoom.isEmpty() || name.startsWith(QLatin1Char('[') + m_sRoom + QLatin1String("]:"));
    }

    QString m_sConnection, m_sRoom, m_sExeDir, m_sTable;
    DbConnection m_db;
};

} // namespace

std::unique_ptr<PlayQueue> OpenDbfQueue(const QString& path)
{
    return std::make_unique<DbfQueue>(path);
}

std::unique_ptr<PlayQueue> OpenDatabaseQueue(const QString& connectionString, const QString& room,
                                             const QString& exeDir)
{
    return std::make_unique<DatabaseQueue>(connectionString, room, exeDir);
}
