// Skin document access, screen creation and the open-screen list, button
// actions and the named openers.
#include "UiTestUtil.h"
#include "core/Exception.h"
#include "core/Gbk.h"
#include "core/Station.h"
#include "platform/keys/VirtualKeys.h"
#include "ui/FlashControl.h"

#include <QCloseEvent>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace uitest;

namespace {

// A skin with an ordering portal, a language screen, the named forms and a
// public return button.
QString OrderingPortal()
{
    return Button("ordersongbtn", 10, 10, 50, 50, "1") +
           QStringLiteral("<ordersong type=\"button\" visible=\"1\" enabled=\"1\" left=\"70\" top=\"10\" width=\"50\" "
                          "height=\"50\" key=\"2\">"
                          "<Language type=\"button\" visible=\"1\" enabled=\"1\" key=\"3\" left=\"0\" top=\"0\" "
                          "width=\"10\" height=\"10\">") +
           Button("lang1", 0, 0, 40, 40, "1", "click=\"frmsong\" parameter=\"2\"") +
           Button("lang2", 50, 0, 40, 40, "2", "click=\"frmsong\" parameter=\"\"") +
           QStringLiteral("</Language>"
                          "<songbypy type=\"button\" visible=\"1\" enabled=\"1\" key=\"4\" left=\"0\" top=\"0\" "
                          "width=\"10\" height=\"10\">") +
           Button("py1", 0, 0, 40, 40, "5") +
           QStringLiteral("</songbypy>"
                          "<storke type=\"button\" visible=\"1\" enabled=\"1\" key=\"6\" left=\"0\" top=\"0\" "
                          "width=\"10\" height=\"10\">") +
           Button("s1", 0, 0, 40, 40, "5") +
           QStringLiteral("</storke>"
                          "<Words type=\"button\" visible=\"1\" enabled=\"1\" key=\"7\" left=\"0\" top=\"0\" "
                          "width=\"10\" height=\"10\">") +
           Button("w3", 0, 0, 40, 40, "3", "click=\"frmsong\" parameter=\"3\"") +
           QStringLiteral("</Words></ordersong>"
                          "<Disco type=\"button\" visible=\"1\" enabled=\"1\" key=\"9\" left=\"0\" top=\"0\" "
                          "width=\"10\" height=\"10\">") +
           Button("d1", 0, 0, 40, 40, "1") + QStringLiteral("</Disco>");
}

QString PublicPart(const QString& extraForms = QString())
{
    return QStringLiteral("<public><button>") + Button("Back", 700, 500, 80, 40, "return") +
           QStringLiteral("<Hidden type=\"button\" visible=\"0\" enabled=\"1\" key=\"pageup\"/>") +
           QStringLiteral("</button><form><frmsong>") + Button("title", 0, 0, 100, 30, "") +
           QStringLiteral("</frmsong><frmlock>") + Button("Msg", 0, 0, 300, 30, "", "showcaption=\"1\"") +
           Button("Return", 0, 40, 100, 30, "return") + QStringLiteral("</frmlock><frmsingerlist>") +
           Button("sl", 0, 0, 10, 10, "") +
           QStringLiteral("</frmsingerlist><frmvolume left=\"10\" top=\"20\" width=\"300\" height=\"200\">") +
           Button("v", 0, 0, 10, 10, "") + QStringLiteral("</frmvolume>") + extraForms +
           QStringLiteral("</form></public>");
}

} // namespace

TEST(SkinDocument, AttrToIntReadsDecimalAndHexAndGivesZeroForBadText)
{
    EXPECT_EQ(TKVFormManager::AttrToInt("120"), 120);
    EXPECT_EQ(TKVFormManager::AttrToInt("-5"), -5);
    EXPECT_EQ(TKVFormManager::AttrToInt("$1F"), 31);
    EXPECT_EQ(TKVFormManager::AttrToInt("0x10"), 16);
    EXPECT_EQ(TKVFormManager::AttrToInt(""), 0);
    EXPECT_EQ(TKVFormManager::AttrToInt("12px"), 0);
    EXPECT_EQ(TKVFormManager::AttrToInt("abc"), 0);
    EXPECT_EQ(TKVFormManager::StrictInt("$FF"), 255);
    EXPECT_THROW(TKVFormManager::StrictInt("12px"), Exception);
    EXPECT_THROW(TKVFormManager::StrictInt(""), Exception);
}

