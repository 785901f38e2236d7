// Building screens from skin nodes, key handling, arrow guidance, clicks and
// the timers of the skinned screen.
#include "UiTestUtil.h"
#include "core/Exception.h"
#include "core/Gbk.h"
#include "platform/keys/VirtualKeys.h"
#include "ui/FlashControl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace uitest;

namespace {

// Buttons keyed 1 to 9 in a 3 x 3 grid of 100 x 60 cells with 20-pixel gaps.
QString Grid()
{
    QString text;
    for (int i = 0; i < 9; ++i)
        text +=
            Button(QString("g%1").arg(i + 1), 100 + (i % 3) * 120, 100 + (i / 3) * 80, 100, 60, QString::number(i + 1));
    return text;
}

QString FormWith(const QString& name, const QString& children, const QString& attrs = QString())
{
    return QStringLiteral("<public><form><%1 %3>%2</%1></form></public>").arg(name, children, attrs);
}

QString ReadLog(const QString& exe)
{
    QFile log(exe + "LogVod.txt");
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return ToWide(log.readAll());
}

} // namespace

TEST_F(UiTest, BuildCreatesVisibleControlsWithTheirAttributes)
{
    LoadSkin(
        Button("plain", 10, 20, 100, 40, "a", "showcaption=\"1\" caption=\"Hello\" fontcolor=\"255\"") +
            Button("hidden", 0, 0, 10, 10, "b", "visible=\"0\"").replace("visible=\"1\" ", "") +
            Button("boldItalic", 0, 50, 100, 40, "", "blod=\"1\" italic=\"1\" fontname=\"SimHei\" fontsize=\"20\"") +
            Button("onlyItalic", 0, 100, 100, 40, "", "italic=\"1\" style=\"ellipse\"") +
            Button("memo", 0, 150, 100, 40, "", "style=\"memo\" caption=\"x\"") +
            "<name type=\"edit\" visible=\"1\" enabled=\"1\" hint=\"type here\" left=\"5\" top=\"6\" "
            "width=\"70\" height=\"20\"/>"
            "<movie type=\"flash\" visible=\"1\" enabled=\"1\" file=\"a.swf\" left=\"1\" top=\"2\" width=\"3\" "
            "height=\"4\"/>"
            "<odd type=\"listbox\" visible=\"1\"/>",
        "<public><button>" + Button("Back", 700, 500, 80, 40, "return") + "</button><flash>" +
            "<pubflash type=\"flash\" visible=\"1\" enabled=\"1\" file=\"p.swf\"/></flash></public>");
    TKVFormXML* portal = m_pManager->TopScreen();
    ASSERT_NE(portal, nullptr);
    TSubTitle* plain = portal->FindLabel("plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->geometry(), QRect(10, 20, 100, 40));
    EXPECT_EQ(plain->Caption(), "Hello");
    EXPECT_EQ(plain->FontColor(), QColor(255, 0, 0));
    EXPECT_TRUE(plain->Transparent());
    EXPECT_EQ(plain->Alpha(), 200);
    EXPECT_FALSE(plain->AutoSize());
    EXPECT_EQ(portal->FindControl("hidden"), nullptr);
    EXPECT_EQ(portal->FindControl("odd"), nullptr);

    TSubTitle* boldItalic = portal->FindLabel("boldItalic");
    EXPECT_TRUE(boldItalic->font().bold());
    EXPECT_TRUE(boldItalic->font().italic());
    EXPECT_EQ(boldItalic->font().pointSize(), 20);
    EXPECT_EQ(boldItalic->Caption(), "") << "no caption without showcaption";
    TSubTitle* onlyItalic = portal->FindLabel("onlyItalic");
    EXPECT_FALSE(onlyItalic->font().bold());
    EXPECT_TRUE(onlyItalic->font().italic());
    EXPECT_EQ(onlyItalic->Style(), 2);
    EXPECT_TRUE(portal->FindLabel("memo")->WordWrap());
    EXPECT_EQ(portal->FindLabel("memo")->Style(), 0);

    auto* edit = qobject_cast<QLineEdit*>(portal->FindControl("name"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "type here");
    auto* movie = qobject_cast<TFlashPlayerControl*>(portal->FindControl("movie"));
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->GetMovie(), m_sSkin + "a.swf");
    EXPECT_EQ(movie->GetScaleMode(), 3);
    EXPECT_FALSE(movie->GetPlaying());
    EXPECT_FALSE(movie->GetMenu());
    // Public movies and buttons join every screen that is not a pop-up.
    EXPECT_NE(portal->FindControl("pubflash"), nullptr);
    EXPECT_NE(portal->FindControl("Back"), nullptr);
    EXPECT_TRUE(portal->TimerPlaying->isActive());
}

TEST_F(UiTest, PopupReadsItsRectangleStrictlyAndHasNoPublicControls)
{
    LoadSkin(Button("x", 0, 0, 10, 10, "1"),
             "<public><button>" + Button("Back", 700, 500, 80, 40, "return") + "</button><form>" +
                 "<frmmsg autoclose=\"5\" left=\"100\" top=\"50\" width=\"300\" height=\"200\">" +
                 Button("m", 0, 0, 10, 10, "") + "</frmmsg>" +
                 "<frmosd autoclose=\"5\" left=\"1O0\" top=\"50\" width=\"300\" height=\"200\">" +
                 Button("o", 0, 0, 10, 10, "") + "</frmosd></form></public>");
    TKVFormXML* popup = m_pManager->ShowMsg();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->geometry(), QRect(100, 50, 300, 200));
    EXPECT_TRUE(popup->m_pAutoClose->isActive());
    EXPECT_EQ(popup->m_pAutoClose->interval(), 5000);
    EXPECT_FALSE(popup->TimerPlaying->isActive());
    EXPECT_EQ(popup->FindControl("Back"), nullptr);

    // A key restarts the countdown.
    QTest::qWait(200);
    EXPECT_LT(popup->m_pAutoClose->remainingTime(), 4850);
    SendVkKeyDown(popup, 'Z');
    EXPECT_GT(popup->m_pAutoClose->remainingTime(), 4900);
    EXPECT_TRUE(popup->isVisible());

    // "1O0" is not a number: the screen is not made.
    EXPECT_EQ(m_pManager->ShowOsd(), nullptr);
}

