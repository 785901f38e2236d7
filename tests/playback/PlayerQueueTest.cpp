// The player stand-in plays the shared play queue as the station relies on:
// from the lowest Num whose Playing is "0", marking "1" while it plays and
// "2" when done, both on the local order.dbf and on the hall-mode table.
#include "catalogue/schema/Schema.h"
#include "platform/db/DbConnection.h"
#include "tests/playback/OrderFile.h"
#include "tests/playback/PlayerProcess.h"
#include "tests/support/TestPg.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

using namespace playerlink;
using namespace playertest;

TEST(PlayerQueue, LocalQueuePlaysInNumOrderWhileTheStationAppends)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("order.dbf"));
    OrderFile order(path);
    // Stored out of order; a deleted entry and one sung earlier are skipped,
    // one left playing by an earlier run is finished.
    order.Add(3, QStringLiteral("第三首"));
    order.Add(1, QStringLiteral("第一首"));
    order.Add(0, QStringLiteral("删掉的"), QStringLiteral("5"));
    order.Add(2, QStringLiteral("第二首"));
    order.Add(-1, QStringLiteral("唱过的"), QStringLiteral("2"));
    order.Add(-2, QStringLiteral("上次没唱完"), QStringLiteral("1"));

    Station station;
    auto player = station.StartPlayer({QStringLiteral("--queue"), path, QStringLiteral("--song-ms"),
                                       QStringLiteral("400"), QStringLiteral("--poll-ms"), QStringLiteral("50")});
    ASSERT_EQ(player->WaitLine(QStringLiteral("play ")), QStringLiteral("play 1 第一首"))
        << player->Process().readAllStandardError().constData();
    // While the first plays: it alone is "1", the others wait with "0".
    std::map<qint64, QString> states = order.States();
    EXPECT_EQ(states[1], QStringLiteral("1"));
    EXPECT_EQ(states[2], QStringLiteral("0"));
    EXPECT_EQ(states[3], QStringLiteral("0"));
    EXPECT_EQ(states[-2], QStringLiteral("2"));
    EXPECT_EQ(states[0], QStringLiteral("5"));
    // The station orders a fourth song meanwhile.
    order.Add(4, QStringLiteral("第四首"));

    EXPECT_EQ(player->WaitLine(QStringLiteral("done ")), QStringLiteral("done 1 第一首"));
    EXPECT_EQ(player->WaitLine(QStringLiteral("play ")), QStringLiteral("play 2 第二首"));
    EXPECT_EQ(order.States()[1], QStringLiteral("2"));
    EXPECT_LE(order.Count(QStringLiteral("1")), 1);
    // The station's stop ends the song at once: sung, and the next starts.
    PostCommand(kCmdStop);
    EXPECT_EQ(player->WaitLine(QStringLiteral("done ")), QStringLiteral("done 2 第二首"));
    ASSERT_FALSE(player->WaitLine(QStringLiteral("done 4")).isEmpty());
    EXPECT_EQ(player->LinesStarting(QStringLiteral("play ")),
              QStringList({QStringLiteral("play 1 第一首"), QStringLiteral("play 2 第二首"),
                           QStringLiteral("play 3 第三首"), QStringLiteral("play 4 第四首")}));
    EXPECT_EQ(player->LinesStarting(QStringLiteral("done ")),
              QStringList({QStringLiteral("done 1 第一首"), QStringLiteral("done 2 第二首"),
                           QStringLiteral("done 3 第三首"), QStringLiteral("done 4 第四首")}));
    states = order.States();
    for (qint64 num : {1, 2, 3, 4})
        EXPECT_EQ(states[num], QStringLiteral("2")) << num;
    EXPECT_EQ(states[0], QStringLiteral("5"));
    // Each new song was announced to the station.
    EXPECT_GE(std::count_if(station.messages.begin(), station.messages.end(),
                            [](const windowlink::WindowMessage& m) { return m.message == kMsgVolumeReport; }),
              4);
}

