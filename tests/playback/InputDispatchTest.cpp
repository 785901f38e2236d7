// The station's input dispatch and main window on a demo installation: what
// swipes, clicks, keys and the player's reports change, and what the player
// is told.
#include "playback/InputDispatch.h"

#include "PlayerProcess.h"
#include "catalogue/FrmData.h"
#include "catalogue/SongFilter.h"
#include "core/Setting.h"
#include "platform/keys/VirtualKeys.h"
#include "platform/windowlink/WindowLink.h"
#include "playback/FrmMediaPlayer.h"
#include "screens/FrmSong.h"
#include "screens/SongScreens.h"
#include "support/DemoInstall.h"
#include "support/GuestInput.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/StationScreens.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace playertest;

namespace {

// Records the key-downs posted to a screen.
class KeyCatcher : public QObject
{
public:
    QList<int> keys;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == TVkKeyEvent::EventType())
            keys.append(static_cast<TVkKeyEvent*>(e)->Vk());
        return false;
    }
};

class DispatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString error =
            testsupport::MakeDemoInstallation(m_dir.path(), {QStringLiteral("--songs"), QStringLiteral("50"),
                                                             QStringLiteral("--photos"), QStringLiteral("1")});
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();

        m_sPlayer = UniqueCaption(QStringLiteral("dispatch-player"));
        playerlink::SetPlayerCaption(m_sPlayer);
        m_pPlayer = std::make_unique<windowlink::LinkWindow>(m_sPlayer);
        ASSERT_TRUE(m_pPlayer->IsRegistered());
        QObject::connect(m_pPlayer.get(), &windowlink::LinkWindow::MessageReceived,
                         [this](const windowlink::WindowMessage& m) { m_aToPlayer.append(m); });

        TFrmDataOptions options;
        options.exeDir = m_dir.path();
        options.instances = &m_noOther;
        options.runProgram = [] {};
        options.showError = [](const QString&) {};
        m_pData = std::make_unique<TFrmData>(options);
        m_pData->WaitForLoader();
        g_pSetting->NeedLogin = false;
        g_pSetting->ShowScreen = 0;

        g_pFrmManager = new TKVFormManager();
        RegisterSongScreens();
        UiHooks().DispatchKey = [](int key) { DispatchKey(key); };
        FrmMediaPlayer = new TFrmMediaPlayer(false);
        UiHooks().MainForm = [] { return static_cast<QWidget*>(FrmMediaPlayer); };
        g_pFrmManager->LoadSkin(g_pSetting->SkinDir() + QStringLiteral("buttons.xml"));
        ASSERT_NE(g_pFrmManager->TopScreen(), nullptr);
        Watch();
    }
    void TearDown() override
    {
        if (g_pFrmManager)
            g_pFrmManager->CloseAll();
        delete FrmMediaPlayer;
        delete g_pFrmManager;
        g_pFrmManager = nullptr;
        ResetUiHooks();
        m_pData.reset();
        playerlink::SetPlayerCaption(QStringLiteral("Test Player"));
    }

    // Starts catching what is posted to the front screen.
    void Watch()
    {
        m_catcher.keys.clear();
        g_pFrmManager->TopScreen()->installEventFilter(&m_catcher);
    }
    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    bool Message(uint32_t message, int64_t wParam = 0, int64_t lParam = 0, int x = 0, int y = 0)
    {
        TAppMessage m;
        m.message = message;
        m.wParam = wParam;
        m.lParam = lParam;
        m.x = x;
        m.y = y;
        bool handled = false;
        OnAppMessage(m, handled);
        Settle();
        return handled;
    }
    // The commands (message 2027) the player received so far.
    QList<int64_t> Commands()
    {
        Settle();
        return CommandCodes(m_aToPlayer);
    }
    const TKeyMap& Keys() const { return g_pSetting->Keys; }

    class NoOther : public IInstanceWindows
    {
    public:
        bool FindAndRestore(const QString&) override { return false; }
    } m_noOther;
    QTemporaryDir m_dir;
    QString m_sPlayer;
    std::unique_ptr<windowlink::LinkWindow> m_pPlayer;
    QList<windowlink::WindowMessage> m_aToPlayer;
    std::unique_ptr<TFrmData> m_pData;
    KeyCatcher m_catcher;
};

} // namespace

