// The control server's commands as the station performs them: the room's
// lock states with their lock screens, the shutdown countdown, the messages
// and codes the player program receives, and the adult-film and dance
// switches. Real datagrams on loopback, the player stand-in as a process.
#include "playback/FrmMediaPlayer.h"
#include "tests/net/UdpTestServer.h"
#include "tests/playback/PlayerProcess.h"
#include "tests/utilities/LockFixture.h"

#include <QPointer>
#include <QTimer>

using namespace udptest;

namespace {

class ServerCommandsTest : public locktest::LockTest
{
protected:
    void SetUp() override
    {
        LockTest::SetUp();
        ASSERT_TRUE(m_server.Ready());
        ASSERT_TRUE(m_station.Registered());
        m_pSetting->ComputerName = QStringLiteral("room-a");
        m_pSetting->ControlServerIP = kServer.toString();
        m_pSetting->Texts.Minutes = QStringLiteral("分钟后,");
        m_pSetting->Texts.TimeWarry = QStringLiteral("包厢时间即将结束");
        m_pSetting->Texts.TimeOver = QStringLiteral("包厢时间已到");
        m_pSetting->Texts.ShutDownHint = QStringLiteral("即将关机");
        LoadLockSkin();
        m_pMain = std::make_unique<TFrmMediaPlayer>(false);
        FrmMediaPlayer = m_pMain.get();
        m_pLink = m_server.Link();
        m_pPlayer = m_station.StartPlayer({QStringLiteral("--queue"), m_sExe + QStringLiteral("none.dbf")});
        ASSERT_FALSE(m_pPlayer->WaitLine(QStringLiteral("ready")).isEmpty()) << m_pPlayer->Errors().toStdString();
    }
    void TearDown() override
    {
        m_pLink.reset();
        FrmMediaPlayer = nullptr;
        m_pMain.reset();
        m_pPlayer.reset();
        LockTest::TearDown();
    }
    void Command(const QList<QByteArray>& fields)
    {
        QList<QByteArray> all{"room-a"};
        all += fields;
        m_server.Send(all);
        TestServer::Settle();
        locktest::FlushEvents();
    }
    // The next line of the player's log that starts so.
    QString Player(const QString& start, int timeoutMs = 5000) { return m_pPlayer->WaitLine(start, timeoutMs); }
    // No line that starts so comes within the time.
    bool PlayerQuiet(const QString& start, int ms = 600) { return m_pPlayer->WaitLine(start, ms).isEmpty(); }

    TestServer m_server;
    playertest::Station m_station;
    std::unique_ptr<playertest::Program> m_pPlayer;
    std::unique_ptr<TFrmMediaPlayer> m_pMain;
    std::unique_ptr<TUDP> m_pLink;
};

} // namespace

TEST_F(ServerCommandsTest, WarningThenEndThenBeginWalkTheLockStates)
{
    Command({"time", "warry", "10"});
    QPointer<TFrmLock> warning = OpenLock();
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(warning->InputAllowed);
    EXPECT_TRUE(warning->CloseTimerActive());
    EXPECT_EQ(warning->TimerClose->interval(), 8000);
    EXPECT_EQ(warning->Prompt(), QStringLiteral("10分钟后,包厢时间即将结束"));
    EXPECT_EQ(Player("text "), QStringLiteral("text 1 10分钟后,包厢时间即将结束"));
    EXPECT_FALSE(m_pMain->m_bLocked);

    // The end replaces the warning with the locked screen.
    Command({"time", "end"});
    QPointer<TFrmLock> locked = OpenLock();
    ASSERT_NE(locked, nullptr);
    EXPECT_NE(locked, warning);
    EXPECT_FALSE(warning && warning->isVisible());
    EXPECT_FALSE(locked->InputAllowed);
    EXPECT_EQ(locked->Prompt(), QStringLiteral("包厢时间已到"));
    EXPECT_TRUE(m_pMain->m_bLocked);
    EXPECT_EQ(Player("text "), QStringLiteral("text 1 包厢时间已到"));

    // Already locked: nothing changes.
    Command({"time", "end"});
    EXPECT_EQ(OpenLock(), locked);
    EXPECT_TRUE(PlayerQuiet(QStringLiteral("text ")));

    Command({"time", "begin"});
    EXPECT_EQ(OpenLock(), nullptr);
    EXPECT_FALSE(locked && locked->isVisible());
    EXPECT_FALSE(m_pMain->m_bLocked);
    EXPECT_EQ(Player("text "), QStringLiteral("text 1"));
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), QStringLiteral("portal"));
}

TEST_F(ServerCommandsTest, AGuestsPasswordScreenDoesNotKeepTheTimeEndOut)
{
    m_pManager->ShowShutdownLock();
    ASSERT_NE(OpenLock(), nullptr);
    Command({"time", "end"});
    QPointer<TFrmLock> locked = OpenLock();
    ASSERT_NE(locked, nullptr);
    EXPECT_FALSE(locked->InputAllowed);
    EXPECT_TRUE(m_pMain->m_bLocked);
}

