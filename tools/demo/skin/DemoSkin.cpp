#include "tools/demo/skin/DemoSkin.h"

#include "core/Exception.h"
#include "core/Gbk.h"
#include "tools/demo/skin/SkinArt.h"
#include "tools/demo/skin/SkinData.h"
#include "tools/demo/skin/SkinMedia.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSet>
#include <QtConcurrent/QtConcurrentMap>
#include <cmath>
#include <functional>
#include <memory>

namespace {

struct TResolution
{
    const char* folder;
    double scale;
};
constexpr TResolution kResolutions[] = {{"1024x768", 1.0}, {"800x600", 800.0 / 1024.0}};

class TWriter
{
public:
    bool Ok() const { return m_sError.isEmpty(); }
    const QString& Error() const { return m_sError; }

    bool Folder(const QString& path)
    {
        if (!Ok())
            return false;
        if (!QDir().mkpath(path))
            m_sError = path + QStringLiteral(": cannot create the folder");
        return Ok();
    }
    void Bytes(const QString& path, const QByteArray& bytes)
    {
        if (!Ok())
            return;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            m_sError = path + QStringLiteral(": ") + file.errorString();
    }
    void Picture(const QString& path, const QImage& image, const char* format, int quality = -1)
    {
        if (!Ok())
            return;
        QImageWriter writer(path, format);
        if (quality >= 0)
            writer.setQuality(quality);
        if (!writer.write(image))
            m_sError = path + QStringLiteral(": ") + writer.errorString();
    }

private:
    QString m_sError;
};

QImage PaintLogo(const QImage& portalBase, double scale)
{
    // The still of the public logo movie: the banner plate behind it with a badge.
    const QRect r = ScaleRect(QRect(16, 10, 68, 68), scale);
    QImage image = portalBase.copy(r);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-r.x(), -r.y());
    p.scale(scale, scale);
    QRadialGradient g(QPointF(44, 34), 40);
    g.setColorAt(0, QColor(255, 120, 200));
    g.setColorAt(1, QColor(140, 20, 120));
    p.setPen(QPen(QColor(255, 210, 90), 2.5));
    p.setBrush(g);
    p.drawEllipse(QPointF(50, 44), 31, 31);
    DrawIcon(p, QStringLiteral("mic"), QRectF(34, 18, 32, 32), Qt::white);
    p.setFont(SkinFont(15, true));
    p.setPen(QColor(255, 236, 150));
    p.drawText(QRectF(19, 50, 62, 20), Qt::AlignCenter, QStringLiteral("KTV"));
    return image;
}

QByteArray SongListIni(double scale)
{
    auto n = [scale](int v) { return QString::number(static_cast<int>(std::lround(v * scale))); };
    QString t;
    auto section = [&t](const char* name) {
        t += (t.isEmpty() ? QString() : QStringLiteral("\r\n")) + u'[' + QLatin1String(name) + QStringLiteral("]\r\n");
    };
    auto value = [&t](const char* key, const QString& v) {
        t += QLatin1String(key) + u'=' + v + QStringLiteral("\r\n");
    };
    // The text look the lists share: font, colours, label shadow.
    auto look = [&](int fontPx, bool songColours) {
        value("FontSize", n(fontPx));
        value("FontName", QStringLiteral("黑体"));
        value("FontColor", QStringLiteral("16777215"));
        value("SelColor", QStringLiteral("65535"));
        if (songColours)
            value("TitleColor", QStringLiteral("3983615"));
        value("OverColor", QStringLiteral("16763955"));
        if (songColours)
            value("SingerColor", QStringLiteral("16763955"));
        value("ShadowColor", QStringLiteral("0"));
        value("ShadowWidth", QStringLiteral("1"));
        value("ShadowStyle", QStringLiteral("2"));
    };
    t += QStringLiteral("; List layout of this skin. Colours are Windows colour values (0x00BBGGRR).\r\n");
    section("Song");
    value("Top", n(150));
    value("Left", n(40));
    value("Height", n(43));
    value("Space", n(4));
    value("PageItems", QStringLiteral("10"));
    look(17, true);
    section("Func");
    value("Top", n(100));
    value("Left", n(708));
    value("Height", n(50));
    value("Space", n(4));
    value("Width", n(50));
    look(16, false);
    section("Order");
    value("Top", n(110));
    value("Left", n(40));
    value("Height", n(47));
    value("Space", n(4));
    value("PageItems", QStringLiteral("10"));
    look(17, false);
    section("Singer");
    value("SingerColor", QStringLiteral("16763955"));
    return ToNarrow(t);
}

// Renders one screen: its background with every face and the hover picture of each own control.
void WriteScreen(TWriter& out, const QString& dir, const TSkinScreen& s, const TSkinTree& tree, double scale)
{
    const QImage base = PaintScreenBase(s, scale);
    QImage background = base;
    {
        QPainter p(&background);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(scale, scale);
        for (const TSkinControl& c : s.controls)
            if (!c.hoverOnly)
                PaintFace(p, c, false);
        if (!s.popup)
            for (const TSkinControl& c : tree.publicButtons)
                PaintFace(p, c, false);
    }
    out.Picture(dir + s.BackgroundFile(), background, "jpg", 90);
    for (const TSkinControl& c : s.controls) {
        if (!c.HasHover())
            continue;
        const QRect r = ScaleRect(c.rect, scale, c.fixedWidth);
        QImage hover = base.copy(r);
        QPainter p(&hover);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.translate(-r.x(), -r.y());
        p.scale(scale, scale);
        PaintFace(p, c, true);
        p.end();
        out.Picture(dir + HoverFile(s.name, c.name), hover, "jpg", 92);
    }
}

