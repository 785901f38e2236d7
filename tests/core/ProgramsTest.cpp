// The station program and the configuration tools, run as processes.
#include "CoreTestUtil.h"
#include "core/IniFile.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

using coretest::TInstall;

using coretest::MakeDemo;
using coretest::Program;
using coretest::RunProgram;
using coretest::SetCatalogueSetting;
using coretest::TRun;

TEST(Programs, DemoConfigurationHasEveryTextInBothLanguagesAndTheKeyDefaults)
{
    TInstall dir;
    MakeDemo(dir);
    const TIniFile lang(dir.Path("Language.ini"));
    for (const QString& section : {QStringLiteral("English"), QStringLiteral("Chinese")}) {
        for (const TTextKey& k : TextKeys()) {
            EXPECT_FALSE(lang.ReadString(section, QString::fromLatin1(k.Key), QString()).isEmpty())
                << qPrintable(section) << " " << k.Key;
        }
    }
    const TIniFile keys(dir.Path("keyboard.ini"));
    for (const TKeyBinding& b : KeyBindings())
        EXPECT_EQ(keys.ReadInteger(QString::fromLatin1(b.Section), QString::fromLatin1(b.FileKey), -1), b.Default);
    // GBK on disk: the Chinese text is no UTF-8.
    EXPECT_TRUE(coretest::ReadBytes(dir.Path("Language.ini")).contains(ToNarrow(QStringLiteral("正在播放"))));

    TSetting s(dir.Dir());
    TMemorySettingRows rows;
    s.Load(&rows);
    EXPECT_EQ(s.LangList.size(), 2);
    EXPECT_EQ(s.CurrentLanguage().Section, "Chinese");
    EXPECT_EQ(s.Texts.Level3, QStringLiteral("标准"));
    // A text that ends in a blank keeps it: the count follows after a blank.
    EXPECT_EQ(s.Texts.ReadDiscoOK, QStringLiteral("已插入到已点歌单中,节目数: "));
    s.LoadTexts(0);
    EXPECT_EQ(s.Texts.Call + s.Texts.Waiter, QStringLiteral("Room calling waiter"));
    EXPECT_TRUE(s.KroomAdo.contains("kroom.db"));
}

TEST(Programs, StationWritesItsStartUpLogWithDebugOn)
{
    TInstall dir;
    MakeDemo(dir);
    SetCatalogueSetting(dir, "vod", "Debug", "1");
    const TRun r = RunProgram(
        Program("vod"), {},
        {{"VOD_EXE_DIR", dir.Dir()}, {"VOD_EXIT_AFTER_MS", "200"}, {"VOD_SCREENSHOT", dir.Path("shot.png")}});
    EXPECT_EQ(r.Exit, 0) << qPrintable(r.Err);
    const QString log = ToWide(coretest::ReadBytes(dir.Path("LogVod.txt")));
    EXPECT_TRUE(log.contains(QStringLiteral(": 总计耗时:"))) << qPrintable(log);
    EXPECT_TRUE(log.endsWith("\r\n"));
    EXPECT_TRUE(QImage(dir.Path("shot.png")).width() > 0);
}

TEST(Programs, StationWithDebugOffWritesNoLog)
{
    TInstall dir;
    MakeDemo(dir);
    SetCatalogueSetting(dir, "vod", "Debug", "0");
    // Ports of its own: a port taken by a station of another test is rightly
    // logged even with the log off.
    SetCatalogueSetting(dir, "vod", "PhonePort", "0");
    SetCatalogueSetting(dir, "vod", "UDPPort", QString::number(30000 + QCoreApplication::applicationPid() % 20000));
    const TRun r = RunProgram(Program("vod"), {}, {{"VOD_EXE_DIR", dir.Dir()}, {"VOD_EXIT_AFTER_MS", "100"}});
    EXPECT_EQ(r.Exit, 0) << qPrintable(r.Err);
    EXPECT_FALSE(QFileInfo::exists(dir.Path("LogVod.txt")));
}