TEST_F(UiTest, NodePathsButtonsAndKeyWords)
{
    LoadSkin(OrderingPortal(), PublicPart());
    EXPECT_EQ(TKVFormManager::NodeName(m_pManager->SelectNode("root/portal/ordersong/Language")), "Language");
    EXPECT_TRUE(m_pManager->SelectNode("root/portal/nothing").isNull());
    EXPECT_TRUE(m_pManager->SelectNode("root//portal").isNull());
    EXPECT_TRUE(m_pManager->SelectNode("Root/portal").isNull()) << "names compare with their case";
    EXPECT_EQ(TKVFormManager::NodeAttr(QDomElement(), "left"), "");
    EXPECT_EQ(TKVFormManager::NodeName(QDomElement()), "");

    const QDomElement portal = m_pManager->m_pPortal;
    // The screen's own children first, then the public buttons.
    EXPECT_EQ(m_pManager->FindButton(portal, "ordersongbtn").tagName(), "ordersongbtn");
    EXPECT_EQ(m_pManager->FindButton(portal, "Back").tagName(), "Back");
    EXPECT_TRUE(m_pManager->FindButton(portal, "nothing").isNull());

    QDomDocument doc;
    doc.setContent(QStringLiteral("<r><a key=\"pageup#enter\"/><b key=\"RETURN#bogus\"/><c key=\"#\"/>"
                                  "<d key=\"SONG\"/><e key=\".\"/></r>"));
    const QDomElement r = doc.documentElement();
    EXPECT_EQ(m_pManager->ButtonKey(r.firstChildElement("a"), false), 33);
    EXPECT_EQ(m_pManager->ButtonKey(r.firstChildElement("a"), true), 13);
    EXPECT_EQ(m_pManager->ButtonKey(r.firstChildElement("b"), false), 27);
    EXPECT_EQ(m_pManager->ButtonKey(r.firstChildElement("b"), true), 0);
    EXPECT_EQ(m_pManager->ButtonKey(r.firstChildElement("c"), false), 0);
    EXPECT_EQ(m_pManager->ButtonKey(r.firstChildElement("c"), true), 0);
    EXPECT_EQ(m_pManager->ButtonKey(r.firstChildElement("d"), false), 226);
    EXPECT_EQ(m_pManager->ButtonKey(r.firstChildElement("e"), false), 46);

    // By key: visible and enabled ones only, public buttons after the screen's.
    EXPECT_EQ(m_pManager->FindButtonByKey(portal, '2').tagName(), "ordersong");
    EXPECT_EQ(m_pManager->FindButtonByKey(portal, 27).tagName(), "Back");
    EXPECT_TRUE(m_pManager->FindButtonByKey(portal, 33).isNull()) << "a button with visible 0 is not found";
    EXPECT_TRUE(m_pManager->FindButtonByKey(portal, 0).isNull());
}

