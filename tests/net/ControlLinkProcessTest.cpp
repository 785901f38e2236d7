// The control link between real processes: the station (with the player
// stand-in beside it) on one host and the control-server tool on another,
// each host a network namespace of its own, or a loopback address where
// namespaces are refused.
#include "tests/e2e/StationRun.h"
#include "tests/net/NetPair.h"

#include <QUdpSocket>
#include <unistd.h>

using namespace e2e;
using nettest::NetPair;

namespace {

constexpr int kPowerOffKey = 106, kCallWaiterKey = 107, kEnterKey = 13, kReturnKey = 27;

QStringList SongsOf(const Station& s, const QString& where, int count)
{
    return Query(s,
                 QStringLiteral("select SONGNO from original where %1 order by SONGNO limit %2").arg(where).arg(count));
}

int TimesTotal(const Station& s, const QString& songNo)
{
    const QStringList v = Query(s, QStringLiteral("select TimesTotal from original where SONGNO=?"), {songNo});
    return v.isEmpty() ? -1 : v[0].toInt();
}

// One value of the front screen's labels ("screen" names the screen).
QString Label(const Station& s, const QString& name)
{
    for (const QString& line : s.Labels().split(QLatin1Char('\n'))) {
        if (line.startsWith(name + QLatin1Char('=')))
            return line.mid(name.size() + 1);
    }
    return QString();
}

bool FrontScreenIs(const Station& s, const QString& screen)
{
    return WaitUntil([&] { return Label(s, QStringLiteral("screen")) == screen; }, 10000);
}

const QueueEntry* Entry(const QList<QueueEntry>& queue, const QString& songNo)
{
    for (const QueueEntry& e : queue)
        if (e.songNo == songNo)
            return &e;
    return nullptr;
}

QString PlayingState(const Station& s, const QString& songNo)
{
    const QList<QueueEntry> q = s.Queue();
    const QueueEntry* e = Entry(q, songNo);
    return e ? e->playing : QString();
}

// The station, the player and the control-server tool on their hosts.
class ControlLinkRun
{
public:
    ControlLinkRun(NetPair& net, Station& station, quint16 port) : m_net(net), m_station(station), m_nPort(port) {}

    std::unique_ptr<Program> StartStation(const QProcessEnvironment& extra = QProcessEnvironment())
    {
        QProcessEnvironment env = m_station.Env();
        for (const QString& k : extra.keys())
            env.insert(k, extra.value(k));
        env.insert(QStringLiteral("VOD_POWEROFF_COMMAND"),
                   QStringLiteral("echo off >> '%1'").arg(m_station.Path(QStringLiteral("poweroff.txt"))));
        if (!m_net.Namespaces())
            env.insert(QStringLiteral("VOD_UDP_BIND_ADDRESS"), m_net.StationAddress());
        const QStringList cmd = m_net.OnStation({ExeDir() + QStringLiteral("/vod")});
        return std::make_unique<Program>(cmd[0], cmd.mid(1), env);
    }
    bool Listen(const QString& bindAddress)
    {
        const QStringList cmd =
            m_net.OnServer({ExeDir() + QStringLiteral("/vod-control"), QStringLiteral("listen"),
                            QStringLiteral("--bind"), bindAddress, QStringLiteral("--port"), QString::number(m_nPort)});
        m_pListener = std::make_unique<Program>(cmd[0], cmd.mid(1), QProcessEnvironment::systemEnvironment());
        return !m_pListener->WaitLine(QStringLiteral("listening"), 10000).isEmpty();
    }
    // The next line the tool printed that starts so.
    QString Heard(const QString& start, int timeoutMs = 15000) { return m_pListener->WaitLine(start, timeoutMs); }
    // Runs the tool once on the server's host: send, raw or login-request.
    int Tool(const QStringList& args)
    {
        const QStringList cmd = m_net.OnServer(QStringList{ExeDir() + QStringLiteral("/vod-control")} + args +
                                               QStringList{QStringLiteral("--to"), m_net.StationAddress(),
                                                           QStringLiteral("--port"), QString::number(m_nPort)});
        QProcess p;
        p.start(cmd[0], cmd.mid(1));
        if (!p.waitForFinished(15000))
            return -1;
        return p.exitCode();
    }
    int Send(const QStringList& fields) { return Tool(QStringList{QStringLiteral("send"), HostName()} + fields); }
    int Raw(const QByteArray& datagram) { return Tool({QStringLiteral("raw"), QString::fromLatin1(datagram.toHex())}); }

private:
    NetPair& m_net;
    Station& m_station;
    quint16 m_nPort;
    std::unique_ptr<Program> m_pListener;
};

quint16 FreePort(const QString& address)
{
    QUdpSocket probe;
    probe.bind(QHostAddress(address), 0, QUdpSocket::DontShareAddress);
    return probe.localPort();
}

} // namespace

