// The lock and password screen as guests and staff meet it: keys typed on
// the screen and clicks on its buttons, the password rules of each purpose,
// the locked room that nothing but its opener closes, and the pause after
// wrong passwords.
#include "playback/FrmMediaPlayer.h"
#include "tests/utilities/LockFixture.h"

#include <QDir>
#include <QPointer>
#include <QTimer>

using namespace locktest;

TEST_F(LockTest, ALockedRoomIgnoresEveryKeyAndClick)
{
    // The skin even gives the screen a close delay: a locked room stays locked.
    LoadLockSkin(QStringLiteral("autoclose=\"1\" left=\"0\" top=\"0\" width=\"300\" height=\"200\""));
    QPointer<TKVFormXML> portal = m_pManager->TopScreen();
    QPointer<TFrmLock> lock = ServerLock();
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(g_pLockScreen.data(), lock);
    EXPECT_TRUE(ScreenSaverRunning());
    EXPECT_EQ(lock->Prompt(), QStringLiteral("包厢已锁定"));
    EXPECT_FALSE(lock->FindControl("Return")->isEnabled());

    Type(lock, QStringLiteral("9825"));
    Enter(lock);
    QTest::keyClick(lock, Qt::Key_Escape);
    QTest::keyClick(lock, Qt::Key_Backspace);
    for (const char* button : {"Num9", "Num8", "Enter", "Return", "Msg"})
        Click(lock, QString::fromLatin1(button));
    // The portal's button beside the lock screen, and keys sent to the portal.
    Click(portal, QStringLiteral("Song"));
    QTest::keyClick(portal, Qt::Key_Escape);
    QTest::qWait(1300);
    FlushEvents();

    EXPECT_EQ(g_pLockScreen.data(), lock);
    EXPECT_TRUE(lock->isVisible());
    EXPECT_TRUE(lock->InputText().isEmpty());
    EXPECT_TRUE(lock->Typed.isEmpty());
    EXPECT_TRUE(m_aDispatched.isEmpty()) << "no key reached the station-wide handling";
    EXPECT_EQ(m_pManager->TopScreen(), lock);

    lock->close();
    FlushEvents();
    EXPECT_FALSE(ScreenSaverRunning());
    EXPECT_EQ(g_pLockScreen.data(), nullptr);
}

TEST_F(LockTest, StartUpLoginLeavesOnlyWithThePassword)
{
    m_pSetting->NeedLogin = true;
    LoadLockSkin();
    QPointer<TFrmLock> login = OpenLock();
    ASSERT_NE(login, nullptr);
    EXPECT_TRUE(login->InputAllowed);
    EXPECT_FALSE(login->ReturnAllowed());

    QTest::keyClick(login, Qt::Key_Escape);
    Click(login, QStringLiteral("Return"));
    Type(login, m_pSetting->Quitpwd); // not a password of the login
    Enter(login);
    EXPECT_TRUE(login->isVisible());
    EXPECT_EQ(login->InputText(), QStringLiteral("密码错误!"));
    EXPECT_EQ(m_nStationClosed, 0);
    EXPECT_TRUE(m_aDispatched.isEmpty());

    // Digits clicked on the keypad; the error text goes at the first key.
    for (const QChar c : m_pSetting->Password)
        Click(login, QStringLiteral("Num") + c);
    EXPECT_EQ(login->InputText(), QStringLiteral("****"));
    Click(login, QStringLiteral("Enter"));
    EXPECT_FALSE(login && login->isVisible());
    EXPECT_EQ(g_pLockScreen.data(), nullptr);
}