// A skin file the station cannot use shows a plain error screen naming the
// file and the line instead of leaving the screen black, logs the error (Debug
// off) and finds nothing.
TEST_F(UiTest, UnusableSkinFileShowsTheErrorScreenAndFindsNothing)
{
    ResetLogForTests();
    const QString file = m_sSkin + "buttons.xml";
    const auto load = [&](const QString& text) {
        WriteSkin(text);
        m_pManager->LoadSkin(file);
        EXPECT_EQ(m_pManager->TopScreen(), nullptr);
        EXPECT_TRUE(m_pManager->SelectNode("root").isNull());
        EXPECT_EQ(m_pManager->ShowPortal(), nullptr);
        TSkinErrorScreen* screen = m_pManager->SkinErrorScreen();
        EXPECT_TRUE(screen && screen->isVisible());
        return screen ? screen->Text() : QString();
    };
    // Cut off in the middle of the third line.
    EXPECT_TRUE(load("<root>\n<portal left=\"0\" top=\"0\">\n<b width=\"800\"").contains(file + ":3:"))
        << m_pManager->SkinError().toStdString();
    // Entities that expand a few bytes into gigabytes are refused.
    QString bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE root [\n<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n";
    for (char c = 'b'; c <= 'k'; ++c)
        bomb += QString("<!ENTITY %1 \"&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;\">\n").arg(c).arg(QChar(c - 1));
    bomb += "]>\n<root><portal left=\"0\" top=\"0\" caption=\"&k;\"/></root>\n";
    EXPECT_TRUE(load(bomb).contains(file + ":")) << m_pManager->SkinError().toStdString();
    // Well formed, but without a portal.
    EXPECT_TRUE(load("<root><public/></root>").contains("root/portal"));
    // A file over the limit is refused before it is read.
    EXPECT_TRUE(load("<root><portal/>" + QString(int(kMaxSkinFileBytes), ' ') + "</root>").contains("bytes"));
    QFile log(m_sExe + "LogVod.txt");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(ToWide(log.readAll()).count(file + ":"), 4);

    m_pManager->LoadSkin(m_sSkin + "missing.xml");
    EXPECT_TRUE(m_pManager->SkinError().contains("missing.xml"));
    // A usable skin replaces the error screen by the portal.
    QPointer<TSkinErrorScreen> error = m_pManager->SkinErrorScreen();
    LoadSkin(OrderingPortal(), PublicPart());
    FlushEvents();
    EXPECT_TRUE(error.isNull());
    EXPECT_TRUE(m_pManager->SkinError().isEmpty());
    EXPECT_NE(m_pManager->TopScreen(), nullptr);
}

// The close request of the window manager as the window system delivers it:
// a spontaneous close event on the widget's window.
static void WindowSystemClose(QWidget* widget)
{
    ASSERT_TRUE(widget->windowHandle());
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QCoreApplication::sendEvent(widget->windowHandle(), &close);
}

// The window manager closing the portal (or the skin error screen) ends the
// station in order, as CloseStation does; the program's own closes do not.
TEST_F(UiTest, WindowManagerCloseOfThePortalEndsTheStation)
{
    ResetLogForTests();
    QStringList steps;
    SetStationClosers({[&] {
                           steps << "screens";
                           m_pManager->CloseAll();
                       },
                       [&] { steps << "queue"; }, [&] { steps << "main"; }});
    LoadSkin(OrderingPortal(), PublicPart());
    QPointer<TKVFormXML> portal = m_pManager->TopScreen();
    ASSERT_TRUE(portal);
    ASSERT_NE(m_pManager->ShowOrderSong(), nullptr);
    FlushEvents();
    m_pManager->CloseToPortal(); // the program's close of a screen
    FlushEvents();
    EXPECT_TRUE(steps.isEmpty());

    WindowSystemClose(portal);
    FlushEvents();
    EXPECT_EQ(steps, QStringList({"screens", "queue", "main"}));
    EXPECT_TRUE(portal.isNull() || !portal->isVisible());

    steps.clear();
    WriteSkin("<root>");
    m_pManager->LoadSkin(m_sSkin + "buttons.xml");
    TSkinErrorScreen* error = m_pManager->SkinErrorScreen();
    ASSERT_NE(error, nullptr);
    WindowSystemClose(error);
    FlushEvents();
    EXPECT_EQ(steps, QStringList({"screens", "queue", "main"}));
    SetStationClosers({});
}

TEST_F(UiTest, SkinDeclaredAsGbkIsRead)
{
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<root><portal left=\"1\" "
                                        "top=\"2\" width=\"640\" height=\"480\">") +
                         Button("b", 0, 0, 10, 10, "1", "showcaption=\"1\" caption=\"点歌\"") +
                         QStringLiteral("</portal></root>");
    QFile file(m_sSkin + "buttons.xml");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ToNarrow(text));
    file.close();
    m_pManager->LoadSkin(m_sSkin + "buttons.xml");
    ASSERT_NE(m_pManager->TopScreen(), nullptr);
    EXPECT_EQ(m_pManager->m_nWidth, 640);
    EXPECT_EQ(m_pManager->TopScreen()->FindLabel("b")->Caption(), QStringLiteral("点歌"));
}