TEST(ControlLinkProcess, TheServerSteersTheStation)
{
    NetPair net;
    Station station(500);
    ASSERT_TRUE(station.Ready());
    const quint16 port = net.Namespaces() ? 3200 : FreePort(net.ServerAddress());
    station.SetSettings(
        {{QStringLiteral("ControlServerIP"), net.ServerAddress()}, {QStringLiteral("UDPPort"), QString::number(port)}});
    const QStringList songs = SongsOf(station, QStringLiteral("Lan_Type=1"), 3);
    const QStringList film20 = SongsOf(station, QStringLiteral("Lan_Type=20"), 1);
    const QStringList film21 = SongsOf(station, QStringLiteral("Lan_Type=21"), 1);
    ASSERT_EQ(songs.size(), 3);
    ASSERT_EQ(film20.size(), 1);
    ASSERT_EQ(film21.size(), 1);
    const QString host = HostName();
    const QString from = QStringLiteral(" from ") + net.StationAddress();

    ControlLinkRun run(net, station, port);
    ASSERT_TRUE(run.Listen(net.ServerAddress()));
    auto player = station.StartPlayer(600000);
    auto vod = run.StartStation();

    // Login at start-up, and at the server's request (the heartbeat is a
    // minute away).
    EXPECT_EQ(run.Heard(QStringLiteral("login ")), QStringLiteral("login ") + host + from);
    ASSERT_EQ(run.Tool({QStringLiteral("login-request"), QStringLiteral("--from"), net.ServerAddress()}), 0);
    EXPECT_EQ(run.Heard(QStringLiteral("login "), 10000), QStringLiteral("login ") + host + from);
    ASSERT_TRUE(FrontScreenIs(station, QStringLiteral("portal")));

    // Queue edits: a film plays, songs wait; one moves to the front, one goes.
    ASSERT_EQ(run.Send({QStringLiteral("order"), film20[0]}), 0);
    ASSERT_TRUE(WaitUntil([&] { return PlayingState(station, film20[0]) == QLatin1String("1"); }));
    for (const QString& no : {songs[0], songs[1], film21[0]})
        ASSERT_EQ(run.Send({QStringLiteral("order"), no}), 0);
    ASSERT_TRUE(WaitUntil([&] { return PlayingState(station, film21[0]) == QLatin1String("0"); }));
    run.Send({QStringLiteral("first"), songs[1]});
    ASSERT_TRUE(WaitUntil([&] {
        const QList<QueueEntry> q = station.Queue();
        const QueueEntry *a = Entry(q, songs[0]), *b = Entry(q, songs[1]);
        return a && b && b->num < a->num;
    }));
    run.Send({QStringLiteral("delete"), songs[0]});
    EXPECT_TRUE(WaitUntil([&] { return PlayingState(station, songs[0]) == QLatin1String("5"); }));
    run.Send({QStringLiteral("first"), QStringLiteral("999999")}); // not queued: nothing

    // Adult films off: the waiting film goes, the playing one stops, songs stay.
    run.Send({QStringLiteral("sex"), QStringLiteral("0")});
    EXPECT_TRUE(WaitUntil([&] { return PlayingState(station, film21[0]) == QLatin1String("5"); }));
    EXPECT_FALSE(player->WaitLine(QStringLiteral("command 5 stop")).isEmpty());
    EXPECT_EQ(PlayingState(station, songs[1]).isEmpty(), false);
    EXPECT_NE(PlayingState(station, songs[1]), QStringLiteral("5"));

    // Messages of each kind on the video screen.
    run.Send({QStringLiteral("msg"), QStringLiteral("生日快乐")});
    EXPECT_EQ(player->WaitLine(QStringLiteral("text ")), QStringLiteral("text 0 生日快乐"));
    run.Send({QStringLiteral("quickmsg"), QStringLiteral("欢迎光临")});
    EXPECT_EQ(player->WaitLine(QStringLiteral("text ")), QStringLiteral("text 1 欢迎光临"));
    run.Send({QStringLiteral("image"), QStringLiteral("/pictures/ad.png")});
    EXPECT_EQ(player->WaitLine(QStringLiteral("text ")), QStringLiteral("text 2 /pictures/ad.png"));

    // The waiter call reaches the server.
    ASSERT_TRUE(station.PostKey(kCallWaiterKey));
    const QString call = run.Heard(QStringLiteral("call "));
    EXPECT_TRUE(call.startsWith(QStringLiteral("call ") + host + QLatin1Char(' '))) << call.toStdString();
    EXPECT_TRUE(call.endsWith(from)) << call.toStdString();
    ASSERT_TRUE(FrontScreenIs(station, QStringLiteral("frmmsg")));
    ASSERT_TRUE(FrontScreenIs(station, QStringLiteral("portal")));

    // Lock: the lock screen shows what the video screen shows; no key opens it.
    run.Send({QStringLiteral("cmd"), QStringLiteral("lock")});
    const QString lockText = player->WaitLine(QStringLiteral("text 1 "));
    ASSERT_FALSE(lockText.isEmpty());
    ASSERT_TRUE(FrontScreenIs(station, QStringLiteral("frmlock")));
    EXPECT_EQ(QStringLiteral("text 1 ") + Label(station, QStringLiteral("Msg")), lockText);
    for (const int key : {57, 56, 50, 53, kEnterKey, kReturnKey, kPowerOffKey})
        station.PostKey(key);
    QThread::msleep(500);
    EXPECT_EQ(Label(station, QStringLiteral("screen")), QStringLiteral("frmlock"));
    EXPECT_TRUE(Label(station, QStringLiteral("Input")).isEmpty());
    run.Send({QStringLiteral("cmd"), QStringLiteral("unlock")});
    EXPECT_TRUE(FrontScreenIs(station, QStringLiteral("portal")));
    EXPECT_EQ(player->WaitLine(QStringLiteral("text ")), QStringLiteral("text 1"));

    // Time: the warning, the end, the beginning.
    run.Send({QStringLiteral("time"), QStringLiteral("warry"), QStringLiteral("5")});
    const QString warning = player->WaitLine(QStringLiteral("text 1 "));
    EXPECT_TRUE(warning.startsWith(QStringLiteral("text 1 5分钟后,"))) << warning.toStdString();
    ASSERT_TRUE(FrontScreenIs(station, QStringLiteral("frmlock")));
    EXPECT_EQ(QStringLiteral("text 1 ") + Label(station, QStringLiteral("Msg")), warning);
    run.Send({QStringLiteral("time"), QStringLiteral("end")});
    const QString over = player->WaitLine(QStringLiteral("text 1 "));
    EXPECT_NE(over, warning);
    EXPECT_TRUE(WaitUntil([&] { return QStringLiteral("text 1 ") + Label(station, QStringLiteral("Msg")) == over; }));
    run.Send({QStringLiteral("time"), QStringLiteral("begin")});
    EXPECT_TRUE(FrontScreenIs(station, QStringLiteral("portal")));
    EXPECT_EQ(player->WaitLine(QStringLiteral("text ")), QStringLiteral("text 1"));

    // Malformed datagrams change nothing; the next good one is handled.
    const QByteArray h = host.toLatin1();
    QByteArray longLock = h + "\x01"
                              "cmd\x01lock\x01";
    longLock += QByteArray(254 - longLock.size(), 'x');
    EXPECT_EQ(run.Raw(longLock), 2) << "the tool refuses it without --force";
    const QList<QByteArray> bad = {
        longLock,
        longLock + "yyyy",
        h + " quickmsg bad",
        QByteArray(1, '\0') + h +
            "\x01quickmsg\x01"
            "bad",
        h + QByteArray(1, '\0') +
            "\x01quickmsg\x01"
            "bad",
        h + "\xff\x01quickmsg\x01"
            "bad",
        h + "\x01QUICKMSG\x01"
            "bad",
        "another-room\x01quickmsg\x01"
        "bad",
    };
    EXPECT_EQ(run.Tool({QStringLiteral("raw"), QString()}), 0) << "an empty datagram";
    for (const QByteArray& d : bad)
        EXPECT_EQ(run.Tool({QStringLiteral("raw"), QStringLiteral("--force"), QString::fromLatin1(d.toHex())}), 0);
    run.Send({QStringLiteral("quickmsg"), QStringLiteral("good")});
    EXPECT_EQ(player->WaitLine(QStringLiteral("text ")), QStringLiteral("text 1 good"));
    EXPECT_EQ(Label(station, QStringLiteral("screen")), QStringLiteral("portal"));

    // The statistics password at the shutdown prompt: counters, then power-off.
    ASSERT_TRUE(station.PostKey(kPowerOffKey));
    ASSERT_TRUE(FrontScreenIs(station, QStringLiteral("frmlock")));
    for (const QChar c : QStringLiteral("8421"))
        station.PostKey(c.unicode());
    station.PostKey(kEnterKey);
    EXPECT_TRUE(vod->WaitForExit(30000));
    EXPECT_TRUE(QFile::exists(station.Path(QStringLiteral("poweroff.txt"))));
    EXPECT_EQ(run.Heard(QStringLiteral("logout ")), QStringLiteral("logout ") + host + from);
    EXPECT_FALSE(player->WaitLine(QStringLiteral("command 17")).isEmpty());
    EXPECT_GE(TimesTotal(station, songs[1]), 1);
}