TEST_F(DispatchTest, SwipesTurnPagesOnlyBeyondTheThresholdAndNotOnTheOrderedSongs)
{
    EXPECT_FALSE(Message(kWmLButtonDown, 0, 0, 100, 300));
    EXPECT_EQ(FrmData->m_nDownX, 100);
    EXPECT_EQ(FrmData->m_nDownY, 300);
    EXPECT_TRUE(Message(kWmLButtonUp, 0, 0, 104, 250)); // up
    EXPECT_EQ(m_catcher.keys, QList<int>{Keys().PAGEUP});

    m_catcher.keys.clear();
    Message(kWmLButtonDown, 0, 0, 100, 300);
    EXPECT_TRUE(Message(kWmLButtonUp, 0, 0, 120, 305)); // right
    Message(kWmLButtonDown, 0, 0, 100, 300);
    EXPECT_TRUE(Message(kWmLButtonUp, 0, 0, 100, 311)); // down
    EXPECT_EQ(m_catcher.keys, (QList<int>{Keys().PAGEDOWN, Keys().PAGEDOWN}));

    // Exactly 10 pixels is no swipe: the release reaches the screen.
    m_catcher.keys.clear();
    Message(kWmLButtonDown, 0, 0, 100, 300);
    EXPECT_FALSE(Message(kWmLButtonUp, 0, 0, 110, 300));
    Message(kWmLButtonDown, 0, 0, 100, 300);
    EXPECT_FALSE(Message(kWmLButtonUp, 0, 0, 100, 290));
    EXPECT_TRUE(m_catcher.keys.isEmpty());

    // The ordered-songs screen takes strokes itself.
    ASSERT_NE(g_pFrmManager->ShowOrdered(), nullptr);
    ASSERT_EQ(g_pFrmManager->TopScreen()->objectName(), "frmorder");
    Watch();
    Message(kWmLButtonDown, 0, 0, 100, 300);
    EXPECT_FALSE(Message(kWmLButtonUp, 0, 0, 104, 250));
    EXPECT_TRUE(m_catcher.keys.isEmpty());
}

TEST_F(DispatchTest, RightClickIsTheReturnKey)
{
    EXPECT_TRUE(Message(kWmRButtonDown, 0, 0, 5, 5));
    EXPECT_EQ(m_catcher.keys, QList<int>{Keys().RETURN});
}

TEST_F(DispatchTest, VolumeReportSetsTheMusicLevelUnderVolumeMode)
{
    g_pSetting->VolumeMode = true;
    Message(playerlink::kMsgVolumeReport, 70, 0);
    EXPECT_EQ(FrmMediaPlayer->m_nMusicLevel, 3);
    EXPECT_EQ(FrmData->m_nMusicVolume, 70);
    EXPECT_FALSE(FrmData->m_bOriginalVocal);
    Message(playerlink::kMsgVolumeReport, 60, 1);
    EXPECT_EQ(FrmMediaPlayer->m_nMusicLevel, 2);
    EXPECT_TRUE(FrmData->m_bOriginalVocal);
    Message(playerlink::kMsgVolumeReport, 10, 1);
    EXPECT_EQ(FrmMediaPlayer->m_nMusicLevel, 0);
    // Without VolumeMode the level stays; the volume is kept.
    g_pSetting->VolumeMode = false;
    Message(playerlink::kMsgVolumeReport, 90, 1);
    EXPECT_EQ(FrmMediaPlayer->m_nMusicLevel, 0);
    EXPECT_EQ(FrmData->m_nMusicVolume, 90);
}

