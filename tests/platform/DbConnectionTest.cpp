#include "DataTestUtil.h"
#include "platform/db/ConnectionString.h"
#include "support/TestPg.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <gtest/gtest.h>

TEST(ConnectionString, KeysIgnoreCaseValuesMayBeQuoted)
{
    const auto cs = DbConnectionString::Parse(
        "provider=SQLOLEDB.1; data source = srv ;USER ID=sa;Password='a;b''c';Initial Catalog=\"hotel\";junk;");
    EXPECT_EQ(cs.Provider(), "SQLOLEDB.1");
    EXPECT_EQ(cs.DataSource(), "srv");
    EXPECT_EQ(cs.UserId(), "sa");
    EXPECT_EQ(cs.Password(), "a;b'c");
    EXPECT_EQ(cs.Catalog(), "hotel");
    EXPECT_EQ(cs.Value("PASSWORD"), "a;b'c");
    EXPECT_FALSE(cs.Has("junk"));
    EXPECT_EQ(cs.Port(1433), 1433);
}

TEST(ConnectionString, ProviderSelectsEngine)
{
    EXPECT_EQ(DbConnection::EngineOf("Provider=SQLite;Data Source=x.db"), DbEngine::SQLite);
    EXPECT_EQ(DbConnection::EngineOf("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data\\kroom.mdb"), DbEngine::SQLite);
    EXPECT_EQ(DbConnection::EngineOf("Provider=PostgreSQL;Data Source=h"), DbEngine::PostgreSQL);
    for (const char* p : {"SQLOLEDB.1", "MSOLEDBSQL", "SQLNCLI11"})
        EXPECT_EQ(DbConnection::EngineOf(QString("Provider=%1;Data Source=h").arg(p)), DbEngine::SqlServer) << p;
    EXPECT_THROW(DbConnection::EngineOf("Provider=Oracle;Data Source=h"), DbError);
}

TEST(ConnectionString, SqlServerBecomesFreeTdsOdbcString)
{
    const QString odbc = DbConnection::OdbcString(
        "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=p;w;Initial Catalog=hotel;"
        "Data Source=192.168.1.5,1500");
    EXPECT_TRUE(odbc.startsWith("DRIVER={FreeTDS};SERVER=192.168.1.5;PORT=1500;DATABASE=hotel;UID=sa;PWD=p"))
        << odbc.toStdString();
    // A password with a semicolon is braced so it cannot add keys.
    EXPECT_TRUE(DbConnection::OdbcString("Provider=SQLOLEDB;Data Source=s;User ID=u;Password='x;DRIVER=y'")
                    .contains("PWD={x;DRIVER=y}"));
}

TEST(SqliteConnection, JetDefaultFallsBackToSqliteFileBeside)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("data");
    {
        DbConnection c;
        c.Open("Provider=SQLite;Data Source=" + dir.filePath("data/kroom.db") + ";Create=1");
        c.Execute("CREATE TABLE t (a INTEGER)");
    }
    DbConnection c;
    c.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data\\kroom.mdb;Persist Security Info=False", dir.path());
    EXPECT_EQ(QFileInfo(c.FilePath()).fileName(), "kroom.db");
    EXPECT_TRUE(c.Dialect().IsJetRole());
    EXPECT_TRUE(c.RunSql("INSERT INTO t VALUES (1)"));
}

TEST(SqliteConnection, RealJetFileAndMissingFileGiveClearErrors)
{
    QTemporaryDir dir;
    QFile jet(dir.filePath("kroom.mdb"));
    ASSERT_TRUE(jet.open(QIODevice::WriteOnly));
    jet.write(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2000, '\0'));
    jet.close();
    DbConnection c;
    try {
        c.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=kroom.mdb", dir.path());
        FAIL() << "a Jet file must be refused";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.Message().contains("kroom.mdb")) << e.what();
        EXPECT_TRUE(e.Message().contains("convert")) << e.what();
    }
    try {
        c.Open("Provider=SQLite;Data Source=nothing/here.db", dir.path());
        FAIL() << "a missing file must be refused";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.Message().contains("here.db")) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("nothing/here.db")));
}