TEST(ControlLinkProcess, DefaultBroadcastAndPortThenShutdownPowersOffLater)
{
    NetPair net;
    if (!net.Namespaces())
        GTEST_SKIP() << "the broadcast address needs network namespaces";
    Station station(200);
    ASSERT_TRUE(station.Ready());
    // No address and no port in the settings: 192.168.0.255 and 3200.
    station.SetSettings({{QStringLiteral("ControlServerIP"), QString()}, {QStringLiteral("UDPPort"), QString()}});
    ControlLinkRun run(net, station, 3200);
    ASSERT_TRUE(run.Listen(QStringLiteral("0.0.0.0")));
    auto player = station.StartPlayer(600000);
    auto vod = run.StartStation();
    EXPECT_EQ(run.Heard(QStringLiteral("login ")),
              QStringLiteral("login ") + HostName() + QStringLiteral(" from 192.168.0.1"));
    ASSERT_TRUE(FrontScreenIs(station, QStringLiteral("portal")));

    QElapsedTimer t;
    t.start();
    ASSERT_EQ(run.Send({QStringLiteral("cmd"), QStringLiteral("shutdown"), QStringLiteral("1")}), 0);
    EXPECT_FALSE(player->WaitLine(QStringLiteral("command 5 stop")).isEmpty());
    ASSERT_TRUE(FrontScreenIs(station, QStringLiteral("frmlock")));
    const QString poweroff = station.Path(QStringLiteral("poweroff.txt"));
    ASSERT_TRUE(WaitUntil([&] { return QFile::exists(poweroff); }, 30000));
    EXPECT_GE(t.elapsed(), 10500);
    EXPECT_LE(t.elapsed(), 25000);
    EXPECT_TRUE(vod->WaitForExit(15000));
    EXPECT_FALSE(run.Heard(QStringLiteral("logout ")).isEmpty());
}

