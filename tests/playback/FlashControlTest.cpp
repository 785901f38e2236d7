// The Flash movie stand-in control: settings kept, the still picture beside
// the movie shown and placed by the scale and alignment modes, the movie's
// commands delivered as OnFSCommand.
#include "ui/FlashControl.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QImage Grab(QWidget& parent)
{
    QImage image(parent.size(), QImage::Format_ARGB32);
    image.fill(Qt::blue);
    parent.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

TEST(FlashControl, ShowsTheStillBesideTheMovie)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(dir.filePath(QStringLiteral("py.png"))));
    QImage green(10, 10, QImage::Format_RGB32);
    green.fill(Qt::green);
    ASSERT_TRUE(green.save(dir.filePath(QStringLiteral("other.jpg"))));
    QFile(dir.filePath(QStringLiteral("broken.png"))).open(QIODevice::WriteOnly);

    QWidget screen;
    screen.resize(200, 100);
    TFlashPlayerControl flash(&screen);
    flash.SetBounds(0, 0, 200, 100);
    flash.PutMenu(false);
    flash.PutAlignMode(0);
    flash.PutEmbedMovie(false);
    flash.PutPlaying(false);
    flash.PutQuality(1);
    flash.show();
    flash.PutMovie(QDir::toNativeSeparators(dir.filePath(QStringLiteral("py.swf"))).replace('/', '\\'));
    flash.PutScaleMode(3);
    EXPECT_FALSE(flash.GetMenu());
    EXPECT_FALSE(flash.GetPlaying());
    EXPECT_EQ(flash.GetScaleMode(), 3);
    ASSERT_FALSE(flash.Still().isNull());

    // No scale, centred: the 40 x 20 picture sits in the middle.
    EXPECT_EQ(flash.StillRect(), QRectF(80, 40, 40, 20));
    QImage shot = Grab(screen);
    EXPECT_EQ(QColor(shot.pixel(100, 50)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(10, 10)), QColor(Qt::blue)); // nothing drawn outside
    // Left and top alignment; show all keeps proportions; exact fit stretches.
    flash.PutAlignMode(1 | 4);
    EXPECT_EQ(flash.StillRect(), QRectF(0, 0, 40, 20));
    flash.PutScaleMode(0);
    EXPECT_EQ(flash.StillRect(), QRectF(0, 0, 200, 100));
    flash.resize(200, 200);
    EXPECT_EQ(flash.StillRect(), QRectF(0, 0, 200, 100));
    flash.PutScaleMode(1);
    EXPECT_EQ(flash.StillRect(), QRectF(0, 0, 400, 200));
    flash.PutScaleMode(2);
    EXPECT_EQ(flash.StillRect(), QRectF(0, 0, 200, 200));

    // A new movie replaces the old picture; without a still, nothing shows.
    flash.PutMovie(dir.filePath(QStringLiteral("other.swf")));
    EXPECT_EQ(flash.Still().size(), QSize(10, 10));
    flash.PutMovie(dir.filePath(QStringLiteral("none.swf")));
    EXPECT_TRUE(flash.Still().isNull());
    flash.PutMovie(dir.filePath(QStringLiteral("broken.swf")));
    EXPECT_TRUE(flash.Still().isNull());
    shot = Grab(screen);
    EXPECT_EQ(QColor(shot.pixel(100, 50)), QColor(Qt::blue));
}

TEST(FlashControl, OverlayDefaultsAndCommands)
{
    QWidget screen;
    TTransparentFlashPlayerControl pf(&screen);
    EXPECT_EQ(pf.FrameNum, -1);
    EXPECT_FALSE(pf.GetPlaying());
    EXPECT_EQ(pf.GetScaleMode(), 2);
    EXPECT_TRUE(pf.GetMenu());
    EXPECT_EQ(pf.WMode, QStringLiteral("Transparent"));
    pf.PutMakeParentTransparent(true);
    EXPECT_TRUE(pf.GetMakeParentTransparent());

    QStringList got;
    pf.OnFSCommand = [&](QObject* sender, const QString& command, const QString& args) {
        EXPECT_EQ(sender, &pf);
        got << command + QLatin1Char('=') + args;
    };
    QStringList signalled;
    QObject::connect(&pf, &TFlashPlayerControl::FSCommand,
                     [&](const QString& command, const QString& args) { signalled << command + args; });
    pf.RaiseFSCommand(QStringLiteral("key"), QStringLiteral("拼音A"));
    EXPECT_EQ(got, QStringList{QStringLiteral("key=拼音A")});
    EXPECT_EQ(signalled, QStringList{QStringLiteral("key拼音A")});
}
