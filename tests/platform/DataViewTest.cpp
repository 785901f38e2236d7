// The view of a filtered, sorted data set against the same question put to
// SQLite: random filters and sorts over a table large enough for every way
// the view finds its rows (stretches of an order, index candidates walked or
// sorted, whole-column marks), before and after deletes and edits.
#include "DataTestUtil.h"
#include "platform/db/DataSet.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <random>

namespace {

struct Part
{
    QString ours, sql;
};

class RandomCases
{
public:
    explicit RandomCases(unsigned seed) : m_rng(seed) {}

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

    Part Comparison()
    {
        static const char* ops[] = {"=", "<>", "<", ">", "<=", ">="};
        const QString op = QString::fromLatin1(ops[Int(0, 5)]);
        switch (Int(0, 5)) {
        case 0: // a: 0..19, selective for = and the ends
        case 1: {
            const QString v = Int(0, 4) == 0 ? QString::number(Int(0, 19)) + ".5" : QString::number(Int(-1, 20));
            return Make("a", op, v);
        }
        case 2: // b: 0..999, selective near the ends
            return Make("b", op,
                        QString::number(Int(0, 3) == 0 ? Int(0, 999) : (Int(0, 1) ? Int(950, 1000) : Int(-1, 40))));
        case 3: // d: 0..3, never selective
            return Make("d", op, QString::number(Int(0, 3)));
        case 4: { // c: texts
            if (Int(0, 3) == 0)
                return {"c like 'K%'", "c like 'K%'"};
            return Make("c", op, "'" + QString(QChar(u'A' + Int(0, 19))) + "'");
        }
        default: // null tests
            return Int(0, 1) ? Part{"a = null", "a IS NULL"} : Part{"b <> null", "b IS NOT NULL"};
        }
    }

    Part Filter()
    {
        Part f = Comparison();
        const int more = Int(0, 2);
        for (int i = 0; i < more; ++i) {
            const Part p = Comparison();
            const bool orJoin = Int(0, 5) == 0;
            f.ours = (orJoin ? "(" : "") + f.ours + (orJoin ? " or " : " and ") + p.ours + (orJoin ? ")" : "");
            f.sql = "(" + f.sql + (orJoin ? " OR " : " AND ") + p.sql + ")";
        }
        return f;
    }

    Part Sort()
    {
        static const char* fields[] = {"a", "b", "c", "d", "f"};
        Part s;
        const int keys = Int(1, 2);
        for (int i = 0; i < keys; ++i) {
            const QString field = QString::fromLatin1(fields[Int(0, 4)]);
            const bool desc = Int(0, 1) == 1;
            s.ours += (i ? ";" : "") + field + (desc ? " DESC" : "");
            s.sql += field + (desc ? " DESC" : "") + ", ";
        }
        s.sql += "id";
        return s;
    }

private:
    static Part Make(const QString& field, const QString& op, const QString& value)
    {
        // An empty value differs from every value: it passes "<>".
        const QString sql =
            op == "<>" ? "(" + field + " IS NULL OR " + field + " <> " + value + ")" : field + " " + op + " " + value;
        return {field + " " + op + " " + value, sql};
    }
    std::mt19937 m_rng;
};

QStringList Expected(DbConnection& c, const QString& where, const QString& order)
{
    QStringList ids;
    QSqlQuery q = c.Query("SELECT id FROM v WHERE " + where + " ORDER BY " + order);
    while (q.next())
        ids << q.value(0).toString();
    return ids;
}

QStringList Walked(DataSet& ds)
{
    QStringList ids;
    for (ds.First(); !ds.Eof(); ds.Next())
        ids << ds.FieldByName("id").AsString();
    return ids;
}

struct Table
{
    datatest::SqliteCatalogue cat{false};
    DataSet ds;
    explicit Table(int rows)
    {
        DbConnection& c = cat.connection;
        c.RunSql("CREATE TABLE v (id INTEGER PRIMARY KEY, a INTEGER, b INTEGER, c TEXT, d INTEGER, f REAL)");
        std::mt19937 rng(7);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        c.Begin();
        for (int i = 1; i <= rows; ++i) {
            const QVariant a = pick(0, 9) == 0 ? QVariant() : QVariant(pick(0, 19));
            const QVariant b = pick(0, 19) == 0 ? QVariant() : QVariant(pick(0, 999));
            const QVariant t = pick(0, 9) == 0 ? QVariant() : QVariant(QString(QChar(u'A' + pick(0, 19))));
            const QVariant f = pick(0, 9) == 0 ? QVariant() : QVariant(pick(-50, 50) / 4.0);
            c.Execute("INSERT INTO v VALUES (?, ?, ?, ?, ?, ?)", {i, a, b, t, pick(0, 3), f});
        }
        c.Commit();
        ds.SetConnection(&c);
        ds.SetTableName("v");
        ds.Open();
    }
};

void RunCases(Table& t, RandomCases& random, int cases)
{
    for (int i = 0; i < cases; ++i) {
        const Part filter = random.Filter();
        const Part sort = random.Sort();
        const QStringList expected = Expected(t.cat.connection, filter.sql, sort.sql);
        SCOPED_TRACE(("filter " + filter.ours + " sort " + sort.ours).toStdString());
        if (random.Int(0, 1)) {
            t.ds.SetIndexFieldNames(sort.ours);
            t.ds.SetFilter(filter.ours);
            t.ds.SetFiltered(true);
        } else {
            // Filter first, then a new order over the same rows.
            t.ds.SetFilter(filter.ours);
            t.ds.SetFiltered(true);
            t.ds.SetIndexFieldNames(sort.ours);
        }
        ASSERT_EQ(t.ds.RecordCount(), expected.size());
        if (random.Int(0, 2) == 0 && !expected.isEmpty()) {
            // A first page, then a jump to the end and a record in the middle.
            t.ds.First();
            ASSERT_EQ(t.ds.FieldByName("id").AsString(), expected.first());
            t.ds.Last();
            ASSERT_EQ(t.ds.FieldByName("id").AsString(), expected.last());
            const int middle = int(expected.size()) / 2;
            t.ds.SetRecNo(middle + 1);
            ASSERT_EQ(t.ds.FieldByName("id").AsString(), expected[middle]);
            ASSERT_TRUE(t.ds.Locate("id", expected[middle]));
            ASSERT_EQ(t.ds.RecNo(), middle + 1);
        } else {
            ASSERT_EQ(Walked(t.ds), expected);
        }
    }
}

} // namespace

