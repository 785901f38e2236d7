#pragma once
// A local play-queue file (order.dbf) that a test fills and reads the way the
// station does, beside the player stand-in.
#include "platform/dbase/DbfTable.h"
#include "platform/dbase/OrderDbf.h"

#include <QString>
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
