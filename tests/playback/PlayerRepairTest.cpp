// The player stand-in takes the maintenance screen's song records: the
// corrections go into the catalogue's song row, then it plays the next song
// or goes back to the one sung before; a record the catalogue refuses leaves
// the song playing. Run on an SQLite catalogue and on the test PostgreSQL
// server, with the real player process and order.dbf.
#include "catalogue/schema/Schema.h"
#include "platform/db/DbConnection.h"
#include "tests/playback/OrderFile.h"
#include "tests/playback/PlayerProcess.h"
#include "tests/support/TestPg.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace playerlink;
using namespace playertest;

namespace {

// Songs 801 to 803 (Mandarin, type 3, version MTV) and a Cantonese 900.
void WriteCatalogue(DbConnection& db)
{
    CreateCatalogueSchema(db);
    const QString insert =
        QStringLiteral("insert into original (SONGNO, Name, Singer_Nam, Lan_Type, Lan_Name, Type, "
                       "First_Char, Version, Music, Remark, TimesTotal) values (?,?,?,?,?,?,?,?,?,?,?)");
    for (int no : {801, 802, 803})
        db.Execute(insert, {QString::number(no), QStringLiteral("旧歌名%1").arg(no), QStringLiteral("旧歌星"), 1,
                            QStringLiteral("国语"), 3, QStringLiteral("JGM"), QStringLiteral("MTV"), QVariant(),
                            QVariant(), 7});
    db.Execute(insert,
               {QStringLiteral("900"), QStringLiteral("粤语歌"), QStringLiteral("歌星"), 2, QStringLiteral("粤语"), 1,
                QStringLiteral("YYG"), QStringLiteral("MTV"), QStringLiteral("原版"), QStringLiteral("清晰"), 0});
}

QVariantList Row(DbConnection& db, const QString& songNo)
{
    QSqlQuery q = db.Query(QStringLiteral("select Name, Singer_Nam, First_Char, Version, Music, Lan_Type, Lan_Name, "
                                          "Type, Remark, TimesTotal from original where SONGNO=?"),
                           {songNo});
    QVariantList out;
    if (q.next())
        for (int i = 0; i < 10; ++i)
            out << (q.value(i).isNull() ? QVariant() : q.value(i));
    return out;
}

QByteArray Record(const QStringList& fields)
{
    return BuildSongRecord(fields);
}

class PlayerRepair : public ::testing::Test
{
protected:
    void Start(const QString& catalogue)
    {
        ASSERT_TRUE(m_dir.isValid());
        m_sQueue = m_dir.filePath(QStringLiteral("order.dbf"));
        m_pOrder = std::make_unique<OrderFile>(m_sQueue);
        m_pOrder->Add(1, QStringLiteral("一"));
        m_pOrder->Add(2, QStringLiteral("二"));
        m_pOrder->Add(3, QStringLiteral("三"));
        // Songs last long: only the records move the player on.
        m_pPlayer = m_station.StartPlayer({QStringLiteral("--queue"), m_sQueue, QStringLiteral("--catalogue"),
                                           catalogue, QStringLiteral("--song-ms"), QStringLiteral("60000"),
                                           QStringLiteral("--poll-ms"), QStringLiteral("50")});
        ASSERT_EQ(m_pPlayer->WaitLine(QStringLiteral("play ")), QStringLiteral("play 1 一"))
            << m_pPlayer->Process().readAllStandardError().constData();
    }

    QTemporaryDir m_dir;
    QString m_sQueue;
    std::unique_ptr<OrderFile> m_pOrder;
    Station m_station;
    std::unique_ptr<Program> m_pPlayer;
};

} // namespace

