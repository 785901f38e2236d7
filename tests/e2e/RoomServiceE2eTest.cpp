// The station's room-service check as a guest meets it: the food key opens
// the food types while the front desk has the room open, and tells the guest
// on the message screen once the room is closed.
#include "tests/e2e/StationRun.h"

using namespace e2e;

namespace {

constexpr int kDrinkWater = 117, kMainMenu = 109;

bool FrontScreenShows(const Station& s, const QString& text)
{
    return WaitUntil([&] { return s.Labels().contains(text); }, 10000);
}

TEST(RoomServiceE2e, TheFoodKeyOpensTheFoodTypesOnlyWhileTheRoomIsOpen)
{
    Station s(300);
    ASSERT_TRUE(s.Ready());
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"))) << qPrintable(station->Errors());
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));

    // The demo computer's room is open at the front desk.
    ASSERT_TRUE(s.PostKey(kDrinkWater));
    EXPECT_TRUE(FrontScreenShows(s, QStringLiteral("screen=foodtype"))) << qPrintable(s.Labels());

    // The front desk closes the room; the next try explains why nothing opens.
    QProcess desk;
    desk.start(ExeDir() + QStringLiteral("/vod-frontdesk"),
               {QStringLiteral("Provider=SQLite;Data Source=") + s.Path(QStringLiteral("data/hotel.db")),
                QStringLiteral("close"), QStringLiteral("V01")});
    ASSERT_TRUE(desk.waitForFinished(30000));
    ASSERT_EQ(desk.exitCode(), 0) << desk.readAllStandardError().toStdString();
    ASSERT_TRUE(s.PostKey(kMainMenu));
    ASSERT_TRUE(FrontScreenShows(s, QStringLiteral("screen=portal")));
    ASSERT_TRUE(s.PostKey(kDrinkWater));
    EXPECT_TRUE(FrontScreenShows(s, QStringLiteral("不是处于开房状态,请在前台开此房台"))) << qPrintable(s.Labels());
    EXPECT_FALSE(s.Labels().contains(QStringLiteral("screen=foodtype")));
}

} // namespace
