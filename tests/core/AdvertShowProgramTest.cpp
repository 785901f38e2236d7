// The idle advert show of the station program: after ShowScreen seconds
// without input the demo's advert pictures cover the portal; with
// ShowScreen 0 they never come.
#include "CoreTestUtil.h"

#include <QImage>

using coretest::MakeDemo;
using coretest::Program;
using coretest::RunProgram;
using coretest::SetCatalogueSetting;
using coretest::TInstall;
using coretest::TRun;

namespace {

// Runs the station for a few seconds untouched; gives its log and its
// last screen.
QString RunUntouched(const TInstall& dir, QImage& shot)
{
    const TRun r = RunProgram(
        Program("vod"), {},
        {{"VOD_EXE_DIR", dir.Dir()}, {"VOD_EXIT_AFTER_MS", "3500"}, {"VOD_SCREENSHOT", dir.Path("shot.png")}});
    EXPECT_EQ(r.Exit, 0) << qPrintable(r.Err);
    shot = QImage(dir.Path("shot.png"));
    return ToWide(coretest::ReadBytes(dir.Path("LogVod.txt")));
}

} // namespace

TEST(Programs, AnUntouchedStationShowsTheAdvertsOnlyWhenShowScreenIsSet)
{
    TInstall dir;
    MakeDemo(dir);
    SetCatalogueSetting(dir, "vod", "VideoScreenCount", "1");
    SetCatalogueSetting(dir, "vod", "ShowScreen", "1");
    QImage shot;
    QString log = RunUntouched(dir, shot);
    const QString shown = QStringLiteral("广告图片:");
    ASSERT_TRUE(log.contains(shown + dir.Path("Images/Ad/ad1.jpg"))) << qPrintable(log);
    // The picture covers the portal, centred.
    ASSERT_FALSE(shot.isNull());
    const QImage ad(dir.Path("Images/Ad/ad1.jpg"));
    ASSERT_FALSE(ad.isNull());
    const QRgb want = ad.pixel(ad.width() / 2, ad.height() / 2 + 150);
    const QRgb got = shot.pixel(shot.width() / 2, shot.height() / 2 + 150);
    EXPECT_LT(std::abs(qRed(want) - qRed(got)) + std::abs(qGreen(want) - qGreen(got)) +
                  std::abs(qBlue(want) - qBlue(got)),
              40);

    SetCatalogueSetting(dir, "vod", "ShowScreen", "0");
    log = RunUntouched(dir, shot);
    EXPECT_TRUE(log.contains(QStringLiteral("总计耗时:"))) << qPrintable(log);
    EXPECT_FALSE(log.contains(shown)) << qPrintable(log);
}
