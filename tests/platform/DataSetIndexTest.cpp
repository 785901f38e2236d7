// The fast paths of DataSet against plain computations: value indexes and
// candidate lists of the record filter, the packed radix sort, the ASCII
// shortcut of the collation.
#include "DataTestUtil.h"
#include "platform/db/DataSet.h"

#include <QCollator>
#include <QRandomGenerator>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct Row
{
    int id;
    QVariant a; // integer, sometimes null
    int b;
    QString code; // ASCII letters and digits
    QString name; // Chinese
};

struct Fixture
{
    datatest::SqliteCatalogue cat{false};
    std::vector<Row> rows;
    DataSet ds;
    Fixture()
    {
        QRandomGenerator rng(7);
        cat.connection.Execute("CREATE TABLE big (id INTEGER PRIMARY KEY, a INTEGER, b SMALLINT, code VARCHAR(8), "
                               "name VARCHAR(20))");
        cat.connection.Begin();
        const QString han = "张王李赵陈刘阿杨黄周吴徐孙胡朱高林何郭马";
        for (int i = 0; i < 3000; ++i) {
            Row r;
            r.id = i + 1;
            r.a = rng.bounded(10u) == 0 ? QVariant() : QVariant(int(rng.bounded(400u)) - 100);
            r.b = int(rng.bounded(30u));
            const char* alnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
            for (int k = 0, n = 1 + int(rng.bounded(4u)); k < n; ++k)
                r.code += QChar(alnum[rng.bounded(62u)]);
            for (int k = 0, n = 1 + int(rng.bounded(3u)); k < n; ++k)
                r.name += han[int(rng.bounded(quint32(han.size())))];
            cat.connection.Execute("INSERT INTO big VALUES (?,?,?,?,?)", {r.id, r.a, r.b, r.code, r.name});
            rows.push_back(r);
        }
        cat.connection.Commit();
        ds.SetConnection(&cat.connection);
        ds.SetTableName("big");
        ds.Open();
    }
    QList<int> Ids()
    {
        QList<int> out;
        for (ds.First(); !ds.Eof(); ds.Next())
            out << ds.FieldByName("id").AsInt();
        return out;
    }
};

} // namespace

TEST(DataSetIndex, IntegerFiltersMatchPlainEvaluation)
{
    Fixture f;
    f.ds.SetFiltered(true);
    const QList<QPair<QString, std::function<bool(const Row&)>>> cases = {
        {"a = 7", [](const Row& r) { return !r.a.isNull() && r.a.toInt() == 7; }},
        {"a < -95", [](const Row& r) { return !r.a.isNull() && r.a.toInt() < -95; }},
        {"a <= -95", [](const Row& r) { return !r.a.isNull() && r.a.toInt() <= -95; }},
        {"a > 295", [](const Row& r) { return !r.a.isNull() && r.a.toInt() > 295; }},
        {"a >= 295.5", [](const Row& r) { return !r.a.isNull() && r.a.toInt() >= 295.5; }},
        {"a <> 7", [](const Row& r) { return r.a.isNull() || r.a.toInt() != 7; }},
        {"a = 7.5", [](const Row&) { return false; }},
        {"a > 0", [](const Row& r) { return !r.a.isNull() && r.a.toInt() > 0; }},
        {"b = 3 and a > 0", [](const Row& r) { return r.b == 3 && !r.a.isNull() && r.a.toInt() > 0; }},
        {"a = 5 and b < 20 and code like '%a%'",
         [](const Row& r) {
             return !r.a.isNull() && r.a.toInt() == 5 && r.b < 20 && r.code.contains('a', Qt::CaseInsensitive);
         }},
        {"(a = 5 or a = 6) and b <> 2",
         [](const Row& r) { return !r.a.isNull() && (r.a.toInt() == 5 || r.a.toInt() == 6) && r.b != 2; }},
        {"a = null and b >= 29", [](const Row& r) { return r.a.isNull() && r.b >= 29; }},
    };
    for (const auto& [filter, pass] : cases) {
        f.ds.SetFilter(filter);
        QList<int> expected;
        for (const Row& r : f.rows)
            if (pass(r))
                expected << r.id;
        EXPECT_EQ(f.Ids(), expected) << filter.toStdString();
        EXPECT_EQ(f.ds.RecordCount(), expected.size()) << filter.toStdString();
    }
    // After an edit the indexes follow the new values.
    f.ds.SetFilter("a = 7");
    ASSERT_GT(f.ds.RecordCount(), 0);
    const int id = f.ds.FieldByName("id").AsInt();
    f.ds.Edit();
    f.ds.FieldByName("a").SetAsInteger(1000);
    f.ds.Post();
    f.ds.SetFilter("a = 1000");
    EXPECT_EQ(f.Ids(), QList<int>{id});
}

TEST(DataSetIndex, SortsMatchAStableCollatorSort)
{
    Fixture f;
    QCollator coll(QLocale(QLocale::Chinese, QLocale::China));
    coll.setCaseSensitivity(Qt::CaseInsensitive);
    auto check = [&](const QString& list, std::function<int(const Row&, const Row&)> cmp) {
        std::vector<Row> sorted = f.rows;
        std::stable_sort(sorted.begin(), sorted.end(), [&](const Row& x, const Row& y) { return cmp(x, y) < 0; });
        QList<int> expected;
        for (const Row& r : sorted)
            expected << r.id;
        f.ds.SetIndexFieldNames(list);
        EXPECT_EQ(f.Ids(), expected) << list.toStdString();
    };
    auto nullsFirst = [](const QVariant& x, const QVariant& y) {
        if (x.isNull() || y.isNull())
            return int(!x.isNull()) - int(!y.isNull());
        return x.toInt() < y.toInt() ? -1 : x.toInt() > y.toInt() ? 1 : 0;
    };
    check("code", [&](const Row& x, const Row& y) { return coll.compare(x.code, y.code); });
    check("name", [&](const Row& x, const Row& y) { return coll.compare(x.name, y.name); });
    check("name DESC;code", [&](const Row& x, const Row& y) {
        const int c = coll.compare(y.name, x.name);
        return c != 0 ? c : coll.compare(x.code, y.code);
    });
    check("a", [&](const Row& x, const Row& y) { return nullsFirst(x.a, y.a); });
    check("a DESC", [&](const Row& x, const Row& y) { return nullsFirst(y.a, x.a); });
    check("b;a DESC;code", [&](const Row& x, const Row& y) {
        if (x.b != y.b)
            return x.b < y.b ? -1 : 1;
        const int c = nullsFirst(y.a, x.a);
        return c != 0 ? c : coll.compare(x.code, y.code);
    });
    // The pinyin order of the family names used above.
    EXPECT_LT(coll.compare("阿", "陈"), 0);
    EXPECT_LT(coll.compare("陈", "李"), 0);
    EXPECT_LT(coll.compare("李", "王"), 0);
    EXPECT_LT(coll.compare("王", "张"), 0);
    EXPECT_LT(coll.compare("张", "赵"), 0);
}
