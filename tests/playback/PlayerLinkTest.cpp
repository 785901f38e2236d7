// The station's link to the player program, against the real player stand-in
// (vodplayer) and add-song tool (vod-addsong) of the installation folder.
#include "tests/playback/PlayerProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace playerlink;
using namespace playertest;

TEST(PlayerLinkText, CutGbkKeepsWholeCharacters)
{
    const QByteArray text = ToNarrow(QStringLiteral("a点歌"));
    ASSERT_EQ(text.size(), 5);
    EXPECT_EQ(CutGbk(text, 5), text);
    EXPECT_EQ(CutGbk(text, 4), ToNarrow(QStringLiteral("a点")));
    EXPECT_EQ(CutGbk(text, 2), QByteArray("a"));
    EXPECT_EQ(CutGbk(text, 0), QByteArray());
    EXPECT_EQ(BuildSongRecord({QStringLiteral("801"), QString(), QStringLiteral("歌")}),
              QByteArray("801\x01\x01") + ToNarrow(QStringLiteral("歌")) + '\x01');
}

TEST(PlayerLinkNoPlayer, EverythingIsDroppedAtOnce)
{
    SetPlayerCaption(UniqueCaption(QStringLiteral("nobody")));
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(PlayerRunning());
    EXPECT_FALSE(PlayNow(QStringLiteral("/a.mpg")));
    EXPECT_FALSE(ShowText(kShowMessage, QStringLiteral("x")));
    EXPECT_FALSE(RecordTo(QStringLiteral("/r.wav")));
    EXPECT_FALSE(SendSongRecord(1, "a\x01"));
    EXPECT_FALSE(SendVocalCheck(true));
    EXPECT_FALSE(PostCommand(kCmdPause));
    EXPECT_FALSE(PostVolume(50));
    EXPECT_FALSE(PostKey(38, true));
    // Far below what waiting for a single answer would take.
    EXPECT_LT(t.elapsed(), 1000);
}

TEST(PlayerLinkProgram, RunPlayerProgramStartsItOnlyWhenNeeded)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString script = dir.filePath(QStringLiteral("player.sh"));
    const QString out = dir.filePath(QStringLiteral("args.txt"));
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\npwd >> '%1'\n").arg(out).toUtf8());
    }
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString caption = UniqueCaption(QStringLiteral("player"));

    EXPECT_FALSE(RunPlayerProgram(caption, dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(RunPlayerProgram(caption, QString()));
    {
        // A window holds the caption: the player runs already.
        windowlink::LinkWindow running(caption);
        ASSERT_TRUE(running.IsRegistered());
        EXPECT_FALSE(RunPlayerProgram(caption, script));
    }
    EXPECT_TRUE(RunPlayerProgram(caption, script));
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(out).size() > 0 && QFile(out).size() > 4; }, 5000));
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("min"));
    EXPECT_EQ(QFileInfo(lines[1]).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
}

