#include "tools/demo/skin/SkinMedia.h"

#include "tools/demo/skin/SkinArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtEndian>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

void Put16(QByteArray& b, quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
void Put32(QByteArray& b, quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

} // namespace

QImage PaintSingerPhoto(int n, int size)
{
    QRandomGenerator rng(0x5EED0000u + static_cast<quint32>(n));
    QImage image(size, size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    // Studio backdrop in one of a few hues.
    const int hue = static_cast<int>(rng.bounded(360));
    QRadialGradient back(QPointF(50, 35), 80);
    back.setColorAt(0, QColor::fromHsv(hue, 120, 230));
    back.setColorAt(1, QColor::fromHsv(hue, 200, 70));
    p.fillRect(QRectF(0, 0, 100, 100), back);
    const QColor skin = QColor::fromHsv(20 + rng.bounded(12), 60 + rng.bounded(70), 170 + rng.bounded(70));
    const QColor hair = QColor::fromHsv(rng.bounded(40), 80 + rng.bounded(120), 20 + rng.bounded(90));
    const QColor shirt = QColor::fromHsv(rng.bounded(360), 90 + rng.bounded(150), 90 + rng.bounded(150));
    const bool longHair = rng.bounded(2) == 1;
    p.setPen(Qt::NoPen);
    // Shoulders.
    QPainterPath body;
    body.moveTo(8, 100);
    body.cubicTo(10, 74, 30, 70, 50, 70);
    body.cubicTo(70, 70, 90, 74, 92, 100);
    body.closeSubpath();
    QLinearGradient cloth(0, 70, 0, 100);
    cloth.setColorAt(0, shirt.lighter(120));
    cloth.setColorAt(1, shirt.darker(140));
    p.fillPath(body, cloth);
    // Hair behind the head for long hair.
    if (longHair) {
        p.setBrush(hair);
        p.drawRoundedRect(QRectF(28, 22, 44, 56), 20, 20);
    }
    // Neck and head.
    p.setBrush(skin.darker(110));
    p.drawRect(QRectF(43, 56, 14, 16));
    QRadialGradient face(QPointF(46, 38), 26);
    face.setColorAt(0, skin.lighter(112));
    face.setColorAt(1, skin.darker(115));
    p.setBrush(face);
    p.drawEllipse(QRectF(32, 20, 36, 44));
    // Hair on top.
    QPainterPath top;
    top.moveTo(30, 40);
    top.cubicTo(28, 14, 72, 10, 70, 40);
    top.cubicTo(64, 28, 44, 24, 30, 40);
    p.fillPath(top, hair);
    // A hint of eyes and smile.
    p.setBrush(QColor(40, 30, 30));
    p.drawEllipse(QPointF(43, 41), 1.8, 1.4);
    p.drawEllipse(QPointF(57, 41), 1.8, 1.4);
    p.setPen(QPen(QColor(150, 60, 60), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(44, 46, 12, 8), 200 * 16, 140 * 16);
    // Stage light from the side.
    QLinearGradient light(0, 0, 100, 0);
    light.setColorAt(0, QColor(255, 255, 255, 40));
    light.setColorAt(0.5, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(0, 0, 100, 100), light);
    return image;
}

QImage PaintDefaultPhoto(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    QLinearGradient back(0, 0, 0, 100);
    back.setColorAt(0, QColor(70, 60, 110));
    back.setColorAt(1, QColor(25, 20, 50));
    p.fillRect(QRectF(0, 0, 100, 100), back);
    DrawIcon(p, QStringLiteral("person"), QRectF(18, 14, 64, 64), QColor(255, 255, 255, 170));
    DrawIcon(p, QStringLiteral("note"), QRectF(66, 66, 26, 26), QColor(255, 200, 60, 200));
    return image;
}

int AdvertCount()
{
    return 6;
}

QImage PaintAdvert(int i)
{
    struct TAd
    {
        const char* zh;
        const char* en;
        const char* line;
        QColor a, b;
        const char* icon;
    };
    const TAd ads[] = {
        {"欢迎光临 星光 KTV", "Welcome to StarLight KTV", "好歌 · 好友 · 好时光", QColor(120, 20, 140),
         QColor(20, 10, 60), "mic"},
        {"欢乐时光 酒水八折", "Happy hour: drinks 20% off", "每天 14:00 - 18:00 · 按服务键呼叫", QColor(200, 90, 20),
         QColor(60, 10, 30), "cup"},
        {"生日派对 惊喜套餐", "Birthday party packages", "蛋糕 · 鲜花 · 专属祝福字幕", QColor(210, 40, 110),
         QColor(40, 10, 50), "cake"},
        {"周末狂欢 通宵欢唱", "Weekend all-night singing", "周五周六 22:00 至天亮", QColor(20, 120, 200),
         QColor(10, 10, 50), "disc"},
        {"K歌之星 每月评选", "Singer of the month", "得分最高的包厢赢取免费欢唱", QColor(200, 160, 20),
         QColor(60, 30, 10), "trophy"},
        {"会员专享 积分换好礼", "Members collect points for gifts", "详情请咨询前台", QColor(20, 150, 110),
         QColor(10, 40, 40), "star"},
    };
    const TAd& ad = ads[i % AdvertCount()];
    QImage image(1024, 768, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 1024, 768);
    back.setColorAt(0, ad.a);
    back.setColorAt(1, ad.b);
    p.fillRect(image.rect(), back);
    QRandomGenerator rng(0xAD000000u + static_cast<quint32>(i));
    p.setPen(Qt::NoPen);
    for (int k = 0; k < 40; ++k) {
        const double r = 10 + rng.bounded(90.0);
        p.setBrush(QColor(255, 255, 255, 8 + rng.bounded(24)));
        p.drawEllipse(QPointF(rng.bounded(1024.0), rng.bounded(768.0)), r, r);
    }
    DrawIcon(p, QString::fromLatin1(ad.icon), QRectF(412, 120, 200, 200), QColor(255, 255, 255, 230));
    QPainterPath title;
    title.addText(0, 0, SkinFont(72, true), QString::fromUtf8(ad.zh));
    const QRectF tb = title.boundingRect();
    title.translate(512 - tb.center().x(), 430);
    QLinearGradient gold(0, 370, 0, 440);
    gold.setColorAt(0, QColor(255, 240, 170));
    gold.setColorAt(1, QColor(255, 170, 40));
    p.fillPath(title.translated(3, 4), QColor(0, 0, 0, 120));
    p.fillPath(title, gold);
    p.setFont(SkinFont(36));
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 470, 1024, 60), Qt::AlignCenter, QString::fromUtf8(ad.en));
    p.setFont(SkinFont(28));
    p.setPen(QColor(230, 230, 255));
    p.drawText(QRectF(0, 560, 1024, 50), Qt::AlignCenter, QString::fromUtf8(ad.line));
    return image;
}

int OsdCount()
{
    return 6;
}

QImage PaintOsdPicture(int n)
{
    // 2.bmp is the catcall picture and 3.bmp the applause picture of the command keys.
    struct TOsd
    {
        const char* zh;
        const char* en;
        const char* icon;
        QColor colour;
    };
    const TOsd osd[] = {{"献花", "Flowers", "flower", QColor(236, 64, 122)},
                        {"喝倒彩", "Boo!", "thumbdown", QColor(120, 120, 140)},
                        {"鼓掌", "Applause", "clap", QColor(255, 167, 38)},
                        {"干杯", "Cheers", "cup", QColor(255, 202, 40)},
                        {"生日快乐", "Happy Birthday", "cake", QColor(171, 71, 188)},
                        {"爱你", "Love you", "heart", QColor(239, 83, 80)}};
    const TOsd& o = osd[(n - 1 + OsdCount()) % OsdCount()];
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(160, 110), 170);
    glow.setColorAt(0, o.colour.lighter(130));
    glow.setColorAt(1, o.colour.darker(300));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(QRectF(4, 4, 312, 232), 24, 24);
    DrawIcon(p, QString::fromLatin1(o.icon), QRectF(105, 20, 110, 110), Qt::white);
    p.setFont(SkinFont(40, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 136, 320, 54), Qt::AlignCenter, QString::fromUtf8(o.zh));
    p.setFont(SkinFont(20));
    p.setPen(QColor(255, 240, 200));
    p.drawText(QRectF(0, 190, 320, 32), Qt::AlignCenter, QString::fromUtf8(o.en));
    return image;
}

