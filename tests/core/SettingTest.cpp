#include "core/Setting.h"

#include "CoreTestUtil.h"
#include "core/Exception.h"
#include "core/Helpers.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

using coretest::TInstall;

namespace {

// Rows that record every lookup and fail on one name.
class TRecordingRows : public TMemorySettingRows
{
public:
    QStringList Looked;
    QString FailOn;
    bool Locate(const QString& type, const QString& name) override
    {
        Looked.append(type + u'.' + name);
        if (name == FailOn)
            throw Exception("connection lost");
        return TMemorySettingRows::Locate(type, name);
    }
};

std::unique_ptr<TSetting> Loaded(const TInstall& dir, ISettingRows& rows, int w = 800, int h = 600, int n = 1)
{
    auto s = std::make_unique<TSetting>(dir.Dir());
    s->SetScreen(w, h, n);
    s->Load(&rows);
    return s;
}

bool WaitForFile(const QString& path)
{
    QElapsedTimer t;
    t.start();
    while (!QFileInfo::exists(path) && t.elapsed() < 10000)
        QThread::msleep(20);
    return QFileInfo::exists(path);
}

} // namespace

TEST(Setting, EmptyTableGivesTheDefaults)
{
    TInstall dir;
    dir.WriteLanguages();
    TMemorySettingRows rows;
    auto s = Loaded(dir, rows);
    EXPECT_EQ(s->ExeDir, dir.Dir());
    EXPECT_EQ(s->KroomAdo, QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + dir.Dir() +
                               "data/kroom.db;Persist Security Info=False");
    EXPECT_EQ(s->HotelAdo, "");
    EXPECT_EQ(s->UDPPort, 3200);
    EXPECT_EQ(s->ControlServerIP, "192.168.0.255");
    EXPECT_EQ(s->Server, "Server");
    EXPECT_EQ(s->ServerList, QStringList{"Server"});
    EXPECT_EQ(s->Password, "9825");
    EXPECT_EQ(s->Quitpwd, "7490");
    EXPECT_EQ(s->TimesPwd, "8421");
    EXPECT_EQ(s->AddSongPwd, "3580");
    EXPECT_EQ(s->LangType, 1);
    EXPECT_TRUE(s->ClipCursor);
    EXPECT_TRUE(s->ShowMouse);
    EXPECT_TRUE(s->CanRecordAudio);
    EXPECT_TRUE(s->NeedLogin);
    EXPECT_FALSE(s->Debug || s->NoDiskMode || s->HotelVod || s->SaloonMode || s->VolumeMode || s->SmallScreen);
    EXPECT_FALSE(s->FirstInstance);
    EXPECT_EQ(s->ShowScreen, 30);
    EXPECT_EQ(s->VideoScreenCount, 2);
    EXPECT_EQ(s->Player_Name, "VodPlayer.exe");
    EXPECT_EQ(s->PlayerPath, dir.Dir() + "VodPlayer.exe");
    EXPECT_EQ(s->Player_Caption, "Test Player");
    EXPECT_EQ(s->Client_Caption, "kroomclient");
    EXPECT_EQ(s->Sex + s->Disco + s->Miss, "111");
    EXPECT_EQ(s->DataDir, dir.Dir() + "Data/");
    EXPECT_EQ(s->BrowsePath, dir.Dir() + "Services/Chinese/");
    EXPECT_EQ(s->Move.FontSize, 16);
    EXPECT_EQ(s->Move.FontName, QStringLiteral("黑体"));
    EXPECT_EQ(s->Move.FontColor, 255);
    EXPECT_EQ(s->Move.Speed, 500);
    EXPECT_EQ(s->Move.Count, 3);
    EXPECT_EQ(s->Cursor.Width, 25);
    EXPECT_EQ(s->SendKey.Left, 600);
    EXPECT_EQ(s->LangFont[0], QStringLiteral("黑体"));
    EXPECT_EQ(s->LangFont[49], QStringLiteral("黑体"));
    EXPECT_EQ(s->Mic, 40);
    EXPECT_EQ(s->Music, 50);
    EXPECT_EQ(s->KeyLevel, 6);
    EXPECT_EQ(s->COM, 0);
    EXPECT_EQ(s->CCU_BaudRate, 4800);
    EXPECT_EQ(s->Texts.Playing, QStringLiteral("正在播放"));
    EXPECT_EQ(s->Keys.RETURN, 27);
    EXPECT_EQ(s->CodeOfWord("enter"), 13);
    EXPECT_EQ(s->ComputerName, s->ComputerName.toLower());
}