TEST_F(PlayerRepair, RecordGoesIntoTheCatalogueThenTheNextOrThePreviousSongPlays)
{
    const QString file = m_dir.filePath(QStringLiteral("kroom.db"));
    DbConnection db;
    db.Open(QStringLiteral("Provider=SQLite;Create=1;Data Source=") + file);
    WriteCatalogue(db);
    Start(QStringLiteral("Provider=SQLite;Data Source=") + file);

    // Save and next: language 2 takes the name the catalogue gives it; the
    // play count and the date are the catalogue's own.
    ASSERT_TRUE(SendSongRecord(
        1, Record({"801", "新歌名", "99", "XGM", "2001-01-01", "演唱会", "新歌星", "无原唱", "2", "4", "模糊"})));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("catalogue-")), QStringLiteral("catalogue-saved 801"));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("done ")), QStringLiteral("done 1 一"));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("play 2")), QStringLiteral("play 2 二"));
    EXPECT_EQ(Row(db, QStringLiteral("801")),
              (QVariantList{"新歌名", "新歌星", "XGM", "演唱会", "无原唱", 2, "粤语", 4, "模糊", 7}));

    // Save and back: the song sung before plays again, this one waits to follow it.
    ASSERT_TRUE(SendSongRecord(0, Record({"802", "", "", "", "", "DIY", "", "原版", "-1", "-1", ""})));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("back ")), QStringLiteral("back 2 二"));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("play 1")), QStringLiteral("play 1 一"));
    std::map<qint64, QString> states = m_pOrder->States();
    EXPECT_EQ(states[1], QStringLiteral("1"));
    EXPECT_EQ(states[2], QStringLiteral("0"));
    EXPECT_EQ(states[3], QStringLiteral("0"));
    // Empty fields and positions of -1 left the stored values.
    EXPECT_EQ(Row(db, QStringLiteral("802")),
              (QVariantList{"旧歌名802", "旧歌星", "JGM", "DIY", "原版", 1, "国语", 3, QVariant(), 7}));
    // Back again from the first song: nothing before it, it starts again.
    ASSERT_TRUE(SendSongRecord(0, Record({"801", "新歌名", "", "", "", "演唱会", "", "无原唱", "2", "4", "模糊"})));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("play 1")), QStringLiteral("play 1 一"));
    EXPECT_EQ(m_pPlayer->LinesStarting(QStringLiteral("back ")).size(), 1);

    // A record the catalogue cannot take: the song plays on.
    ASSERT_TRUE(SendSongRecord(1, Record({"777", "无此歌", "", "", "", "MTV", "", "原版", "1", "1", ""})));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("catalogue-error")),
              QStringLiteral("catalogue-error no song 777 in the catalogue"));
    ASSERT_TRUE(SendSongRecord(1, "801\x01"));
    EXPECT_TRUE(m_pPlayer->WaitLine(QStringLiteral("catalogue-error incomplete")).startsWith("catalogue-error"));
    EXPECT_EQ(m_pPlayer->LinesStarting(QStringLiteral("done ")).size(), 1);
    // On with the queue: the first, then the second song again.
    ASSERT_TRUE(SendSongRecord(1, Record({"801", "", "", "", "", "MTV", "", "原版", "2", "4", "模糊"})));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("done ")), QStringLiteral("done 1 一"));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("play 2")), QStringLiteral("play 2 二"));

    // The vocal check sets the player's vocal state, which it reports.
    ASSERT_TRUE(SendVocalCheck(false));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("vocal-check")), QStringLiteral("vocal-check 0 hello"));
    EXPECT_GE(m_station.WaitMessage(kMsgVolumeReport, 50, 0), 0);
}

TEST_F(PlayerRepair, RecordGoesIntoAPostgreSqlCatalogue)
{
    ASSERT_TRUE(testpg::Available()) << "the test PostgreSQL server is not running";
    const QString connection = testpg::ConnectionString(testpg::CreateDatabase(QStringLiteral("repair")));
    DbConnection db;
    db.Open(connection);
    WriteCatalogue(db);
    Start(connection);
    ASSERT_TRUE(SendSongRecord(
        1, Record({"801", "新歌名", "", "XGM", "", "不能要", "新歌星", "无伴唱", "0", "9", "声音断续"})));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("catalogue-")), QStringLiteral("catalogue-saved 801"));
    EXPECT_EQ(m_pPlayer->WaitLine(QStringLiteral("play 2")), QStringLiteral("play 2 二"));
    // No film in the catalogue: the language's name stays as it was.
    EXPECT_EQ(Row(db, QStringLiteral("801")),
              (QVariantList{"新歌名", "新歌星", "XGM", "不能要", "无伴唱", 0, "国语", 9, "声音断续", 7}));
}

