// The window link between programs: datagram format, socket naming and the
// runtime folder, and real exchanges between this test and helper processes
// (this same binary, running the disabled test WindowLinkPeer.DISABLED_Run).
#include "platform/windowlink/WindowLink.h"

#include "core/Gbk.h"
#include "platform/windowlink/LinkDatagram.h"
#include "support/ChildProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace windowlink;

namespace {

QString UniqueCaption(const QString& stem)
{
    return testsupport::UniqueName(stem);
}

template <typename Pred> bool WaitUntil(Pred pred, int timeoutMs = 5000)
{
    return testsupport::WaitUntil(pred, timeoutMs);
}

// A helper process: this binary running WindowLinkPeer.DISABLED_Run, which
// registers a caption and writes "peer: ..." lines.
class Peer
{
public:
    Peer(const QString& caption, const QString& mode, const QString& replyTo = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VOD_LINK_PEER_CAPTION"), QString::fromLatin1(ToNarrow(caption).toHex()));
        env.insert(QStringLiteral("VOD_LINK_PEER_MODE"), mode);
        env.insert(QStringLiteral("VOD_LINK_PEER_REPLY"), QString::fromLatin1(ToNarrow(replyTo).toHex()));
        m_child.Start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--gtest_also_run_disabled_tests"),
                       QStringLiteral("--gtest_filter=WindowLinkPeer.DISABLED_Run")},
                      env);
    }

    // Waits for a "peer: " line starting with the text; gives it without the
    // prefix, or empty on timeout.
    QString WaitLine(const QString& start, int timeoutMs = 10000)
    {
        const QString line = m_child.WaitLine(kPrefix + start, timeoutMs);
        return line.isEmpty() ? line : line.mid(kPrefix.size());
    }
    QStringList Lines()
    {
        QStringList out;
        for (const QString& line : m_child.LinesStarting(kPrefix))
            out << line.mid(kPrefix.size());
        return out;
    }
    QProcess& Process() { return m_child.Process(); }

private:
    const QString kPrefix = QStringLiteral("peer: ");
    testsupport::ChildProcess m_child;
};

// Collects what a registered window of this process receives.
struct Inbox
{
    explicit Inbox(LinkWindow& window)
    {
        QObject::connect(&window, &LinkWindow::MessageReceived, &window,
                         [this](const WindowMessage& m) { messages.push_back(m); });
    }
    std::vector<WindowMessage> messages;
};

} // namespace

