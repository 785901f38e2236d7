// Picture decoding and the virtual-key translation at the input boundary.
#include "core/Exception.h"
#include "platform/image/Jpeg.h"
#include "platform/keys/VirtualKeys.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray JpegBytes(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

} // namespace

TEST(Jpeg, DecodesIntoRgbx)
{
    const QImage image = DecodeJpeg(JpegBytes(37, 21, qRgb(200, 40, 10)));
    EXPECT_EQ(image.size(), QSize(37, 21));
    EXPECT_EQ(image.format(), QImage::Format_RGBX8888);
    const QRgb c = image.pixel(18, 10);
    EXPECT_NEAR(qRed(c), 200, 4);
    EXPECT_NEAR(qGreen(c), 40, 4);
    EXPECT_NEAR(qBlue(c), 10, 4);
}

// A size to fit decodes a large picture reduced, never below that size.
TEST(Jpeg, AFitSizeDecodesReducedButCoveringIt)
{
    const QByteArray photo = JpegBytes(200, 150, qRgb(10, 160, 90));
    EXPECT_EQ(DecodeJpeg(photo, QSize(88, 70)).size(), QSize(100, 75));
    EXPECT_EQ(DecodeJpeg(photo, QSize(30, 10)).size(), QSize(50, 38));
    EXPECT_EQ(DecodeJpeg(photo, QSize(101, 20)).size(), QSize(200, 150));
    EXPECT_EQ(DecodeJpeg(photo, QSize(400, 400)).size(), QSize(200, 150));
    const QImage small = DecodeJpeg(photo, QSize(20, 18));
    EXPECT_EQ(small.size(), QSize(25, 19));
    EXPECT_NEAR(qGreen(small.pixel(12, 9)), 160, 6);
}

TEST(Jpeg, CorruptTruncatedAndMissingPicturesAreErrors)
{
    const QByteArray good = JpegBytes(64, 64, qRgb(1, 2, 3));
    EXPECT_THROW(DecodeJpeg(QByteArray()), Exception);
    EXPECT_THROW(DecodeJpeg(QByteArray("not a picture")), Exception);
    EXPECT_THROW(DecodeJpeg(good.left(good.size() / 2)), Exception);
    QByteArray garbled = good;
    for (qsizetype i = 20; i < garbled.size(); i += 7)
        garbled[i] = char(0xFF);
    try {
        DecodeJpeg(garbled); // may decode to noise, must not crash
    } catch (const Exception&) {
    }
    EXPECT_THROW(LoadJpeg("/nonexistent/picture.jpg"), Exception);
}