TEST_F(UiTest, EnterButtonSwitchesGuidanceOff)
{
    LoadSkin(Grid(), FormWith("frmorder", Grid() + Button("ok", 0, 0, 10, 10, "enter")));
    TKVFormXML* portal = m_pManager->TopScreen();
    EXPECT_TRUE(portal->m_bGuide);
    TKVFormXML* order = m_pManager->ShowOrdered();
    ASSERT_NE(order, nullptr);
    EXPECT_FALSE(order->m_bGuide);
    TSubTitle* before = order->m_pFocus;
    SendVkKeyDown(order, 39);
    EXPECT_EQ(order->m_pFocus.data(), before) << "no arrow guidance";
}

TEST_F(UiTest, ArrowGuidanceInAGrid)
{
    LoadSkin(Grid());
    TKVFormXML* s = m_pManager->TopScreen();
    ASSERT_EQ(s->m_pFocusList.size(), 9);
    EXPECT_EQ(s->m_pFocus->objectName(), "g1") << "the first numbered button";
    auto focusOn = [&](const char* name) { s->m_pFocus = s->FindLabel(name); };
    auto name = [&] { return s->m_pFocus ? s->m_pFocus->objectName() : QString(); };

    focusOn("g5");
    EXPECT_TRUE(s->FocusLeft());
    EXPECT_EQ(name(), "g4");
    // From the leftmost button of the middle row: the rightmost of the row above.
    EXPECT_TRUE(s->FocusLeft());
    EXPECT_EQ(name(), "g3");
    // From the rightmost of the middle row: the leftmost of the row below.
    focusOn("g6");
    EXPECT_TRUE(s->FocusRight());
    EXPECT_EQ(name(), "g7");
    focusOn("g5");
    EXPECT_TRUE(s->FocusUp());
    EXPECT_EQ(name(), "g2");
    EXPECT_FALSE(s->FocusUp());
    EXPECT_EQ(name(), "g2");
    EXPECT_TRUE(s->FocusDown());
    EXPECT_EQ(name(), "g5");
    focusOn("g9");
    EXPECT_FALSE(s->FocusRight());
    EXPECT_FALSE(s->FocusDown());
    focusOn("g1");
    EXPECT_FALSE(s->FocusLeft());

    // The arrow keys move it and draw the highlight there.
    focusOn("g5");
    SendVkKeyDown(s, 37);
    EXPECT_EQ(name(), "g4");
    EXPECT_EQ(s->m_pHover.data(), s->m_pFocus.data());
}