TEST_F(UiTest, LoadSkinShowsThePortalAsItsOwnClass)
{
    LoadSkin(OrderingPortal(), PublicPart(), "left=\"5\" top=\"6\" width=\"800\" height=\"600\"");
    TKVFormXML* portal = m_pManager->TopScreen();
    ASSERT_NE(portal, nullptr);
    EXPECT_NE(qobject_cast<TFrmMain*>(portal), nullptr);
    EXPECT_EQ(portal->objectName(), "portal");
    EXPECT_EQ(portal->geometry(), QRect(5, 6, 800, 600));
    EXPECT_TRUE(portal->isVisible());
}

namespace {
class TCustomScreen : public TKVFormXML
{
public:
    int builds = 0;
    void Build(const QDomElement& node) override
    {
        TKVFormXML::Build(node);
        ++builds;
    }
};
} // namespace

TEST_F(UiTest, ScreenClassComesFromTheFactoryTable)
{
    RegisterScreenFactory("Language", [] { return new TCustomScreen(); });
    LoadSkin(OrderingPortal(), PublicPart());
    TKVFormXML* language = m_pManager->ShowLanguage();
    auto* custom = dynamic_cast<TCustomScreen*>(language);
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(custom->builds, 1);
    RegisterScreenFactory("Language", nullptr);
    // Without a registration the plain skinned screen is made.
    language->close();
    FlushEvents();
    TKVFormXML* plain = m_pManager->ShowLanguage();
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(dynamic_cast<TCustomScreen*>(plain), nullptr);
}

TEST_F(UiTest, OpenScreenListFollowsShowingAndClosing)
{
    LoadSkin(OrderingPortal(), PublicPart());
    TKVFormXML* portal = m_pManager->TopScreen();
    TKVFormXML* order = m_pManager->ShowOrderSong();
    ASSERT_NE(order, nullptr);
    // Showing an open screen again brings it to the front and makes none.
    EXPECT_EQ(m_pManager->ShowOrderSong(), nullptr);
    EXPECT_EQ(m_pManager->OpenScreens().size(), 2);
    TKVFormXML* language = m_pManager->ShowLanguage();
    EXPECT_EQ(m_pManager->OpenScreens(), (QList<TKVFormXML*>{portal, order, language}));
    // Brought forward, an open screen is the newest entry again.
    EXPECT_EQ(m_pManager->FindOpenScreen(m_pManager->SelectNode("root/portal/ordersong")), order);
    EXPECT_EQ(m_pManager->OpenScreens(), (QList<TKVFormXML*>{portal, language, order}));

    m_pManager->PushScreen(order); // already the newest: no second entry
    EXPECT_EQ(m_pManager->m_pScreens.size(), 3);

    language->close(); // a screen in the middle
    EXPECT_EQ(m_pManager->OpenScreens(), (QList<TKVFormXML*>{portal, order}));
    FlushEvents();
    EXPECT_EQ(m_pManager->TopScreen(), order);
    order->close();
    FlushEvents();
    language = m_pManager->ShowLanguage();
    ASSERT_NE(language, nullptr);

    // RETURN closes the front screen; the portal never closes by RETURN.
    SendVkKeyDown(language, 27);
    FlushEvents();
    EXPECT_EQ(m_pManager->TopScreen(), portal);
    SendVkKeyDown(portal, 27);
    FlushEvents();
    EXPECT_EQ(m_pManager->TopScreen(), portal);
}

