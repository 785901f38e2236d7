// The station program with its room devices: the volume device on a socat
// pseudo-terminal, one that is missing when the station starts, and the
// device screens as guests see them in both languages and screen sizes.
#include "StationRun.h"
#include "playback/StationShot.h"
#include "support/PtyPair.h"

#include <QImage>

using namespace e2e;

namespace {

constexpr int kVolume = 228, kMicAdd = 160, kKeyDec = 163, kVolumeAdd = 118;

// Rows of the Setting table of any type.
void SetRows(const Station& s, const QList<std::array<QString, 3>>& rows)
{
    DbConnection db;
    db.Open(QStringLiteral("Provider=SQLite;Data Source=data/kroom.db"), s.Dir());
    for (const auto& r : rows) {
        db.Execute(QStringLiteral("delete from Setting where type=? and name=?"), {r[0], r[1]});
        db.Execute(QStringLiteral("insert into Setting (type,name,value) values (?,?,?)"), {r[0], r[1], r[2]});
    }
}

void MapPort(const Station& s, int number, const QString& path)
{
    QFile ini(s.Path(QStringLiteral("vod.ini")));
    ASSERT_TRUE(ini.open(QIODevice::Append));
    ini.write(QStringLiteral("\r\n[SerialPorts]\r\nCOM%1=%2\r\n").arg(number).arg(path).toUtf8());
}

// Posts a key and waits until the front screen (of that name, or any) has
// seen it.
bool Key(const Station& s, int vk, const QString& screen)
{
    const QString line = screen + QStringLiteral(".AppMessage.KeyDown():") + QString::number(vk);
    const int before = s.CountInLog(line);
    return s.PostKey(vk) && WaitUntil([&] { return s.CountInLog(line) > before; }, 10000);
}

std::unique_ptr<Program> StartAt(const Station& s, const QString& platform)
{
    QProcessEnvironment env = s.Env();
    if (!platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    auto station = std::make_unique<Program>(ExeDir() + QStringLiteral("/vod"), QStringList(), env);
    EXPECT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"))) << qPrintable(station->Errors());
    EXPECT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    return station;
}

} // namespace

TEST(StationDevicesE2e, AVolumeDeviceMissingAtStartUpIsToldOnceAndTheRoomRunsOn)
{
    Station s(300);
    ASSERT_TRUE(s.Ready());
    SetRows(s, {{"Volume", "COM", "3"}, {"Volume", "MicMax", "100"}, {"Volume", "Mic70", "1046"}});
    MapPort(s, 3, s.Path(QStringLiteral("unplugged-tty")));
    auto station = StartAt(s, QString());
    // The guest is told once, on the message screen over the portal.
    EXPECT_TRUE(s.WaitForLog(QStringLiteral("FrmMsg.FormShow()"))) << qPrintable(s.Log());
    // The data module's start-up went on: catalogue and queue are loaded.
    EXPECT_TRUE(station->Errors().contains(QStringLiteral("装载歌表数据Song耗时"))) << qPrintable(station->Errors());
    EXPECT_EQ(s.CountInLog(QStringLiteral("打开串口COM3(")), 1) << qPrintable(s.Log());
    // Keys still work; the music volume reaches the player.
    auto player = s.StartPlayer();
    ASSERT_TRUE(player->WaitForLine(QStringLiteral("ready")));
    ASSERT_TRUE(WaitUntil([&] { return s.CountInLog(QStringLiteral("frmmsg.FormClose()")) == 1; }));
    ASSERT_TRUE(Key(s, kVolumeAdd, QStringLiteral("portal")));
    EXPECT_TRUE(player->WaitForLine(QStringLiteral("volume 51")));
    EXPECT_EQ(s.CountInLog(QStringLiteral("FrmMsg.FormShow()")), 1);
    EXPECT_TRUE(station->Running());
}

TEST(StationDevicesE2e, AMicrophoneKeyReachesTheDevice)
{
    Station s(300);
    ASSERT_TRUE(s.Ready());
    testsupport::PtyPair device;
    ASSERT_TRUE(device.Ready());
    SetRows(s, {{"Volume", "COM", "3"},
                {"Volume", "MicMax", "100"},
                {"Volume", "Mic50", "1032"},
                {"Volume", "Mic51", "1033"},
                {"Volume", "Key6", "4006"}});
    MapPort(s, 3, device.DevicePath());
    auto station = StartAt(s, QString());
    // The start-up commands: the microphone at 50 and the neutral tone.
    EXPECT_EQ(device.Read(4), QByteArray("\x10\x32\x40\x06", 4));
    ASSERT_TRUE(Key(s, kMicAdd, QStringLiteral("portal")));
    EXPECT_EQ(device.Read(2), QByteArray("\x10\x33", 2));
    EXPECT_TRUE(s.WaitForLog(QStringLiteral("mic51:串口3:\\x10\\x33,发送状态:1"))) << qPrintable(s.Log());
}

// Pictures of the volume screen for the README, in both languages and both
// screen sizes (scripts/screenshots.sh). Without devices only the music
// level moves.
TEST(StationE2e, DeviceScreenshots)
{
    const QString shots = qEnvironmentVariable("VOD_SHOTS");
    if (shots.isEmpty())
        GTEST_SKIP() << "VOD_SHOTS names no folder";
    QDir().mkpath(shots);
    const struct
    {
        const char* lang; // LangType: 0 English, 1 Chinese
        int width, height;
        const char* tag;
    } runs[] = {
        {"1", 1024, 768, "zh-1024"}, {"0", 800, 600, "en-800"}, {"1", 800, 600, "zh-800"}, {"0", 1024, 768, "en-1024"}};
    for (const auto& run : runs) {
        Station s(300);
        ASSERT_TRUE(s.Ready());
        s.SetShotDir(shots);
        s.SetSettings({{QStringLiteral("LangType"), QString::fromLatin1(run.lang)},
                       {QStringLiteral("VolumeMode"), QStringLiteral("1")}});
        QFile config(s.Path(QStringLiteral("screen.json")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("{\"screens\":[{\"name\":\"room\",\"x\":0,\"y\":0,\"width\":%1,\"height\":%2,"
                                    "\"logicalDpiX\":96,\"logicalDpiY\":96,\"dpr\":1}]}")
                         .arg(run.width)
                         .arg(run.height)
                         .toUtf8());
        config.close();
        auto station = StartAt(s, QStringLiteral("offscreen:configfile=") + config.fileName());
        const auto shot = [&](const QString& name) {
            static int n = 100;
            ++n;
            const QString file = shots + QStringLiteral("/shot%1.png").arg(n);
            QFile::remove(file);
            s.Post(kMsgTestScreenshot, n, 0);
            ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(file); }));
            const QString target = shots + QLatin1Char('/') + name + QLatin1Char('-') + run.tag + ".png";
            QFile::remove(target);
            QFile::rename(file, target);
            EXPECT_EQ(QImage(target).size(), QSize(run.width, run.height));
        };
        // The volume screen after the music two steps up, the microphone one
        // up and the tone two down (the keypad's keys, as a guest presses them).
        ASSERT_TRUE(Key(s, kVolume, QString()));
        ASSERT_TRUE(s.WaitForLog(QStringLiteral("FrmVolume.FormShow()")));
        for (const int key : {kVolumeAdd, kVolumeAdd, kMicAdd, kKeyDec, kKeyDec})
            ASSERT_TRUE(Key(s, key, QString()));
        QThread::msleep(600);
        shot(QStringLiteral("volume"));
        s.Post(kMsgTestCloseStation, 0, 0);
        EXPECT_TRUE(station->WaitForExit(15000));
    }
}
