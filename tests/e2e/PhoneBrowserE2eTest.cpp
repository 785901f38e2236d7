// A guest's phone as it really is: a headless Chromium, driven by WebDriver,
// opens the address read off the room's screen, searches, orders and moves a
// song to the front, and follows the queue as the player plays it; the
// queue file and the terminal's ordered-songs screen say the same. Pages of
// an old booking and a made-up token are refused, a locked room tells the
// guest so, and the page runs only its own code.
#include "tests/e2e/PhoneRoom.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace e2e;

namespace {

// The browser, one command a line (tests/e2e/phone_browser.py).
class Browser
{
public:
    Browser()
    {
        const QString script = qEnvironmentVariable("VOD_SOURCE_DIR") + QStringLiteral("/tests/e2e/phone_browser.py");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"), {script});
        const QJsonObject hello = ReadAnswer(60000);
        m_bReady = hello.value(QStringLiteral("ok")).toBool();
        m_sError = hello.value(QStringLiteral("error")).toString();
    }
    ~Browser()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(15000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool Ready() const { return m_bReady; }
    const QString& Error() const { return m_sError; }

    // Runs a command; its value (null when it failed, the reason in Error()).
    QJsonValue Do(const QJsonObject& command)
    {
        m_process.write(QJsonDocument(command).toJson(QJsonDocument::Compact) + '\n');
        const QJsonObject answer = ReadAnswer(30000);
        m_sError = answer.value(QStringLiteral("error")).toString();
        return answer.value(QStringLiteral("ok")).toBool() ? answer.value(QStringLiteral("value")) : QJsonValue();
    }
    void Open(const QString& url) { Do({{QStringLiteral("open"), url}}); }
    bool Click(const QString& css) { return Do({{QStringLiteral("click"), css}}).toBool(); }
    bool Type(const QString& css, const QString& text)
    {
        return Do({{QStringLiteral("type"), QJsonArray{css, text}}}).toBool();
    }
    QStringList Texts(const QString& css) { return List(Do({{QStringLiteral("texts"), css}})); }
    QString Text(const QString& css) { return Texts(css).join(u'\n'); }
    QStringList Attributes(const QString& css, const QString& name)
    {
        return List(Do({{QStringLiteral("attrs"), QJsonArray{css, name}}}));
    }
    QStringList Console() { return List(Do({{QStringLiteral("console"), true}})); }
    QJsonValue Script(const QString& js) { return Do({{QStringLiteral("script"), js}}); }
    // Waits until the visible text of the matches contains text.
    bool WaitText(const QString& css, const QString& text, int timeoutMs = 15000)
    {
        return WaitUntil([&] { return Text(css).contains(text); }, timeoutMs);
    }
    // The song numbers of a list of the page, top first.
    QStringList Songs(const QString& list)
    {
        return Attributes(list + QStringLiteral(" li[data-no]"), QStringLiteral("data-no"));
    }

private:
    static QStringList List(const QJsonValue& value)
    {
        QStringList out;
        for (const QJsonValue& v : value.toArray())
            out << v.toString();
        return out;
    }
    QJsonObject ReadAnswer(int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (!m_process.canReadLine()) {
            if (t.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return {{QStringLiteral("error"), QStringLiteral("the browser did not answer")}};
            m_process.waitForReadyRead(200);
        }
        return QJsonDocument::fromJson(m_process.readLine()).object();
    }

    QProcess m_process;
    bool m_bReady = false;
    QString m_sError;
};

QString Css(const QString& list, const QString& songNo, const QString& button)
{
    return QStringLiteral("%1 li[data-no='%2'] %3").arg(list, songNo, button);
}

} // namespace

TEST(PhoneRemote, ARealBrowserJoinsByTheCodeOrdersAndFollowsTheQueue)
{
    PhoneRoom room;
    ASSERT_TRUE(room.Ready());
    Browser browser;
    ASSERT_TRUE(browser.Ready()) << qPrintable(browser.Error());
    const QString address = room.Address();
    ASSERT_FALSE(address.isEmpty()) << qPrintable(room.station().Log());

    // The guest's camera reads the code off the portal.
    ASSERT_TRUE(WaitUntil([&] { return room.Label(QStringLiteral("screen")) == QLatin1String("portal"); }));
    const QString scanned = room.ScanCode();
    ASSERT_EQ(scanned, address) << "zbarimg (zbar-tools) reads the room's code";
    browser.Open(scanned);
    // The page's own code runs under its policy and hears the room's state
    // over its live connection; code put into the page does not run.
    ASSERT_TRUE(browser.WaitText(QStringLiteral("#title"), QStringLiteral("手机点歌"))) << qPrintable(browser.Error());
    ASSERT_TRUE(browser.WaitText(QStringLiteral("#footNow"), QStringLiteral("正在播放")));
    for (const QString& line : browser.Console()) {
        if (line.contains(QLatin1String("Content Security Policy")) || line.contains(QLatin1String("Uncaught")) ||
            line.contains(QLatin1String("WebSocket")))
            ADD_FAILURE() << "console: " << qPrintable(line);
    }
    EXPECT_EQ(browser.Script(QStringLiteral("const s = document.createElement('script');"
                                            "s.textContent = 'window.injected = 1'; document.head.append(s);"
                                            "return window.injected === 1;")),
              QJsonValue(false));
    EXPECT_TRUE(browser.Console().join(u'\n').contains(QLatin1String("Content Security Policy")));

    // "bj" finds songs by their initials.
    ASSERT_TRUE(browser.Type(QStringLiteral("#q"), QStringLiteral("bj")));
    QStringList found;
    ASSERT_TRUE(WaitUntil([&] { return (found = browser.Songs(QStringLiteral("#results"))).size() >= 3; }));
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        const QStringList initials =
            Query(room.station(), QStringLiteral("select First_Char from original where SONGNO=?"), {found[i]});
        ASSERT_EQ(initials.size(), 1);
        EXPECT_TRUE(initials[0].startsWith(QLatin1String("BJ"))) << qPrintable(found[i] + u' ' + initials[0]);
        names << browser.Text(Css(QStringLiteral("#results"), found[i], QStringLiteral(".n")));
    }

