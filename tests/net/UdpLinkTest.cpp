// The station's control link on real sockets: what it sends (login,
// heartbeat, logout, texts cut to the datagram limit), whom it listens to
// (its own name in any letter case, the login request from the server's
// address, the allow list) and what it drops.
#include "core/Log.h"
#include "core/Setting.h"
#include "tests/net/UdpTestServer.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

using namespace udptest;

namespace {

class UdpLinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_server.Ready());
        m_pSetting = std::make_unique<TSetting>(m_dir.path());
        m_pSetting->ComputerName = QStringLiteral("room-a");
        m_pSetting->ControlServerIP = kServer.toString();
        m_pSetting->Debug = true;
        g_pSetting = m_pSetting.get();
        ResetLogForTests();
    }
    void TearDown() override
    {
        g_pSetting = nullptr;
        ResetLogForTests();
    }
    QString Log() const
    {
        QFile f(m_dir.path() + QStringLiteral("/LogVod.txt"));
        return f.open(QIODevice::ReadOnly) ? ToWide(f.readAll()) : QString();
    }

    QTemporaryDir m_dir;
    TestServer m_server;
    std::unique_ptr<TSetting> m_pSetting;
};

} // namespace

TEST_F(UdpLinkTest, LoginHeartbeatAndLogoutGoToTheServer)
{
    qputenv("VOD_UDP_HEARTBEAT_MS", "100");
    auto link = m_server.Link();
    qunsetenv("VOD_UDP_HEARTBEAT_MS");
    ASSERT_TRUE(link->Bound());
    EXPECT_EQ(link->LocalPort(), m_server.Port());
    link->SendLogin();
    const QStringList got = m_server.Received(450);
    ASSERT_GE(got.size(), 3) << "the start-up login and the heartbeat";
    for (const QString& d : got)
        EXPECT_EQ(d, QStringLiteral("room-a|login"));
    link->UdpTimer->stop();
    link->SendLogout();
    EXPECT_EQ(m_server.Received(), QStringList({QStringLiteral("room-a|logout")}));
    EXPECT_EQ(LoginIntervalMs(), 60000);
}

TEST_F(UdpLinkTest, TextsAreGbkAndCutAtACharacterWithinTheLimit)
{
    auto link = m_server.Link();
    const QString call = QStringLiteral("呼叫服务员");
    EXPECT_TRUE(link->Send("call\x01" + ToNarrow(call)));
    // 200 Chinese characters (400 bytes) after "room-a", 0x01 and "msg", 0x01.
    const QString longText = QString(200, QChar(0x6B4C));
    EXPECT_TRUE(link->Send("msg\x01" + ToNarrow(longText)));
    // A text that starts at an odd byte: the cut still keeps whole characters.
    EXPECT_TRUE(link->Send("x\x01" + ToNarrow(longText)));
    const QStringList got = m_server.Received();
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(got[0], QStringLiteral("room-a|call|呼叫服务员"));
    const QList<QByteArray>& raw = m_server.Raw();
    for (int i = 1; i < 3; ++i) {
        EXPECT_LE(raw[i].size(), udpwire::kMaxDatagram);
        EXPECT_GE(raw[i].size(), udpwire::kMaxDatagram - 1);
        QStringDecoder strict("windows-936");
        const QString text = strict.decode(raw[i]);
        EXPECT_FALSE(strict.hasError());
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
        EXPECT_TRUE(text.endsWith(QChar(0x6B4C)));
    }
}

TEST_F(UdpLinkTest, WithoutAServerAddressNothingIsSent)
{
    m_pSetting->ControlServerIP.clear();
    qputenv("VOD_UDP_HEARTBEAT_MS", "50");
    // The empty setting still gives the socket the broadcast address.
    auto link = std::make_unique<TUDP>(m_server.Port(), QString());
    qunsetenv("VOD_UDP_HEARTBEAT_MS");
    EXPECT_EQ(link->RemoteHost(), QStringLiteral("192.168.0.255"));
    EXPECT_FALSE(link->Send("call\x01x"));
    EXPECT_TRUE(m_server.Received(300).isEmpty());
    EXPECT_FALSE(Log().contains(QStringLiteral("发送UDP消息出错")));
}

TEST_F(UdpLinkTest, ATakenPortIsLoggedAndSendsFail)
{
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(kStation, m_server.Port(), QUdpSocket::DontShareAddress));
    auto link = m_server.Link();
    EXPECT_FALSE(link->Bound());
    EXPECT_TRUE(Log().contains(QStringLiteral("建立UDP出错,端口可能被占用")));
    EXPECT_FALSE(link->Send("login"));
    EXPECT_TRUE(Log().contains(QStringLiteral("发送UDP消息出错")));
}

TEST_F(UdpLinkTest, TheServerAsksForTheLoginFromItsOwnAddress)
{
    auto link = m_server.Link();
    link->UdpTimer->stop();
    m_server.Send({kServer.toString().toLatin1(), "LOGIN"});
    EXPECT_EQ(m_server.Received(), QStringList({QStringLiteral("room-a|login")}));
    // The same request from another address, or naming another address.
    m_server.Send({kServer.toString().toLatin1(), "login"}, QHostAddress(QStringLiteral("127.0.0.3")));
    m_server.Send({"127.0.0.3", "login"});
    EXPECT_TRUE(m_server.Received().isEmpty());
}

