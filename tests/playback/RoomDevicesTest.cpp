// The room's serial devices on socat pseudo-terminals: what each start-up
// step and each key sends on the wire, what the log says about it, the
// limits of every channel, the shared port, and a device that is missing at
// start-up or goes away while the station runs.
#include "RoomDevicesFixture.h"
#include "platform/keys/VirtualKeys.h"
#include "playback/FrmVolume.h"
#include "playback/VolumeControl.h"
#include "support/GuestInput.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"

using namespace devicetest;

namespace {

// Keys of a remote keypad as the tests bind them (F13 and up).
constexpr int kMicAdd = 124, kMicDec = 125, kKeyAdd = 126, kKeyDec = 127, kKeyReset = 128, kEffect1 = 129,
              kService = 135;

class SerialTest : public RoomDevicesTest
{
protected:
    void StartWithDevices(int com, int ccu, bool volumeMode = true, const QList<Row>& extra = {})
    {
        WriteRows(DeviceRows(com, ccu) + extra);
        MapPorts({{3, m_volume.DevicePath()}, {4, m_ccu.DevicePath()}});
        BindKeys({{"Mic_Add", kMicAdd},
                  {"Mic_Dec", kMicDec},
                  {"Key_Add", kKeyAdd},
                  {"Key_Dec", kKeyDec},
                  {"Key_Reset", kKeyReset},
                  {"Effect_Key1", kEffect1},
                  {"Effect_Key2", kEffect1 + 1},
                  {"Effect_Key3", kEffect1 + 2},
                  {"Effect_Key4", kEffect1 + 3},
                  {"CALLWAITER", kService}});
        StartStation(volumeMode);
    }
    // A key of the keypad, pressed while the portal holds the keyboard.
    static void Press(int vk) { ASSERT_TRUE(guest::Key(Qt::Key(Qt::Key_F13 + (vk - 124)))); }
    static void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { ASSERT_TRUE(guest::Key(key, modifiers)); }
};

} // namespace