TEST_F(UiTest, CloseToPortalKeepsThePortalAndCloseAllClosesEverything)
{
    LoadSkin(OrderingPortal(), PublicPart());
    m_pManager->CloseToPortal();
    EXPECT_EQ(m_pManager->OpenScreens().size(), 1);
    m_pManager->ShowOrderSong();
    m_pManager->ShowLanguage();
    m_pManager->ShowSongList();
    EXPECT_EQ(m_pManager->OpenScreens().size(), 4);
    m_pManager->CloseToPortal();
    FlushEvents();
    ASSERT_EQ(m_pManager->OpenScreens().size(), 1);
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), "portal");

    // The main form stops CloseToPortal as the portal does.
    TKVFormXML* order = m_pManager->ShowOrderSong();
    QPointer<TKVFormXML> language = m_pManager->ShowLanguage();
    UiHooks().MainForm = [order] { return static_cast<QWidget*>(order); };
    m_pManager->CloseToPortal();
    FlushEvents();
    EXPECT_EQ(m_pManager->TopScreen(), order);
    EXPECT_TRUE(language.isNull()) << "closed and freed";
    EXPECT_EQ(m_pManager->OpenScreens().size(), 2);

    m_pManager->CloseAll();
    FlushEvents();
    EXPECT_TRUE(m_pManager->OpenScreens().isEmpty());
}

TEST_F(UiTest, LanguageButtonSetsTheFilterOnlyWithAParameterAndPassesItsKeyOn)
{
    LoadSkin(OrderingPortal(), PublicPart());
    QStringList calls;
    QList<int> dispatched;
    UiHooks().SetLanguage = [&](const QString& p) { calls << "SetLanguage " + p; };
    UiHooks().ClearCriteria = [&] { calls << "ClearCriteria"; };
    UiHooks().SetSongCount = [&](int n) { calls << QString("SongCount %1").arg(n); };
    UiHooks().DispatchKey = [&](int key) { dispatched << key; };

    TKVFormXML* language = m_pManager->ShowLanguage();
    ASSERT_NE(language, nullptr);
    SendVkKeyDown(language, '1');
    EXPECT_EQ(calls, QStringList{"SetLanguage 2"});
    TKVFormXML* songs = m_pManager->TopScreen();
    ASSERT_NE(songs, language);
    EXPECT_EQ(songs->objectName(), "frmsong");
    // A leaf "frmsong" button does not use up its key.
    EXPECT_EQ(dispatched, QList<int>{'1'});

    songs->close();
    FlushEvents();
    calls.clear();
    SendVkKeyDown(language, '2'); // empty parameter: the criteria stay
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), "frmsong");

    const QDomElement words = m_pManager->SelectNode("root/portal/ordersong/Words");
    EXPECT_FALSE(m_pManager->ButtonAction(words, words.firstChildElement("w3")));
    EXPECT_EQ(calls, (QStringList{"ClearCriteria", "SongCount 3"}));
}

TEST_F(UiTest, SubScreenButtonUsesUpItsKey)
{
    LoadSkin(OrderingPortal(), PublicPart());
    QList<int> dispatched;
    UiHooks().DispatchKey = [&](int key) { dispatched << key; };
    SendVkKeyDown(m_pManager->TopScreen(), '2');
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), "ordersong");
    EXPECT_TRUE(dispatched.isEmpty());
    SendVkKeyDown(m_pManager->TopScreen(), 'Q'); // no button: the station-wide handling gets it
    EXPECT_EQ(dispatched, QList<int>{'Q'});
}

TEST_F(UiTest, PinyinButtonWithTouchStyleGoesStraightToTheSongList)
{
    LoadSkin(OrderingPortal(), PublicPart(), "left=\"0\" top=\"0\" width=\"800\" height=\"600\" PyStyle=\"touch\"");
    int clears = 0;
    UiHooks().ClearCriteria = [&] { ++clears; };
    const QDomElement order = m_pManager->SelectNode("root/portal/ordersong");
    EXPECT_TRUE(m_pManager->ButtonAction(order, order.firstChildElement("songbypy")));
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), "frmsong");
    // The song list is open already: no screen is created, so the key is not used up.
    EXPECT_FALSE(m_pManager->ShowSongByPy());
}