TEST(WindowLinkDatagram, RoundTripAndDamagedInput)
{
    Datagram d;
    d.kind = DatagramKind::CopyData;
    d.sequence = 77;
    d.wParam = -4;
    d.lParam = int64_t(0x8000000000000001ULL);
    d.data = QByteArray("\x00\xff\x01text", 7);
    const QByteArray bytes = EncodeDatagram(d);
    const std::optional<Datagram> back = DecodeDatagram(bytes.constData(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, DatagramKind::CopyData);
    EXPECT_EQ(back->sequence, 77u);
    EXPECT_EQ(back->wParam, -4);
    EXPECT_EQ(back->lParam, d.lParam);
    EXPECT_EQ(back->data, d.data);

    // Every cut of a valid datagram is refused, as are a padded one, a wrong
    // magic, an unknown kind and a post that carries bytes.
    for (qsizetype n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(DecodeDatagram(bytes.constData(), n)) << n;
    EXPECT_FALSE(DecodeDatagram((bytes + 'x').constData(), bytes.size() + 1));
    QByteArray bad = bytes;
    bad[0] = 'X';
    EXPECT_FALSE(DecodeDatagram(bad.constData(), bad.size()));
    bad = bytes;
    bad[4] = 9;
    EXPECT_FALSE(DecodeDatagram(bad.constData(), bad.size()));
    bad = bytes;
    bad[4] = char(DatagramKind::Post);
    EXPECT_FALSE(DecodeDatagram(bad.constData(), bad.size()));
    EXPECT_FALSE(DecodeDatagram(nullptr, 40));
}

TEST(WindowLinkFolder, NamesAndPermissions)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    const QByteArray folder = RuntimeFolder(true);
    EXPECT_EQ(folder, dir.path().toLocal8Bit() + "/vod-windows");
    struct stat st;
    ASSERT_EQ(::stat(folder.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A folder opened to others is closed again.
    ::chmod(folder.constData(), 0755);
    EXPECT_EQ(RuntimeFolder(false), folder);
    ::stat(folder.constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A folder of another user is refused.
    if (::getuid() == 0) {
        ASSERT_EQ(::chown(folder.constData(), 65534, 65534), 0);
        QString error;
        EXPECT_TRUE(RuntimeFolder(false, &error).isEmpty());
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(FindWindow(QStringLiteral("anything")));
        LinkWindow refused(QStringLiteral("anything"));
        EXPECT_FALSE(refused.IsRegistered());
        ::chown(folder.constData(), 0, 0);
    }

    // Captions become hex of their GBK bytes; long ones a hash that fits.
    EXPECT_EQ(SocketPathFor("/f", ToNarrow(QStringLiteral("播放A"))), QByteArray("/f/w-b2a5b7c541"));
    const QByteArray longPath = SocketPathFor(folder, QByteArray(200, 'x'));
    EXPECT_LE(longPath.size(), 107);
    EXPECT_NE(longPath, SocketPathFor(folder, QByteArray(201, 'x')));
    qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(WindowLinkLocal, PostsArriveInOrderAndUnknownCaptionsCostNothing)
{
    const QString caption = UniqueCaption(QStringLiteral("local"));
    LinkWindow window(caption);
    ASSERT_TRUE(window.IsRegistered()) << window.ErrorText().toStdString();
    Inbox inbox(window);

    // A second registration of a live caption fails; the first stays.
    LinkWindow twin(caption);
    EXPECT_FALSE(twin.IsRegistered());
    EXPECT_FALSE(twin.ErrorText().isEmpty());

    const WindowHandle h = FindWindow(caption);
    ASSERT_TRUE(h);
    // More than the socket queue holds: the sender waits for room and takes
    // in its own window's messages meanwhile.
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(PostMessage(h, 5000 + i, i, -i)) << i;
    ASSERT_TRUE(WaitUntil([&] { return inbox.messages.size() == 100; }));
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(inbox.messages[i].message, uint32_t(5000 + i));
        EXPECT_EQ(inbox.messages[i].wParam, i);
        EXPECT_EQ(inbox.messages[i].lParam, -i);
    }

    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 100; ++i)
        EXPECT_FALSE(PostMessage(FindWindow(UniqueCaption(QStringLiteral("nobody"))), 1, 2, 3));
    EXPECT_LT(t.elapsed(), 2000); // a post that waited would take 500 ms each
    EXPECT_FALSE(SendCopyData(WindowHandle(), 1, 2, "x"));
}

TEST(WindowLinkLocal, CopyDataToOwnWindowAndEventFilters)
{
    QWidget widget;
    auto* window = RegisterWindow(&widget, UniqueCaption(QStringLiteral("own")));
    ASSERT_TRUE(window->IsRegistered());
    QByteArray got;
    window->SetCopyDataHandler([&](const CopyDataRecord& r) {
        got = r.data;
        return int64_t(r.wParam * 100 + int64_t(r.dwData));
    });
    // Sent from the thread that owns the window: handled while the sender
    // waits, as a window of one's own program would be.
    const std::optional<int64_t> result = SendCopyData(window->Handle(), 4, 2, QByteArray("abc"));
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, 402);
    EXPECT_EQ(got, QByteArray("abc"));
    EXPECT_FALSE(SendCopyData(window->Handle(), 1, 0, QByteArray(kMaxCopyDataBytes + 1, 'x')));

    // An application event filter sees the messages first and may take them.
    struct Filter : QObject
    {
        int seen = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() != WindowMessageEvent::EventType())
                return false;
            ++seen;
            return static_cast<WindowMessageEvent*>(e)->Message().message == 7001;
        }
    } filter;
    QCoreApplication::instance()->installEventFilter(&filter);
    Inbox inbox(*window);
    PostMessage(window->Handle(), 7001, 0, 0);
    PostMessage(window->Handle(), 7002, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return inbox.messages.size() == 1; }));
    QCoreApplication::instance()->removeEventFilter(&filter);
    EXPECT_EQ(filter.seen, 2);
    EXPECT_EQ(inbox.messages[0].message, 7002u);

    // Restore shows the window; close closes it.
    EXPECT_FALSE(widget.isVisible());
    RestoreWindow(window->Handle());
    EXPECT_TRUE(WaitUntil([&] { return widget.isVisible(); }));
    PostClose(window->Handle());
    EXPECT_TRUE(WaitUntil([&] { return !widget.isVisible(); }));
}

