// The handwriting road on a real X server (Xvfb, no window manager): from
// the portal the guest opens the handwriting screen, writes a character on
// the pad with the pointer, chooses it among the candidates and orders a
// song of the list it narrowed. With VOD_SHOTS set the screen is also saved
// as handwriting.png (scripts/screenshots.sh).
#include "playback/StationShot.h"
#include "support/HandwritingInk.h"
#include "tests/e2e/StationRun.h"

#include <QDomDocument>
#include <QFileInfo>

using namespace e2e;

namespace {

const QString kXvfb = QStringLiteral("/usr/bin/Xvfb");
const QString kXdotool = QStringLiteral("/usr/bin/xdotool");
// Default bindings of keyboard.ini.
constexpr int kOcr = 227, kDelSong = 46;

// The rectangles of a screen's controls in the skin file (design pixels of
// the 1024 x 768 skin, which is the screen's own size here).
QHash<QString, QRect> ControlRects(const QString& skinFile, const QString& screen)
{
    QHash<QString, QRect> rects;
    QFile file(skinFile);
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file))
        return rects;
    const QDomElement node = doc.elementsByTagName(screen).at(0).toElement();
    for (QDomElement e = node.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        rects.insert(e.tagName(), QRect(e.attribute("left").toInt(), e.attribute("top").toInt(),
                                        e.attribute("width").toInt(), e.attribute("height").toInt()));
    return rects;
}

