// Room service under the conditions of a venue: two stations submitting at
// the same moment (the second one a process of its own) and the database
// server stopping in the middle of a session.
#include "HotelFixture.h"
#include "support/ChildProcess.h"
#include "support/TestPg.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QThread>
#include <cstdio>

using namespace hoteltest;
using testsupport::ChildProcess;

namespace {

constexpr int kRounds = 12;

// One station's ordering: rounds of a basket of two dishes, each submitted.
// Gives the number of successful submissions.
int OrderRounds(const QString& hotelAdo, const QString& computer, const QString& goFile)
{
    TFrmAdo ado;
    ado.SetMessageSink([](const QString&) {});
    ado.SetClockFollowsServer(false);
    ado.DataModuleCreate(hotelAdo, computer);
    if (!ado.CheckRoomOpen(false) || !ado.CheckStaffCard(QStringLiteral("CARD123")))
        return -1;
    ado.m_pPrice->SetNow(Evening());
    // Both stations start together.
    while (!QFile::exists(goFile))
        QThread::msleep(1);
    int submitted = 0;
    for (int i = 0; i < kRounds; ++i) {
        for (const char* no : {"P001", "S001"}) {
            if (!ado.cpAll->Locate(QStringLiteral("cFoodNo"), QString::fromUtf8(no)) ||
                !ado.AppendOrder(*ado.cpAll, QStringLiteral("1"), true))
                return -2;
        }
        submitted += ado.SubmitOrders() ? 1 : 0;
    }
    return submitted;
}

// The second station, when this binary is started in that role.
TEST(RoomServiceChild, OrderRounds)
{
    const QString ado = qEnvironmentVariable("VOD_HOTEL_CHILD_ADO");
    if (ado.isEmpty())
        GTEST_SKIP() << "started by StationsSubmittingAtOnce only";
    qputenv("VOD_KEEP_CLOCK", "1");
    const int submitted =
        OrderRounds(ado, qEnvironmentVariable("VOD_HOTEL_CHILD_COMPUTER"), qEnvironmentVariable("VOD_HOTEL_CHILD_GO"));
    std::printf("submitted=%d\n", submitted);
    std::fflush(stdout);
    EXPECT_EQ(submitted, kRounds);
}

class Stations : public EngineTest
{
};

TEST_P(Stations, SubmittingAtOnceNeverShareAFlowNumber)
{
    const QString go = V().Dir() + QStringLiteral("/go");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VOD_HOTEL_CHILD_ADO"), V().HotelAdo());
    env.insert(QStringLiteral("VOD_HOTEL_CHILD_COMPUTER"), QStringLiteral("station-b"));
    env.insert(QStringLiteral("VOD_HOTEL_CHILD_GO"), go);
    ChildProcess child(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--gtest_filter=RoomServiceChild.OrderRounds")}, env);
    ASSERT_TRUE(child.Process().waitForStarted(10000));
    // Let the child connect before both begin.
    QThread::msleep(500);
    QFile goFile(go);
    ASSERT_TRUE(goFile.open(QIODevice::WriteOnly));
    goFile.close();
    EXPECT_EQ(OrderRounds(V().HotelAdo(), QStringLiteral("station-a"), go), kRounds);
    EXPECT_EQ(child.WaitLine(QStringLiteral("submitted="), 120000), QStringLiteral("submitted=%1").arg(kRounds))
        << child.Errors().toStdString();

    // Every submission has a flow number of its own, within one tab; every
    // basket row was placed once.
    EXPECT_EQ(V().Scalar(QStringLiteral("SELECT COUNT(DISTINCT iWaterNo) FROM t_dc")).toInt(), 2 * kRounds);
    EXPECT_EQ(V().Scalar(QStringLiteral("SELECT COUNT(*) FROM (SELECT iWaterNo FROM t_dc GROUP BY iWaterNo "
                                        "HAVING COUNT(DISTINCT cTabNo) > 1 OR COUNT(*) <> 2) AS shared"))
                  .toInt(),
              0);
    EXPECT_EQ(V().Scalar(QStringLiteral("SELECT COUNT(*) FROM t_dc WHERE bXd=1")).toInt(), 4 * kRounds);
    EXPECT_EQ(V().Scalar(QStringLiteral("SELECT COUNT(*) FROM t_dc WHERE bXd=0")).toInt(), 0);
    EXPECT_EQ(V().Scalar(QStringLiteral("SELECT iWaterId FROM t_WaterId")).toInt(), 2 * kRounds);
}

INSTANTIATE_TEST_SUITE_P(Engines, Stations, ::testing::Values(false, true), EngineName);

TEST(RoomServiceServer, StoppedServerGivesTheDesignedAnswersAndNothingHalfWritten)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    OwnServer server;
    ASSERT_TRUE(server.Started());
    std::unique_ptr<TFrmAdo> ado;
    QStringList lines;
    {
        Venue venue(true, server.HotelAdo());
        ado = venue.Station(QStringLiteral("station-a"));
        ASSERT_TRUE(ado->cpAll->Locate(QStringLiteral("cFoodNo"), QStringLiteral("P001")));
        ASSERT_TRUE(ado->AppendOrder(*ado->cpAll, QStringLiteral("3"), true));
        ASSERT_TRUE(ado->CheckStaffCard(QStringLiteral("CARD123")));
    }
    QStringList told;
    ado->SetMessageSink([&](const QString& t) { told << t; });

    ASSERT_TRUE(server.Run(QStringLiteral("stop")));
    EXPECT_FALSE(ado->SubmitOrders());
    EXPECT_FALSE(ado->Connected());
    EXPECT_FALSE(ado->AppendOrder(*ado->cpAll, QStringLiteral("1"), true));
    EXPECT_FALSE(ado->CheckStaffCard(QStringLiteral("CARD123")));
    EXPECT_FALSE(ado->CheckoutRoom());
    EXPECT_FALSE(ado->OpenPlacedOrders());
    EXPECT_EQ(ado->SumTotal(*ado->dc), QString());
    EXPECT_FALSE(ado->CheckRoomOpen(true));
    EXPECT_EQ(told, QStringList({QStringLiteral("无法连接到数据库服务器,请设置或检查网络.")}));

    // The server is back: the next room check reconnects and the basket is
    // the one written before, ready to be submitted.
    ASSERT_TRUE(server.Run(QStringLiteral("restart")));
    ASSERT_TRUE(ado->CheckRoomOpen(true));
    EXPECT_EQ(told.size(), 1);
    EXPECT_EQ(ado->dc->RecordCount(), 1);
    ado->m_pPrice->SetNow(Evening());
    ASSERT_TRUE(ado->CheckStaffCard(QStringLiteral("CARD123")));
    ASSERT_TRUE(ado->SubmitOrders());
    ASSERT_TRUE(ado->OpenPlacedOrders());
    EXPECT_EQ(ado->dc1->RecordCount(), 2); // the beer and its gift
    EXPECT_EQ(ado->SumTotal(*ado->dc1), "30.00");
}

} // namespace