TEST_F(DispatchTest, ALockedRoomPausesThePlayerAgain)
{
    FrmMediaPlayer->m_bLocked = true;
    Message(playerlink::kMsgPausedReport, 0, 1);
    EXPECT_TRUE(FrmData->m_bPlayerPaused);
    EXPECT_TRUE(Commands().isEmpty());
    Message(playerlink::kMsgPausedReport, 0, 0);
    EXPECT_FALSE(FrmData->m_bPlayerPaused);
    ASSERT_TRUE(WaitUntil([&] { return Commands() == QList<int64_t>{playerlink::kCmdPause}; }, 3000));
    FrmMediaPlayer->m_bLocked = false;
    Message(playerlink::kMsgPausedReport, 0, 0);
    EXPECT_EQ(Commands().size(), 1);
}

TEST_F(DispatchTest, PlayerFlagsAndKeys)
{
    Message(playerlink::kMsgRecordingReport, 0, 1);
    EXPECT_TRUE(FrmMediaPlayer->m_bPlayerRecording);
    Message(playerlink::kMsgShadowReport, 0, 1);
    EXPECT_TRUE(FrmMediaPlayer->m_bShadowMode);
    // In 炫影 mode RETURN leaves it at the player and goes no further.
    EXPECT_TRUE(Message(kWmKeyDown, Keys().RETURN));
    ASSERT_TRUE(WaitUntil([&] { return Commands().contains(playerlink::kCmdLeaveShadowMode); }, 3000));
    // The arrows and Enter go to the player too, and still reach the screen.
    m_aToPlayer.clear();
    EXPECT_FALSE(Message(kWmKeyDown, vk::Up));
    EXPECT_FALSE(Message(kWmKeyDown, 'A'));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return std::any_of(m_aToPlayer.begin(), m_aToPlayer.end(), [](const windowlink::WindowMessage& m) {
                return m.message == windowlink::WM_KEYDOWN && m.wParam == vk::Up;
            });
        },
        3000));
    Settle();
    EXPECT_EQ(std::count_if(m_aToPlayer.begin(), m_aToPlayer.end(),
                            [](const windowlink::WindowMessage& m) { return m.message == windowlink::WM_KEYDOWN; }),
              1);
    // A key pressed at the player reaches the front screen through the main window.
    m_catcher.keys.clear();
    Message(playerlink::kMsgPlayerKey, 0, Keys().PAGEDOWN);
    Settle();
    EXPECT_EQ(m_catcher.keys, QList<int>{Keys().PAGEDOWN});
}

TEST_F(DispatchTest, AddSongDoneWithNothingAddedOnlyRestoresTimer2)
{
    ASSERT_TRUE(FrmMediaPlayer->Timer2()->isActive());
    FrmData->OrderSongByNumber(FrmData->CD_Song.FieldByName(QStringLiteral("SongNo")).AsString());
    const int queued = FrmData->m_pOrder->RecordCount();
    FrmMediaPlayer->m_bTimer2Saved = false;
    Message(playerlink::kMsgAddSongDone, 1, 0);
    EXPECT_FALSE(FrmMediaPlayer->Timer2()->isActive());
    EXPECT_EQ(FrmData->m_pOrder->RecordCount(), queued);
    FrmMediaPlayer->m_bTimer2Saved = true;
    Message(playerlink::kMsgAddSongDone, 1, 0);
    EXPECT_TRUE(FrmMediaPlayer->Timer2()->isActive());
}

TEST_F(DispatchTest, DispatchKeyCommandsAndScreens)
{
    DispatchKey(Keys().BANCHANG);
    DispatchKey(Keys().YUANCHANG);
    DispatchKey(Keys().SELLANG);
    DispatchKey(Keys().MEDIATIME);
    ASSERT_TRUE(WaitUntil([&] { return Commands().size() >= 2; }, 3000));
    EXPECT_EQ(Commands(), (QList<int64_t>{playerlink::kCmdAccompaniment, playerlink::kCmdVocal}));

    DispatchKey(Keys().PLAYLIST);
    ASSERT_NE(g_pFrmManager->TopScreen(), nullptr);
    EXPECT_EQ(g_pFrmManager->TopScreen()->objectName(), "frmorder");
    DispatchKey(Keys().MAINMENU);
    Settle();
    EXPECT_EQ(g_pFrmManager->OpenScreens().size(), 1);
    EXPECT_EQ(TKVFormManager::NodeName(g_pFrmManager->TopScreen()->m_pNode), "portal");

    FrmMediaPlayer->m_bPlayback = true;
    DispatchKey(Keys().STOP);
    EXPECT_FALSE(FrmMediaPlayer->m_bPlayback);
    EXPECT_TRUE(WaitUntil([&] { return Commands().contains(playerlink::kCmdStop); }, 3000));
}