TEST(ControlLinkProcess, HeartbeatThenCloseEndsTheStationWithoutPoweringOff)
{
    NetPair net;
    Station station(200);
    ASSERT_TRUE(station.Ready());
    const quint16 port = net.Namespaces() ? 3200 : FreePort(net.ServerAddress());
    station.SetSettings(
        {{QStringLiteral("ControlServerIP"), net.ServerAddress()}, {QStringLiteral("UDPPort"), QString::number(port)}});
    ControlLinkRun run(net, station, port);
    ASSERT_TRUE(run.Listen(net.ServerAddress()));
    auto player = station.StartPlayer(600000);
    QProcessEnvironment env;
    env.insert(QStringLiteral("VOD_UDP_HEARTBEAT_MS"), QStringLiteral("700"));
    auto vod = run.StartStation(env);
    // The start-up login, then the heartbeat's.
    for (int i = 0; i < 3; ++i)
        ASSERT_FALSE(run.Heard(QStringLiteral("login ")).isEmpty()) << i;
    ASSERT_EQ(run.Send({QStringLiteral("cmd"), QStringLiteral("close")}), 0);
    EXPECT_TRUE(vod->WaitForExit(15000));
    EXPECT_EQ(run.Heard(QStringLiteral("logout ")),
              QStringLiteral("logout ") + HostName() + QStringLiteral(" from ") + net.StationAddress());
    EXPECT_FALSE(player->WaitLine(QStringLiteral("command 17")).isEmpty());
    QThread::msleep(300);
    EXPECT_FALSE(QFile::exists(station.Path(QStringLiteral("poweroff.txt"))));
}