TEST_F(UdpLinkTest, CommandsForThisStationInAnyCaseChangeSettingsAndTexts)
{
    auto link = m_server.Link();
    m_server.Send({"ROOM-A", "getdbip", "10.1.2.3"});
    m_server.Send({"Room-A", "room", ToNarrow(QStringLiteral("牡丹厅"))});
    m_server.Send({"room-a", "miss", "0"});
    TestServer::Settle();
    EXPECT_EQ(m_pSetting->ServerDbAddress, QStringLiteral("10.1.2.3"));
    EXPECT_EQ(m_pSetting->Text(QStringLiteral("Room")), QStringLiteral("牡丹厅"));
    EXPECT_EQ(m_pSetting->Miss, QStringLiteral("0"));
    EXPECT_EQ(link->Command, QStringLiteral("miss"));
    EXPECT_EQ(link->Arg1, QStringLiteral("0"));
    EXPECT_TRUE(link->Arg2.isEmpty());
}

TEST_F(UdpLinkTest, MalformedDatagramsAndOtherTargetsChangeNothing)
{
    auto link = m_server.Link();
    const QByteArray gbkName = ToNarrow(QStringLiteral("大厅"));
    QByteArray tooLong = udpwire::JoinFields({"room-a", "getdbip", QByteArray(300, '7')});
    QByteArray justTooLong = udpwire::JoinFields({"room-a", "getdbip", "1"});
    justTooLong += QByteArray(udpwire::kTooLong - justTooLong.size(), '2');
    ASSERT_EQ(justTooLong.size(), 254);
    const QList<QByteArray> bad = {
        QByteArray(),                         // empty
        tooLong,                              // 254 bytes and more
        justTooLong,                          //
        QByteArray("room-a getdbip 1.1.1.1"), // no separator
        QByteArray("room-a") + QByteArray(1, '\0') + udpwire::JoinFields({"", "getdbip", "2.2.2.2"}), // NUL
        QByteArray(1, '\0') + udpwire::JoinFields({"room-a", "getdbip", "3.3.3.3"}),                  //
        QByteArray("room-\xff\x01getdbip\x01"
                   "4.4.4.4"), // invalid GBK
        QByteArray("room-a\x01GETDBIP\x01"
                   "5.5.5.5"),                                      // command in capitals
        udpwire::JoinFields({"room-b", "getdbip", "6.6.6.6"}),      // another station
        udpwire::JoinFields({gbkName, "getdbip", "7.7.7.7"}),       //
        udpwire::JoinFields({"room-a"}),                            // no command
        udpwire::JoinFields({"room-a", "cmd", "shutdown", "soon"}), // not a number
        udpwire::JoinFields({"room-a", "unknown", "8.8.8.8"}),      //
        QByteArray("\x01\x01\x01\x01"),                             //
    };
    for (const QByteArray& d : bad)
        m_server.Send(d);
    TestServer::Settle();
    EXPECT_TRUE(m_pSetting->ServerDbAddress.isEmpty());
    EXPECT_FALSE(link->ShutTimer->isActive());
    // The link still works.
    m_server.Send({"room-a", "getdbip", "9.9.9.9"});
    TestServer::Settle();
    EXPECT_EQ(m_pSetting->ServerDbAddress, QStringLiteral("9.9.9.9"));
}

TEST_F(UdpLinkTest, AFloodForAnotherStationLeavesTheLinkWorking)
{
    auto link = m_server.Link();
    const QByteArray other = udpwire::JoinFields({"room-b", "cmd", "lock"});
    for (int batch = 0; batch < 50; ++batch) {
        for (int i = 0; i < 100; ++i)
            m_server.Send(other);
        QCoreApplication::processEvents();
    }
    TestServer::Settle();
    m_server.Send({"room-a", "getdbip", "1.2.3.4"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_pSetting->ServerDbAddress == QLatin1String("1.2.3.4"); }, 10000));
}

TEST_F(UdpLinkTest, TheAllowListDropsAndCountsCommandsFromOtherAddresses)
{
    auto link = m_server.Link();
    m_pSetting->UDPAllowFrom = QStringLiteral("127.0.0.9");
    m_server.Send({"room-a", "getdbip", "1.1.1.1"});
    m_server.Send({"room-a", "getdbip", "2.2.2.2"});
    m_server.Send({kServer.toString().toLatin1(), "login"});
    // Another station's datagrams are no commands for this one: not counted.
    m_server.Send({"room-b", "getdbip", "3.3.3.3"});
    EXPECT_TRUE(m_server.Received().isEmpty());
    EXPECT_TRUE(m_pSetting->ServerDbAddress.isEmpty());
    EXPECT_EQ(link->RefusedCount(), 3);
    EXPECT_TRUE(Log().contains(QStringLiteral("拒绝UDP命令:来自127.0.0.2,累计1条")));

    m_pSetting->UDPAllowFrom = QStringLiteral(" 127.0.0.5, 127.0.0.2;127.0.0.6 ");
    m_server.Send({"room-a", "getdbip", "4.4.4.4"});
    TestServer::Settle();
    EXPECT_EQ(m_pSetting->ServerDbAddress, QStringLiteral("4.4.4.4"));
    EXPECT_EQ(link->RefusedCount(), 3);
}
