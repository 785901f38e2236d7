// Pictures of the other functions screen and of the idle advert show, taken
// from the station program on a fresh demo installation (scripts/screenshots.sh).
#include "playback/PlayerLink.h"
#include "playback/StationShot.h"
#include "tests/e2e/StationRun.h"

#include <QFileInfo>
#include <QImage>

using namespace e2e;

TEST(StationE2e, ScreenshotsOfTheOtherFunctionsAndTheAdverts)
{
    const QString shots = qEnvironmentVariable("VOD_SHOTS");
    if (shots.isEmpty())
        GTEST_SKIP() << "VOD_SHOTS names no folder";
    QDir().mkpath(shots);
    Station s(300);
    ASSERT_TRUE(s.Ready());
    s.SetSettings({{QStringLiteral("ShowScreen"), QStringLiteral("3")}});
    s.SetShotDir(shots);
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:")));
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    const auto shot = [&](int n, const QString& name) {
        QFile::remove(shots + QStringLiteral("/shot%1.png").arg(n));
        s.Post(kMsgTestScreenshot, n, 0);
        if (!WaitUntil([&] { return QFileInfo::exists(shots + QStringLiteral("/shot%1.png").arg(n)); }))
            return false;
        QFile::remove(shots + QLatin1Char('/') + name);
        return QFile::rename(shots + QStringLiteral("/shot%1.png").arg(n), shots + QLatin1Char('/') + name);
    };
    // The portal's "more" key.
    ASSERT_TRUE(s.PostKey(105));
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("FrmOther.FormShow()"), 10000));
    QThread::msleep(400);
    ASSERT_TRUE(shot(11, QStringLiteral("others.png")));
    // Untouched for three seconds: the adverts.
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("广告图片:"), 15000));
    QThread::msleep(300);
    ASSERT_TRUE(shot(12, QStringLiteral("advert.png")));
    s.Post(kMsgTestCloseStation, 0, 0);
    EXPECT_TRUE(station->WaitForExit(15000));
}