TEST(Jpeg, LoadPictureTellsJpegFromBitmapByContent)
{
    QTemporaryDir dir;
    QImage bmp(5, 4, QImage::Format_RGB32);
    bmp.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(bmp.save(dir.filePath("a.bmp"), "BMP"));
    EXPECT_EQ(LoadPicture(dir.filePath("a.bmp")).size(), QSize(5, 4));
    QFile named(dir.filePath("photo.bmp")); // a JPEG under a bitmap's name
    ASSERT_TRUE(named.open(QIODevice::WriteOnly));
    named.write(JpegBytes(9, 9, qRgb(0, 255, 0)));
    named.close();
    EXPECT_EQ(LoadPicture(dir.filePath("photo.bmp")).format(), QImage::Format_RGBX8888);
    QFile junk(dir.filePath("junk.bmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("BM garbage");
    junk.close();
    EXPECT_THROW(LoadPicture(dir.filePath("junk.bmp")), Exception);
}

TEST(VirtualKeys, KeyboardAndKeypadKeysGiveWindowsCodes)
{
    EXPECT_EQ(VkFromQtKey(Qt::Key_A, Qt::NoModifier), 65);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Z, Qt::ShiftModifier), 90);
    EXPECT_EQ(VkFromQtKey(Qt::Key_0, Qt::NoModifier), 48);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Exclam, Qt::ShiftModifier), '1');
    EXPECT_EQ(VkFromQtKey(Qt::Key_F1, Qt::NoModifier), 112);
    EXPECT_EQ(VkFromQtKey(Qt::Key_F12, Qt::NoModifier), 123);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Escape, Qt::NoModifier), 27);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Return, Qt::NoModifier), 13);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Enter, Qt::KeypadModifier), 13);
    EXPECT_EQ(VkFromQtKey(Qt::Key_PageUp, Qt::NoModifier), 33);
    EXPECT_EQ(VkFromQtKey(Qt::Key_End, Qt::NoModifier), 35);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Home, Qt::KeypadModifier), 36);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Left, Qt::NoModifier), 37);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Down, Qt::NoModifier), 40);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Insert, Qt::NoModifier), 45);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Delete, Qt::NoModifier), 46);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Space, Qt::NoModifier), 32);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Backspace, Qt::NoModifier), 8);
    // The numeric keypad: digits 96..105, operators 106..111.
    EXPECT_EQ(VkFromQtKey(Qt::Key_7, Qt::KeypadModifier), 103);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Asterisk, Qt::KeypadModifier), 106);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Plus, Qt::KeypadModifier), 107);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Period, Qt::KeypadModifier), 110);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Slash, Qt::KeypadModifier), 111);
    // OEM punctuation, shifted or not.
    EXPECT_EQ(VkFromQtKey(Qt::Key_Semicolon, Qt::NoModifier), 186);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Plus, Qt::ShiftModifier), 187);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Comma, Qt::NoModifier), 188);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Underscore, Qt::ShiftModifier), 189);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Period, Qt::NoModifier), 190);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Question, Qt::ShiftModifier), 191);
    EXPECT_EQ(VkFromQtKey(Qt::Key_QuoteLeft, Qt::NoModifier), 192);
    EXPECT_EQ(VkFromQtKey(Qt::Key_BracketLeft, Qt::NoModifier), 219);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Backslash, Qt::NoModifier), 220);
    EXPECT_EQ(VkFromQtKey(Qt::Key_BraceRight, Qt::ShiftModifier), 221);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Apostrophe, Qt::NoModifier), 222);
    // Remote keypads' media and browser keys.
    EXPECT_EQ(VkFromQtKey(Qt::Key_VolumeUp, Qt::NoModifier), 175);
    EXPECT_EQ(VkFromQtKey(Qt::Key_MediaTogglePlayPause, Qt::NoModifier), 179);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Back, Qt::NoModifier), 166);
    EXPECT_EQ(VkFromQtKey(Qt::Key_MediaNext, Qt::NoModifier), 176);
    // The modifier keys give their generic codes on either side, never the
    // side-specific 160-165 that keyboard.ini binds to microphone and effects.
    EXPECT_EQ(VkFromQtKey(Qt::Key_Shift, Qt::ShiftModifier, 0xffe1), 16);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Shift, Qt::ShiftModifier, 0xffe2), 16);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Control, Qt::ControlModifier, 0xffe4), 17);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Alt, Qt::AltModifier, 0xffe9), 18);
    EXPECT_EQ(VkFromQtKey(Qt::Key_AltGr, Qt::NoModifier, 0xffea), 18);
    EXPECT_EQ(VkFromQtKey(Qt::Key_Shift, Qt::ShiftModifier), 16);
    EXPECT_EQ(VkFromQtKey(Qt::Key_unknown, Qt::NoModifier), 0);

    QKeyEvent event(QEvent::KeyPress, Qt::Key_4, Qt::KeypadModifier, QStringLiteral("4"));
    EXPECT_EQ(VkFromKeyEvent(&event), 100);
}

TEST(VirtualKeys, PostedAndSentKeyDownsCarryTheCode)
{
    struct Sink : QObject
    {
        QList<int> keys;
        bool event(QEvent* e) override
        {
            if (e->type() != TVkKeyEvent::EventType())
                return QObject::event(e);
            keys << static_cast<TVkKeyEvent*>(e)->Vk();
            return true;
        }
    } sink;
    PostVkKeyDown(&sink, 33);
    EXPECT_TRUE(SendVkKeyDown(&sink, 27));
    EXPECT_EQ(sink.keys, QList<int>{27});
    QCoreApplication::sendPostedEvents(&sink);
    EXPECT_EQ(sink.keys, (QList<int>{27, 33}));
}