TEST(Setting, ConnectionStringsComeFromVodIni)
{
    TInstall dir;
    dir.WriteLanguages();
    dir.Write("vod.ini", QStringLiteral("[VOD]\r\nkroomado = \"Provider=SQLite;Data Source=data/kroom.db\"\r\n"
                                        "HotelAdo=Provider=PostgreSQL;Data Source=酒店\r\n"));
    TSetting s(dir.Dir());
    EXPECT_EQ(s.KroomAdo, "Provider=SQLite;Data Source=data/kroom.db");
    EXPECT_EQ(s.HotelAdo, QStringLiteral("Provider=PostgreSQL;Data Source=酒店"));
}

TEST(Setting, ProgramFolderFromEnvironmentWhenNotGiven)
{
    TInstall dir;
    const QByteArray old = qgetenv("VOD_EXE_DIR");
    qputenv("VOD_EXE_DIR", dir.Dir().chopped(1).toLocal8Bit());
    TSetting s;
    qputenv("VOD_EXE_DIR", old);
    EXPECT_EQ(s.ExeDir, dir.Dir());
    EXPECT_TRUE(TSetting(QStringLiteral("C:\\vod")).ExeDir.endsWith("C:/vod/"));
}

TEST(Setting, DataFolderIsCompletedAndAcceptsEitherSeparator)
{
    TInstall dir;
    dir.WriteLanguages();
    struct Case
    {
        const char* value;
        QString expected;
    };
    for (const Case& c : {Case{"/srv/vod/queue", "/srv/vod/queue/"}, Case{"/srv/vod/queue/", "/srv/vod/queue/"},
                          Case{"d:\\vod\\data\\", "d:/vod/data/"}, Case{"", dir.Dir() + "Data/"},
                          // Relative: inside the installation folder, not the working folder.
                          Case{"queue\\", dir.Dir() + "queue/"}, Case{"../spool", dir.Dir() + "../spool/"}}) {
        TMemorySettingRows rows({{"vod", "DataDir", c.value}, {"vod", "RecordDir", "d:\\rec"}});
        auto s = Loaded(dir, rows);
        EXPECT_EQ(s->DataDir, c.expected) << c.value;
        EXPECT_EQ(s->RecordDir, "d:/rec");
    }
    // The folder's own spelling wins on a case-sensitive file system.
    dir.MakeDir("data");
    TMemorySettingRows rows;
    EXPECT_EQ(Loaded(dir, rows)->DataDir, dir.Dir() + "data/");
}

TEST(Setting, SmallScreenTurnsTheMouseOffAndShortensTheIdleShow)
{
    TInstall dir;
    dir.WriteLanguages();
    TMemorySettingRows zero({{"vod", "ShowScreen", "0"}});
    auto s = Loaded(dir, zero, 1024, 768, 1);
    EXPECT_TRUE(s->SmallScreen);
    EXPECT_FALSE(s->ShowMouse);
    EXPECT_EQ(s->ShowScreen, 15);

    TMemorySettingRows forty({{"vod", "ShowScreen", "40"}});
    s = Loaded(dir, forty, 1024, 768, 1);
    EXPECT_TRUE(s->SmallScreen);
    EXPECT_EQ(s->ShowScreen, 40);

    s = Loaded(dir, zero, 1024, 768, 2);
    EXPECT_FALSE(s->SmallScreen);
    EXPECT_TRUE(s->ShowMouse);
    EXPECT_EQ(s->ShowScreen, 0);

    TMemorySettingRows test({{"vod", "Test", "1"}, {"vod", "ShowScreen", "0"}});
    s = Loaded(dir, test, 1024, 768, 1);
    EXPECT_FALSE(s->SmallScreen);
    EXPECT_EQ(s->ShowScreen, 0);

    s = Loaded(dir, zero, 1280, 1024, 1);
    EXPECT_FALSE(s->SmallScreen);
}