TEST_F(LockTest, DigitsShowStarsAndBackspaceTakesTheLastOne)
{
    LoadLockSkin();
    QPointer<TFrmLock> lock = qobject_cast<TFrmLock*>(m_pManager->ShowShutdownLock());
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(lock->Prompt(), m_pSetting->Text("LockForShutDown"));
    Enter(lock); // nothing typed: nothing happens
    EXPECT_TRUE(lock->isVisible());
    EXPECT_TRUE(lock->InputText().isEmpty());

    Type(lock, QStringLiteral("12345"));
    QTest::keyClick(lock, Qt::Key_Backspace);
    EXPECT_EQ(lock->InputText(), QStringLiteral("****"));
    EXPECT_EQ(lock->Typed, QStringLiteral("1234"));
    QTest::keyClick(lock, Qt::Key_Delete); // DELSONG does the same
    EXPECT_EQ(lock->Typed, QStringLiteral("123"));
    EXPECT_EQ(lock->FindLabel("Input")->Caption(), QStringLiteral("***"));

    // RETURN closes a screen opened with input.
    QTest::keyClick(lock, Qt::Key_Escape);
    FlushEvents();
    EXPECT_FALSE(lock && lock->isVisible());
    EXPECT_TRUE(m_aDispatched.isEmpty());
}

TEST_F(LockTest, ShutdownPasswordsPowerOffWithOrWithoutStatistics)
{
    LoadLockSkin();
    // The room lock password is wrong here.
    QPointer<TFrmLock> lock = qobject_cast<TFrmLock*>(m_pManager->ShowShutdownLock());
    ASSERT_NE(lock, nullptr);
    Type(lock, m_pSetting->Quitpwd);
    Enter(lock);
    EXPECT_EQ(lock->InputText(), QStringLiteral("密码错误!"));
    EXPECT_EQ(m_nStationClosed, 0);

    // The statistics password: the prompt warns, then the station closes and
    // the computer powers off.
    Type(lock, m_pSetting->TimesPwd);
    Enter(lock);
    // The screen may already be gone with the closing station.
    if (lock) {
        EXPECT_EQ(lock->Prompt(), m_pSetting->Text("ProcTotalTimes"));
    }
    EXPECT_EQ(m_nStationClosed, 1);
    EXPECT_TRUE(PoweredOff());
    EXPECT_TRUE(Log().contains(QStringLiteral("统计点唱率")));
    FlushEvents();

    QFile::remove(m_sPowerOff);
    lock = qobject_cast<TFrmLock*>(m_pManager->ShowShutdownLock());
    ASSERT_NE(lock, nullptr);
    const int statistics = Log().count(QStringLiteral("统计点唱率"));
    Type(lock, m_pSetting->Password);
    Enter(lock);
    EXPECT_EQ(m_nStationClosed, 2);
    EXPECT_TRUE(PoweredOff());
    EXPECT_EQ(Log().count(QStringLiteral("统计点唱率")), statistics) << "no statistics with Password";
}

TEST_F(LockTest, LockModeLocksUntilThePasswordAndQuitpwdEndsTheProgram)
{
    LoadLockSkin();
    auto open = [this] {
        return qobject_cast<TFrmLock*>(m_pManager->OpenLock(
            [](ILockScreen& l) {
                l.InputAllowed = true;
                l.LockMode = true;
            },
            m_pSetting->Text("LockForLockBegin")));
    };
    QPointer<TFrmLock> first = open();
    ASSERT_NE(first, nullptr);
    Type(first, m_pSetting->Password);
    Enter(first);
    QPointer<TFrmLock> locked = OpenLock();
    ASSERT_NE(locked, nullptr);
    EXPECT_NE(locked, first);
    EXPECT_FALSE(first && first->isVisible());
    EXPECT_EQ(locked->Prompt(), m_pSetting->Text("LockForLockEnd"));
    EXPECT_FALSE(locked->LockMode);
    QTest::keyClick(locked, Qt::Key_Escape);
    FlushEvents();
    EXPECT_TRUE(locked->isVisible()) << "RETURN does not open a locked room";
    Type(locked, m_pSetting->Password);
    Enter(locked);
    EXPECT_FALSE(locked && locked->isVisible());
    EXPECT_EQ(m_nStationClosed, 0);

    QPointer<TFrmLock> quit = open();
    Type(quit, m_pSetting->Quitpwd);
    Enter(quit);
    EXPECT_EQ(m_nStationClosed, 1);
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(m_sPowerOff)) << "Quitpwd leaves the computer on";
}

