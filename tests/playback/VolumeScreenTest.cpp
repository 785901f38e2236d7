// The volume screen as a guest uses it: opened from the portal's tile (and
// through the skin's overlay), channels chosen with the digit keys and the
// mouse, levels stepped with the keys and the screen's buttons, a held
// button repeating, and every label and device following.
#include "RoomDevicesFixture.h"
#include "playback/FrmVolume.h"
#include "playback/LevelBar.h"
#include "support/GuestInput.h"
#include "ui/SubTitle.h"

#include <QElapsedTimer>

using namespace devicetest;

namespace {

class VolumeScreenTest : public RoomDevicesTest
{
protected:
    void Start(bool volumeMode)
    {
        WriteRows(DeviceRows(3, 0));
        MapPorts({{3, m_volume.DevicePath()}});
        StartStation(volumeMode);
        m_volume.Read(10);
    }
    // Taps the portal's volume tile; gives the volume screen once it is built.
    TFrmVolume* OpenFromPortal()
    {
        TKVFormXML* portal = g_pFrmManager->TopScreen();
        QWidget* tile = portal ? portal->FindControl(QStringLiteral("MainVolume")) : nullptr;
        if (!tile)
            return nullptr;
        guest::TapOn(tile);
        TFrmVolume* screen = nullptr;
        WaitUntil([&] {
            screen = qobject_cast<TFrmVolume*>(g_pFrmManager->TopScreen());
            return screen && screen->m_pVol;
        });
        return screen;
    }
    static QString Caption(TFrmVolume* s, const char* label)
    {
        TSubTitle* l = s->FindLabel(QLatin1String(label));
        return l ? l->Caption() : QStringLiteral("<none>");
    }
};

} // namespace

TEST_F(VolumeScreenTest, KeysAndTheMouseChooseTheChannelThatUpAndDownStep)
{
    Start(true);
    TFrmVolume* s = OpenFromPortal();
    ASSERT_NE(s, nullptr);
    const TTexts& t = g_pSetting->Texts;
    EXPECT_EQ(Caption(s, "Vol"), t.Level3);
    EXPECT_EQ(Caption(s, "Mic"), t.Level3);
    EXPECT_EQ(Caption(s, "Key"), "0");
    EXPECT_EQ(Caption(s, "Effect"), t.Level3);
    EXPECT_EQ(FrmMediaPlayer->m_nChannel, 0);

    // 2 chooses the microphone; UP steps it.
    ASSERT_TRUE(guest::Key(Qt::Key_2));
    ASSERT_TRUE(guest::Key(Qt::Key_Up));
    EXPECT_EQ(m_volume.Read(2), Cmd(0x10, 70));
    EXPECT_EQ(Caption(s, "Mic"), t.Level4);

    // The pointer over the tone's label chooses the tone.
    guest::Move(s, guest::Centre(s->FindLabel("Key")));
    ASSERT_TRUE(guest::Key(Qt::Key_Down));
    EXPECT_EQ(m_volume.Read(2), Cmd(0x40, 5));
    EXPECT_EQ(Caption(s, "Key"), "-1");

    // The echo row's "+" steps the echo (its label names it).
    guest::TapOn(s->FindControl("EffectAdd"));
    EXPECT_EQ(m_volume.Read(2), Cmd(0x20, 70));
    EXPECT_EQ(Caption(s, "Effect"), t.Level4);
    EXPECT_EQ(FrmMediaPlayer->m_nMixLevel, 3);

    // The music row's "-" steps the music at the player.
    guest::TapOn(s->FindControl("VolDec"));
    EXPECT_TRUE(WaitUntil([&] { return PlayerVolumes() == QList<int64_t>{30}; }, 3000));
    EXPECT_EQ(Caption(s, "Vol"), t.Level2);

    // A volume report from the player shows on the screen without a command.
    FrmMediaPlayer->m_nChannel = 1;
    ASSERT_TRUE(windowlink::PostMessage(windowlink::FindWindow(g_pSetting->Client_Caption),
                                        playerlink::kMsgVolumeReport, 90, 1));
    EXPECT_TRUE(WaitUntil([&] { return Caption(s, "Vol") == t.Level5; }, 3000));
    EXPECT_EQ(Caption(s, "Vol"), t.Level5);
    EXPECT_EQ(PlayerVolumes(), QList<int64_t>{30});
    EXPECT_TRUE(m_volume.ReadAvailable().isEmpty());
}

TEST_F(VolumeScreenTest, HoldingAPlusButtonRepeatsTenTimesASecondUntilReleased)
{
    Start(false);
    TFrmVolume* s = OpenFromPortal();
    ASSERT_NE(s, nullptr);
    QWidget* plus = s->FindControl(QStringLiteral("MicAdd"));
    ASSERT_NE(plus, nullptr);
    const QPoint at = guest::Centre(plus);
    guest::Move(s, at);
    QElapsedTimer held;
    held.start();
    guest::Press(s, at);
    ASSERT_TRUE(WaitUntil([] { return FrmMediaPlayer->m_nMicLevel >= 55; }, 5000));
    const qint64 ms = held.elapsed();
    guest::Release(s, at);
    Settle();
    const int released = FrmMediaPlayer->m_nMicLevel;
    // About one step per 100 ms (generous: the machine may be busy).
    EXPECT_GE(ms, 5 * TFrmVolume::kRepeatMs - 50);
    EXPECT_EQ(Caption(s, "Mic"), QString::number(released));
    // Every step reached the device, in order.
    QByteArray expected;
    for (int v = 51; v <= released; ++v)
        expected += Cmd(0x10, v);
    EXPECT_EQ(m_volume.Read(int(expected.size())), expected);
    // Released: no more steps.
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 4 * TFrmVolume::kRepeatMs)
        Settle();
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, released);
}

TEST_F(VolumeScreenTest, WithVolumeModeOnAHeldButtonStepsOnce)
{
    Start(true);
    TFrmVolume* s = OpenFromPortal();
    ASSERT_NE(s, nullptr);
    QWidget* plus = s->FindControl(QStringLiteral("MicAdd"));
    const QPoint at = guest::Centre(plus);
    guest::Move(s, at);
    guest::Press(s, at);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5 * TFrmVolume::kRepeatMs)
        Settle();
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 2);
    guest::Release(s, at);
    EXPECT_EQ(m_volume.Read(2), Cmd(0x10, 70)) << qPrintable(LogLines().join('\n'));
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 3);
}

TEST_F(VolumeScreenTest, TheSkinsOverlayGivesWayToTheScreen)
{
    Start(true);
    // A skin with the volume movie: its still picture stands in for it.
    QFile movie(g_pSetting->SkinDir() + QStringLiteral("volume.swf"));
    ASSERT_TRUE(movie.open(QIODevice::WriteOnly));
    movie.close();
    TKVFormXML* overlay = g_pFrmManager->ShowVolume(false);
    ASSERT_NE(overlay, nullptr);
    EXPECT_FALSE(overlay->m_bShowHandler);
    // A volume key while the overlay shows goes to it.
    g_pSetting->Keys.Mic_Add = 124;
    QPointer<TKVFormXML> watch(overlay);
    ASSERT_TRUE(guest::Key(Qt::Key_F13));
    EXPECT_EQ(m_volume.Read(2), Cmd(0x10, 70));
    TFrmVolume* screen = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            screen = qobject_cast<TFrmVolume*>(g_pFrmManager->TopScreen());
            return !watch && screen && screen->m_bShowHandler && screen->m_pMic;
        },
        5000));
    EXPECT_EQ(screen->m_pMic->Caption(), g_pSetting->Texts.Level4);
}
