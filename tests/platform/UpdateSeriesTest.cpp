// A series of edits on an SQL source: one transaction, or the caller's.
#include "support/TestPg.h"
#include "DataTestUtil.h"
#include "platform/db/DataSet.h"

#include <gtest/gtest.h>

namespace {

QString Numbers(DbConnection& c)
{
    QStringList out;
    QSqlQuery q = c.Query("SELECT n FROM ranks ORDER BY id");
    while (q.next())
        out << q.value(0).toString();
    return out.join(',');
}

QString Numbers(DataSet& ds)
{
    QStringList out;
    for (ds.First(); !ds.Eof(); ds.Next())
        out << ds.FieldByName("n").AsString();
    return out.join(',');
}

void AddOne(DataSet& ds)
{
    for (ds.First(); !ds.Eof(); ds.Next()) {
        ds.Edit();
        ds.FieldByName("n").SetAsInteger(ds.FieldByName("n").AsInteger() + 1);
        ds.Post();
    }
}

} // namespace

TEST(UpdateSeries, SqliteSeriesIsOneTransaction)
{
    QTemporaryDir dir;
    const QString cs = "Provider=SQLite;Data Source=" + dir.filePath("s.db") + ";Create=1";
    DbConnection writer, reader;
    writer.Open(cs);
    writer.RunSql("CREATE TABLE ranks (id INTEGER PRIMARY KEY, n INTEGER)");
    writer.RunSql("INSERT INTO ranks VALUES (1, 10), (2, 20), (3, 30)");
    reader.Open(cs);
    DataSet ds;
    ds.SetConnection(&writer);
    ds.SetTableName("ranks");
    ds.SetIndexFieldNames("id");
    ds.Open();
    {
        UpdateSeries series(ds);
        AddOne(ds);
        EXPECT_EQ(Numbers(reader), "10,20,30"); // nothing committed yet
        series.Finish();
    }
    EXPECT_EQ(Numbers(reader), "11,21,31");
    EXPECT_FALSE(writer.InTransaction());

    // Inside the caller's transaction the series joins it.
    writer.Begin();
    {
        UpdateSeries series(ds);
        AddOne(ds);
        series.Finish();
    }
    EXPECT_TRUE(writer.InTransaction());
    EXPECT_EQ(Numbers(reader), "11,21,31");
    writer.Commit();
    EXPECT_EQ(Numbers(reader), "12,22,32");
}

// A series the server refuses at commit is rolled back, and the set shows
// what the server kept.
TEST(UpdateSeries, RefusedCommitReloadsTheRows)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    DbConnection pg;
    pg.Open(testpg::ConnectionString(testpg::CreateDatabase("series")));
    pg.ExecuteScript("CREATE TABLE ranks (id integer PRIMARY KEY, n integer, "
                     "CONSTRAINT ranks_n UNIQUE (n) DEFERRABLE INITIALLY DEFERRED);\n"
                     "INSERT INTO ranks VALUES (1, 1), (2, 2), (3, 3);\n");
    DataSet ds;
    ds.SetConnection(&pg);
    ds.SetTableName("ranks");
    ds.SetIndexFieldNames("id");
    ds.Open();
    UpdateSeries series(ds);
    ds.First();
    ds.Edit();
    ds.FieldByName("n").SetAsInteger(2); // a duplicate, checked only at commit
    ds.Post();
    EXPECT_EQ(Numbers(ds), "2,2,3");
    EXPECT_THROW(series.Finish(), DbError);
    EXPECT_FALSE(pg.InTransaction());
    EXPECT_EQ(Numbers(pg), "1,2,3");
    EXPECT_EQ(Numbers(ds), "1,2,3");
    // The connection goes on working; in a series the constraint holds at the end.
    UpdateSeries again(ds);
    AddOne(ds);
    again.Finish();
    EXPECT_EQ(Numbers(pg), "2,3,4");
}