TEST_F(UiTest, LoaderRunningRefusesTheScreensThatNeedItsIndexes)
{
    LoadSkin(OrderingPortal(), PublicPart());
    bool running = true;
    UiHooks().LoaderRunning = [&] { return running; };
    EXPECT_EQ(m_pManager->ShowStroke(), nullptr);
    const QDomElement order = m_pManager->SelectNode("root/portal/ordersong");
    EXPECT_FALSE(m_pManager->ButtonAction(order, order.firstChildElement("songbypy")));
    const QDomElement language = m_pManager->SelectNode("root/portal/ordersong/Language");
    EXPECT_FALSE(m_pManager->ButtonAction(language, language.firstChildElement("lang1")));
    EXPECT_EQ(m_pManager->OpenScreens().size(), 1);
    running = false;
    EXPECT_NE(m_pManager->ShowStroke(), nullptr);
}

TEST_F(UiTest, DiscoPortalDependsOnItsSetting)
{
    LoadSkin(OrderingPortal(), PublicPart());
    const QDomElement disco = m_pManager->SelectNode("root/portal/Disco");

    m_pSetting->Disco = "0";
    EXPECT_EQ(m_pManager->ShowNode(disco, true), nullptr);
    EXPECT_EQ(m_pManager->OpenScreens().size(), 1);

    // A password: the lock screen asks for it.
    m_pSetting->Texts.GoDisco = QStringLiteral("请输入密码:");
    m_pSetting->Disco = "2";
    EXPECT_EQ(m_pManager->ShowNode(disco, true), nullptr);
    TKVFormXML* lock = m_pManager->TopScreen();
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(lock->objectName(), "frmlock");
    EXPECT_EQ(g_pLockScreen.data(), lock);
    EXPECT_EQ(lock->FindLabel("Msg")->Caption(), m_pSetting->Text("GoDisco"));
    EXPECT_FALSE(m_pSetting->Text("GoDisco").isEmpty());
    EXPECT_EQ(m_pManager->ShowDisco(), nullptr) << "the opener needs the setting 1";
    lock->close();
    FlushEvents();

    m_pSetting->Disco = "1";
    TKVFormXML* screen = m_pManager->ShowDisco();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->objectName(), "Disco");
}

namespace {
class TFakeLock : public TKVFormXML, public ILockScreen
{
public:
    QString prompt;
    bool inputAtShow = false;
    void SetPrompt(const QString& text) override { prompt = text; }

protected:
    void FormShow() override
    {
        inputAtShow = InputAllowed;
        TKVFormXML::FormShow();
    }
};
} // namespace

TEST_F(UiTest, LockScreenOpenersSetFlagsBeforeShowingAndPromptAfter)
{
    RegisterScreenFactory("frmlock", [] { return new TFakeLock(); });
    m_pSetting->NeedLogin = true;
    m_pSetting->Texts.LockForShutDown = QStringLiteral("关机密码:");
    LoadSkin(OrderingPortal(), PublicPart());
    auto* login = dynamic_cast<TFakeLock*>(g_pLockScreen.data());
    ASSERT_NE(login, nullptr);
    EXPECT_TRUE(login->inputAtShow);
    EXPECT_FALSE(login->ShutdownMode);
    EXPECT_FALSE(login->FindLabel("Return")->isEnabled());
    login->close();
    FlushEvents();

    auto* shutdown = dynamic_cast<TFakeLock*>(m_pManager->ShowShutdownLock());
    ASSERT_NE(shutdown, nullptr);
    EXPECT_TRUE(shutdown->InputAllowed);
    EXPECT_TRUE(shutdown->ShutdownMode);
    EXPECT_EQ(shutdown->prompt, m_pSetting->Text("LockForShutDown"));
    RegisterScreenFactory("frmlock", nullptr);
}

