#include "core/Setting.h"

#include "core/Exception.h"
#include "core/Helpers.h"
#include "core/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <unistd.h>

TSetting* g_pSetting = nullptr;

namespace {

const QString kVod = QStringLiteral("vod");

QString ProgramFolder(const QString& given)
{
    QString dir = given;
    if (dir.isEmpty())
        dir = qEnvironmentVariable("VOD_EXE_DIR");
    if (dir.isEmpty()) {
        if (QCoreApplication::instance())
            dir = QCoreApplication::applicationDirPath();
        else
            dir = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    }
    return WithSeparator(QFileInfo(NormalisePath(dir)).absoluteFilePath());
}

// The entry of folder whose name equals name ignoring case, so that a
// folder written "Data" on a case-blind system is found as "data" here.
QString ExistingCase(const QString& folder, const QString& name)
{
    if (QFileInfo(folder + name).isDir())
        return name;
    const QStringList entries = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    }
    return name;
}

// A path that names its folder from the root ("/srv/vod", or "d:/vod" as
// written for the original platform).
bool IsAbsolute(const QString& path)
{
    return path.startsWith(u'/') || (path.size() >= 2 && path[0].isLetter() && path[1] == u':');
}

} // namespace

QString DefaultKroomAdo(const QString& exeDir)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + exeDir +
           QStringLiteral("data/kroom.db;Persist Security Info=False");
}

TSetting::TSetting(const QString& exeDir)
{
    // 1. The Setting table reader. 2. Every field starts empty/0/false (the
    // member initialisers).
    ReadSetting = std::make_unique<TReadSetting>();
    // 3. The computer's name, lower case; empty when the system will not say.
    char name[100] = {};
    if (gethostname(name, sizeof(name) - 1) == 0)
        ComputerName = QString::fromLocal8Bit(name).toLower();
    // 4. The command-word table starts empty. 5. The program folder.
    ExeDir = ProgramFolder(exeDir);
    // 6. Connection strings.
    const TIniFile ini(ExeDir + QStringLiteral("vod.ini"));
    KroomAdo = ini.ReadString(kVod, QStringLiteral("KroomAdo"), DefaultKroomAdo(ExeDir));
    HotelAdo = ini.ReadString(kVod, QStringLiteral("HotelAdo"), QString());
}

TSetting::~TSetting() = default;

void TSetting::Load(ISettingRows* rows)
{
    ReadSetting->SetDataSet(rows);
    Load();
}

void TSetting::Load()
{
    RunAutoBat();
    ReadSettingTable();
    LoadLanguageList();
    try {
        LoadSongList();
    } catch (...) {
        // The skin folder cannot be named (no such language): the texts below report it.
    }
    LoadTexts(LangType);
    LoadKeyMap();
    BuildCommandWords();
    LoadGames();
    SplitText(Server, u';', ServerList);
    if (BrowsePath.isEmpty())
        BrowsePath = ExeDir + QStringLiteral("Services/") + NormalisePath(LangFolder(LangType)) + u'/';
}

void TSetting::RunAutoBat()
{
    const QString bat = ExeDir + QStringLiteral("auto.bat");
    if (!QFileInfo(bat).isFile())
        return;
    // Started through the shell, without a window, not awaited.
    QProcess::startDetached(QStringLiteral("/bin/sh"), {bat}, ExeDir);
}

