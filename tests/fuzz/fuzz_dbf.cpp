// dBASE tables: any file content opens or raises DbfError, never crashes,
// and a data set over it filters and navigates.
#include "platform/db/DataSet.h"
#include "platform/dbase/DbfTable.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("order.dbf"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        DbfTable t(path);
        t.Open();
        for (const auto& r : t.ReadAll())
            for (size_t i = 0; i < t.Fields().size(); ++i)
                (void)t.Decode(r.data, int(i)).toString();
        if (t.RecordCount() < 50)
            t.Append(std::vector<QVariant>(t.Fields().size(), QVariant(QStringLiteral("1"))));
    } catch (const DbfError&) {
    }
    try {
        DataSet ds;
        ds.SetDbfFile(path);
        ds.Open();
        if (ds.FindField(QStringLiteral("PLAYING")).IsValid())
            ds.SetFilter(QStringLiteral("PLAYING = '0' or PLAYING <> null"));
        ds.SetFiltered(true);
        if (ds.FieldCount() > 0)
            ds.SetIndexFieldNames(ds.FieldNames().first());
        for (ds.First(); !ds.Eof(); ds.Next())
            for (int i = 0; i < ds.FieldCount(); ++i)
                (void)ds.Fields(i).DisplayText();
    } catch (const DbError&) {
    }
    return 0;
}