QByteArray ToneWav(double seconds, double f0, double f1, int sampleRate)
{
    const int samples = static_cast<int>(seconds * sampleRate);
    QByteArray pcm;
    pcm.reserve(samples * 2);
    double phase = 0;
    for (int i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / samples;
        const double f = f0 + (f1 - f0) * t;
        phase += 2 * kPi * f / sampleRate;
        // Short fade in and out so the tone does not click.
        const double envelope = std::min({1.0, t * 20, (1 - t) * 8});
        const double v = envelope * (0.6 * std::sin(phase) + 0.2 * std::sin(2 * phase));
        Put16(pcm, static_cast<quint16>(static_cast<qint16>(std::lround(v * 26000))));
    }
    QByteArray wav;
    wav.append("RIFF", 4);
    Put32(wav, static_cast<quint32>(36 + pcm.size()));
    wav.append("WAVEfmt ", 8);
    Put32(wav, 16);
    Put16(wav, 1); // PCM
    Put16(wav, 1); // mono
    Put32(wav, static_cast<quint32>(sampleRate));
    Put32(wav, static_cast<quint32>(sampleRate * 2));
    Put16(wav, 2);
    Put16(wav, 16);
    wav.append("data", 4);
    Put32(wav, static_cast<quint32>(pcm.size()));
    wav.append(pcm);
    return wav;
}