TEST(Setting, ServerListKeepsEmptyPiecesButNotATrailingOne)
{
    TInstall dir;
    dir.WriteLanguages();
    struct Case
    {
        const char* server;
        QStringList expected;
    };
    for (const Case& c : {Case{"alpha;;beta;", {"alpha", "", "beta"}}, Case{"alpha;beta", {"alpha", "beta"}},
                          Case{"", {}}, Case{";", {""}}, Case{"one", {"one"}}}) {
        TMemorySettingRows rows({{"vod", "Server", c.server}});
        EXPECT_EQ(Loaded(dir, rows)->ServerList, c.expected) << c.server;
    }
}

TEST(Setting, VolumeCommandStringsStopAtTheirLimits)
{
    TInstall dir;
    dir.WriteLanguages();
    auto count = [](const QStringList& looked, const QString& prefix) {
        int n = 0;
        for (const QString& l : looked) {
            if (l.startsWith(prefix) && l.size() > prefix.size() && l[prefix.size()].isDigit())
                ++n;
        }
        return n;
    };
    {
        TRecordingRows rows;
        Loaded(dir, rows);
        EXPECT_EQ(count(rows.Looked, "Volume.Mic"), 0); // MicMax 0
        EXPECT_EQ(count(rows.Looked, "Volume.Mix"), 0);
        EXPECT_EQ(count(rows.Looked, "Volume.Music"), 0);
        EXPECT_EQ(count(rows.Looked, "Volume.Key"), 13); // KeyLevel 6: Key0..Key12
        EXPECT_EQ(count(rows.Looked, "Volume.Effect"), 10);
        EXPECT_EQ(count(rows.Looked, "CCU.Mix"), 3);
        EXPECT_EQ(count(rows.Looked, "CCU.Effect"), 10);
        EXPECT_TRUE(rows.Looked.contains("CCU.Service"));
    }
    {
        TRecordingRows rows;
        rows.Add("Volume", "MicMax", "150");
        rows.Add("Volume", "MusicMax", "2147483647");
        rows.Add("Volume", "KeyLevel", "1000000000");
        rows.Add("Volume", "Mic99", "last mic");
        rows.Add("Volume", "Mic100", "beyond");
        rows.Add("Volume", "Key19", "last key");
        auto s = Loaded(dir, rows);
        EXPECT_EQ(count(rows.Looked, "Volume.Mic"), 100);
        EXPECT_EQ(count(rows.Looked, "Volume.Mix"), 100);
        EXPECT_EQ(count(rows.Looked, "Volume.Music"), 100);
        EXPECT_EQ(count(rows.Looked, "Volume.Key"), 20);
        EXPECT_EQ(s->VolMic[99], "last mic");
        EXPECT_EQ(s->VolKey[19], "last key");
        EXPECT_EQ(s->MicMax, 150);
    }
    {
        TRecordingRows rows;
        rows.Add("Volume", "KeyLevel", "-3");
        Loaded(dir, rows);
        EXPECT_EQ(count(rows.Looked, "Volume.Key"), 0);
    }
}