TEST_F(UiTest, ArrowGuidanceTiesGoToTheEarlierButton)
{
    // Two buttons equally far above: the first in the list wins.
    LoadSkin(Button("a", 100, 0, 100, 40, "1") + Button("b", 150, 0, 100, 40, "2") +
             Button("c", 120, 100, 100, 40, "3"));
    TKVFormXML* s = m_pManager->TopScreen();
    s->m_pFocus = s->FindLabel("c");
    EXPECT_TRUE(s->FocusUp());
    EXPECT_EQ(s->m_pFocus->objectName(), "a");
}

TEST_F(UiTest, ClickOnReturnButtonClosesBeforeTheClickReturnsOthersArePosted)
{
    LoadSkin(Grid(), FormWith("frmorder",
                              Button("back", 0, 0, 50, 50, "return") + Button("two", 60, 0, 50, 50, "pageup#enter")));
    QList<int> dispatched;
    UiHooks().DispatchKey = [&](int key) { dispatched << key; };
    TKVFormXML* order = m_pManager->ShowOrdered();
    ASSERT_NE(order, nullptr);

    order->ControlClick(order->FindLabel("two"));
    EXPECT_TRUE(dispatched.isEmpty()) << "posted, not yet handled";
    QCoreApplication::sendPostedEvents(order);
    EXPECT_EQ(dispatched, (QList<int>{33, 13}));

    QPointer<TKVFormXML> watch = order;
    order->ControlClick(order->FindLabel("back"));
    EXPECT_FALSE(order->isVisible()) << "closed synchronously";
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), "portal");
    FlushEvents();
    EXPECT_TRUE(watch.isNull());
}

TEST_F(UiTest, EnterClicksTheFocusedButton)
{
    LoadSkin(Grid(), FormWith("frmorder", Grid()));
    QList<int> dispatched;
    UiHooks().DispatchKey = [&](int key) { dispatched << key; };
    TKVFormXML* order = m_pManager->ShowOrdered();
    order->m_pFocus = order->FindLabel("g5");
    SendVkKeyDown(order, 13);
    QCoreApplication::sendPostedEvents(order);
    // ENTER itself has no button; the click posts the button's key "5".
    EXPECT_EQ(dispatched, (QList<int>{13, '5'}));
}

TEST_F(UiTest, PortalIgnoresPointOutsideTestMode)
{
    LoadSkin(Grid());
    QList<int> dispatched;
    UiHooks().DispatchKey = [&](int key) { dispatched << key; };
    TKVFormXML* portal = m_pManager->TopScreen();
    SendVkKeyDown(portal, 46);
    EXPECT_TRUE(dispatched.isEmpty());
    m_pSetting->Test = 1;
    SendVkKeyDown(portal, 46);
    EXPECT_EQ(dispatched, QList<int>{46});
}