TEST(SqliteConnection, JetFunctionsAndBoundParameters)
{
    datatest::SqliteCatalogue cat(false);
    DbConnection& c = cat.connection;
    EXPECT_EQ(c.Scalar("SELECT date()").toString(), QDate::currentDate().toString("yyyy-MM-dd"));
    EXPECT_TRUE(c.Scalar("SELECT now()").toString().startsWith(QDate::currentDate().toString("yyyy-MM-dd")));
    // Guest input with quotes and semicolons stays one value.
    const QString evil = "1'); DELETE FROM mylove; --";
    c.Execute("INSERT INTO mylove (UserId, SongNo) VALUES (?, ?)", {"u1", "00001"});
    EXPECT_TRUE(c.RunSql("INSERT INTO mylove (UserId, SongNo) VALUES (?, ?)", {evil, "0'2"}));
    EXPECT_EQ(c.Scalar("SELECT count(*) FROM mylove").toInt(), 2);
    EXPECT_EQ(c.Scalar("SELECT SongNo FROM mylove WHERE UserId=?", {evil}).toString(), "0'2");
    EXPECT_FALSE(c.RunSql("INSERT INTO no_such_table VALUES (1)"));
    EXPECT_THROW(c.Execute("SELEC nonsense"), DbError);
}

TEST(Dialect, SqlServerTexts)
{
    const SqlDialect& d = SqlDialect::For(DbEngine::SqlServer);
    EXPECT_FALSE(d.IsJetRole());
    EXPECT_EQ(d.MinutesBetween("'a'", "'b'"), "DATEDIFF(Mi,'a','b')");
    EXPECT_EQ(d.Contains("singer.singerName", "original.singer_nam"),
              "CHARINDEX(singer.singerName,original.singer_nam)>0");
    EXPECT_EQ(d.DaysSince("clickTime"), "DATEDIFF(day,clickTime,GETDATE())");
    EXPECT_EQ(d.QuoteName("order"), "[order]");
    EXPECT_EQ(d.FlowNumberCall(), "{? = CALL sp_GetWaterId(?, ?)}");
    EXPECT_EQ(d.Limit("select * from t", 1), "select TOP 1 * from t");
}

// The same dialect texts give the same answers on SQLite and PostgreSQL.
TEST(Dialect, SameResultsOnSqliteAndPostgres)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    datatest::SqliteCatalogue lite(false);
    DbConnection pg;
    pg.Open(testpg::ConnectionString(testpg::CreateDatabase("dialect")));
    auto run = [](DbConnection& c) {
        const SqlDialect& d = c.Dialect();
        QStringList out;
        const QString yesterday = QDate::currentDate().addDays(-1).toString("yyyy-MM-dd") + " 23:59:00";
        out << c.Scalar("SELECT " + d.DaysSince("?"), {yesterday}).toString();
        out << c.Scalar("SELECT " + d.DaysSince(d.CurrentDateTime())).toString();
        out << c.Scalar("SELECT " + d.MinutesBetween("?", "?"), {"2026-03-01 10:00:59", "2026-03-01 10:01:00"})
                   .toString();
        out << c.Scalar("SELECT " + d.MinutesBetween("?", "?"), {"2026-03-01 23:30:00", "2026-03-02 00:30:00"})
                   .toString();
        out << c.Scalar("SELECT CASE WHEN " + d.Contains("?", "?") + " THEN 1 ELSE 0 END", {"学友", "张学友,李白"})
                   .toString();
        out << c.Scalar("SELECT CASE WHEN " + d.Contains("?", "?") + " THEN 1 ELSE 0 END", {"王菲", "张学友"})
                   .toString();
        out << QVariant(c.Scalar("SELECT " + d.AddDays("?", -90), {"2026-04-01"})).toDate().toString("yyyy-MM-dd");
        out << c.Scalar("SELECT " + d.CurrentDate()).toDate().toString("yyyy-MM-dd");
        return out;
    };
    const QStringList a = run(lite.connection), b = run(pg);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.value(0), "1");
    EXPECT_EQ(a.value(1), "0");
    EXPECT_EQ(a.value(2), "1");
    EXPECT_EQ(a.value(3), "60");
    EXPECT_EQ(a.value(4), "1");
    EXPECT_EQ(a.value(5), "0");
    EXPECT_EQ(a.value(6), "2026-01-01");
    EXPECT_EQ(a.value(7), QDate::currentDate().toString("yyyy-MM-dd"));
}
