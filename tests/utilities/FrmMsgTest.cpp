// The message screen: it goes by itself after three seconds, or at the
// guest's first key or click, which does nothing else; a second message
// replaces the text of the open one.
#include "tests/utilities/LockFixture.h"

#include <QElapsedTimer>
#include <QPointer>

using namespace locktest;

namespace {
TKVFormXML* MessageScreen(TKVFormManager& manager)
{
    QPointer<TKVFormXML> top = manager.TopScreen();
    return top && top->objectName() == QLatin1String("frmmsg") ? top : nullptr;
}
} // namespace

TEST_F(LockTest, AMessageGoesAfterThreeSecondsAndASecondOneReplacesItsText)
{
    LoadLockSkin();
    ShowMessageText(QStringLiteral("下单成功!"));
    QPointer<TKVFormXML> screen = MessageScreen(*m_pManager);
    ASSERT_NE(screen, nullptr);
    auto* message = qobject_cast<TFrmMsg*>(screen);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->FindLabel("Msg")->Caption(), QStringLiteral("下单成功!"));

    QTest::qWait(2000);
    ShowMessageText(QStringLiteral("呼叫失败"));
    EXPECT_EQ(MessageScreen(*m_pManager), screen) << "no second message screen";
    EXPECT_EQ(message->FindLabel("Msg")->Caption(), QStringLiteral("呼叫失败"));
    // The newer text gets its own three seconds.
    QTest::qWait(1500);
    EXPECT_TRUE(screen->isVisible());
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(screen && screen->isVisible()); }, 5000));
    EXPECT_GE(t.elapsed(), 1000);
    EXPECT_TRUE(m_aDispatched.isEmpty());
}

TEST_F(LockTest, AKeyOrAClickClosesTheMessageAndDoesNothingElse)
{
    LoadLockSkin();
    ShowMessageText(QStringLiteral("呼叫成功"));
    QPointer<TKVFormXML> screen = MessageScreen(*m_pManager);
    ASSERT_NE(screen, nullptr);
    QTest::keyClick(screen, Qt::Key_Escape);
    FlushEvents();
    EXPECT_FALSE(screen && screen->isVisible());
    ShowMessageText(QStringLiteral("呼叫成功"));
    screen = MessageScreen(*m_pManager);
    ASSERT_NE(screen, nullptr);
    QTest::keyClick(screen, Qt::Key_PageDown);
    FlushEvents();
    EXPECT_FALSE(screen && screen->isVisible());
    EXPECT_TRUE(m_aDispatched.isEmpty()) << "the key is not passed on";

    // A click on its text, and one on the screen itself.
    for (const bool onText : {true, false}) {
        ShowMessageText(QStringLiteral("呼叫成功"));
        screen = MessageScreen(*m_pManager);
        ASSERT_NE(screen, nullptr);
        if (onText)
            QTest::mouseClick(screen->FindControl("Msg"), Qt::LeftButton);
        else
            QTest::mouseClick(screen, Qt::LeftButton, {}, QPoint(395, 195));
        FlushEvents();
        EXPECT_FALSE(screen && screen->isVisible());
    }
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), QStringLiteral("portal"));
}