TEST(SerialCommandBytes, HexPairsAFinalDigitAndAtMostEightBytes)
{
    EXPECT_EQ(TSerialDevices::CommandBytes("A01B"), QByteArray("\xA0\x1B", 2));
    EXPECT_EQ(TSerialDevices::CommandBytes("a01b5"), QByteArray("\xA0\x1B\x05", 3));
    EXPECT_EQ(TSerialDevices::CommandBytes("0011"), QByteArray("\x00\x11", 2));
    EXPECT_EQ(TSerialDevices::CommandBytes(" 7 "), QByteArray("\x07", 1));
    EXPECT_EQ(TSerialDevices::CommandBytes("0102030405060708"), QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
    EXPECT_EQ(TSerialDevices::CommandBytes(""), QByteArray());
    // Malformed or too long: nothing at all, never a part of the command.
    EXPECT_FALSE(TSerialDevices::CommandBytes("A0G1").has_value());
    EXPECT_FALSE(TSerialDevices::CommandBytes("A0 1B").has_value());
    EXPECT_FALSE(TSerialDevices::CommandBytes("A0X").has_value());
    EXPECT_FALSE(TSerialDevices::CommandBytes("01020304050607080").has_value());
    EXPECT_FALSE(TSerialDevices::CommandBytes("０１").has_value());
}

TEST(SerialPortNames, NumbersMapThroughVodIniOrToTheComputersOwnPorts)
{
    QTemporaryDir dir;
    QFile ini(dir.path() + QStringLiteral("/vod.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[SerialPorts]\r\ncom2 = /dev/ttyUSB0\r\n");
    ini.close();
    const QString exeDir = dir.path() + QLatin1Char('/');
    EXPECT_EQ(TSerialDevices::DevicePath(2, exeDir), "/dev/ttyUSB0");
    EXPECT_EQ(TSerialDevices::DevicePath(1, exeDir), "/dev/ttyS0");
    EXPECT_EQ(TSerialDevices::DevicePath(3, exeDir), "/dev/ttyS2");
}

TEST_F(SerialTest, StartUpPutsBothDevicesInTheStartStateAndLogsEveryByte)
{
    StartWithDevices(3, 4);
    // Music, microphone and echo at 50, the neutral tone, the first effect.
    EXPECT_EQ(m_volume.Read(10), Cmd(0x30, 50) + Cmd(0x10, 50) + Cmd(0x20, 50) + Cmd(0x40, 6) + Cmd(0x50, 0));
    EXPECT_EQ(m_ccu.Read(4), Cmd(0xC4, 2) + Cmd(0xC5, 0));
    const QStringList log = LogLines();
    for (const char* line :
         {"vol50:串口3:\\x30\\x32,发送状态:1", "mic50:串口3:\\x10\\x32,发送状态:1", "Mix50:串口3:\\x20\\x32,发送状态:1",
          "key6:串口3:\\x40\\x6,发送状态:1", "effect0:串口3:\\x50\\x0,发送状态:1", "key1:串口4:\\xc4\\x2,发送状态:1",
          "effect0:串口4:\\xc5\\x0,发送状态:1"})
        EXPECT_TRUE(log.contains(QString::fromUtf8(line))) << line << "\n" << qPrintable(log.join('\n'));
}

TEST_F(SerialTest, LevelKeysStepWithinTheirLimitsAndTellDevicesPlayerAndVideo)
{
    StartWithDevices(3, 4);
    m_volume.Read(10);
    m_ccu.Read(4);

    // Microphone level 2 up: level 3 (value 70) to the device, "up" to the
    // control unit, the level's name over the video.
    Press(kMicAdd);
    EXPECT_EQ(m_volume.Read(2), Cmd(0x10, 70));
    EXPECT_EQ(m_ccu.Read(2), Cmd(0xC1, 2));
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 3);
    EXPECT_EQ(PlayerTexts(playerlink::kShowStatus).value(0), g_pSetting->Texts.MicVol + g_pSetting->Texts.Level4);

    // At the top nothing changes and nothing is sent: the next bytes on the
    // wire are those of the step down.
    Press(kMicAdd);
    Press(kMicAdd);
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 4);
    Press(kMicAdd);
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 4);
    Press(kMicDec);
    EXPECT_EQ(m_volume.Read(4), Cmd(0x10, 90) + Cmd(0x10, 70));
    EXPECT_EQ(m_ccu.Read(4), Cmd(0xC1, 2) + Cmd(0xC1, 0));

    // Tone one below neutral, then up: the neutral entry to both devices.
    Press(kKeyDec);
    EXPECT_EQ(m_volume.Read(2), Cmd(0x40, 5));
    EXPECT_EQ(m_ccu.Read(2), Cmd(0xC4, 0));
    Press(kKeyAdd);
    EXPECT_EQ(m_volume.Read(2), Cmd(0x40, 6));
    EXPECT_EQ(m_ccu.Read(2), Cmd(0xC4, 1));
    EXPECT_EQ(PlayerTexts(playerlink::kShowStatus).last(), g_pSetting->Texts.KeyVol + "0");

    // Music goes to the player only, as a value.
    PressKey(Qt::Key_F7); // VOLUME_ADD
    EXPECT_EQ(FrmMediaPlayer->m_nMusicLevel, 3);
    EXPECT_EQ(PlayerVolumes(), QList<int64_t>{70});
    EXPECT_TRUE(m_volume.ReadAvailable().isEmpty());
}

TEST_F(SerialTest, ToneResetAndEffectKeysSetTheirValueAndSendItEvenUnchanged)
{
    StartWithDevices(3, 4);
    m_volume.Read(10);
    m_ccu.Read(4);
    Press(kKeyAdd);
    Press(kKeyAdd);
    EXPECT_EQ(m_volume.Read(4), Cmd(0x40, 7) + Cmd(0x40, 8));
    m_ccu.Read(4);
    Press(kKeyReset);
    EXPECT_EQ(FrmMediaPlayer->m_nKeyLevel, 6);
    EXPECT_EQ(m_volume.Read(2), Cmd(0x40, 6));
    EXPECT_EQ(m_ccu.Read(2), Cmd(0xC4, 1));
    Press(kKeyReset); // already neutral: the devices hear it again
    EXPECT_EQ(m_volume.Read(2), Cmd(0x40, 6));
    EXPECT_EQ(m_ccu.Read(2), Cmd(0xC4, 1));

    Press(kEffect1 + 2);
    EXPECT_EQ(FrmMediaPlayer->m_nEffectLevel, 2);
    EXPECT_EQ(m_volume.Read(2), Cmd(0x50, 2));
    EXPECT_EQ(m_ccu.Read(2), Cmd(0xC5, 2));
    EXPECT_EQ(PlayerTexts(playerlink::kShowStatus).last(), g_pSetting->Texts.EffectVol + QStringLiteral("整蛊"));
}