    // The first order plays: the page shows it playing once the player
    // has marked it so in the queue file.
    ASSERT_TRUE(browser.Click(Css(QStringLiteral("#results"), found[0], QStringLiteral("button"))));
    ASSERT_TRUE(browser.WaitText(QStringLiteral("#footSong"), names[0], 20000))
        << qPrintable(browser.Text(QStringLiteral("#footSong")));
    const auto entry = [&](const QString& songNo) {
        for (const QueueEntry& e : room.station().Queue()) {
            if (e.songNo == songNo)
                return e;
        }
        return QueueEntry();
    };
    EXPECT_EQ(entry(found[0]).playing, QStringLiteral("1"));

    // Two more wait; the last moves to the front.
    for (int i = 1; i < 3; ++i) {
        ASSERT_TRUE(browser.Click(Css(QStringLiteral("#results"), found[i], QStringLiteral("button"))));
        ASSERT_TRUE(WaitUntil([&] { return entry(found[i]).playing == QLatin1String("0"); }));
    }
    ASSERT_TRUE(browser.Click(QStringLiteral("#tabQueue")));
    ASSERT_TRUE(WaitUntil([&] {
        return browser.Songs(QStringLiteral("#queueList")) == QStringList({found[1], found[2]});
    }));
    ASSERT_TRUE(browser.Click(Css(QStringLiteral("#queueList"), found[2], QStringLiteral("button.alt"))));
    ASSERT_TRUE(WaitUntil([&] {
        return browser.Songs(QStringLiteral("#queueList")) == QStringList({found[2], found[1]});
    }));
    EXPECT_TRUE(browser.WaitText(QStringLiteral("#nextSong"), names[2]));
    EXPECT_TRUE(WaitUntil([&] { return entry(found[2]).num > 0 && entry(found[2]).num < entry(found[1]).num; }));
    EXPECT_EQ(entry(found[0]).playing, QStringLiteral("1"));

    // The terminal's ordered-songs screen shows the same order.
    ASSERT_TRUE(room.station().PostKey(kPlaylistKey));
    ASSERT_TRUE(WaitUntil([&] { return room.Label(QStringLiteral("screen")) == QLatin1String("frmorder"); }));
    EXPECT_TRUE(WaitUntil([&] { return room.Label(QStringLiteral("songname0")).contains(names[2]); }));

    // A new booking: the open page is told its code has expired, and the
    // old address is refused, as is one with a made-up token.
    ASSERT_EQ(room.Control({QStringLiteral("time"), QStringLiteral("begin")}), 0);
    const QString renewed = room.Address(2);
    ASSERT_FALSE(renewed.isEmpty());
    EXPECT_TRUE(browser.WaitText(QStringLiteral("#banner"), QStringLiteral("二维码已过期")));
    for (const QString& refused : {address, QString(address).replace(QRegularExpression(QStringLiteral("t=.*$")),
                                                                     QStringLiteral("t=0123456789"))}) {
        browser.Open(refused);
        EXPECT_TRUE(browser.WaitText(QStringLiteral("body"), QStringLiteral("二维码已过期"))) << qPrintable(refused);
        EXPECT_TRUE(browser.Texts(QStringLiteral("#results")).isEmpty());
    }

    // Locked by the control server (another token again): the page says
    // so, and an order from it is refused and changes nothing.
    ASSERT_EQ(room.Control({QStringLiteral("cmd"), QStringLiteral("lock")}), 0);
    const QString locked = room.Address(3);
    ASSERT_FALSE(locked.isEmpty());
    const int queued = int(room.station().Queue().size());
    browser.Open(locked);
    EXPECT_TRUE(browser.WaitText(QStringLiteral("#banner"), QStringLiteral("房间已锁定")));
    ASSERT_TRUE(browser.Type(QStringLiteral("#q"), QStringLiteral("bj")));
    ASSERT_TRUE(WaitUntil([&] { return !browser.Songs(QStringLiteral("#results")).isEmpty(); }));
    ASSERT_TRUE(browser.Click(QStringLiteral("#results li[data-no] button")));
    EXPECT_TRUE(browser.WaitText(QStringLiteral("#toast"), QStringLiteral("房间已锁定")));
    EXPECT_EQ(int(room.station().Queue().size()), queued);
}