TEST_F(DispatchTest, MainWindowPostsKeysToTheFrontScreenOrDispatchesThem)
{
    int key = Keys().PAGEDOWN;
    FrmMediaPlayer->FormKeyDown(key);
    EXPECT_EQ(key, 0);
    Settle();
    EXPECT_EQ(m_catcher.keys, QList<int>{Keys().PAGEDOWN});

    g_pFrmManager->CloseAll();
    Settle();
    ASSERT_EQ(g_pFrmManager->TopScreen(), nullptr);
    key = Keys().BANCHANG;
    FrmMediaPlayer->FormKeyDown(key);
    EXPECT_EQ(key, 0);
    EXPECT_TRUE(WaitUntil([&] { return Commands().contains(playerlink::kCmdAccompaniment); }, 3000));

    // SmallScreen: RETURN with no screen open brings the portal back.
    g_pSetting->SmallScreen = true;
    key = Keys().RETURN;
    FrmMediaPlayer->FormKeyDown(key);
    EXPECT_EQ(key, Keys().RETURN);
    EXPECT_NE(g_pFrmManager->TopScreen(), nullptr);
    FrmMediaPlayer->Timer2Timer();
    EXPECT_FALSE(FrmMediaPlayer->Timer2()->isActive());
}

TEST_F(DispatchTest, LevelNamesAndTheDestroyHandler)
{
    g_pSetting->KeyLevel = 0;
    FrmMediaPlayer->RefreshLevelNames();
    EXPECT_EQ(FrmMediaPlayer->m_pKeyNames, QStringList{"0"});
    g_pSetting->KeyLevel = 6;
    FrmMediaPlayer->RefreshLevelNames();
    EXPECT_EQ(FrmMediaPlayer->m_pKeyNames.size(), 13);
    EXPECT_EQ(FrmMediaPlayer->m_pKeyNames.first(), "-6");
    EXPECT_EQ(FrmMediaPlayer->m_pLevelNames.size(), 5);
    EXPECT_EQ(FrmMediaPlayer->m_pLevelNames[2], g_pSetting->Texts.Level3);
    EXPECT_EQ(FrmMediaPlayer->m_pEffectNames, (QStringList{"K歌", "专业", "整蛊", "业余"}));

    // A program of a menu slot closes with the station.
    const QString slotCaption = UniqueCaption(QStringLiteral("menu-slot"));
    QWidget slotWindow;
    windowlink::LinkWindow slot(slotCaption, &slotWindow);
    bool closed = false;
    QObject::connect(&slot, &windowlink::LinkWindow::MessageReceived,
                     [&](const windowlink::WindowMessage& m) { closed |= m.message == windowlink::WM_CLOSE; });
    g_pSetting->MenuSlots[1] = {QStringLiteral("game"), slotCaption};
    FrmMediaPlayer->FormDestroy();
    EXPECT_TRUE(WaitUntil([&] { return Commands().contains(playerlink::kCmdStationClosing); }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return closed; }, 3000));
    EXPECT_FALSE(CursorClipRect().isEmpty());
}