TEST(DataView, RandomFiltersAndSortsMatchSqlite)
{
    Table t(20000);
    RandomCases random(20261209);
    RunCases(t, random, 150);

    // Deleted rows leave every kind of view.
    t.ds.SetFiltered(false);
    t.ds.SetIndexFieldNames("");
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(t.ds.Locate("id", random.Int(1, 20000) / 60 * 60 + i));
        t.ds.Delete();
    }
    RunCases(t, random, 100);

    // Edited values move rows between views and within orders.
    t.ds.SetFiltered(false);
    for (int i = 0; i < 40; ++i) {
        t.ds.SetRecNo(random.Int(1, t.ds.RecordCount()));
        t.ds.Edit();
        t.ds.FieldByName("a").SetAsInteger(random.Int(0, 19));
        t.ds.FieldByName("b").SetAsInteger(random.Int(940, 999));
        t.ds.Post();
    }
    RunCases(t, random, 100);
}

// The view of one filter, stepped through while the order under it changes.
TEST(DataView, StretchOfTheLeadingKeyFollowsOrderChanges)
{
    Table t(20000);
    const QStringList byB = Expected(t.cat.connection, "b >= 990", "b DESC, id");
    t.ds.SetIndexFieldNames("b DESC;a");
    t.ds.SetFilter("b >= 990");
    t.ds.SetFiltered(true);
    EXPECT_EQ(t.ds.RecordCount(), byB.size());
    EXPECT_EQ(Walked(t.ds), Expected(t.cat.connection, "b >= 990", "b DESC, a, id"));
    // Another order: the same rows.
    t.ds.SetIndexFieldNames("a;id");
    EXPECT_EQ(Walked(t.ds), Expected(t.cat.connection, "b >= 990", "a, id"));
    // A whole number that no value equals, and one between them.
    t.ds.SetIndexFieldNames("b");
    t.ds.SetFilter("b = 500.5");
    EXPECT_EQ(t.ds.RecordCount(), 0);
    EXPECT_TRUE(t.ds.Eof());
    t.ds.SetFilter("b < 0.5");
    EXPECT_EQ(Walked(t.ds), Expected(t.cat.connection, "b < 0.5", "b, id"));
    // An edit moves a row into the stretch; the cursor follows it there.
    t.ds.SetFilter("b > 998");
    t.ds.SetFiltered(true);
    t.ds.First();
    t.ds.Edit();
    t.ds.FieldByName("b").SetAsInteger(997); // leaves the view
    t.ds.Post();
    EXPECT_EQ(Walked(t.ds), Expected(t.cat.connection, "b > 998", "b, id"));
    t.ds.SetFiltered(false);
    ASSERT_TRUE(t.ds.Locate("id", 2));
    t.ds.Edit();
    t.ds.FieldByName("b").SetAsInteger(999);
    t.ds.Post();
    t.ds.SetFiltered(true);
    ASSERT_TRUE(t.ds.Locate("id", 2));
    const QStringList expected = Expected(t.cat.connection, "b > 998", "b, id");
    EXPECT_EQ(t.ds.RecNo(), expected.indexOf("2") + 1);
    EXPECT_EQ(Walked(t.ds), expected);
}
