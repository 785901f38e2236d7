// The play queue survives a station killed in the middle of moving a song to
// the front or clearing the films, and a write refused half-way: after a
// restart the queue holds every entry once, in the old or the new order, no
// entry is left marked as being moved, and the player stand-in plays it all.
#include "CatalogueFixture.h"
#include "platform/dbase/DbfTable.h"
#include "support/ChildProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>

using namespace cattest;

namespace {

// Six entries "E1".."E6" numbered 1..6; E2 and E5 are films.
const QStringList kEntries = {QStringLiteral("E1"), QStringLiteral("E2"), QStringLiteral("E3"),
                              QStringLiteral("E4"), QStringLiteral("E5"), QStringLiteral("E6")};
const QStringList kMoved = {QStringLiteral("E4"), QStringLiteral("E1"), QStringLiteral("E2"),
                            QStringLiteral("E3"), QStringLiteral("E5"), QStringLiteral("E6")};
const QStringList kCleared = {QStringLiteral("E1"), QStringLiteral("E3"), QStringLiteral("E4"), QStringLiteral("E6")};

void FillQueue(Installation& in)
{
    for (int i = 0; i < kEntries.size(); ++i)
        in.AddQueueRow(QStringLiteral("00000%1").arg(i + 1), kEntries[i], i + 1, QStringLiteral("0"),
                       i == 1 || i == 4 ? QStringLiteral("20") : QStringLiteral("1"));
}

// What the queue file holds, read as another program would: the waiting
// entries' names in Num order, their numbers, and whether any entry is marked.
struct FileState
{
    QStringList names;
    QList<qint64> nums;
    int marked = 0;
};

FileState ReadQueueFile(const QString& path)
{
    DbfTable t(path);
    t.Open();
    std::vector<std::pair<qint64, QString>> waiting;
    FileState state;
    for (const DbfTable::Record& r : t.ReadAll()) {
        if (r.deleted)
            continue;
        state.marked += t.Decode(r.data, t.FieldIndex(QStringLiteral("FLAG"))).toString() == QLatin1String("1");
        if (t.Decode(r.data, t.FieldIndex(QStringLiteral("PLAYING"))).toString() == QLatin1String("0"))
            waiting.emplace_back(t.Decode(r.data, t.FieldIndex(QStringLiteral("NUM"))).toLongLong(),
                                 t.Decode(r.data, t.FieldIndex(QStringLiteral("NAME"))).toString());
    }
    std::stable_sort(waiting.begin(), waiting.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [num, name] : waiting) {
        state.nums << num;
        state.names << name;
    }
    return state;
}

QStringList Names(DataSet& queue)
{
    return Column(queue, QStringLiteral("Name"));
}

// Restarts the station on the installation (the real start-up of the data
// module) and checks the queue it finds; gives the order.
QStringList RestartAndCheck(Installation& in, const std::vector<QStringList>& allowed, const QString& what)
{
    const QString file = in.DataDir() + QStringLiteral("order.dbf");
    QStringList order;
    {
        auto data = in.Open();
        EXPECT_TRUE(data->CreateError().isEmpty()) << qPrintable(what) << qPrintable(data->CreateError());
        EXPECT_TRUE(data->m_pOrder && data->m_pOrder->Active()) << qPrintable(what);
        if (!data->m_pOrder || !data->m_pOrder->Active())
            return order;
        order = Names(*data->m_pOrder);
    }
    if (!allowed.empty()) {
        EXPECT_TRUE(std::find(allowed.begin(), allowed.end(), order) != allowed.end())
            << qPrintable(what) << ": " << qPrintable(order.join(u','));
    }
    const FileState state = ReadQueueFile(file);
    EXPECT_EQ(state.names, order) << qPrintable(what);
    EXPECT_EQ(state.marked, 0) << qPrintable(what);
    EXPECT_EQ(QSet<qint64>(state.nums.begin(), state.nums.end()).size(), state.nums.size()) << qPrintable(what);
    EXPECT_FALSE(QFile::exists(file + QStringLiteral("-journal"))) << qPrintable(what);
    return order;
}

// The player stand-in plays the queue file: every waiting entry, in order.
void PlayerPlays(const QString& file, const QStringList& order, const QString& what)
{
    testsupport::ChildProcess player(
        testsupport::ExeDir() + QStringLiteral("/vodplayer"),
        {QStringLiteral("--headless"), QStringLiteral("--caption"), testsupport::UniqueName(QStringLiteral("player")),
         QStringLiteral("--client-caption"), testsupport::UniqueName(QStringLiteral("station")),
         QStringLiteral("--queue"), file, QStringLiteral("--song-ms"), QStringLiteral("10"),
         QStringLiteral("--poll-ms"), QStringLiteral("20")});
    QStringList played;
    for (int i = 0; i < order.size(); ++i) {
        const QString line = player.WaitLine(QStringLiteral("done "), 15000);
        if (line.isEmpty())
            break;
        played << line.section(u' ', 2);
    }
    EXPECT_EQ(played, order) << qPrintable(what) << " " << qPrintable(player.Errors());
}

// ---- the station as a child process -------------------------------------

QString StationDir()
{
    return qEnvironmentVariable("VOD_QUEUE_CHILD_DIR");
}

// Kills this process at the given write point of the queue files.
void KillAtWritePoint(int point)
{
    static std::atomic<int> seen{0};
    DbfTable::SetWriteHook([point](const QString&) {
        if (++seen == point)
            ::raise(SIGKILL);
        return true;
    });
}

} // namespace