void TSetting::ReadSettingTable()
{
    TReadSetting& r = *ReadSetting;
    // A data-set error stops reading: what was read stays, the rest keeps
    // its construction value.
    bool ok = true;
    try {
        UDPPort = r.ReadInteger(kVod, QStringLiteral("UDPPort"), 3200);
        ControlServerIP = r.ReadString(kVod, QStringLiteral("ControlServerIP"), QStringLiteral("192.168.0.255"));
        UDPAllowFrom = r.ReadString(kVod, QStringLiteral("UDPAllowFrom"), QString());
        Server = r.ReadString(kVod, QStringLiteral("Server"), QStringLiteral("Server"));
        NoDiskMode = r.ReadBool(kVod, QStringLiteral("NoDiskMode"), false);
        DataDir = NormalisePath(r.ReadString(kVod, QStringLiteral("DataDir"),
                                             ExeDir + ExistingCase(ExeDir, QStringLiteral("Data")) + u'/'));
        Password = r.ReadString(kVod, QStringLiteral("Password"), QStringLiteral("9825"));
        Quitpwd = r.ReadString(kVod, QStringLiteral("Quitpwd"), QStringLiteral("7490"));
        TimesPwd = r.ReadString(kVod, QStringLiteral("TimesPwd"), QStringLiteral("8421"));
        AddSongPwd = r.ReadString(kVod, QStringLiteral("AddSongPwd"), QStringLiteral("3580"));
        SaveKaraokMode = r.ReadBool(kVod, QStringLiteral("SaveKaraokMode"), false);
        EnableRandom = r.ReadBool(kVod, QStringLiteral("EnableRandom"), false);
        LangType = r.ReadInteger(kVod, QStringLiteral("LangType"), 1);
        BrowsePath = NormalisePath(r.ReadString(kVod, QStringLiteral("BrowsePath"), QString()));
        Test = r.ReadInteger(kVod, QStringLiteral("Test"), 0);
        ClipCursor = r.ReadBool(kVod, QStringLiteral("ClipCursor"), true);
        Sound = r.ReadBool(kVod, QStringLiteral("Sound"), false);
        ShowMouse = r.ReadBool(kVod, QStringLiteral("ShowMouse"), true);
        ShowScreen = r.ReadInteger(kVod, QStringLiteral("ShowScreen"), 30);
        ShowFlash = r.ReadBool(kVod, QStringLiteral("ShowFlash"), false);
        RecordDir = NormalisePath(r.ReadString(kVod, QStringLiteral("RecordDir"), QString()));
        Fen = r.ReadBool(kVod, QStringLiteral("Fen"), false);
        HotelVod = r.ReadBool(kVod, QStringLiteral("HotelVod"), false);
        ShowVersion = r.ReadBool(kVod, QStringLiteral("ShowVersion"), false);
        CanRecordAudio = r.ReadBool(kVod, QStringLiteral("CanRecordAudio"), true);
        Player_Name = r.ReadString(kVod, QStringLiteral("Player_Name"), QStringLiteral("VodPlayer.exe"));
        Player_Caption = r.ReadString(kVod, QStringLiteral("Player_Caption"), QStringLiteral("Test Player"));
        Client_Caption = r.ReadString(kVod, QStringLiteral("Client_Caption"), QStringLiteral("kroomclient"));
        Sex = r.ReadString(kVod, QStringLiteral("Sex"), QStringLiteral("1"));
        Disco = r.ReadString(kVod, QStringLiteral("Disco"), QStringLiteral("1"));
        Miss = r.ReadString(kVod, QStringLiteral("Miss"), QStringLiteral("1"));
        Debug = r.ReadBool(kVod, QStringLiteral("Debug"), false);
        NeedLogin = r.ReadBool(kVod, QStringLiteral("NeedLogin"), true);
        VolumeMode = r.ReadBool(kVod, QStringLiteral("VolumeMode"), false);
        SaloonMode = r.ReadBool(kVod, QStringLiteral("SaloonMode"), false);
        SaloonComputer = r.ReadString(kVod, QStringLiteral("SaloonComputer"), QString());
        VideoScreenCount = r.ReadInteger(kVod, QStringLiteral("VideoScreenCount"), 2);
    } catch (...) {
        ok = false;
    }
    // The derived values are completed even after an error, so that the
    // data folder and the player path never stay empty.
    ReadDerived();
    if (!ok)
        return;

    try {
        const QString menu = QStringLiteral("Menu");
        for (int i = 1; i <= 3; ++i) {
            for (int j = 1; j <= 2; ++j)
                MenuSlots[i - 1][j - 1] = r.ReadString(menu, QStringLiteral("Menu%1_%2").arg(i).arg(j), QString());
        }

        const QString move = QStringLiteral("Move");
        Move.Top = r.ReadInteger(move, QStringLiteral("Top"), 0);
        Move.FontSize = r.ReadInteger(move, QStringLiteral("FontSize"), 16);
        Move.Text = r.ReadString(move, QStringLiteral("Text"), QString());
        Move.FontName = r.ReadString(move, QStringLiteral("FontName"), QStringLiteral("黑体"));
        Move.FontColor = r.ReadInteger(move, QStringLiteral("FontColor"), 255);
        Move.Speed = r.ReadInteger(move, QStringLiteral("Speed"), 500);
        Move.Size = r.ReadInteger(move, QStringLiteral("Size"), 10);
        Move.TotalTime = r.ReadInteger(move, QStringLiteral("TotalTime"), 60);
        Move.Count = r.ReadInteger(move, QStringLiteral("Count"), 3);

        Cursor.Width = r.ReadInteger(QStringLiteral("Cursor"), QStringLiteral("Width"), 25);
        Cursor.Height = r.ReadInteger(QStringLiteral("Cursor"), QStringLiteral("Height"), 25);
        SendKey.Left = r.ReadInteger(QStringLiteral("SendKey"), QStringLiteral("Left"), 600);
        SendKey.Top = r.ReadInteger(QStringLiteral("SendKey"), QStringLiteral("Top"), 0);

        for (int n = 0; n < static_cast<int>(LangFont.size()); ++n)
            LangFont[n] = r.ReadString(QStringLiteral("Font"), QStringLiteral("Lang%1").arg(n), QStringLiteral("黑体"));

        const QString vol = QStringLiteral("Volume");
        COM = r.ReadInteger(vol, QStringLiteral("COM"), 0);
        COM_BaudRate = r.ReadInteger(vol, QStringLiteral("COM_BaudRate"), 0);
        MicMin = r.ReadInteger(vol, QStringLiteral("MicMin"), 0);
        MicMax = r.ReadInteger(vol, QStringLiteral("MicMax"), 0);
        MusicMin = r.ReadInteger(vol, QStringLiteral("MusicMin"), 0);
        MusicMax = r.ReadInteger(vol, QStringLiteral("MusicMax"), 0);
        Mic = r.ReadInteger(vol, QStringLiteral("Mic"), 40);
        Music = r.ReadInteger(vol, QStringLiteral("Music"), 50);
        Key = r.ReadInteger(vol, QStringLiteral("Key"), 0);
        Effect = r.ReadInteger(vol, QStringLiteral("Effect"), 0);
        KeyLevel = r.ReadInteger(vol, QStringLiteral("KeyLevel"), 6);
        // Never more command strings than the station holds.
        const int micCount = qBound(0, MicMax, kMaxVolSteps);
        for (int n = 0; n < micCount; ++n) {
            VolMic[n] = r.ReadString(vol, QStringLiteral("Mic%1").arg(n), QString());
            VolMix[n] = r.ReadString(vol, QStringLiteral("Mix%1").arg(n), QString());
        }
        const int musicCount = qBound(0, MusicMax, kMaxVolSteps);
        for (int n = 0; n < musicCount; ++n)
            VolMusic[n] = r.ReadString(vol, QStringLiteral("Music%1").arg(n), QString());
        // 2 x KeyLevel + 1 strings; computed in 64 bits so a huge level cannot overflow.
        const qint64 keyCount = qBound<qint64>(0, 2 * static_cast<qint64>(KeyLevel) + 1, qint64(kMaxKeySteps));
        for (int n = 0; n < keyCount; ++n)
            VolKey[n] = r.ReadString(vol, QStringLiteral("Key%1").arg(n), QString());
        for (int n = 0; n < static_cast<int>(VolEffect.size()); ++n)
            VolEffect[n] = r.ReadString(vol, QStringLiteral("Effect%1").arg(n), QString());

        const QString ccu = QStringLiteral("CCU");
        COM_CCU = r.ReadInteger(ccu, QStringLiteral("COM_CCU"), 0);
        CCU_BaudRate = r.ReadInteger(ccu, QStringLiteral("CCU_BaudRate"), 4800);
        for (int n = 0; n < 3; ++n)
            CcuMix[n] = r.ReadString(ccu, QStringLiteral("Mix%1").arg(n), QString());
        for (int n = 0; n < 3; ++n)
            CcuMic[n] = r.ReadString(ccu, QStringLiteral("Mic%1").arg(n), QString());
        for (int n = 0; n < 3; ++n)
            CcuMusic[n] = r.ReadString(ccu, QStringLiteral("Music%1").arg(n), QString());
        for (int n = 0; n < 3; ++n)
            CcuKey[n] = r.ReadString(ccu, QStringLiteral("Key%1").arg(n), QString());
        for (int n = 0; n < static_cast<int>(CcuEffect.size()); ++n)
            CcuEffect[n] = r.ReadString(ccu, QStringLiteral("Effect%1").arg(n), QString());
        Service = r.ReadString(ccu, QStringLiteral("Service"), QString());
    } catch (...) {
        // Stop at the first error; the rest keeps its construction value.
    }
}