void WriteSkin(TWriter& out, const QString& dir, const TSkinTree& tree, double scale)
{
    if (!out.Folder(dir))
        return;
    out.Bytes(dir + QStringLiteral("buttons.xml"), SkinXml(tree, scale));
    out.Bytes(dir + QStringLiteral("SongList.ini"), SongListIni(scale));
    out.Picture(dir + QStringLiteral("ico.bmp"), PaintFocusFrame(), "bmp");
    QSet<QString> done;
    for (const auto& [path, screen] : AllScreens(tree)) {
        if (done.contains(screen->name))
            continue; // the same screen under two paths
        done.insert(screen->name);
        WriteScreen(out, dir, *screen, tree, scale);
    }
    // Public buttons: their hover pictures, cut from a full screen's bottom bar.
    const QImage base = PaintScreenBase(*tree.portal, scale);
    for (const TSkinControl& c : tree.publicButtons) {
        const QRect r = ScaleRect(c.rect, scale);
        QImage hover = base.copy(r);
        QPainter p(&hover);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-r.x(), -r.y());
        p.scale(scale, scale);
        PaintFace(p, c, true);
        p.end();
        out.Picture(dir + HoverFile(QString(), c.name), hover, "jpg", 92);
    }
    out.Picture(dir + QStringLiteral("logo.png"), PaintLogo(base, scale), "png");
}

} // namespace

bool WriteDemoSkin(const QString& exeDir, int singerPhotos, QString* error)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (error)
            *error = QStringLiteral("drawing the skin needs a QGuiApplication");
        return false;
    }
    const QString root = QDir(exeDir).absolutePath() + u'/';
    const QString images = root + QStringLiteral("Images/");

    // Independent pieces, drawn in parallel: one per skin, the photos in slices, the rest.
    struct TJob
    {
        std::function<void(TWriter&)> run;
        TWriter out;
    };
    std::vector<TJob> jobs;
    for (const char* folder : kDemoSkinFolders) {
        std::shared_ptr<const TSkinTree> tree;
        try {
            tree = std::make_shared<const TSkinTree>(LoadSkinTree(QLatin1String(folder) == QLatin1String("English")));
        } catch (const Exception& e) {
            if (error)
                *error = e.Message();
            return false;
        }
        for (const TResolution& res : kResolutions) {
            const QString dir = images + QLatin1String(folder) + u'/' + QLatin1String(res.folder) + u'/';
            const double scale = res.scale;
            jobs.push_back({[tree, dir, scale](TWriter& out) { WriteSkin(out, dir, *tree, scale); }, {}});
        }
    }
    const QString star = images + QStringLiteral("Star/");
    const int slices = 4;
    for (int slice = 0; slice < slices; ++slice)
        jobs.push_back({[star, slice, singerPhotos](TWriter& out) {
                            if (!out.Folder(star))
                                return;
                            if (slice == 0)
                                out.Picture(star + QStringLiteral("default.jpg"), PaintDefaultPhoto(), "jpg", 88);
                            for (int n = 1 + slice; n <= singerPhotos && out.Ok(); n += slices)
                                out.Picture(star + QStringLiteral("S%1.jpg").arg(n, 5, 10, QLatin1Char('0')),
                                            PaintSingerPhoto(n), "jpg", 85);
                        },
                        {}});
    jobs.push_back({[images, root](TWriter& out) {
                        const QString ad = images + QStringLiteral("Ad/");
                        // JPEG pictures, one in a sub-folder, and a bitmap: the station shows
                        // the JPEG pictures first, each folder before its sub-folders.
                        if (out.Folder(ad) && out.Folder(ad + QStringLiteral("Party/"))) {
                            for (int i = 0; i < AdvertCount() - 2; ++i)
                                out.Picture(ad + QStringLiteral("ad%1.jpg").arg(i + 1), PaintAdvert(i), "jpg", 88);
                            const int last = AdvertCount() - 1;
                            out.Picture(ad + QStringLiteral("Party/ad%1.jpg").arg(last), PaintAdvert(last - 1), "jpg",
                                        88);
                            out.Picture(ad + QStringLiteral("ad%1.bmp").arg(last + 1), PaintAdvert(last), "bmp");
                        }
                        const QString osd = images + QStringLiteral("OSD/");
                        if (out.Folder(osd)) {
                            // Each picture's sound: a rising, falling or bright glide of its own.
                            const double glides[][3] = {{0.6, 660, 990},  {0.7, 400, 180}, {0.8, 520, 780},
                                                        {0.5, 880, 1320}, {0.9, 523, 784}, {0.6, 440, 660}};
                            for (int n = 1; n <= OsdCount(); ++n) {
                                out.Picture(osd + QStringLiteral("%1.bmp").arg(n), PaintOsdPicture(n), "bmp");
                                out.Bytes(osd + QStringLiteral("%1.wav").arg(n),
                                          ToneWav(glides[n - 1][0], glides[n - 1][1], glides[n - 1][2]));
                            }
                        }
                        if (out.Folder(images)) {
                            out.Picture(images + QStringLiteral("Cursor.BMP"), PaintCursor(), "bmp");
                            for (int n = 1; n <= 12; ++n)
                                out.Picture(images + QStringLiteral("%1.bmp").arg(n), PaintRowNumber(n), "bmp");
                        }
                        out.Bytes(root + QStringLiteral("fonts.conf"), FontsConf());
                    },
                    {}});
    // Shared folders and the font family are made ready before the threads start.
    QDir().mkpath(star);
    SkinFontFamily();
    QtConcurrent::blockingMap(jobs, [](TJob& job) { job.run(job.out); });
    for (const TJob& job : jobs)
        if (!job.out.Ok()) {
            if (error)
                *error = job.out.Error();
            return false;
        }
    return true;
}
