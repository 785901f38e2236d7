// The handwriting road on a real X server (Xvfb, no window manager): from
// the portal the guest opens the handwriting screen, writes a character on
// the pad with the pointer, chooses it among the candidates and orders a
// song of the list it narrowed. With VOD_SHOTS set, pictures of the screen
// with ink and candidates in both languages and skin sizes
// (scripts/screenshots.sh).
#include "playback/StationShot.h"
#include "support/HandwritingInk.h"
#include "tests/e2e/StationRun.h"

#include <QDomDocument>
#include <QFileInfo>
#include <QImage>

using namespace e2e;

namespace {

const QString kXvfb = QStringLiteral("/usr/bin/Xvfb");
const QString kXdotool = QStringLiteral("/usr/bin/xdotool");
// Default bindings of keyboard.ini.
constexpr int kOcr = 227, kDelSong = 46;

// The rectangles of a screen's controls in the skin file (screen pixels of
// the skin's size, which is the screen's own size here).
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

// The station on its own X server of the given size, in the given language
// (LangType: 1 Chinese, 0 English), showing the handwriting screen.
class PadStation
{
public:
    PadStation(int width, int height, bool english, int songs = 400)
        : s(songs), m_xvfb(kXvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                   QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(width).arg(height),
                                   QStringLiteral("-nolisten"), QStringLiteral("tcp")}),
          m_size(width, height), m_bEnglish(english)
    {
    }

    // Starts the station and opens the handwriting screen; false (with the
    // test failed) when something on the way does not come.
    bool Open()
    {
        if (!s.Ready())
            return Fail("no demo installation");
        if (!WaitUntil([&] { return !m_xvfb.Lines().isEmpty(); }, 15000))
            return Fail("Xvfb did not start");
        s.SetSettings({{QStringLiteral("LangType"), QLatin1String(m_bEnglish ? "0" : "1")}});
        QProcessEnvironment env = s.Env();
        env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + m_xvfb.Lines().first());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_pointer = std::make_unique<Pointer>(env);
        m_station = std::make_unique<Program>(ExeDir() + QStringLiteral("/vod"), QStringList(), env);
        if (!s.WaitForLog(QStringLiteral("总计耗时:"), 60000) || !WaitUntil([&] { return !s.Window().IsNull(); }))
            return Fail("the station did not start: " + m_station->Errors());
        // The portal's handwriting key opens the screen.
        if (!s.PostKey(kOcr) || !WaitUntil([&] { return s.Labels().startsWith(QStringLiteral("screen=frmocr")); }))
            return Fail("no handwriting screen: " + s.Labels());
        m_rects = ControlRects(s.Path(QStringLiteral("Images/%1/%2x%3/buttons.xml")
                                          .arg(QLatin1String(m_bEnglish ? "English" : "Chinese"))
                                          .arg(m_size.width())
                                          .arg(m_size.height())),
                               QStringLiteral("frmocr"));
        if (!m_rects.contains(QStringLiteral("write")) || !m_rects.contains(QStringLiteral("songname0")))
            return Fail("the skin has no pad or no song rows");
        return true;
    }

    // Writes the character over the pad but for `inset` of its size on each
    // side.
    bool Write(const QString& character, double inset = 0.03)
    {
        const QRect pad = m_rects.value(QStringLiteral("write"));
        const int dx = int(pad.width() * inset), dy = int(pad.height() * inset);
        return m_pointer->Draw(ink::Place(ink::Medians().value(character), pad.adjusted(dx, dy, -dx, -dy)));
    }
    // The candidate cell showing the character once it is offered, or -1.
    int WaitForCandidate(const QString& character)
    {
        int at = -1;
        WaitUntil(
            [&] {
                const QHash<QString, QString> labels = Labels();
                for (int i = 0; i < 10 && at < 0; ++i)
                    if (labels.value(QStringLiteral("words%1").arg(i)) == character)
                        at = i;
                return at >= 0;
            },
            10000);
        return at;
    }
    bool Touch(const QString& control) const
    {
        return m_rects.contains(control) && m_pointer->Click(m_rects.value(control).center());
    }
    QHash<QString, QString> Labels() const { return LabelMap(s.Labels()); }

    // The screen as the station draws it, saved under that name.
    bool Shot(const QString& target)
    {
        static int n = 180;
        ++n;
        const QString shot = s.Dir() + QStringLiteral("/shot%1.png").arg(n);
        if (!s.Post(kMsgTestScreenshot, n, 0) || !WaitUntil([&] { return QFileInfo::exists(shot); }))
            return Fail("no screenshot");
        QFile::remove(target);
        return QFile::copy(shot, target) && QImage(target).size() == m_size;
    }

    bool Close() { return s.Post(kMsgTestCloseStation, 0, 0) && m_station->WaitForExit(15000); }

    Station s;

private:
    bool Fail(const QString& why) const
    {
        ADD_FAILURE() << qPrintable(why) << '\n' << qPrintable(s.Log());
        return false;
    }

    testsupport::ChildProcess m_xvfb;
    QSize m_size;
    bool m_bEnglish;
    std::unique_ptr<Pointer> m_pointer;
    std::unique_ptr<Program> m_station;
    QHash<QString, QRect> m_rects;
};

bool CanDraw()
{
    return QFile::exists(kXvfb) && QFile::exists(kXdotool);
}

// Characters the stroke data holds and the model reads reliably.
bool Writable(QChar c)
{
    static const QString reliable = QStringLiteral("大小我明风夜家海空城雨你");
    return reliable.contains(c) && ink::Medians().contains(QString(c));
}