TEST_F(DispatchTest, LanguageSwitchReloadsTheInterfaceOnlyForAnotherUsableLanguage)
{
    SetLevelNamesRefresher([] { FrmMediaPlayer->RefreshLevelNames(); });
    const int current = g_pSetting->LangType;
    const QPointer<TKVFormXML> portal = g_pFrmManager->TopScreen();
    SwitchLanguage(current);
    SwitchLanguage(99);
    SwitchLanguage(-1);
    Settle();
    EXPECT_EQ(g_pFrmManager->TopScreen(), portal.data());
    ASSERT_GE(g_pSetting->LangList.size(), 2);
    const int other = current == 0 ? 1 : 0;
    SwitchLanguage(other);
    Settle();
    EXPECT_EQ(g_pSetting->LangType, other);
    ASSERT_NE(g_pFrmManager->TopScreen(), nullptr);
    EXPECT_TRUE(portal.isNull() || !portal->isVisible());
    EXPECT_EQ(FrmMediaPlayer->m_pLevelNames[0], g_pSetting->Texts.Level1);
    EXPECT_TRUE(g_pFrmManager->SkinFile().contains(g_pSetting->LangList[other].Folder));
    SetLevelNamesRefresher(nullptr);
}

TEST_F(DispatchTest, ASecondMessageReplacesTheTextOfTheOpenMessageScreen)
{
    ShowMessageText(QStringLiteral("one"));
    TKVFormXML* msg = g_pFrmManager->TopScreen();
    ASSERT_NE(msg, nullptr);
    ASSERT_NE(msg->FindLabel(QStringLiteral("Msg")), nullptr);
    EXPECT_EQ(msg->FindLabel(QStringLiteral("Msg"))->Caption(), "one");
    ShowMessageText(QStringLiteral("two"));
    EXPECT_EQ(g_pFrmManager->TopScreen(), msg);
    EXPECT_EQ(msg->FindLabel(QStringLiteral("Msg"))->Caption(), "two");
}

TEST_F(DispatchTest, AddSongDoneQueuesExactlyTheNewSongsThatLackTheirData)
{
    DataSet& songs = FrmData->CD_Song;
    songs.First();
    const QString a = songs.FieldByName(QStringLiteral("SongNo")).AsString();
    songs.Next();
    const QString b = songs.FieldByName(QStringLiteral("SongNo")).AsString();
    FrmData->OrderSongByNumber(a); // an old entry, gone afterwards
    ASSERT_TRUE(FrmData->RunSql(QStringLiteral("update original set Version='1', Music='1', CreateDate=?"),
                                {QDateTime::currentDateTime().addDays(-100)}));
    ASSERT_TRUE(FrmData->RunSql(QStringLiteral("update original set Version=null, CreateDate=? where SONGNO in (?,?)"),
                                {QDateTime::currentDateTime().addDays(-1), a, b}));
    Message(playerlink::kMsgAddSongDone, 0, 0);
    QStringList queued;
    DataSet& queue = *FrmData->m_pOrder;
    for (queue.First(); !queue.Eof(); queue.Next())
        queued << queue.FieldByName(QStringLiteral("SongNo")).AsString();
    queued.sort();
    QStringList expected{a, b};
    expected.sort();
    EXPECT_EQ(queued, expected);
}

// ---- touches and keys through the window system and the message filter ----

namespace {

// The station's message filter sees the window messages of every window of
// its process, so the player here is the real program in its own process.
class GuestDispatchTest : public DispatchTest
{
protected:
    void SetUp() override
    {
        DispatchTest::SetUp();
        m_pPlayer.reset();
        m_pRealPlayer = std::make_unique<Program>(QStringLiteral("vodplayer"),
                                                  QStringList{QStringLiteral("--headless"), QStringLiteral("--caption"),
                                                              m_sPlayer, QStringLiteral("--client-caption"),
                                                              UniqueCaption(QStringLiteral("guest-station"))});
        ASSERT_TRUE(WaitUntil([&] { return m_pRealPlayer->Output().contains(QStringLiteral("ready")); }, 15000));
        InstallInputDispatch();
        Settle();
    }
    void TearDown() override
    {
        RemoveInputDispatch();
        m_pRealPlayer.reset();
        DispatchTest::TearDown();
    }
    TKVFormXML* Front()
    {
        Settle();
        return g_pFrmManager->TopScreen();
    }
    // The numbers of the player's log lines that begin with the word.
    QList<int64_t> PlayerGot(const QString& word)
    {
        Settle();
        QList<int64_t> codes;
        for (const QString& line : m_pRealPlayer->Lines()) {
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.size() >= 2 && parts[0] == word)
                codes.append(parts[1].toLongLong());
        }
        return codes;
    }
    std::unique_ptr<Program> m_pRealPlayer;
};

} // namespace