QImage PaintCursor()
{
    // A play triangle on the transparent colour (the bottom-left pixel).
    QImage image(25, 25, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter p(&image);
    QPainterPath tri;
    tri.moveTo(5, 3);
    tri.lineTo(22, 12.5);
    tri.lineTo(5, 22);
    tri.closeSubpath();
    p.fillPath(tri, QColor(255, 200, 60));
    return image;
}

QImage PaintRowNumber(int n)
{
    QImage image(36, 36, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 64, 122));
    p.drawEllipse(QRectF(2, 2, 32, 32));
    p.setFont(SkinFont(18, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 36, 36), Qt::AlignCenter, n == 10 ? QStringLiteral("0") : QString::number(n));
    p.end();
    image.setPixelColor(0, 35, QColor(255, 0, 255));
    return image;
}

QByteArray FontsConf()
{
    QString text = QStringLiteral("<?xml version=\"1.0\"?>\n"
                                  "<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                                  "<!-- The Windows font names the skin uses, served by WenQuanYi Zen Hei. -->\n"
                                  "<fontconfig>\n"
                                  "  <include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n"
                                  "  <dir>/usr/share/fonts/truetype/wqy</dir>\n");
    for (const char* family :
         {"黑体", "宋体", "SimHei", "SimSun", "新宋体", "NSimSun", "微软雅黑", "Microsoft YaHei"}) {
        text += QStringLiteral("  <match target=\"pattern\">\n    <test name=\"family\"><string>%1</string></test>\n"
                               "    <edit name=\"family\" mode=\"prepend\" binding=\"strong\"><string>WenQuanYi Zen "
                               "Hei</string></edit>\n"
                               "  </match>\n")
                    .arg(QString::fromUtf8(family));
    }
    text += QStringLiteral("</fontconfig>\n");
    return text.toUtf8();
}