TEST_F(LockTest, PortalPasswordsOpenThePortalAndTheNextVisitNeedsNone)
{
    LoadLockSkin();
    for (const bool disco : {false, true}) {
        QString& value = disco ? m_pSetting->Disco : m_pSetting->Sex;
        const QString node = disco ? QStringLiteral("root/portal/Disco") : QStringLiteral("root/portal/Movie/Sex");
        value = QStringLiteral("4321");
        EXPECT_EQ(m_pManager->ShowNode(m_pManager->SelectNode(node), true), nullptr);
        QPointer<TFrmLock> lock = OpenLock();
        ASSERT_NE(lock, nullptr);
        EXPECT_EQ(lock->Prompt(), m_pSetting->Text(disco ? "GoDisco" : "GoSex"));
        Type(lock, QStringLiteral("1234"));
        Enter(lock);
        EXPECT_EQ(value, QStringLiteral("4321"));
        Type(lock, QStringLiteral("4321"));
        Enter(lock);
        EXPECT_EQ(value, QStringLiteral("1"));
        ASSERT_NE(m_pManager->TopScreen(), nullptr);
        EXPECT_EQ(m_pManager->TopScreen()->objectName(), disco ? QStringLiteral("Disco") : QStringLiteral("Sex"));
        m_pManager->CloseToPortal();
        FlushEvents();
        EXPECT_EQ(m_pManager->ShowNode(m_pManager->SelectNode(node), true)->objectName(),
                  disco ? QStringLiteral("Disco") : QStringLiteral("Sex"));
        m_pManager->CloseToPortal();
        FlushEvents();
    }
}

TEST_F(LockTest, FiveWrongPasswordsInARowPauseInputAndACorrectOneResetsTheCount)
{
    ResetPasswordTries(1500);
    LoadLockSkin();
    QPointer<TFrmLock> lock = qobject_cast<TFrmLock*>(m_pManager->ShowShutdownLock());
    ASSERT_NE(lock, nullptr);
    for (int i = 0; i < kPasswordTries - 1; ++i) {
        Type(lock, QStringLiteral("0000"));
        Enter(lock);
    }
    EXPECT_FALSE(Log().contains(QStringLiteral("密码连续错误")));
    lock->close();
    FlushEvents();
    // The count is the station's, not the screen's: a new screen goes on with it.
    lock = qobject_cast<TFrmLock*>(m_pManager->ShowShutdownLock());
    Type(lock, QStringLiteral("0000"));
    Enter(lock);
    EXPECT_TRUE(Log().contains(QStringLiteral("密码连续错误5次")));

    // Paused: even the right password does nothing, RETURN included.
    Type(lock, m_pSetting->Password);
    Enter(lock);
    QTest::keyClick(lock, Qt::Key_Escape);
    FlushEvents();
    EXPECT_TRUE(lock->isVisible());
    EXPECT_EQ(m_nStationClosed, 0);
    EXPECT_EQ(lock->InputText(), QStringLiteral("密码错误!"));
    EXPECT_TRUE(lock->Typed.isEmpty());

    QTest::qWait(1600);
    Type(lock, m_pSetting->Password);
    EXPECT_EQ(lock->InputText(), QStringLiteral("****"));
    Enter(lock);
    EXPECT_EQ(m_nStationClosed, 1);
}

TEST_F(LockTest, ACorrectPasswordResetsTheWrongCount)
{
    ResetPasswordTries(60000);
    LoadLockSkin();
    m_pSetting->Sex = QStringLiteral("2468");
    for (int round = 0; round < 2; ++round) {
        m_pManager->ShowNode(m_pManager->SelectNode("root/portal/Movie/Sex"), true);
        QPointer<TFrmLock> lock = OpenLock();
        ASSERT_NE(lock, nullptr);
        for (int i = 0; i < kPasswordTries - 1; ++i) {
            Type(lock, QStringLiteral("1111"));
            Enter(lock);
        }
        Type(lock, QStringLiteral("2468"));
        Enter(lock);
        EXPECT_FALSE(lock && lock->isVisible());
        m_pManager->CloseToPortal();
        FlushEvents();
        m_pSetting->Sex = QStringLiteral("2468");
    }
    EXPECT_FALSE(Log().contains(QStringLiteral("密码连续错误")));
}