TEST(PlayerLinkMessages, EveryMessageReachesThePlayerAndItsReportsReachTheStation)
{
    Station station;
    ASSERT_TRUE(station.Registered());
    auto player = station.StartPlayer({QStringLiteral("--song-ms"), QStringLiteral("600000")});
    ASSERT_FALSE(player->WaitLine(QStringLiteral("ready")).isEmpty())
        << player->Process().readAllStandardError().constData();
    ASSERT_TRUE(PlayerRunning());

    // Copy-data records.
    EXPECT_TRUE(PlayNow(QStringLiteral("/songs/月亮代表我的心.mpg")));
    EXPECT_EQ(player->WaitLine(QStringLiteral("file ")), QStringLiteral("file /songs/月亮代表我的心.mpg"));
    // A new song: the player tells its volume and vocal state.
    EXPECT_GE(station.WaitMessage(kMsgVolumeReport, 50, 1), 0);
    EXPECT_TRUE(ShowText(kShowQuickText, QStringLiteral("欢迎光临")));
    EXPECT_EQ(player->WaitLine(QStringLiteral("text ")), QStringLiteral("text 1 欢迎光临"));
    EXPECT_TRUE(ShowText(kShowPicture, QStringLiteral("/skin/Images/OSD/3.bmp")));
    EXPECT_EQ(player->WaitLine(QStringLiteral("text ")), QStringLiteral("text 2 /skin/Images/OSD/3.bmp"));
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("录音1.wav"));
    EXPECT_TRUE(RecordTo(recording));
    EXPECT_EQ(player->WaitLine(QStringLiteral("record ")), QStringLiteral("record ") + recording);
    EXPECT_GE(station.WaitMessage(kMsgRecordingReport, 0, 1), 0);
    EXPECT_TRUE(QFileInfo::exists(recording));
    EXPECT_TRUE(SendSongRecord(0, BuildSongRecord({QStringLiteral("807"), QStringLiteral("甜蜜蜜"), QString()})));
    EXPECT_EQ(player->WaitLine(QStringLiteral("song-record ")), QStringLiteral("song-record 0 807|甜蜜蜜|"));
    EXPECT_TRUE(SendVocalCheck(true));
    EXPECT_EQ(player->WaitLine(QStringLiteral("vocal-check ")), QStringLiteral("vocal-check 1 hello"));

    // Posted commands, each with the report it changes.
    PostCommand(kCmdPause);
    EXPECT_EQ(player->WaitLine(QStringLiteral("command ")), QStringLiteral("command 2 pause"));
    EXPECT_GE(station.WaitMessage(kMsgPausedReport, 0, 1), 0);
    PostCommand(kCmdResume);
    EXPECT_EQ(player->WaitLine(QStringLiteral("command ")), QStringLiteral("command 28 resume"));
    EXPECT_GE(station.WaitMessage(kMsgPausedReport, 0, 0), 0);
    PostCommand(kCmdAccompaniment);
    EXPECT_GE(station.WaitMessage(kMsgVolumeReport, 50, 0), 0);
    PostCommand(kCmdVocal);
    EXPECT_GE(station.WaitMessage(kMsgVolumeReport, 50, 1), 0);
    PostVolume(70);
    EXPECT_EQ(player->WaitLine(QStringLiteral("volume ")), QStringLiteral("volume 70"));
    EXPECT_GE(station.WaitMessage(kMsgVolumeReport, 70, 1), 0);
    PostVolume(150); // clamped
    EXPECT_EQ(player->WaitLine(QStringLiteral("volume ")), QStringLiteral("volume 100"));
    PostCommand(kCmdStopRecording);
    EXPECT_GE(station.WaitMessage(kMsgRecordingReport, 0, 0), 0);
    PostCommand(kCmdRecordVideo);
    EXPECT_GE(station.WaitMessage(kMsgRecordingReport, 0, 1), 0);
    for (int code : {kCmdFireAlarm, kCmdFireAlarmOver, kCmdStationClosing, kCmdRecordingPlayback, kCmdPictureShow})
        PostCommand(code);
    for (const char* word : {"command 15 fire-alarm", "command 16 fire-alarm-over", "command 17 station-closing",
                             "command 32 recording-playback", "command 34 picture-show"})
        EXPECT_EQ(player->WaitLine(QLatin1String(word)), QLatin1String(word));

    // Keys: menu keys stay with the player, the player's 炫影 key reports
    // 2038, other keys go back to the station as 2032.
    EXPECT_TRUE(PostKey(38, false));
    EXPECT_EQ(player->WaitLine(QStringLiteral("key ")), QStringLiteral("key 38"));
    EXPECT_TRUE(PostKey(119, false));
    EXPECT_GE(station.WaitMessage(kMsgShadowReport, 0, 1), 0);
    PostCommand(kCmdLeaveShadowMode);
    EXPECT_GE(station.WaitMessage(kMsgShadowReport, 0, 0), 0);
    EXPECT_TRUE(PostKey(65, true));
    EXPECT_FALSE(player->WaitLine(QStringLiteral("front")).isEmpty());
    EXPECT_EQ(player->WaitLine(QStringLiteral("key ")), QStringLiteral("key 65"));
    EXPECT_GE(station.WaitMessage(kMsgPlayerKey, 0, 65), 0);
    EXPECT_TRUE(PostKey(0, true)); // only switches
    EXPECT_FALSE(player->WaitLine(QStringLiteral("front")).isEmpty());

    // Stop ends the file that plays.
    PostCommand(kCmdStop);
    EXPECT_EQ(player->WaitLine(QStringLiteral("file-done ")), QStringLiteral("file-done /songs/月亮代表我的心.mpg"));

    // Over-long paths are refused rather than cut; long texts are cut at a
    // character boundary.
    EXPECT_FALSE(PlayNow(QStringLiteral("/") + QString(300, QLatin1Char('a'))));
    const QString longText = QString(200, QChar(0x6b4c)); // 400 GBK bytes
    EXPECT_TRUE(ShowText(kShowMessage, longText));
    EXPECT_EQ(player->WaitLine(QStringLiteral("text 0 ")), QStringLiteral("text 0 ") + longText.left(127));

    // The station's window accepts copy-data and ignores it.
    EXPECT_EQ(windowlink::SendCopyData(windowlink::FindWindow(station.ClientCaption()), 4, 0, "x", 1000), 1);

    // Every report the station got came through its hook; none were lost on
    // the way (each state change above was seen in order).
    for (const windowlink::WindowMessage& m : station.messages)
        EXPECT_TRUE(IsPlayerReport(m.message)) << m.message;

    const windowlink::WindowHandle h = PlayerWindow();
    windowlink::PostClose(h);
    EXPECT_TRUE(player->Process().waitForFinished(5000));
    EXPECT_EQ(player->Process().exitCode(), 0);
    EXPECT_FALSE(PlayerRunning());
}