class Pointer
{
public:
    explicit Pointer(const QProcessEnvironment& env) : m_env(env) {}
    bool Run(const QStringList& args) const
    {
        QProcess xdotool;
        xdotool.setProcessEnvironment(m_env);
        xdotool.start(kXdotool, args);
        return xdotool.waitForFinished(20000) && xdotool.exitCode() == 0;
    }
    bool Click(QPoint at) const
    {
        return Run({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }
    // Each stroke pressed, moved through its points in small steps and
    // released, as a finger draws it.
    bool Draw(const QList<QList<QPoint>>& strokes) const
    {
        for (const QList<QPoint>& stroke : strokes) {
            QStringList args{
                "mousemove", "--sync", QString::number(stroke.first().x()), QString::number(stroke.first().y()),
                "mousedown", "1"};
            QPoint last = stroke.first();
            for (const QPoint& to : stroke.mid(1)) {
                const int n = std::max(1, int(std::hypot(to.x() - last.x(), to.y() - last.y()) / 8));
                for (int k = 1; k <= n; ++k) {
                    const QPoint p = last + (to - last) * k / n;
                    args << "mousemove"
                         << "--sync" << QString::number(p.x()) << QString::number(p.y());
                }
                last = to;
            }
            args << "mouseup"
                 << "1";
            if (!Run(args))
                return false;
        }
        return true;
    }

private:
    QProcessEnvironment m_env;
};

// name=caption lines of the front screen as a map.
QHash<QString, QString> LabelMap(const QString& labels)
{
    QHash<QString, QString> out;
    for (const QString& line : labels.split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            out.insert(line.left(eq), line.mid(eq + 1));
    }
    return out;
}

// The candidate label showing the character, or -1.
int CandidateOf(const QHash<QString, QString>& labels, const QString& character)
{
    for (int i = 0; i < 10; ++i)
        if (labels.value(QStringLiteral("words%1").arg(i)) == character)
            return i;
    return -1;
}

} // namespace

TEST(HandwritingE2e, AGuestWritesACharacterChoosesItAndOrdersASong)
{
    if (!QFile::exists(kXvfb) || !QFile::exists(kXdotool))
        GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup.sh installs them)";
    ASSERT_FALSE(ink::Medians().isEmpty()) << "no stroke data (VOD_SOURCE_DIR)";
    testsupport::ChildProcess xvfb(kXvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                           QStringLiteral("0"), QStringLiteral("1024x768x24"),
                                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ASSERT_TRUE(WaitUntil([&] { return !xvfb.Lines().isEmpty(); }, 15000)) << "Xvfb did not start";

    Station s(400);
    ASSERT_TRUE(s.Ready());
    QProcessEnvironment env = s.Env();
    env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + xvfb.Lines().first());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    Program station(ExeDir() + QStringLiteral("/vod"), {}, env);
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"), 60000)) << qPrintable(station.Errors());
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));

    // A song whose name starts with a character the stroke data holds and
    // the model reads reliably.
    QString character, songName;
    {
        DbConnection db;
        db.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data/kroom.db"), s.Dir());
        for (const QString& c : QStringList{"大", "小", "我", "明", "风", "夜", "家", "海", "空", "城", "雨", "你"}) {
            const QVariant name =
                db.Scalar(QStringLiteral("select Name from original where Name like ?"), {c + QLatin1Char('%')});
            if (!name.isNull()) {
                character = c;
                songName = name.toString();
                break;
            }
        }
    }
    ASSERT_FALSE(character.isEmpty()) << "the demo catalogue has no name the stroke data can write";

    // The portal's handwriting key opens the screen.
    ASSERT_TRUE(s.PostKey(kOcr));
    ASSERT_TRUE(WaitUntil([&] { return s.Labels().startsWith(QStringLiteral("screen=frmocr")); }))
        << qPrintable(s.Labels()) << qPrintable(s.Log());
    const QHash<QString, QRect> rects =
        ControlRects(s.Path(QStringLiteral("Images/Chinese/1024x768/buttons.xml")), QStringLiteral("frmocr"));
    ASSERT_TRUE(rects.contains(QStringLiteral("write")) && rects.contains(QStringLiteral("songname0")));
    const QRect pad = rects.value(QStringLiteral("write"));
    const Pointer pointer(env);

    // Write the character over the pad; it is offered, and choosing it
    // narrows the list.
    ASSERT_TRUE(pointer.Draw(ink::Place(ink::Medians().value(character), pad.adjusted(10, 10, -10, -10))));
    int at = -1;
    EXPECT_TRUE(WaitUntil([&] { return (at = CandidateOf(LabelMap(s.Labels()), character)) >= 0; }, 10000))
        << qPrintable(s.Labels());
    ASSERT_GE(at, 0);
    ASSERT_TRUE(pointer.Click(rects.value(QStringLiteral("words%1").arg(at)).center()));
    ASSERT_TRUE(WaitUntil([&] { return LabelMap(s.Labels()).value(QStringLiteral("Input")) == character; }))
        << qPrintable(s.Labels());
    EXPECT_TRUE(LabelMap(s.Labels()).value(QStringLiteral("songname0")).startsWith(character))
        << qPrintable(s.Labels());

    // The next character's ink, its candidates and the narrowed list: the
    // picture of the screen.
    const QString shots = qEnvironmentVariable("VOD_SHOTS");
    if (!shots.isEmpty()) {
        ASSERT_TRUE(
            pointer.Draw(ink::Place(ink::Medians().value(QStringLiteral("我")), pad.adjusted(40, 20, -40, -20))));
        ASSERT_TRUE(WaitUntil([&] { return !LabelMap(s.Labels()).value(QStringLiteral("words0")).isEmpty(); }));
        QDir().mkpath(shots);
        const QString shot = s.Dir() + QStringLiteral("/shot18.png");
        ASSERT_TRUE(s.Post(kMsgTestScreenshot, 18, 0));
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(shot); }));
        QFile::remove(shots + QStringLiteral("/handwriting.png"));
        ASSERT_TRUE(QFile::copy(shot, shots + QStringLiteral("/handwriting.png")));
        ASSERT_TRUE(s.PostKey(kDelSong)); // the ink goes, the input stays
    }

    // A touch on the first row orders its song.
    ASSERT_TRUE(pointer.Click(rects.value(QStringLiteral("songname0")).center()));
    ASSERT_TRUE(WaitUntil([&] { return s.Queue().size() == 1; })) << qPrintable(s.Log());
    EXPECT_TRUE(s.Queue().first().name.startsWith(character)) << qPrintable(s.Queue().first().name);

    ASSERT_TRUE(s.Post(kMsgTestCloseStation, 0, 0));
    EXPECT_TRUE(station.WaitForExit(15000));
}