TEST_F(SerialTest, ValuesWithoutVolumeModeStopAtTheirEnds)
{
    StartWithDevices(3, 0, false);
    EXPECT_EQ(m_volume.Read(10), Cmd(0x30, 50) + Cmd(0x10, 50) + Cmd(0x20, 50) + Cmd(0x40, 6) + Cmd(0x50, 0));
    FrmMediaPlayer->m_nMicLevel = 98;
    Press(kMicAdd);
    EXPECT_EQ(m_volume.Read(2), Cmd(0x10, 99));
    Press(kMicAdd); // 100: the station holds no string for it
    Press(kMicAdd); // the end: nothing at all
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 100);
    EXPECT_EQ(LogLines().filter(QStringLiteral("mic100:")),
              QStringList{QStringLiteral("mic100:串口3:没有定义此项协议")});
    FrmMediaPlayer->m_nMicLevel = 1;
    Press(kMicDec);
    Press(kMicDec); // 0: nothing
    EXPECT_EQ(m_volume.Read(2), Cmd(0x10, 0));
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 0);
    // Music values go to the player as they are.
    PressKey(Qt::Key_F8); // VOLUME_DEC
    EXPECT_EQ(FrmData->m_nMusicVolume, 49);
    EXPECT_EQ(PlayerVolumes(), QList<int64_t>{49});
    EXPECT_TRUE(m_volume.ReadAvailable().isEmpty());
}

TEST_F(SerialTest, ModifierKeysChangeNoLevel)
{
    // The keypad's default codes 160-164 (microphone and tone) are those of
    // the left and right Shift, Ctrl and Alt keys on Windows.
    WriteRows(DeviceRows(3, 4));
    MapPorts({{3, m_volume.DevicePath()}, {4, m_ccu.DevicePath()}});
    StartStation(true);
    m_volume.Read(10);
    m_ccu.Read(4);
    for (const Qt::Key key : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt})
        PressKey(key);
    Settle();
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 2);
    EXPECT_EQ(FrmMediaPlayer->m_nKeyLevel, 6);
    EXPECT_EQ(FrmMediaPlayer->m_nMixLevel, 2);
    EXPECT_TRUE(m_volume.ReadAvailable().isEmpty());
    EXPECT_TRUE(m_ccu.ReadAvailable().isEmpty());
}

TEST_F(SerialTest, OnePortServesBothDevicesWhenTheirNumbersAreEqual)
{
    StartWithDevices(3, 3);
    EXPECT_EQ(m_volume.Read(14), Cmd(0x30, 50) + Cmd(0x10, 50) + Cmd(0x20, 50) + Cmd(0x40, 6) + Cmd(0x50, 0) +
                                     Cmd(0xC4, 2) + Cmd(0xC5, 0));
    EXPECT_FALSE(SerialDevices().CcuPort().IsOpen());
    Press(kMicDec);
    EXPECT_EQ(m_volume.Read(4), Cmd(0x10, 30) + Cmd(0xC1, 0));
    // The waiter call's service command, with the text over the video.
    Press(kService);
    EXPECT_EQ(m_volume.Read(2), QByteArray("\xC6\xFF", 2));
    EXPECT_TRUE(PlayerTexts(playerlink::kShowStatus).contains(g_pSetting->Texts.ServiceVol));
    EXPECT_TRUE(LogLines().contains(QStringLiteral("service0:串口3:\\xc6\\xff,发送状态:1")));
}