TEST(WindowLinkProcesses, MessagesBothWaysWithGbkCaptions)
{
    const QString mine = UniqueCaption(QStringLiteral("点歌台"));
    const QString theirs = UniqueCaption(QStringLiteral("播放器窗口"));
    LinkWindow window(mine);
    ASSERT_TRUE(window.IsRegistered());
    Inbox inbox(window);
    Peer peer(theirs, QStringLiteral("echo"), mine);
    ASSERT_FALSE(peer.WaitLine(QStringLiteral("ready")).isEmpty());
    const WindowHandle h = FindWindow(theirs);
    ASSERT_TRUE(h);
    EXPECT_EQ(ToWide(h.Caption()), theirs);

    // Both sides post faster than the other reads: each echo needs room in
    // our queue while we still post, and nothing may stall or get lost.
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(PostMessage(h, 6000, i, i * 2)) << i;
    ASSERT_TRUE(WaitUntil([&] { return inbox.messages.size() == 200; }, 10000)) << inbox.messages.size();
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(inbox.messages[i].message, 6001u);
        EXPECT_EQ(inbox.messages[i].wParam, i);
    }

    // Copy-data: GBK bytes come through unchanged, the answer comes back.
    const QByteArray text = ToNarrow(QStringLiteral("欢迎光临 KTV"));
    const std::optional<int64_t> answer = SendCopyData(h, 4, 1, text);
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, text.size());
    EXPECT_EQ(peer.WaitLine(QStringLiteral("copy 4 1")),
              QStringLiteral("copy 4 1 ") + QString::fromLatin1(text.toHex()));

    EXPECT_TRUE(PostKeyDown(h, 38));
    EXPECT_EQ(peer.WaitLine(QStringLiteral("post 256")), QStringLiteral("post 256 38 0"));
    EXPECT_TRUE(PostClose(h));
    EXPECT_TRUE(peer.Process().waitForFinished(5000));
    EXPECT_EQ(peer.Process().exitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] { return !FindWindow(theirs); }, 2000));
}

TEST(WindowLinkProcesses, CopyDataTimesOutWhenTheReceiverHangs)
{
    const QString caption = UniqueCaption(QStringLiteral("hang"));
    Peer peer(caption, QStringLiteral("hang"));
    ASSERT_FALSE(peer.WaitLine(QStringLiteral("ready")).isEmpty());
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(SendCopyData(FindWindow(caption), 2, 0, "file", 300));
    const qint64 waited = t.elapsed();
    EXPECT_GE(waited, 280);
    EXPECT_LT(waited, 2500);
}

TEST(WindowLinkProcesses, DeadProgramsSocketIsReplaced)
{
    const QString caption = UniqueCaption(QStringLiteral("crash"));
    {
        Peer peer(caption, QStringLiteral("crash"));
        ASSERT_FALSE(peer.WaitLine(QStringLiteral("ready")).isEmpty());
        peer.Process().waitForFinished(5000);
    }
    const QByteArray path = SocketPathFor(RuntimeFolder(false), ToNarrow(caption));
    ASSERT_TRUE(QFileInfo::exists(QString::fromLocal8Bit(path))) << "the crashed peer left no socket";
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(FindWindow(caption));
    EXPECT_FALSE(PostMessage(FindWindow(caption), 1, 0, 0));
    EXPECT_LT(t.elapsed(), 400); // no waiting on the dead socket

    LinkWindow again(caption);
    ASSERT_TRUE(again.IsRegistered()) << again.ErrorText().toStdString();
    Inbox inbox(again);
    EXPECT_TRUE(PostMessage(FindWindow(caption), 42, 1, 2));
    EXPECT_TRUE(WaitUntil([&] { return inbox.messages.size() == 1; }));
}