TEST(QueueChild, Role)
{
    const QString op = qEnvironmentVariable("VOD_QUEUE_CHILD_OP");
    if (op.isEmpty())
        GTEST_SKIP() << "run as a child process only";
    auto data = OpenInstallation(StationDir());
    ASSERT_TRUE(data->m_pOrder && data->m_pOrder->Active());
    const int point = qEnvironmentVariableIntValue("VOD_QUEUE_CHILD_POINT");
    if (op == QLatin1String("move")) {
        ASSERT_TRUE(data->IsQueued(QStringLiteral("000004")));
        KillAtWritePoint(point);
        data->MoveToFront();
    } else if (op == QLatin1String("clear")) {
        KillAtWritePoint(point);
        data->ClearQueue(/*filmsOnly=*/true);
    } else if (op == QLatin1String("random")) {
        // Moves and clears without end until killed from outside.
        std::printf("ready\n");
        std::fflush(stdout);
        for (int i = 0;; ++i) {
            if (i % 10 == 9) {
                data->ClearQueue(true);
                continue;
            }
            const int pick = QRandomGenerator::global()->bounded(kEntries.size());
            if (data->IsQueued(QStringLiteral("00000%1").arg(pick + 1)))
                data->MoveToFront();
        }
    }
    std::printf("finished\n");
    std::fflush(stdout);
}

namespace {

// Runs the station child; true when it was killed before it finished.
bool RunChild(const QString& exeDir, const QString& op, int point)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VOD_QUEUE_CHILD_DIR"), exeDir);
    env.insert(QStringLiteral("VOD_QUEUE_CHILD_OP"), op);
    env.insert(QStringLiteral("VOD_QUEUE_CHILD_POINT"), QString::number(point));
    testsupport::ChildProcess child(QCoreApplication::applicationFilePath(),
                                    {QStringLiteral("--gtest_filter=QueueChild.Role")}, env);
    EXPECT_TRUE(child.Process().waitForFinished(60000));
    if (child.Process().exitStatus() == QProcess::CrashExit)
        return true;
    EXPECT_EQ(child.Process().exitCode(), 0) << qPrintable(child.Output()) << qPrintable(child.Errors());
    EXPECT_TRUE(child.Output().contains(QStringLiteral("finished"))) << qPrintable(child.Errors());
    return false;
}

void KillAtEveryWritePoint(const QString& op, const QStringList& after)
{
    int killed = 0;
    for (int point = 1; point < 100; ++point) {
        Installation in;
        FillQueue(in);
        const QString what = QStringLiteral("%1 killed at write %2").arg(op).arg(point);
        const bool crashed = RunChild(in.ExeDir(), op, point);
        const QStringList order = RestartAndCheck(in, {kEntries, after}, what);
        PlayerPlays(in.DataDir() + QStringLiteral("order.dbf"), order, what);
        if (!crashed) {
            EXPECT_EQ(order, after) << "finished without a kill";
            break;
        }
        ++killed;
        if (::testing::Test::HasFailure())
            break;
    }
    EXPECT_GT(killed, 5); // the operation really has several write points
}

} // namespace

TEST(QueueCrash, MoveToFrontKilledAtEveryWritePoint)
{
    KillAtEveryWritePoint(QStringLiteral("move"), kMoved);
}

TEST(QueueCrash, ClearQueueKilledAtEveryWritePoint)
{
    KillAtEveryWritePoint(QStringLiteral("clear"), kCleared);
}