TEST(PlayerQueue, PauseHoldsTheSongAndPlayNowReturnsToIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("order.dbf"));
    OrderFile order(path);
    order.Add(1, QStringLiteral("一"));
    order.Add(2, QStringLiteral("二"));
    Station station;
    auto player = station.StartPlayer({QStringLiteral("--queue"), path, QStringLiteral("--song-ms"),
                                       QStringLiteral("700"), QStringLiteral("--poll-ms"), QStringLiteral("50")});
    ASSERT_EQ(player->WaitLine(QStringLiteral("play ")), QStringLiteral("play 1 一"));
    PostCommand(kCmdPause);
    ASSERT_GE(station.WaitMessage(kMsgPausedReport, 0, 1), 0);
    // Paused well past the song's length: it is still playing.
    QThread::msleep(1000);
    EXPECT_EQ(order.States()[1], QStringLiteral("1"));
    EXPECT_TRUE(player->LinesStarting(QStringLiteral("done ")).isEmpty());
    PostCommand(kCmdPause); // toggles back
    ASSERT_GE(station.WaitMessage(kMsgPausedReport, 0, 0), 0);
    // A file played at once interrupts the song, which resumes afterwards.
    PlayNow(QStringLiteral("/rec/录音.wav"));
    EXPECT_EQ(player->WaitLine(QStringLiteral("file-done ")), QStringLiteral("file-done /rec/录音.wav"));
    EXPECT_EQ(order.States()[1], QStringLiteral("1"));
    EXPECT_EQ(player->WaitLine(QStringLiteral("done ")), QStringLiteral("done 1 一"));
    EXPECT_EQ(player->WaitLine(QStringLiteral("play ")), QStringLiteral("play 2 二"));
}

namespace {

// The hall-mode scenario on the catalogue schema of an engine: two rooms'
// entries in one table, the player of room A01 takes only its own.
void PlayHallQueue(const QString& connectionString)
{
    DbConnection db;
    db.Open(connectionString);
    CreateCatalogueSchema(db);
    HallQueue queue(db);
    queue.Add(QStringLiteral("[A01]:二"), 2);
    queue.Add(QStringLiteral("[B02]:别的房间"), 1);
    queue.Add(QStringLiteral("[A01]:三"), 3);

    Station station;
    auto player = station.StartPlayer({QStringLiteral("--db"), connectionString, QStringLiteral("--room"),
                                       QStringLiteral("A01"), QStringLiteral("--song-ms"), QStringLiteral("200"),
                                       QStringLiteral("--poll-ms"), QStringLiteral("50")});
    ASSERT_FALSE(player->WaitLine(QStringLiteral("done 3")).isEmpty())
        << player->Process().readAllStandardError().constData();
    EXPECT_EQ(player->LinesStarting(QStringLiteral("play ")),
              QStringList({QStringLiteral("play 2 [A01]:二"), QStringLiteral("play 3 [A01]:三")}));
    EXPECT_EQ(player->LinesStarting(QStringLiteral("done ")),
              QStringList({QStringLiteral("done 2 [A01]:二"), QStringLiteral("done 3 [A01]:三")}));
    player.reset();
    EXPECT_EQ(queue.Rows(), QStringList({QStringLiteral("[B02]:别的房间=0"), QStringLiteral("[A01]:二=2"),
                                         QStringLiteral("[A01]:三=2")}));
}

} // namespace

TEST(PlayerQueue, HallModeOnSqlite)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // An empty file becomes a new database.
    QFile(dir.filePath(QStringLiteral("kroom.db"))).open(QIODevice::WriteOnly);
    PlayHallQueue(QStringLiteral("Provider=SQLite;Data Source=%1").arg(dir.filePath(QStringLiteral("kroom.db"))));
}

TEST(PlayerQueue, HallModeOnPostgreSql)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test database server";
    PlayHallQueue(testpg::ConnectionString(testpg::CreateDatabase(QStringLiteral("player"))));
}