TEST(Programs, StartUpErrorIsReportedOnceAndEndsTheProgram)
{
    TInstall dir; // no Language.ini: LangType names no language
    const TRun r = RunProgram(Program("vod"), {}, {{"VOD_EXE_DIR", dir.Dir()}, {"VOD_EXIT_AFTER_MS", "100"}});
    // A supervisor sees the failure in the exit status.
    EXPECT_EQ(r.Exit, 1);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("全局异常,直接退出:"))) << qPrintable(r.Err);
    // Debug cannot be on without a catalogue; the fatal error is written all the
    // same, once, and never the start-up total.
    const QString log = ToWide(coretest::ReadBytes(dir.Path("LogVod.txt")));
    EXPECT_EQ(log.count(QStringLiteral("全局异常,直接退出:")), 1) << qPrintable(log);
    EXPECT_FALSE(log.contains(QStringLiteral("总计")));
}

TEST(Programs, SettingsToolPrintsTheEffectiveValues)
{
    TInstall dir;
    MakeDemo(dir);
    TRun r = RunProgram(Program("vod-settings"), {dir.Dir()});
    ASSERT_EQ(r.Exit, 0) << qPrintable(r.Err);
    const QStringList lines = r.Out.split(u'\n', Qt::SkipEmptyParts);
    for (const QString& expected :
         {QStringLiteral("UDPPort=3200"), QStringLiteral("Password=9825"),
          QStringLiteral("DataDir=") + dir.Dir() + "data/", QStringLiteral("ServerList=Server"),
          QStringLiteral("Volume.KeyLevel=6"), QStringLiteral("CCU.CCU_BaudRate=4800"),
          QStringLiteral("Text.Level3=标准"), QStringLiteral("Text.Playing=正在播放:"), QStringLiteral("Key.RETURN=27"),
          QStringLiteral("Key.n9=57"), QStringLiteral("Language2=Chinese,中文,Chinese")})
        EXPECT_TRUE(lines.contains(expected)) << qPrintable(expected);
    for (const QString& line : lines)
        EXPECT_TRUE(line.contains(u'=')) << qPrintable(line);

    TInstall empty; // no Language.ini: reported, key codes still shown
    r = RunProgram(Program("vod-settings"), {empty.Dir()});
    EXPECT_EQ(r.Exit, 1);
    EXPECT_FALSE(r.Err.isEmpty());
    EXPECT_TRUE(r.Out.contains("Key.ENTER=13"));
    EXPECT_EQ(RunProgram(Program("vod-settings"), {}).Exit, 2);
}

TEST(Programs, StationStartsWithEveryHookOfItsModulesInstalled)
{
    TInstall dir;
    MakeDemo(dir);
    // The demo runs with the log on, no start-up password and an idle picture
    // show, whose idle handler asks for the show several times a second.
    const TRun r = RunProgram(Program("vod"), {}, {{"VOD_EXE_DIR", dir.Dir()}, {"VOD_EXIT_AFTER_MS", "1500"}});
    EXPECT_EQ(r.Exit, 0) << qPrintable(r.Err);
    const QString log = ToWide(coretest::ReadBytes(dir.Path("LogVod.txt")));
    ASSERT_TRUE(log.contains(QStringLiteral("总计耗时:"))) << qPrintable(log);
    // The message and idle handlers, the picture show, the player's window and picture show, the message screen,
    // the room check, the server link and the room devices: none is named as left out, no call goes nowhere.
    EXPECT_FALSE(log.contains(QStringLiteral("启动后未安装的接口:"))) << qPrintable(log);
    EXPECT_FALSE(log.contains(QStringLiteral("接口未安装,调用无效:"))) << qPrintable(log);
    EXPECT_FALSE(r.Err.contains(QStringLiteral("接口未安装"))) << qPrintable(r.Err);
}