// Killed at random moments of a run of moves and clears: each restart finds
// every entry once and the films all there or all gone.
TEST(QueueCrash, KilledAtRandomMoments)
{
    Installation in;
    FillQueue(in);
    for (int round = 0; round < 6; ++round) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VOD_QUEUE_CHILD_DIR"), in.ExeDir());
        env.insert(QStringLiteral("VOD_QUEUE_CHILD_OP"), QStringLiteral("random"));
        testsupport::ChildProcess child(QCoreApplication::applicationFilePath(),
                                        {QStringLiteral("--gtest_filter=QueueChild.Role")}, env);
        ASSERT_FALSE(child.WaitLine(QStringLiteral("ready"), 30000).isEmpty()) << qPrintable(child.Errors());
        QThread::msleep(20 + QRandomGenerator::global()->bounded(300));
        child.Process().kill();
        child.Process().waitForFinished(10000);
        const QString what = QStringLiteral("random kill %1").arg(round);
        QStringList order = RestartAndCheck(in, {}, what);
        QStringList sorted = order;
        sorted.sort();
        EXPECT_TRUE(sorted == kEntries || sorted == kCleared) << qPrintable(what) << qPrintable(order.join(u','));
        if (round == 5)
            PlayerPlays(in.DataDir() + QStringLiteral("order.dbf"), order, what);
    }
}

// A write refused at any point of a series (a full disk, a failing device)
// leaves the old order or the new one, never a half series; the station goes
// on working.
TEST(QueueCrash, RefusedWriteAtEveryPointLeavesNoHalfSeries)
{
    for (const QString& op : {QStringLiteral("move"), QStringLiteral("clear")}) {
        for (int point = 1; point < 100; ++point) {
            Installation in;
            FillQueue(in);
            bool refused = false;
            {
                auto data = in.Open();
                ASSERT_TRUE(data->m_pOrder->Active());
                ASSERT_TRUE(data->IsQueued(QStringLiteral("000004")));
                int seen = 0;
                DbfTable::SetWriteHook([&](const QString&) {
                    if (++seen != point)
                        return true;
                    refused = true;
                    return false;
                });
                try {
                    if (op == QLatin1String("move"))
                        data->MoveToFront();
                    else
                        data->ClearQueue(true);
                } catch (const DbError&) {
                }
                DbfTable::SetWriteHook(nullptr);
                // What the station shows is what the file holds.
                const QStringList shown = Names(*data->m_pOrder);
                EXPECT_EQ(shown, ReadQueueFile(in.DataDir() + QStringLiteral("order.dbf")).names);
            }
            const QString what = QStringLiteral("%1 refused at write %2").arg(op).arg(point);
            const QStringList after = op == QLatin1String("move") ? kMoved : kCleared;
            const QStringList order = RestartAndCheck(in, {kEntries, after}, what);
            if (!refused) {
                EXPECT_EQ(order, after);
                break;
            }
        }
    }
}

// A queue file left with an entry marked as being moved (a station of an
// earlier version stopped half-way) is settled at start-up: the move is
// completed and the player, which waits while a mark is there, plays again.
TEST(QueueCrash, MarkLeftByAnEarlierRunIsSettledAtStartUp)
{
    Installation in;
    FillQueue(in);
    {
        DbfTable t(in.DataDir() + QStringLiteral("order.dbf"));
        t.Open();
        // E5 marked with Num 0; a sung entry carries a stale mark too.
        t.Update(
            4, {{t.FieldIndex(QStringLiteral("FLAG")), QStringLiteral("1")}, {t.FieldIndex(QStringLiteral("NUM")), 0}});
        in.AddQueueRow(QStringLiteral("000009"), QStringLiteral("sung"), 9, QStringLiteral("2"));
        t.Update(6, {{t.FieldIndex(QStringLiteral("FLAG")), QStringLiteral("1")}});
    }
    const QStringList settled = {QStringLiteral("E5"), QStringLiteral("E1"), QStringLiteral("E2"),
                                 QStringLiteral("E3"), QStringLiteral("E4"), QStringLiteral("E6")};
    EXPECT_EQ(RestartAndCheck(in, {settled}, QStringLiteral("settled")), settled);
    EXPECT_EQ(ReadQueueFile(in.DataDir() + QStringLiteral("order.dbf")).nums, (QList<qint64>{1, 2, 3, 4, 5, 6}));
    PlayerPlays(in.DataDir() + QStringLiteral("order.dbf"), settled, QStringLiteral("settled"));
}