void TSetting::ReadDerived()
{
    SmallScreen = Test == 0 && ScreenWidth() == 1024 && ScreenCount() == 1;
    if (SmallScreen) {
        ShowMouse = false;
        if (ShowScreen == 0)
            ShowScreen = 15;
    }
    PlayerPath = ExeDir + NormalisePath(Player_Name);
    if (DataDir.isEmpty())
        DataDir = ExeDir + ExistingCase(ExeDir, QStringLiteral("Data")) + u'/';
    // A relative data folder lies in the installation folder, wherever the
    // station was started from.
    if (!IsAbsolute(DataDir))
        DataDir = ExeDir + DataDir;
    DataDir = WithSeparator(DataDir);
}

bool TSetting::StartsPlayerProgram() const
{
    return !SaloonMode || SaloonComputer.compare(ComputerName, Qt::CaseInsensitive) == 0;
}

void TSetting::run_program()
{
    if (WindowExists(Player_Caption) || !QFileInfo(PlayerPath).isFile())
        return;
    QProcess::startDetached(PlayerPath, {QStringLiteral("min")}, ExeDir);
}

void TSetting::SetScreen(int width, int height, int count)
{
    m_nScreenWidth = width;
    m_nScreenHeight = height;
    m_nScreenCount = count;
}

static QScreen* PrimaryScreen()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
}

int TSetting::ScreenWidth() const
{
    if (m_nScreenWidth >= 0)
        return m_nScreenWidth;
    QScreen* s = PrimaryScreen();
    return s ? s->size().width() : 0;
}

int TSetting::ScreenHeight() const
{
    if (m_nScreenHeight >= 0)
        return m_nScreenHeight;
    QScreen* s = PrimaryScreen();
    return s ? s->size().height() : 0;
}

int TSetting::ScreenCount() const
{
    if (m_nScreenCount >= 0)
        return m_nScreenCount;
    return PrimaryScreen() ? static_cast<int>(QGuiApplication::screens().size()) : 0;
}
