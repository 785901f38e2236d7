#pragma once
// A local play-queue file (order.dbf) or the hall-mode queue table of a
// catalogue database, which a test fills and reads the way the stations do,
// beside the player stand-in.
#include "platform/db/DbConnection.h"
#include "platform/dbase/DbfTable.h"
#include "platform/dbase/OrderDbf.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <vector>

class OrderFile
{
public:
    explicit OrderFile(const QString& path) : m_table(path)
    {
        CreateOrderDbf(path);
        m_table.Open();
    }
    quint32 Add(qint64 num, const QString& name, const QString& playing = QStringLiteral("0"))
    {
        std::vector<QVariant> values(m_table.Fields().size());
        values[Field("NUM")] = num;
        values[Field("NAME")] = name;
        values[Field("SONGNO")] = QString::number(800 + num);
        values[Field("FILEPATH")] = QStringLiteral("/songs/%1.mpg").arg(num);
        values[Field("PLAYING")] = playing;
        return m_table.Append(values);
    }
    // Playing of each entry by Num.
    std::map<qint64, QString> States()
    {
        std::map<qint64, QString> states;
        for (const DbfTable::Record& r : m_table.ReadAll())
            if (!r.deleted)
                states[m_table.Decode(r.data, Field("NUM")).toLongLong()] =
                    m_table.Decode(r.data, Field("PLAYING")).toString();
        return states;
    }
    int Count(const QString& state)
    {
        int n = 0;
        for (const auto& [num, s] : States())
            n += s == state;
        return n;
    }

private:
    size_t Field(const char* name) { return size_t(m_table.FieldIndex(QLatin1String(name))); }
    DbfTable m_table;
};

// The order table of a hall's catalogue database (the schema made already).
class HallQueue
{
public:
    explicit HallQueue(DbConnection& db) : m_db(db), m_sTable(db.Dialect().QuoteName(QStringLiteral("order"))) {}
    // name carries the room ("[A01]:song").
    void Add(const QString& name, qint64 num, const QString& playing = QStringLiteral("0"))
    {
        m_db.Execute(
            QStringLiteral("insert into %1 (Name, FilePath, Num, Playing, Flag) values (?, '/s.mpg', ?, ?, '')")
                .arg(m_sTable),
            {name, num, playing});
    }
    // "name=playing" of each entry in Num order.
    QStringList Rows()
    {
        QSqlQuery q = m_db.Query(QStringLiteral("select Name, Playing from %1 order by Num").arg(m_sTable));
        QStringList rows;
        while (q.next())
            rows << q.value(0).toString() + QLatin1Char('=') + q.value(1).toString().trimmed();
        return rows;
    }

private:
    DbConnection& m_db;
    QString m_sTable;
};
