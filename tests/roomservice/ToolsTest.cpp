// The front-desk tool, the bill command and the demo installation's
// room-service database, as programs.
#include "HotelFixture.h"
#include "support/ChildProcess.h"
#include "support/DemoInstall.h"

#include <QDir>
#include <QProcess>
#include <unistd.h>

using namespace hoteltest;

namespace {

class Tools : public EngineTest
{
};

TEST_P(Tools, FrontDeskOpensARoomAndTheBillCommandPrintsTheStationsBill)
{
    const QString ado = V().HotelAdo();
    ProgramRun open =
        RunProgram(QStringLiteral("vod-frontdesk"),
                   {ado, QStringLiteral("open"), QStringLiteral("V03"), QStringLiteral("--arr"), QStringLiteral("2"),
                    QStringLiteral("--guest"), QStringLiteral("会员"), QStringLiteral("--prepaid"),
                    QStringLiteral("20"), QStringLiteral("--guests"), QStringLiteral("3"), QStringLiteral("--at"),
                    QStringLiteral("2026-03-04 19:00:00"), QStringLiteral("--tab"), QStringLiteral("T0003")});
    ASSERT_EQ(open.code, 0) << open.errors.toStdString();
    EXPECT_EQ(open.lines, QStringList({QStringLiteral("opened V03 tab=T0003")}));
    // Opened twice: refused.
    EXPECT_EQ(RunProgram(QStringLiteral("vod-frontdesk"), {ado, QStringLiteral("open"), QStringLiteral("V03")}).code,
              1);

    // The room's station orders and submits.
    auto ado3 = V().Station(QStringLiteral("station-c"));
    ASSERT_TRUE(ado3->cpAll->Locate(QStringLiteral("cFoodNo"), QStringLiteral("P001")));
    ASSERT_TRUE(ado3->AppendOrder(*ado3->cpAll, QStringLiteral("3"), true));
    ASSERT_TRUE(ado3->CheckStaffCard(QStringLiteral("CARD456")));
    ASSERT_TRUE(ado3->SubmitOrders());
    ASSERT_TRUE(ado3->cpAll->Locate(QStringLiteral("cFoodNo"), QStringLiteral("S002")));
    ASSERT_TRUE(ado3->AppendOrder(*ado3->cpAll, QStringLiteral("2"), true));
    EXPECT_EQ(RunProgram(QStringLiteral("vod-frontdesk"), {ado, QStringLiteral("basket"), QStringLiteral("V03")}).lines,
              QStringList({QStringLiteral("S002 果盘 x2 @6.00 = 12.00")}));
    EXPECT_EQ(RunProgram(QStringLiteral("vod-frontdesk"), {ado, QStringLiteral("orders"), QStringLiteral("V03")}).lines,
              QStringList({QStringLiteral("P001 青岛啤酒 x3 @11.00 = 33.00 #1"),
                           QStringLiteral("G001 花生 x1 @0.00 = 0.00 [P:赠送] #1")}));

    // Arrangement 2 has no segments: 30 an hour; two hours at 21:00.
    ado3->m_pPrice->SetNow(At("2026-03-04 21:00:00"));
    ASSERT_TRUE(ado3->CheckoutRoom());
    QStringList expected;
    for (const auto& [name, value] : ado3->m_pPrice->Results.Lines())
        expected << name + QLatin1Char('=') + value;
    const ProgramRun bill = RunProgram(QStringLiteral("vod-bill"), {ado, QStringLiteral("V03"), QStringLiteral("--now"),
                                                                    QStringLiteral("2026-03-04 21:00:00")});
    ASSERT_EQ(bill.code, 0) << bill.errors.toStdString();
    EXPECT_EQ(bill.lines, expected);
    EXPECT_EQ(bill.lines,
              QStringList({"RoomCharge=50.00", "LowRate=0.00", "TeaCharge=0.00", "Prepaid=20.00", "GuestCount=3",
                           "Discount=0.00", "LowConsume=0.00", "Consumed=33.00", "ServiceCharge=0.00",
                           "StayMinutes=120", "TimeCharge=60.00", "AmountDue=123.00"}));
    EXPECT_EQ(
        RunProgram(QStringLiteral("vod-frontdesk"), {ado, QStringLiteral("bill"), QStringLiteral("V03"),
                                                     QStringLiteral("--now"), QStringLiteral("2026-03-04 21:00:00")})
            .lines,
        expected);

    EXPECT_EQ(RunProgram(QStringLiteral("vod-frontdesk"), {ado, QStringLiteral("close"), QStringLiteral("V03")}).code,
              0);
    const ProgramRun closed = RunProgram(QStringLiteral("vod-bill"), {ado, QStringLiteral("V03")});
    EXPECT_EQ(closed.code, 1);
    EXPECT_TRUE(closed.errors.contains(QStringLiteral("room V03 is not open"))) << closed.errors.toStdString();
    EXPECT_EQ(RunProgram(QStringLiteral("vod-bill"),
                         {ado, QStringLiteral("V01"), QStringLiteral("--now"), QStringLiteral("tonight")})
                  .code,
              2);
}

INSTANTIATE_TEST_SUITE_P(Engines, Tools, ::testing::Values(false, true), EngineName);

TEST(DemoHotel, TheDemoComputersRoomIsOpenWithAMenuAndABill)
{
    QTemporaryDir dir;
    const QString error = testsupport::MakeDemoInstallation(
        dir.path(), {QStringLiteral("--songs"), QStringLiteral("60"), QStringLiteral("--photos"), QStringLiteral("1")});
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QString ado = QStringLiteral("Provider=SQLite;Data Source=") + dir.filePath(QStringLiteral("data/hotel.db"));
    char host[256] = {};
    gethostname(host, sizeof(host) - 1);
    qputenv("VOD_KEEP_CLOCK", "1");
    TFrmAdo station;
    station.SetMessageSink([](const QString&) {});
    station.DataModuleCreate(QStringLiteral("Provider=SQLite;Data Source=data\\hotel.db"),
                             QString::fromLocal8Bit(host).toLower(), dir.path());
    ASSERT_TRUE(station.CheckRoomOpen(true));
    EXPECT_EQ(station.m_sHotelRoomName, "V01");
    EXPECT_EQ(station.cl->RecordCount(), 6);
    ASSERT_TRUE(station.OpenFoodsOfType());
    EXPECT_GE(station.cp->RecordCount(), 4);
    ASSERT_TRUE(station.OpenPlacedOrders());
    EXPECT_EQ(station.SumTotal(*station.dc1), "148.00");
    const ProgramRun bill = RunProgram(QStringLiteral("vod-bill"), {ado, QStringLiteral("V01")});
    ASSERT_EQ(bill.code, 0) << bill.errors.toStdString();
    ASSERT_EQ(bill.lines.size(), 12);
    EXPECT_EQ(bill.lines[0], "RoomCharge=0.00");
    // Opened 90 minutes before it was written; a minute boundary may pass meanwhile.
    EXPECT_TRUE(bill.lines[9] == "StayMinutes=90" || bill.lines[9] == "StayMinutes=91") << bill.lines[9].toStdString();
}

} // namespace