TEST_F(LockTest, AddSongProgramStartsOnceInFifteenSecondsAndTheScreenWaits)
{
    LoadLockSkin();
    // The add-song program of the installation: records its parameter.
    const QString song = m_sExe + QStringLiteral("Song.exe");
    const QString record = m_sExe + QStringLiteral("song-started.txt");
    {
        QFile f(song);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\n").arg(record).toUtf8());
    }
    QFile::setPermissions(song, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TFrmMediaPlayer main(false);
    FrmMediaPlayer = &main;
    ASSERT_TRUE(main.Timer2()->isActive());
    auto open = [this] {
        return qobject_cast<TFrmLock*>(m_pManager->OpenLock(
            [](ILockScreen& l) {
                l.InputAllowed = true;
                l.AddSongMode = true;
            },
            m_pSetting->Text("LockForAddSong")));
    };
    QPointer<TFrmLock> lock = open();
    ASSERT_NE(lock, nullptr);
    Type(lock, m_pSetting->AddSongPwd);
    Enter(lock);
    EXPECT_EQ(lock->Prompt(), m_pSetting->Text("WaitingAddSong"));
    EXPECT_TRUE(lock->CloseTimerActive());
    EXPECT_EQ(lock->TimerClose->interval(), kAddSongWaitMs);
    EXPECT_FALSE(main.Timer2()->isActive());
    EXPECT_TRUE(main.m_bTimer2Saved);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(record); }, 5000));

    // Again, on a new screen, within 15 seconds: not started a second time.
    lock->close();
    FlushEvents();
    lock = open();
    Type(lock, m_pSetting->AddSongPwd);
    Enter(lock);
    EXPECT_TRUE(lock->CloseTimerActive());
    QTest::qWait(500);
    QFile f(record);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
    EXPECT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.value(0),
              QStringLiteral("%1*%2").arg(m_pSetting->ScreenWidth()).arg(m_pSetting->ScreenHeight()).toUtf8());
    lock->close();
    FlushEvents();
    FrmMediaPlayer = nullptr;
}

TEST_F(LockTest, DrinkOrdersNeedAStaffCard)
{
    LoadLockSkin();
    ResetPasswordTries(60000);
    QStringList checked;
    int submitted = 0;
    bool reachable = false;
    LockRoomService().CheckStaffCard = [&](const QString& card) {
        checked << card;
        if (!reachable)
            return TStaffCard::NotChecked;
        return card == QLatin1String("5566") ? TStaffCard::Accepted : TStaffCard::Wrong;
    };
    LockRoomService().SubmitOrders = [&] { return ++submitted == 1; };
    auto open = [this] {
        return qobject_cast<TFrmLock*>(m_pManager->OpenLock(
            [](ILockScreen& l) {
                l.InputAllowed = true;
                l.DrinkMode = true;
                l.LockMode = true;
            },
            m_pSetting->Text("LockForDrinkPwd")));
    };
    QPointer<TFrmLock> lock = open();
    ASSERT_NE(lock, nullptr);
    // Cards that could not be looked up (database away) are not wrong cards:
    // more of them than the wrong tries allowed leave the input open.
    for (int i = 0; i <= kPasswordTries; ++i) {
        Type(lock, QStringLiteral("5566"));
        Enter(lock);
        ASSERT_TRUE(lock && lock->isVisible());
        EXPECT_TRUE(lock->InputText().isEmpty());
    }
    checked.clear();
    reachable = true;
    // A wrong card, even the room password, clears the input without a word.
    Type(lock, m_pSetting->Password);
    Enter(lock);
    EXPECT_TRUE(lock->isVisible());
    EXPECT_TRUE(lock->InputText().isEmpty());
    EXPECT_TRUE(lock->Typed.isEmpty());
    Type(lock, QStringLiteral("5566"));
    Enter(lock);
    EXPECT_FALSE(lock && lock->isVisible());
    EXPECT_EQ(checked, QStringList({m_pSetting->Password, QStringLiteral("5566")}));
    EXPECT_EQ(submitted, 1);
    QPointer<TKVFormXML> message = m_pManager->TopScreen();
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->objectName(), QStringLiteral("frmmsg"));
    EXPECT_EQ(message->FindLabel("Msg")->Caption(), QStringLiteral("下单成功!"));
    LockRoomService() = TLockRoomService();
}