TEST(WindowLinkProcesses, SecondStartRestoresTheFirst)
{
    const QString caption = UniqueCaption(QStringLiteral("kroomclient"));
    EXPECT_FALSE(RestoreExistingInstance(caption));
    Peer first(caption, QStringLiteral("window"));
    ASSERT_EQ(first.WaitLine(QStringLiteral("ready")), QStringLiteral("ready visible=0"));
    Peer second(caption, QStringLiteral("second"));
    EXPECT_TRUE(second.Process().waitForFinished(10000));
    EXPECT_EQ(second.Process().exitCode(), 0);
    EXPECT_EQ(second.WaitLine(QStringLiteral("restored")), QStringLiteral("restored 1"));
    EXPECT_EQ(first.WaitLine(QStringLiteral("post ") + QString::number(kRestoreRequest)),
              QStringLiteral("post %1 0 0 visible=1").arg(kRestoreRequest));
    EXPECT_FALSE(first.WaitLine(QStringLiteral("post ") + QString::number(kFrontRequest)).isEmpty());
}

// The helper process. Skipped (disabled) in a normal run; the tests above
// start it with --gtest_also_run_disabled_tests.
TEST(WindowLinkPeer, DISABLED_Run)
{
    const QString caption = ToWide(QByteArray::fromHex(qgetenv("VOD_LINK_PEER_CAPTION")));
    const QString mode = QString::fromLatin1(qgetenv("VOD_LINK_PEER_MODE"));
    const QString replyTo = ToWide(QByteArray::fromHex(qgetenv("VOD_LINK_PEER_REPLY")));
    if (caption.isEmpty())
        GTEST_SKIP() << "helper process only";
    const auto say = [](const QString& line) {
        std::printf("peer: %s\n", line.toUtf8().constData());
        std::fflush(stdout);
    };
    if (mode == QLatin1String("second")) {
        say(QStringLiteral("restored %1").arg(RestoreExistingInstance(caption) ? 1 : 0));
        return;
    }
    QWidget widget;
    LinkWindow window(caption, mode == QLatin1String("window") ? &widget : nullptr);
    ASSERT_TRUE(window.IsRegistered()) << window.ErrorText().toStdString();
    bool done = false;
    QObject::connect(&window, &LinkWindow::MessageReceived, [&](const WindowMessage& m) {
        QString line = QStringLiteral("post %1 %2 %3").arg(m.message).arg(m.wParam).arg(m.lParam);
        if (mode == QLatin1String("window"))
            line += QStringLiteral(" visible=%1").arg(widget.isVisible() ? 1 : 0);
        say(line);
        if (m.message == WM_CLOSE)
            done = true;
        else if (mode == QLatin1String("echo"))
            PostMessage(FindWindow(replyTo), m.message + 1, m.wParam, m.lParam);
    });
    window.SetCopyDataHandler([&](const CopyDataRecord& r) {
        say(QStringLiteral("copy %1 %2 %3").arg(r.wParam).arg(r.dwData).arg(QString::fromLatin1(r.data.toHex())));
        return int64_t(r.data.size());
    });
    say(QStringLiteral("ready visible=%1").arg(widget.isVisible() ? 1 : 0));
    if (mode == QLatin1String("crash"))
        ::_exit(3); // leaves the socket behind, as a crash does
    if (mode == QLatin1String("hang"))
        QThread::sleep(5); // never reads its messages in time
    WaitUntil([&] { return done; }, 30000);
}