namespace {

// In a hall the queue table of the catalogue holds every room's entries: the
// player of room A01 goes back to the song A01 sang before, past the entry
// another room sang in between, and the corrections reach the same database.
void GoBackInAHall(const QString& connection)
{
    DbConnection db;
    db.Open(connection);
    WriteCatalogue(db);
    HallQueue queue(db);
    queue.Add(QStringLiteral("[A01]:一"), 1);
    queue.Add(QStringLiteral("[B02]:别的房间"), 2, QStringLiteral("2"));
    queue.Add(QStringLiteral("[A01]:二"), 3);
    queue.Add(QStringLiteral("[A01]:三"), 4);
    // Playing of each entry in Num order.
    const auto states = [&] {
        QString out;
        for (const QString& row : queue.Rows())
            out += row.back();
        return out;
    };

    Station station;
    auto player =
        station.StartPlayer({QStringLiteral("--db"), connection, QStringLiteral("--room"), QStringLiteral("A01"),
                             QStringLiteral("--catalogue"), connection, QStringLiteral("--song-ms"),
                             QStringLiteral("60000"), QStringLiteral("--poll-ms"), QStringLiteral("50")});
    ASSERT_EQ(player->WaitLine(QStringLiteral("play ")), QStringLiteral("play 1 [A01]:一"))
        << player->Process().readAllStandardError().constData();
    ASSERT_TRUE(SendSongRecord(1, Record({"801", "", "", "", "", "DIY", "", "原版", "1", "3", ""})));
    EXPECT_EQ(player->WaitLine(QStringLiteral("play 3")), QStringLiteral("play 3 [A01]:二"));
    EXPECT_EQ(states(), QStringLiteral("2210"));

    ASSERT_TRUE(SendSongRecord(0, Record({"802", "", "", "", "", "演唱会", "", "原版", "1", "3", ""})));
    EXPECT_EQ(player->WaitLine(QStringLiteral("back ")), QStringLiteral("back 3 [A01]:二"));
    EXPECT_EQ(player->WaitLine(QStringLiteral("play 1")), QStringLiteral("play 1 [A01]:一"));
    EXPECT_EQ(states(), QStringLiteral("1200"));
    EXPECT_EQ(db.Scalar(QStringLiteral("select Version from original where SONGNO='802'")).toString(),
              QStringLiteral("演唱会"));

    // Nothing of this room before the first song: it starts again.
    ASSERT_TRUE(SendSongRecord(0, Record({"801", "", "", "", "", "DIY", "", "原版", "1", "3", ""})));
    ASSERT_TRUE(player->WaitLine(QStringLiteral("catalogue-saved 801")).size() > 0);
    EXPECT_EQ(player->LinesStarting(QStringLiteral("back ")).size(), 1);
    // On again: the song that waited plays next.
    ASSERT_TRUE(SendSongRecord(1, Record({"801", "", "", "", "", "DIY", "", "原版", "1", "3", ""})));
    EXPECT_EQ(player->WaitLine(QStringLiteral("done 1")), QStringLiteral("done 1 [A01]:一"));
    EXPECT_EQ(player->WaitLine(QStringLiteral("play 3")), QStringLiteral("play 3 [A01]:二"));
    EXPECT_EQ(states(), QStringLiteral("2210"));
}

} // namespace

TEST(PlayerRepairHall, GoingBackTakesThisRoomsSongOnSqlite)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    GoBackInAHall(QStringLiteral("Provider=SQLite;Create=1;Data Source=") + dir.filePath(QStringLiteral("kroom.db")));
}

TEST(PlayerRepairHall, GoingBackTakesThisRoomsSongOnPostgreSql)
{
    ASSERT_TRUE(testpg::Available()) << "the test PostgreSQL server is not running";
    GoBackInAHall(testpg::ConnectionString(testpg::CreateDatabase(QStringLiteral("repairhall"))));
}