TEST_F(UiTest, RealKeyEventsArriveAsVirtualKeys)
{
    LoadSkin(Grid());
    QList<int> dispatched;
    UiHooks().DispatchKey = [&](int key) { dispatched << key; };
    TKVFormXML* portal = m_pManager->TopScreen();
    QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    QCoreApplication::sendEvent(portal, &f5);
    QKeyEvent pad(QEvent::KeyPress, Qt::Key_Minus, Qt::KeypadModifier);
    QCoreApplication::sendEvent(portal, &pad);
    EXPECT_EQ(dispatched, (QList<int>{116, 109}));
}

TEST_F(UiTest, PlayingLabelsFollowTheQueue)
{
    m_pSetting->Texts.Playing = QStringLiteral("正在播放:");
    m_pSetting->Texts.NextSong = QStringLiteral("下一首:");
    int reopenQueue = 0, reopenPlaying = 0;
    UiHooks().QueueCount = [] { return 3; };
    UiHooks().QueueFirstName = [] { return QStringLiteral("月亮代表我的心"); };
    UiHooks().PlayingFirstName = [] { return QStringLiteral("甜蜜蜜"); };
    UiHooks().ReopenQueueView = [&] { ++reopenQueue; };
    UiHooks().ReopenPlayingView = [&] { ++reopenPlaying; };
    LoadSkin(Button("PlayingLabel", 0, 0, 100, 20, "") + Button("PlayingName", 0, 20, 100, 20, "") +
                 Button("NextLabel", 0, 40, 100, 20, "") + Button("NextName", 0, 60, 100, 20, "") +
                 Button("Songs", 0, 80, 100, 20, ""),
             FormWith("frmorder", Button("y", 0, 0, 10, 10, "")));
    TKVFormXML* portal = m_pManager->TopScreen();
    EXPECT_EQ(portal->FindLabel("Songs")->Caption(), "3");
    EXPECT_EQ(portal->FindLabel("PlayingLabel")->Caption(), QStringLiteral("正在播放:"));
    EXPECT_EQ(portal->FindLabel("PlayingName")->Caption(), QStringLiteral("甜蜜蜜"));
    EXPECT_EQ(portal->FindLabel("NextLabel")->Caption(), QStringLiteral("下一首:"));
    EXPECT_EQ(portal->FindLabel("NextName")->Caption(), QStringLiteral("月亮代表我的心"));
    EXPECT_EQ(reopenQueue + reopenPlaying, 0) << "only in hall mode";

    // Hall mode: the queue view is reopened unless the newest screen is "FrmSelect".
    m_pSetting->SaloonMode = true;
    portal->TimerPlayingTimer();
    EXPECT_EQ(reopenQueue, 1);
    EXPECT_EQ(reopenPlaying, 1);
    TKVFormXML* order = m_pManager->ShowOrdered(); // named "frmorder" once built
    reopenQueue = reopenPlaying = 0;
    portal->TimerPlayingTimer();
    EXPECT_EQ(reopenQueue, 1) << "frmorder is not FrmSelect";
    order->setObjectName("FrmSelect");
    portal->TimerPlayingTimer();
    EXPECT_EQ(reopenQueue, 1);
    EXPECT_EQ(reopenPlaying, 2);
}

TEST_F(UiTest, ShowAndCloseAreLogged)
{
    m_pSetting->Debug = true;
    ResetLogForTests();
    LoadSkin(Grid(), FormWith("frmorder", Grid()));
    TKVFormXML* order = m_pManager->ShowOrdered();
    order->close();
    const QString log = ReadLog(m_sExe);
    EXPECT_TRUE(log.contains("FrmMain.FormShow()")) << log.toStdString();
    EXPECT_TRUE(log.contains("KVFormXML.FormShow()"));
    EXPECT_TRUE(log.contains("frmorder.FormClose()"));
    m_pSetting->Debug = false;
}

TEST_F(UiTest, MissingFocusFramePictureFailsTheScreen)
{
    QFile::remove(m_sSkin + "ico.bmp");
    EXPECT_THROW(LoadSkin(Grid()), Exception);
    EXPECT_EQ(m_pManager->TopScreen(), nullptr);
}