TEST_F(GuestDispatchTest, ASwipeOnTheSongListTurnsThePageAndOrdersNothing)
{
    auto* songs = qobject_cast<TFrmSong*>(g_pFrmManager->ShowSongList());
    ASSERT_NE(songs, nullptr);
    ASSERT_GT(songs->m_pList->m_nPageCount, 2);
    const QPoint row = guest::Centre(songs->FindLabel(QStringLiteral("songname4")));
    // Downwards from one title to another: the next page; upwards: back.
    guest::Drag(songs, row, row + QPoint(3, 120));
    Settle();
    EXPECT_EQ(songs->m_pList->SelPage(), 2);
    guest::Drag(songs, row, row - QPoint(3, 120));
    Settle();
    EXPECT_EQ(songs->m_pList->SelPage(), 1);
    guest::Drag(songs, row, row + QPoint(-2, 60));
    Settle();
    EXPECT_EQ(songs->m_pList->SelPage(), 2);
    // To the left: the page before; to the right: the next again.
    guest::Drag(songs, row, row - QPoint(200, 4));
    Settle();
    EXPECT_EQ(songs->m_pList->SelPage(), 1);
    guest::Drag(songs, row, row + QPoint(200, 4));
    Settle();
    EXPECT_EQ(songs->m_pList->SelPage(), 2);
    // The release over a title is part of the stroke, not a touch on it.
    EXPECT_EQ(FrmData->m_pOrder->RecordCount(), 0);
    // A touch that stays within 10 pixels orders the title.
    guest::Drag(songs, row, row + QPoint(10, 0));
    EXPECT_EQ(songs->m_pList->SelPage(), 2);
    EXPECT_EQ(FrmData->m_pOrder->RecordCount(), 1);
}

TEST_F(GuestDispatchTest, ARightClickGoesBackFromTheScreenUnderThePointer)
{
    TKVFormXML* portal = Front();
    TKVFormXML* languages = g_pFrmManager->ShowLanguage();
    ASSERT_NE(languages, nullptr);
    TSubTitle* button = languages->FindLabel(QStringLiteral("Lang1"));
    ASSERT_NE(button, nullptr);
    guest::Press(languages, guest::Centre(button), Qt::RightButton);
    guest::Release(languages, guest::Centre(button), Qt::RightButton);
    EXPECT_EQ(Front(), portal);
    // The right button did not press the language button under it.
    EXPECT_TRUE(FrmData->m_pFilter->Criterion(TSongFilter::kLanguage).isEmpty());
}

TEST_F(GuestDispatchTest, ArrowKeysMoveTheScreensFocusAndReachThePlayer)
{
    TKVFormXML* languages = g_pFrmManager->ShowLanguage();
    ASSERT_NE(languages, nullptr);
    Settle();
    ASSERT_EQ(guest::KeyboardWindow(), languages->windowHandle());
    ASSERT_EQ(languages->m_pFocus, languages->FindLabel(QStringLiteral("Lang1")));
    guest::Key(Qt::Key_Right);
    EXPECT_EQ(languages->m_pFocus, languages->FindLabel(QStringLiteral("Lang2")));
    guest::Key(Qt::Key_Down);
    guest::Key('A');
    ASSERT_TRUE(WaitUntil([&] { return PlayerGot(QStringLiteral("key")).size() >= 2; }, 5000));
    Settle();
    EXPECT_EQ(PlayerGot(QStringLiteral("key")), (QList<int64_t>{vk::Right, vk::Down}));
}

