#include "tools/demo/CatalogueWriter.h"

#include "catalogue/schema/Schema.h"
#include "platform/db/DataSet.h"
#include "platform/db/DbConnection.h"
#include "support/TestPg.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Writes a small generated catalogue and reads it back through the views the
// station opens.
void WriteAndCheck(DbConnection& db)
{
    CreateCatalogueSchema(db);
    const HanziTable hanzi;
    CatalogueGenerator gen(hanzi, 3, QDateTime(QDate(2026, 12, 1), QTime(10, 0)));
    auto singers = gen.Singers(1200);
    const auto songs = gen.Songs(2500, singers);
    WriteCatalogue(db, singers, songs);
    WriteSettings(db, {{"vod", "Debug", "1"}, {"vod", "UDPPort", "3300"}});

    DataSet view;
    view.SetConnection(&db);
    view.SetTableName(QStringLiteral("qu_song"));
    view.Open();
    EXPECT_EQ(view.RecordCount(), 2500);
    view.First();
    EXPECT_EQ(view.FieldByName(QStringLiteral("SongNo")).AsString(), songs[0].songNo);
    EXPECT_EQ(view.FieldByName(QStringLiteral("Name")).AsString(), songs[0].name);
    EXPECT_EQ(view.FieldByName(QStringLiteral("First_Char")).AsString(), songs[0].firstChar);
    EXPECT_EQ(view.FieldByName(QStringLiteral("CreateDate")).AsDateTime(), songs[0].createDate);

    DataSet singerView;
    singerView.SetConnection(&db);
    singerView.SetTableName(QStringLiteral("qu_Singer"));
    singerView.Open();
    EXPECT_EQ(singerView.RecordCount(), 1200);

    // Writing the settings twice replaces them.
    WriteSettings(db, {{"vod", "Debug", "0"}});
    EXPECT_EQ(db.Scalar(QStringLiteral("select count(*) from Setting")).toInt(), 1);
}

} // namespace

TEST(CatalogueWriter, WritesAReadableCatalogueToSqlite)
{
    QTemporaryDir dir;
    DbConnection db;
    db.Open(QStringLiteral("Provider=SQLite;Create=1;Data Source=") + dir.filePath(QStringLiteral("kroom.db")));
    WriteAndCheck(db);
}

TEST(CatalogueWriter, WritesAReadableCatalogueToPostgres)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    DbConnection db;
    db.Open(testpg::ConnectionString(testpg::CreateDatabase(QStringLiteral("writer"))));
    WriteAndCheck(db);
}