TEST_F(ServerCommandsTest, LockAndUnlock)
{
    // Unlock with no lock screen: nothing at all.
    Command({"cmd", "unlock"});
    EXPECT_TRUE(PlayerQuiet(QStringLiteral("text ")));

    Command({"cmd", "lock"});
    QPointer<TFrmLock> locked = OpenLock();
    ASSERT_NE(locked, nullptr);
    EXPECT_FALSE(locked->InputAllowed);
    EXPECT_EQ(locked->Prompt(), QStringLiteral("包厢已锁定"));
    EXPECT_TRUE(m_pMain->m_bLocked);
    EXPECT_EQ(Player("text "), QStringLiteral("text 1 包厢已锁定"));
    // A second lock replaces the screen; the room stays locked.
    Command({"cmd", "lock"});
    ASSERT_NE(OpenLock(), nullptr);
    EXPECT_NE(OpenLock(), locked);
    EXPECT_EQ(m_pManager->OpenScreens().size(), 2);

    Command({"cmd", "unlock"});
    EXPECT_EQ(OpenLock(), nullptr);
    EXPECT_FALSE(m_pMain->m_bLocked);
    EXPECT_FALSE(ScreenSaverRunning());
    EXPECT_EQ(Player("text "), QStringLiteral("text 1 包厢已锁定"));
    EXPECT_EQ(Player("text "), QStringLiteral("text 1"));
}

TEST_F(ServerCommandsTest, ShutdownCountsDownThenLocksAndStopsThePlayer)
{
    Command({"cmd", "shutdown"});
    EXPECT_TRUE(m_pLink->ShutTimer->isActive());
    EXPECT_EQ(m_pLink->ShutTimer->interval(), 3000);
    Command({"cmd", "shutdown", "30"});
    EXPECT_EQ(m_pLink->ShutTimer->interval(), 30000);
    QTest::qWait(400);
    const int left = m_pLink->ShutTimer->remainingTime();
    Command({"cmd", "shutdown", "30"}); // the same delay: the countdown goes on
    EXPECT_LE(m_pLink->ShutTimer->remainingTime(), left);

    Command({"cmd", "shutdown", "1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return OpenLock() != nullptr; }, 3000));
    QPointer<TFrmLock> lock = OpenLock();
    EXPECT_FALSE(m_pLink->ShutTimer->isActive());
    EXPECT_FALSE(lock->InputAllowed);
    EXPECT_TRUE(lock->ShowTimer->isActive());
    EXPECT_EQ(lock->ShowTimer->interval(), 10000);
    EXPECT_EQ(lock->Prompt(), QStringLiteral("即将关机"));
    EXPECT_EQ(Player("command "), QStringLiteral("command 5 stop"));
    EXPECT_EQ(Player("text "), QStringLiteral("text 1 即将关机"));
}

TEST_F(ServerCommandsTest, MessagesPicturesFilmsAndAlarmsReachThePlayer)
{
    Command({"msg", ToNarrow(QStringLiteral("生日快乐"))});
    EXPECT_EQ(Player("text "), QStringLiteral("text 0 生日快乐"));
    Command({"quickmsg", ToNarrow(QStringLiteral("欢迎光临"))});
    EXPECT_EQ(Player("text "), QStringLiteral("text 1 欢迎光临"));
    Command({"image", "/pictures/ad.png"});
    EXPECT_EQ(Player("text "), QStringLiteral("text 2 /pictures/ad.png"));
    Command({"videofile", "/videos/fire.mpg"});
    EXPECT_EQ(Player("file "), QStringLiteral("file /videos/fire.mpg"));
    Command({"cmd", "Fire"});
    EXPECT_EQ(Player("command "), QStringLiteral("command 15 fire-alarm"));
    Command({"cmd", "CancelFire"});
    EXPECT_EQ(Player("command "), QStringLiteral("command 16 fire-alarm-over"));
    // Letter case counts in commands and sub-commands.
    Command({"MSG", "x"});
    Command({"cmd", "fire"});
    EXPECT_TRUE(PlayerQuiet(QStringLiteral("text ")));
    EXPECT_TRUE(PlayerQuiet(QStringLiteral("command ")));
}

TEST_F(ServerCommandsTest, SwitchingFunctionsOnPostsTheirKeyAndOffGoesBackToThePortal)
{
    Command({"sex", "1"});
    Command({"disco", "1"});
    Command({"miss", "1"});
    // The keys reach the station-wide key handling through the main window.
    EXPECT_EQ(m_aDispatched, QList<int>({m_pSetting->Keys.Sex, m_pSetting->Keys.Disco, m_pSetting->Keys.Miss}));
    m_aDispatched.clear();

    // Off (or a password): every screen closes back to the portal.
    m_pManager->ShowNode(m_pManager->SelectNode("root/portal/Disco"), true);
    EXPECT_EQ(m_pManager->OpenScreens().size(), 2);
    Command({"disco", "2580"});
    EXPECT_EQ(m_pSetting->Disco, QStringLiteral("2580"));
    EXPECT_EQ(m_pManager->OpenScreens().size(), 1);
    EXPECT_TRUE(m_aDispatched.isEmpty()) << "nothing plays: no STOP key";

    // A locked room keeps its lock screen.
    Command({"cmd", "lock"});
    QPointer<TFrmLock> locked = OpenLock();
    Command({"sex", "0"});
    EXPECT_EQ(m_pSetting->Sex, QStringLiteral("0"));
    EXPECT_EQ(OpenLock(), locked);
    EXPECT_TRUE(locked->isVisible());
}