TEST(Setting, ReadingStopsAtTheFirstErrorWithConstructionValuesForTheRest)
{
    TInstall dir;
    dir.WriteLanguages();
    TRecordingRows rows;
    rows.Add("vod", "UDPPort", "4100");
    rows.Add("vod", "Player_Name", "player");
    rows.Add("Volume", "Mic", "70");
    rows.FailOn = "ShowScreen";
    auto s = Loaded(dir, rows);
    EXPECT_EQ(s->UDPPort, 4100);       // read before the error
    EXPECT_TRUE(s->ClipCursor);        // read before the error
    EXPECT_EQ(s->ShowScreen, 0);       // construction value, not 30
    EXPECT_EQ(s->Player_Name, "");     // never read
    EXPECT_EQ(s->VideoScreenCount, 0); // never read
    EXPECT_EQ(s->Mic, 0);              // the later types are not read
    EXPECT_EQ(s->CCU_BaudRate, 0);     //
    EXPECT_EQ(s->Move.FontName, "");   //
    EXPECT_FALSE(rows.Looked.contains("Volume.Mic"));
    // Derived values still complete, and the rest of Load goes on.
    EXPECT_EQ(s->DataDir, dir.Dir() + "Data/");
    EXPECT_EQ(s->PlayerPath, dir.Dir());
    EXPECT_EQ(s->Texts.Playing, QStringLiteral("正在播放"));
    EXPECT_EQ(s->Keys.ENTER, 13);

    TRecordingRows late;
    late.Add("Volume", "MicMax", "2");
    late.Add("Volume", "Mic0", "m0");
    late.FailOn = "Mix0";
    s = Loaded(dir, late);
    EXPECT_EQ(s->VolMic[0], "m0");
    EXPECT_EQ(s->VolMix[0], "");
    EXPECT_EQ(s->Mic, 40);
    EXPECT_EQ(s->CCU_BaudRate, 0);
    EXPECT_EQ(s->ShowScreen, 30);
}

TEST(Setting, LanguageIndexOutsideTheListEndsTheLoad)
{
    TInstall dir;
    TMemorySettingRows rows;
    TSetting none(dir.Dir());
    EXPECT_THROW(none.Load(&rows), Exception); // no Language.ini at all

    dir.WriteLanguages();
    TMemorySettingRows bad({{"vod", "LangType", "2"}});
    TSetting beyond(dir.Dir());
    EXPECT_THROW(beyond.Load(&bad), Exception);
    TMemorySettingRows negative({{"vod", "LangType", "-1"}});
    TSetting below(dir.Dir());
    EXPECT_THROW(below.Load(&negative), Exception);
    TMemorySettingRows first({{"vod", "LangType", "0"}});
    TSetting english(dir.Dir());
    EXPECT_NO_THROW(english.Load(&first));
    EXPECT_EQ(english.Texts.Playing, "Now playing");
    EXPECT_EQ(english.BrowsePath, dir.Dir() + "Services/English/");
}

TEST(Setting, AutoBatIsStartedWithoutWaiting)
{
    TInstall dir;
    dir.WriteLanguages();
    dir.Write("auto.bat", QStringLiteral("sleep 0.3\necho started > \"%1\"\n").arg(dir.Path("marker")));
    TMemorySettingRows rows;
    QElapsedTimer t;
    t.start();
    Loaded(dir, rows);
    EXPECT_LT(t.elapsed(), 300);
    EXPECT_TRUE(WaitForFile(dir.Path("marker")));
}

TEST(Setting, PlayerProgramStartsOnlyWhenPresentAndNotRunning)
{
    TInstall dir;
    dir.WriteLanguages();
    TMemorySettingRows rows({{"vod", "Player_Name", "player.sh"}});
    auto s = Loaded(dir, rows);
    s->run_program(); // no player file: nothing happens

    dir.Write("player.sh", QStringLiteral("#!/bin/sh\necho \"$1\" > \"%1\"\n").arg(dir.Path("ran")));
    QFile::setPermissions(dir.Path("player.sh"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SetWindowFinder([](const QString& caption) { return caption == "Test Player"; });
    s->run_program(); // the player's window exists: not started again
    SetWindowFinder({});
    QThread::msleep(200);
    EXPECT_FALSE(QFileInfo::exists(dir.Path("ran")));

    s->run_program();
    ASSERT_TRUE(WaitForFile(dir.Path("ran")));
    QThread::msleep(50);
    EXPECT_EQ(coretest::ReadBytes(dir.Path("ran")).trimmed(), "min");
}