TEST_F(SerialTest, WithoutDevicesOnlyMusicAndTheChosenEffectChange)
{
    StartWithDevices(0, 0);
    Press(kMicAdd);
    Press(kKeyAdd);
    Settle();
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 2);
    EXPECT_EQ(FrmMediaPlayer->m_nKeyLevel, 6);
    Press(kEffect1 + 3);
    PressKey(Qt::Key_F7);
    EXPECT_EQ(FrmMediaPlayer->m_nEffectLevel, 3);
    EXPECT_EQ(PlayerVolumes(), QList<int64_t>{70});
    EXPECT_TRUE(m_volume.ReadAvailable().isEmpty());
    EXPECT_TRUE(m_ccu.ReadAvailable().isEmpty());
}

TEST_F(SerialTest, MissingOrMalformedCommandsAreLoggedAndSendNothing)
{
    StartWithDevices(3, 0, true, {Row{"Volume", "Mic70", "A0ZZ"}, Row{"Volume", "Mic90", ""}});
    m_volume.Read(10);
    Press(kMicAdd); // 70: malformed
    Press(kMicAdd); // 90: not defined
    Press(kMicDec); // 70 again
    Press(kMicDec); // 50
    EXPECT_EQ(m_volume.Read(2), Cmd(0x10, 50));
    const QStringList log = LogLines();
    EXPECT_TRUE(log.contains(QStringLiteral("mic70:串口3:协议格式错误:A0ZZ"))) << qPrintable(log.join('\n'));
    EXPECT_TRUE(log.contains(QStringLiteral("mic90:串口3:没有定义此项协议")));
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 2);
}

TEST_F(SerialTest, AnUnpluggedDeviceLeavesTheRestOfTheStartUpAndIsToldOnce)
{
    WriteRows(DeviceRows(3, 4));
    MapPorts({{3, Path(QStringLiteral("no-such-tty"))}, {4, m_ccu.DevicePath()}});
    StartStation(true);
    // The queue and the catalogue are there.
    ASSERT_NE(FrmData->m_pOrder, nullptr);
    EXPECT_TRUE(FrmData->m_pOrder->Active());
    EXPECT_TRUE(FrmData->CD_Song.Active());
    EXPECT_TRUE(FrmData->CreateError().isEmpty()) << qPrintable(FrmData->CreateError());
    // The other device works.
    EXPECT_EQ(m_ccu.Read(4), Cmd(0xC4, 2) + Cmd(0xC5, 0));
    const QStringList log = LogLines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const QString& l) {
        return l.startsWith(QStringLiteral("打开串口COM3(")) && l.contains(QStringLiteral("no-such-tty)失败:"));
    })) << qPrintable(log.join('\n'));
    EXPECT_TRUE(log.contains(QStringLiteral("mic50:串口3:\\x10\\x32,发送状态:0")));
    // Shown once on the message screen.
    ShowDeviceErrors();
    TKVFormXML* top = g_pFrmManager->TopScreen();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->objectName(), "frmmsg");
    ASSERT_NE(top->FindLabel("Msg"), nullptr);
    EXPECT_TRUE(top->FindLabel("Msg")->Caption().contains("COM3"));
    top->close();
    Settle();
    ShowDeviceErrors();
    EXPECT_NE(g_pFrmManager->TopScreen()->objectName(), "frmmsg");
}

TEST_F(SerialTest, ADeviceGoneWhileRunningLogsStatusZeroAndNothingElse)
{
    StartWithDevices(3, 4);
    m_volume.Read(10);
    m_ccu.Read(4);
    m_volume.Unplug();
    Press(kMicAdd);
    Settle();
    // The level still changes (the guest sees it); the write is refused.
    EXPECT_EQ(FrmMediaPlayer->m_nMicLevel, 3);
    EXPECT_EQ(m_ccu.Read(2), Cmd(0xC1, 2));
    EXPECT_TRUE(LogLines().contains(QStringLiteral("mic70:串口3:\\x10\\x46,发送状态:0")))
        << qPrintable(LogLines().join('\n'));
    EXPECT_NE(g_pFrmManager->TopScreen()->objectName(), "frmmsg");
    Press(kMicAdd);
    EXPECT_TRUE(LogLines().contains(QStringLiteral("mic90:串口3:\\x10\\x5a,发送状态:0")));
}