// The writable first character most of the catalogue's song names start
// with, among those another writable character follows in some names, and
// the character that follows it most often (empty when there is none).
QString WritableStart(const Station& s)
{
    QHash<QChar, int> names;
    QHash<QString, int> pairs;
    for (const QString& name : Query(s, QStringLiteral("select Name from original order by Name"))) {
        if (name.isEmpty() || !Writable(name.at(0)))
            continue;
        ++names[name.at(0)];
        if (name.size() > 1 && name.at(1) != name.at(0) && Writable(name.at(1)))
            ++pairs[name.left(2)];
    }
    QString best;
    const auto better = [&](const QString& a, const QString& b) {
        return std::pair(names.value(a.at(0)), pairs.value(a)) > std::pair(names.value(b.at(0)), pairs.value(b));
    };
    for (auto it = pairs.cbegin(); it != pairs.cend(); ++it)
        if (best.isEmpty() || better(it.key(), best))
            best = it.key();
    return best;
}

} // namespace

TEST(HandwritingE2e, AGuestWritesACharacterChoosesItAndOrdersASong)
{
    if (!CanDraw())
        GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup.sh installs them)";
    ASSERT_FALSE(ink::Medians().isEmpty()) << "no stroke data (VOD_SOURCE_DIR)";
    PadStation station(1024, 768, false);
    ASSERT_TRUE(station.Open());
    const QString character = WritableStart(station.s).left(1);
    ASSERT_FALSE(character.isEmpty()) << "the demo catalogue has no name the stroke data can write";

    // Write the character over the pad; it is offered, and choosing it
    // narrows the list.
    ASSERT_TRUE(station.Write(character));
    const int at = station.WaitForCandidate(character);
    ASSERT_GE(at, 0) << qPrintable(station.s.Labels());
    ASSERT_TRUE(station.Touch(QStringLiteral("words%1").arg(at)));
    ASSERT_TRUE(WaitUntil([&] { return station.Labels().value(QStringLiteral("Input")) == character; }))
        << qPrintable(station.s.Labels());
    EXPECT_TRUE(station.Labels().value(QStringLiteral("songname0")).startsWith(character))
        << qPrintable(station.s.Labels());

    // Ink of a next character, erased: the input stays.
    ASSERT_TRUE(station.Write(QStringLiteral("我"), 0.1));
    ASSERT_TRUE(WaitUntil([&] { return !station.Labels().value(QStringLiteral("words0")).isEmpty(); }));
    ASSERT_TRUE(station.s.PostKey(kDelSong));
    ASSERT_TRUE(WaitUntil([&] { return station.Labels().value(QStringLiteral("words0")).isEmpty(); }));
    EXPECT_EQ(station.Labels().value(QStringLiteral("Input")), character);

    // A touch on the first row orders its song.
    ASSERT_TRUE(station.Touch(QStringLiteral("songname0")));
    ASSERT_TRUE(WaitUntil([&] { return station.s.Queue().size() == 1; })) << qPrintable(station.s.Log());
    EXPECT_TRUE(station.s.Queue().first().name.startsWith(character)) << qPrintable(station.s.Queue().first().name);
    EXPECT_TRUE(station.Close());
}

// Pictures for the README: the first character of a song name chosen, the
// second written on the pad with its candidates offered, in each language
// and skin size; handwriting.png is the Chinese one at 1024 x 768.
TEST(HandwritingE2e, Screenshots)
{
    const QString shots = qEnvironmentVariable("VOD_SHOTS");
    if (shots.isEmpty())
        GTEST_SKIP() << "VOD_SHOTS names no folder";
    if (!CanDraw())
        GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup.sh installs them)";
    QDir().mkpath(shots);
    const struct
    {
        const char* lang;
        int width, height;
    } runs[] = {{"zh", 1024, 768}, {"en", 1024, 768}, {"zh", 800, 600}, {"en", 800, 600}};
    for (const auto& run : runs) {
        // A catalogue large enough to fill the list with the songs of one
        // first character.
        PadStation station(run.width, run.height, QLatin1String(run.lang) == QLatin1String("en"), 3000);
        ASSERT_TRUE(station.Open());
        const QString name = WritableStart(station.s);
        ASSERT_EQ(name.size(), 2) << "the demo catalogue has no name the stroke data can write";
        ASSERT_TRUE(station.Write(name.left(1)));
        const int at = station.WaitForCandidate(name.left(1));
        ASSERT_GE(at, 0);
        ASSERT_TRUE(station.Touch(QStringLiteral("words%1").arg(at)));
        ASSERT_TRUE(WaitUntil([&] { return station.Labels().value(QStringLiteral("Input")) == name.left(1); }));
        ASSERT_TRUE(station.Write(name.mid(1, 1), 0.08));
        // The picture wants the character offered, but any candidates will do.
        if (station.WaitForCandidate(name.mid(1, 1)) < 0) {
            ASSERT_FALSE(station.Labels().value(QStringLiteral("words0")).isEmpty()) << qPrintable(station.s.Labels());
        }
        const QString file =
            shots +
            QStringLiteral("/handwriting-%1-%2x%3.png").arg(QLatin1String(run.lang)).arg(run.width).arg(run.height);
        ASSERT_TRUE(station.Shot(file));
        EXPECT_TRUE(station.Close());
    }
    QFile::remove(shots + QStringLiteral("/handwriting.png"));
    EXPECT_TRUE(QFile::copy(shots + QStringLiteral("/handwriting-zh-1024x768.png"),
                            shots + QStringLiteral("/handwriting.png")));
}