TEST_F(GuestDispatchTest, ASkinBackButtonClosesItsScreenInShadowMode)
{
    FrmMediaPlayer->m_bShadowMode = true;
    TKVFormXML* portal = Front();
    TKVFormXML* languages = g_pFrmManager->ShowLanguage();
    ASSERT_NE(languages, nullptr);
    TSubTitle* back = languages->FindLabel(QStringLiteral("PubBack"));
    ASSERT_NE(back, nullptr);
    guest::TapOn(back);
    EXPECT_EQ(Front(), portal);
    EXPECT_FALSE(PlayerGot(QStringLiteral("command")).contains(playerlink::kCmdLeaveShadowMode));
    // RETURN from the keyboard is the player's: it leaves 炫影 mode there and
    // the screen stays.
    languages = g_pFrmManager->ShowLanguage();
    Settle();
    guest::Key(Qt::Key_Escape);
    EXPECT_EQ(Front(), languages);
    EXPECT_TRUE(WaitUntil(
        [&] { return PlayerGot(QStringLiteral("command")).contains(playerlink::kCmdLeaveShadowMode); }, 5000));
}

TEST_F(GuestDispatchTest, ModifierKeysFireNoMicrophoneToneOrEffectCommand)
{
    QList<std::pair<int, int>> channels;
    QList<int> effects;
    DispatchDevices().SelectChannel = [&](int channel, int step) { channels.append({channel, step}); };
    DispatchDevices().SetEffectLevel = [&](int level) { effects.append(level); };
    DispatchDevices().ResetTone = [&] { effects.append(-1); };
    ASSERT_EQ(Keys().Mic_Add, 160); // the default bindings of the side-specific codes
    Settle();
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    ASSERT_NE(target, nullptr);
    // Left and right Shift, Ctrl and Alt, as the X server names them.
    const std::pair<Qt::Key, quint32> modifiers[] = {{Qt::Key_Shift, 0xffe1},   {Qt::Key_Shift, 0xffe2},
                                                     {Qt::Key_Control, 0xffe3}, {Qt::Key_Control, 0xffe4},
                                                     {Qt::Key_Alt, 0xffe9},     {Qt::Key_Alt, 0xffea}};
    for (const auto& [key, keysym] : modifiers) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, 0, keysym, 0);
        QApplication::sendEvent(target, &press);
    }
    Settle();
    EXPECT_TRUE(channels.isEmpty());
    EXPECT_TRUE(effects.isEmpty());
    DispatchDevices() = TDispatchDevices();
}

TEST_F(GuestDispatchTest, VolumeAndRecordMoviesOpenOneOverlayEachThatBackAndHomeClose)
{
    for (const char* movie : {"volume.swf", "Record.swf"}) {
        QFile file(g_pSetting->SkinDir() + QLatin1String(movie));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const auto visibleScreens = [] {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += qobject_cast<TKVFormXML*>(w) && w->isVisible();
        return n;
    };
    TKVFormXML* portal = Front();
    TSubTitle* volume = portal->FindLabel(QStringLiteral("MainVolume"));
    ASSERT_NE(volume, nullptr);
    guest::TapOn(volume);
    QPointer<TKVFormXML> overlay = Front();
    ASSERT_NE(overlay.data(), portal);
    EXPECT_FALSE(overlay->m_bPaintBackground);
    // The volume key again brings the same overlay forward.
    guest::TapOn(volume);
    EXPECT_EQ(Front(), overlay.data());
    EXPECT_EQ(visibleScreens(), 2);
    EXPECT_EQ(guest::KeyboardWindow(), overlay->windowHandle());
    // Back closes it.
    guest::Key(Qt::Key_Escape);
    Settle();
    EXPECT_TRUE(overlay.isNull());
    EXPECT_EQ(Front(), portal);
    EXPECT_EQ(visibleScreens(), 1);

    // The record key twice, then home.
    guest::Key(Qt::Key_QuoteLeft);
    overlay = Front();
    ASSERT_NE(overlay.data(), portal);
    guest::Key(Qt::Key_QuoteLeft);
    EXPECT_EQ(Front(), overlay.data());
    EXPECT_EQ(visibleScreens(), 2);
    guest::Key(Qt::Key_Minus, Qt::KeypadModifier); // MAINMENU
    Settle();
    EXPECT_TRUE(overlay.isNull());
    EXPECT_EQ(visibleScreens(), 1);
}