TEST(PlayerLinkMessages, PlayerRefusesATakenCaption)
{
    Station station;
    windowlink::LinkWindow taken(station.PlayerCaption());
    ASSERT_TRUE(taken.IsRegistered());
    auto player = station.StartPlayer({});
    ASSERT_TRUE(player->Process().waitForFinished(5000));
    EXPECT_EQ(player->Process().exitCode(), 1);
}

TEST(PlayerLinkAddSong, ToolPostsTheFinishedMessage)
{
    Station station;
    {
        Program tool(QStringLiteral("vod-addsong"), {QStringLiteral("--caption"), station.ClientCaption()});
        ASSERT_TRUE(tool.Process().waitForFinished(5000));
        EXPECT_EQ(tool.Process().exitCode(), 0);
    }
    EXPECT_GE(station.WaitMessage(kMsgAddSongDone, 0, 0), 0);
    {
        Program tool(QStringLiteral("vod-addsong"),
                     {QStringLiteral("--caption"), station.ClientCaption(), QStringLiteral("--nothing")});
        ASSERT_TRUE(tool.Process().waitForFinished(5000));
        EXPECT_EQ(tool.Process().exitCode(), 0);
    }
    EXPECT_GE(station.WaitMessage(kMsgAddSongDone, 1, 0), 0);
    Program lost(QStringLiteral("vod-addsong"), {QStringLiteral("--caption"), UniqueCaption(QStringLiteral("none"))});
    ASSERT_TRUE(lost.Process().waitForFinished(5000));
    EXPECT_EQ(lost.Process().exitCode(), 1);
}

TEST(PlayerLinkMessages, PlayerWithAWindowRestoresAndCloses)
{
    Station station;
    Program player(QStringLiteral("vodplayer"),
                   {QStringLiteral("min"), QStringLiteral("--log"), QStringLiteral("--caption"),
                    station.PlayerCaption(), QStringLiteral("--client-caption"), station.ClientCaption()});
    ASSERT_FALSE(player.WaitLine(QStringLiteral("ready")).isEmpty())
        << player.Process().readAllStandardError().constData();
    EXPECT_TRUE(ShowText(kShowPicture, QStringLiteral("/no/such/picture.bmp")));
    EXPECT_FALSE(player.WaitLine(QStringLiteral("text 2")).isEmpty());
    // An existing file: the player asks for a sound device before playing.
    EXPECT_TRUE(PlayNow(QCoreApplication::applicationFilePath()));
    EXPECT_FALSE(player.WaitLine(QStringLiteral("file ")).isEmpty());
    EXPECT_TRUE(windowlink::RestoreWindow(PlayerWindow()));
    EXPECT_FALSE(player.WaitLine(QStringLiteral("restore")).isEmpty());
    EXPECT_TRUE(windowlink::PostClose(PlayerWindow()));
    ASSERT_TRUE(player.Process().waitForFinished(5000));
    EXPECT_EQ(player.Process().exitCode(), 0);
}
