// The idle advert show in the station: armed when the station is idle,
// stopped by keys and by mouse moves to a new place, not armed under a lock
// screen, and its pictures closed by a key that then does nothing else.
#include "DemoStation.h"
#include "platform/keys/VirtualKeys.h"
#include "ui/DisplayPic.h"
#include "ui/PicShow.h"

using namespace playertest;

namespace {

class IdleShowTest : public DemoStation
{
protected:
    void SetUp() override
    {
        DemoStation::SetUp();
        if (HasFatalFailure())
            return;
        g_pSetting->VideoScreenCount = 1;
        m_pShow = qobject_cast<TPicShow*>(m_pData->m_pPicShow);
        ASSERT_NE(m_pShow, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return Armed(); }, 3000));
    }
    bool Armed() const { return m_pShow->Active(); }
    bool PicturesShowing() const { return m_pShow->m_pForm && m_pShow->m_pForm->isVisible(); }

    TPicShow* m_pShow = nullptr;
};

} // namespace

TEST_F(IdleShowTest, KeysAndMovesToANewPlaceStopTheCountdownTheNextIdleMomentArmsIt)
{
    TKVFormXML* portal = Top();
    const QPoint at = guest::Centre(portal->FindControl(QStringLiteral("MainSinger")));
    guest::Move(portal, at);
    EXPECT_FALSE(Armed());
    ASSERT_TRUE(WaitUntil([&] { return Armed(); }, 3000));
    guest::Move(portal, at);
    EXPECT_TRUE(Armed());
    ASSERT_TRUE(guest::Key(Qt::Key_5));
    EXPECT_FALSE(Armed());
    EXPECT_EQ(m_pShow->m_nLastKey, Keys().n5);
    // Untouched, the demo's pictures come.
    ASSERT_TRUE(WaitUntil([&] { return PicturesShowing() && !m_pShow->m_pForm->ShownPicture().isEmpty(); }, 5000));
    EXPECT_TRUE(m_pShow->m_pForm->ShownPicture().contains(QLatin1String("/Images/Ad/")));
}

TEST_F(IdleShowTest, AKeyOnlyClosesThePicturesEvenWhenAScreenHasTheKeyboard)
{
    ASSERT_TRUE(WaitUntil([&] { return PicturesShowing(); }, 5000));
    // The main window's front-keeping may give the keyboard back to the portal.
    TKVFormXML* portal = Top();
    portal->BringToFront();
    PostVkKeyDown(portal, Keys().PLAYLIST);
    Settle();
    EXPECT_FALSE(PicturesShowing());
    EXPECT_FALSE(IsOpen(QStringLiteral("frmorder")));
    PostVkKeyDown(portal, Keys().PLAYLIST);
    Settle();
    EXPECT_TRUE(IsOpen(QStringLiteral("frmorder")));
}

TEST_F(IdleShowTest, NotArmedWhileALockScreenIsOpen)
{
    ASSERT_NE(g_pFrmManager->OpenLock([](ILockScreen& l) { l.InputAllowed = true; }, QStringLiteral("locked")),
              nullptr);
    Settle();
    ASSERT_TRUE(guest::Key(Qt::Key_1));
    QTest::qWait(800);
    EXPECT_FALSE(Armed());
    EXPECT_FALSE(PicturesShowing());
    g_pLockScreen->close();
    ASSERT_TRUE(WaitUntil([&] { return Armed(); }, 3000));
}