TEST_F(UiTest, VolumeKeyOpensTheOrdinaryScreenWithoutItsMovie)
{
    LoadSkin(OrderingPortal(), PublicPart());
    TKVFormXML* volume = m_pManager->ShowVolume(false);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(m_pManager->TopScreen(), volume);
    EXPECT_TRUE(volume->m_bPaintBackground);
    EXPECT_EQ(m_pManager->FindVolume(), volume);
}

namespace {
class TOverlayScreen : public TKVFormXML
{
public:
    TOverlayScreen()
    {
        pf = new TTransparentFlashPlayerControl(this);
        pf->setObjectName("pf");
        pf->hide();
    }
    TTransparentFlashPlayerControl* pf;
};
} // namespace

TEST_F(UiTest, VolumeMovieShowsAsOneOverlayThatBackAndHomeClose)
{
    RegisterScreenFactory("frmvolume", [] { return new TOverlayScreen(); });
    LoadSkin(OrderingPortal(), PublicPart());
    QFile movie(m_sSkin + "volume.swf");
    ASSERT_TRUE(movie.open(QIODevice::WriteOnly));
    movie.close();
    auto* overlay = dynamic_cast<TOverlayScreen*>(m_pManager->ShowVolume(false));
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(m_pManager->TopScreen(), overlay);
    EXPECT_FALSE(overlay->m_bPaintBackground);
    EXPECT_EQ(overlay->geometry(), QRect(10, 20, 300, 200));
    EXPECT_TRUE(overlay->pf->GetMakeParentTransparent());
    EXPECT_TRUE(overlay->pf->GetMovie().endsWith("volume.swf"));
    EXPECT_EQ(overlay->pf->geometry(), QRect(0, 0, 300, 200));
    EXPECT_TRUE(overlay->TimerPlaying->isActive());
    EXPECT_EQ(overlay->FindControl("v"), nullptr) << "not built from the skin";

    // The volume key again brings the same overlay forward, still unbuilt.
    EXPECT_EQ(m_pManager->ShowVolume(false), overlay);
    EXPECT_EQ(m_pManager->ShowVolume(true), nullptr);
    EXPECT_EQ(overlay->FindControl("v"), nullptr);
    EXPECT_EQ(m_pManager->OpenScreens().size(), 2);
    // RETURN closes it like any screen; the home key closes it too.
    SendVkKeyDown(overlay, 27);
    FlushEvents();
    EXPECT_EQ(m_pManager->OpenScreens().size(), 1);
    QPointer<TKVFormXML> again = m_pManager->ShowVolume(false);
    ASSERT_FALSE(again.isNull());
    m_pManager->ShowLanguage();
    m_pManager->CloseToPortal();
    FlushEvents();
    EXPECT_TRUE(again.isNull());
    EXPECT_EQ(m_pManager->OpenScreens().size(), 1);
    RegisterScreenFactory("frmvolume", nullptr);
}

TEST_F(UiTest, SkinErrorAbortsOnlyThatScreenAndNamesFileAndLine)
{
    m_pSetting->Debug = true;
    ResetLogForTests();
    LoadSkin(OrderingPortal(), PublicPart(QStringLiteral("<frmorder>\n") + Button("same", 0, 0, 10, 10, "1") + "\n" +
                                          Button("same", 0, 20, 10, 10, "2") + "\n</frmorder>"));
    EXPECT_EQ(m_pManager->ShowOrdered(), nullptr);
    EXPECT_EQ(m_pManager->OpenScreens().size(), 1);
    QFile log(m_sExe + "LogVod.txt");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = ToWide(log.readAll());
    EXPECT_TRUE(text.contains("buttons.xml:")) << text.toStdString();
    // The second "same" is on the line after the first.
    const int line = m_pManager->SelectNode("root/public/form/frmorder").firstChildElement().lineNumber() + 1;
    EXPECT_TRUE(text.contains(QString("buttons.xml:%1:").arg(line))) << text.toStdString();
    // Other screens still open.
    EXPECT_NE(m_pManager->ShowSongList(), nullptr);
    m_pSetting->Debug = false;
}

