// Record filter texts: parsing never crashes, and a filter that parses gives
// the same rows whichever way it is asked: a whole column at once, row by
// row, from its value indexes, by keeping rows of a list, or as a range of
// values.
#include "platform/db/RecordFilter.h"

#include <QString>
#include <cstdlib>

namespace {

dbstore::Store MakeStore()
{
    dbstore::Store s;
    auto add = [&](const char* name, FieldType type) {
        dbstore::Column c;
        c.name = QString::fromLatin1(name);
        c.type = type;
        s.cols.push_back(std::move(c));
    };
    add("Name", FieldType::String);
    add("Lan_Type", FieldType::SmallInt);
    add("TotalTimes", FieldType::Integer);
    add("Price", FieldType::Float);
    add("Is_Local", FieldType::Boolean);
    add("CreateDate", FieldType::DateTime);
    add("PLAYING", FieldType::String);
    const char* names[] = {"张三", "李四", "hello", "", "O'Brien", "ZG", "zg%", "12"};
    for (int r = 0; r < 300; ++r) {
        std::vector<QVariant> v;
        v.push_back(r % 9 == 8 ? QVariant() : QVariant(QString::fromUtf8(names[r % 8])));
        v.push_back(r % 7 == 6 ? QVariant() : QVariant(r % 23));
        v.push_back(qlonglong((r * 37) % 101 - 20));
        v.push_back(r % 5 == 4 ? QVariant() : QVariant((r % 13) / 4.0));
        v.push_back(r % 3 == 2 ? QVariant() : QVariant(r % 2 == 0));
        v.push_back(r % 4 == 3 ? QVariant()
                               : QVariant(QDateTime(QDate(2026, 1 + r % 12, 1 + r % 28), QTime(r % 24, 0))));
        v.push_back(QString::number(r % 6));
        s.AddRow(v, -1);
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const dbstore::Store store = MakeStore();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        auto tree = dbfilter::Parse(text);
        auto predicate = dbfilter::Bind(*tree, store);
        std::vector<uint8_t> mask(store.rows);
        predicate->Eval(store, mask.data());
        for (size_t r = 0; r < store.rows; ++r)
            if (bool(mask[r]) != predicate->Match(store, r))
                std::abort(); // the two evaluations disagree
        std::vector<quint32> all(store.rows);
        for (size_t r = 0; r < store.rows; ++r)
            all[r] = quint32(r);
        predicate->Keep(store, all);
        std::vector<uint8_t> kept(store.rows, 0);
        for (quint32 r : all)
            kept[r] = 1;
        if (kept != mask)
            std::abort();
        std::vector<quint32> rows;
        if (predicate->Rows(store, rows)) {
            std::vector<uint8_t> listed(store.rows, 0);
            for (quint32 r : rows)
                if (listed[r]++)
                    std::abort(); // a row listed twice
            if (listed != mask)
                std::abort();
        }
        int col = -1;
        qint64 lo = 0, hi = 0;
        if (predicate->Interval(col, lo, hi)) {
            const dbstore::Column& c = store.cols[size_t(col)];
            for (size_t r = 0; r < store.rows; ++r)
                if (bool(mask[r]) != (!c.nulls[r] && c.ints[r] >= lo && c.ints[r] <= hi))
                    std::abort();
        }
    } catch (const FilterError&) {
    }
    return 0;
}
