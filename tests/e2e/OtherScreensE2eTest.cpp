// Pictures of the other functions screen and of the idle advert show, taken
// from the station program on a fresh demo installation (scripts/screenshots.sh),
// in each language at each skin size; others.png and advert.png for the README.
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
    for (const ShotVariant& v : kShotVariants) {
        Station s(300);
        ASSERT_TRUE(s.Ready());
        ASSERT_TRUE(s.SetScreenSize(v.width, v.height));
        // A single screen 1024 wide brings the player's video forward when
        // idle instead of the pictures, unless the station runs in test mode.
        s.SetSettings({{QStringLiteral("ShowScreen"), QStringLiteral("3")},
                       {QStringLiteral("LangType"), QLatin1String(v.langType)},
                       {QStringLiteral("Test"), v.width == 1024 ? QStringLiteral("1") : QStringLiteral("0")}});
        s.SetShotDir(shots);
        auto station = s.StartStation();
        ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:")));
        ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
        const QString tag = QStringLiteral("-%1-%2x%3.png").arg(QLatin1String(v.lang)).arg(v.width).arg(v.height);
        const auto shot = [&](int n, const QString& name) {
            const QString file = shots + QStringLiteral("/shot%1.png").arg(n);
            QFile::remove(file);
            s.Post(kMsgTestScreenshot, n, 0);
            if (!WaitUntil([&] { return QFileInfo::exists(file); }))
                return false;
            const QString target = shots + QLatin1Char('/') + name + tag;
            QFile::remove(target);
            return QFile::rename(file, target) && QImage(target).size() == QSize(v.width, v.height);
        };
        // The portal's "more" key.
        ASSERT_TRUE(s.PostKey(105));
        ASSERT_TRUE(s.WaitForLog(QStringLiteral("FrmOther.FormShow()"), 10000));
        QThread::msleep(400);
        ASSERT_TRUE(shot(11, QStringLiteral("others")));
        // Untouched for three seconds: the adverts.
        ASSERT_TRUE(s.WaitForLog(QStringLiteral("广告图片:"), 15000)) << qPrintable(s.Log());
        QThread::msleep(300);
        ASSERT_TRUE(shot(12, QStringLiteral("advert")));
        s.Post(kMsgTestCloseStation, 0, 0);
        EXPECT_TRUE(station->WaitForExit(15000));
    }
    for (const char* name : {"others", "advert"}) {
        const QString readme = shots + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
        QFile::remove(readme);
        QFile::copy(shots + QLatin1Char('/') + QLatin1String(name) + QStringLiteral("-zh-800x600.png"), readme);
    }
}