TEST_F(UiTest, OtherLeafActionsAndTheirResults)
{
    LoadSkin(OrderingPortal(),
             PublicPart("<frmsinger>" + Button("pic", 0, 0, 10, 10, "") + "</frmsinger><frmmylovelogin>" +
                        Button("l", 0, 0, 10, 10, "") + "</frmmylovelogin><frmmylove>" + Button("m", 0, 0, 10, 10, "") +
                        "</frmmylove><frmbill>" + Button("bill", 0, 0, 10, 10, "") + "</frmbill>"));
    QDomDocument doc;
    doc.setContent(QStringLiteral("<r><SingerType/><Other/><b1 click=\"frmsinger\" parameter=\"3\"/>"
                                  "<skin click=\"frmskin\" parameter=\".\"/><skin2 click=\"frmskin\" parameter=\"2\"/>"
                                  "<love click=\"frmmylove\"/><bill click=\"frmbill\"/><unknown click=\"x\"/></r>"));
    const QDomElement r = doc.documentElement();
    QList<int> classes, languages;
    UiHooks().SetSingerClass = [&](int n) { classes << n; };
    UiHooks().SwitchLanguage = [&](int n) { languages << n; };

    // "frmsinger" acts only on the singer-type screen.
    EXPECT_FALSE(m_pManager->ButtonAction(r.firstChildElement("Other"), r.firstChildElement("b1")));
    EXPECT_TRUE(classes.isEmpty());
    EXPECT_FALSE(m_pManager->ButtonAction(r.firstChildElement("SingerType"), r.firstChildElement("b1")));
    EXPECT_EQ(classes, QList<int>{3});
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), "frmsingerlist") << "without SingerStyle pic";

    // The language switch uses up its key; "." stands for 10.
    EXPECT_TRUE(m_pManager->ButtonAction(QDomElement(), r.firstChildElement("skin")));
    EXPECT_TRUE(m_pManager->ButtonAction(QDomElement(), r.firstChildElement("skin2")));
    EXPECT_EQ(languages, (QList<int>{10, 2}));

    // Favourites: the login screen until a user is signed in.
    EXPECT_TRUE(m_pManager->ButtonAction(QDomElement(), r.firstChildElement("love")));
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), "frmmylovelogin");
    UiHooks().FavouritesUserSignedIn = [] { return true; };
    EXPECT_EQ(m_pManager->ShowMyLove()->objectName(), "frmmylove");

    // The bill needs the room-service database.
    EXPECT_FALSE(m_pManager->ButtonAction(QDomElement(), r.firstChildElement("bill")));
    EXPECT_NE(m_pManager->TopScreen()->objectName(), "frmbill");
    UiHooks().RoomServiceConnects = [] { return true; };
    EXPECT_FALSE(m_pManager->ButtonAction(QDomElement(), r.firstChildElement("bill"))) << "opens, key not used up";
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), "frmbill");

    EXPECT_FALSE(m_pManager->ButtonAction(QDomElement(), r.firstChildElement("unknown")));
    EXPECT_FALSE(m_pManager->ButtonAction(QDomElement(), QDomElement()));
}

TEST_F(UiTest, SingerStylePicOpensThePhotoGridScreen)
{
    LoadSkin(OrderingPortal(), PublicPart("<frmsinger>" + Button("pic", 0, 0, 10, 10, "") + "</frmsinger>"),
             "left=\"0\" top=\"0\" width=\"800\" height=\"600\" SingerStyle=\"pic\"");
    TKVFormXML* singer = m_pManager->ShowSinger();
    ASSERT_NE(singer, nullptr);
    EXPECT_EQ(singer->objectName(), "frmsinger");
}
