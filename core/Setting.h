#pragma once
// The station's settings object. Every setting lives in a field named after
// its key (the field for UDPPort is UDPPort). Sources: vod.ini, the catalogue's
// Setting table, Language.ini, keyboard.ini, the skin's SongList.ini and
// Game/Game.ini. Read once at start-up through the global g_pSetting.
#include "core/KeyMap.h"
#include "core/ReadSetting.h"
#include "core/Texts.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

// One skin of a language: an entry of the language's images folder.
struct TSkinItem
{
    QString Name;
    QString Title; // the same entry name; kept for the skin chooser
};

// One entry of Language.ini's language list.
struct TLangItem
{
    QString Section;  // section of the language's texts
    QString Second;   // kept, not used
    QString Folder;   // folder under Images/ and Services/
    QString FontName; // font of the language
    int SkinCount = 0;
    int CurSkinSel = 0; // chosen skin; -1 when the language has none
    QList<TSkinItem> Skins;
};

// A block of list layout values (SongList.ini sections Song, Func, Order, Singer).
struct TListLayout
{
    int Top = 0, Left = 0, Height = 0, Space = 0, Width = 0, PageItems = 0, FontSize = 0;
    QString FontName;
    int FontColor = 0, SelColor = 0, TitleColor = 0, OverColor = 0, SingerColor = 0;
    int ShadowColor = 0, ShadowWidth = 0, ShadowStyle = 0;
};

// Section Skin of Language.ini.
struct TSkinBlock
{
    int FontSize = 0, Space = 0, Left = 0, Top = 0, Height = 0, Width = 0;
};

// Setting type Move: the moving caption.
struct TMoveBlock
{
    int Top = 0, FontSize = 0;
    QString Text, FontName;
    int FontColor = 0, Speed = 0, Size = 0, TotalTime = 0, Count = 0;
};

struct TSendKeyBlock
{
    int Left = 0, Top = 0;
};

struct TCursorBlock
{
    int Width = 0, Height = 0;
};

struct TGameItem
{
    QString Name, Path;
};

class TSetting
{
public:
    static constexpr int kMaxGames = 99;
    static constexpr int kMaxVolSteps = 100; // Mic, Mix and Music command strings
    static constexpr int kMaxKeySteps = 20;  // Key command strings

    // Steps 1 to 6 of the construction: fields cleared, ExeDir, ComputerName,
    // the connection strings of vod.ini. exeDir names the program folder;
    // when empty it is VOD_EXE_DIR when that is set, else the folder of the
    // program file.
    explicit TSetting(const QString& exeDir = QString());
    ~TSetting();
    TSetting(const TSetting&) = delete;
    TSetting& operator=(const TSetting&) = delete;

    // Reads every other source in the fixed order: auto.bat, the Setting
    // table through ReadSetting (bind it first; unbound reads give empty
    // texts), the language list, the list layout, the texts of LangType, the
    // key map, the command words, the games, ServerList, BrowsePath.
    // Throws Exception when LangType does not name a language.
    void Load();
    // Binds the Setting rows, then Load().
    void Load(ISettingRows* rows);

    // Starts the player program (PlayerPath, parameter "min") when no window
    // has the caption Player_Caption and the file exists.
    void run_program();
    // Whether this computer starts the player program: always outside hall
    // mode, in hall mode only the computer named SaloonComputer (any case).
    bool StartsPlayerProgram() const;

    // Screen used for SmallScreen and the resolution folder. By default the
    // primary screen's size and the number of screens; tests set their own.
    void SetScreen(int width, int height, int count);
    int ScreenWidth() const;
    int ScreenHeight() const;
    int ScreenCount() const;

    // ---- interface texts ----
    void LoadLanguageList();
    // Reads every text of the language at that index. Throws Exception when
    // the index names no language.
    void LoadTexts(int index);
    // Text of a Language.ini key (ASCII case ignored); empty for unknown keys.
    QString Text(const QString& key) const;
    // Section / folder of the language at that index; Exception when out of range.
    QString LangSection(int index) const;
    QString LangFolder(int index) const;
    // The current language's entry; Exception when LangType is out of range.
    TLangItem& CurrentLanguage();
    const TLangItem& CurrentLanguage() const;

    // ---- key map ----
    void LoadKeyMap();
    void BuildCommandWords();
    // Code of a skin command word (case ignored, first match); 0 when unknown.
    quint16 CodeOfWord(const QString& word) const;
    // 0..9 when code equals n0..n9 (first equal binding wins), else -1.
    int DigitOfKey(qint16 code) const;
    // 'A'..'Z' when code equals binding A..Z (first equal wins), else 0.
    char LetterOfKey(qint16 code) const;
    // Code of a keyboard.ini key (ASCII case ignored); 0 when unknown.
    qint16 KeyCode(const QString& fileKey) const;

    // ---- skin, list layout, games ----
    // ExeDir + "Images/" + language folder + "/" + resolution folder + "/",
    // of the current language or of the language at that index.
    QString SkinDir() const;
    QString SkinDir(int language) const;
    // "WxHxN" or "WxH" when that folder exists, else "800x600".
    QString ResolutionFolder() const;
    QString ResolutionFolder(int language) const;
    // Writes CurSkinSel of the current language into its Language.ini section.
    void SaveSkinChoice();
    void LoadSongList();
    void LoadGames();

    // ---- fields, named by their keys ----
    QString ExeDir; // ends with '/'
    bool SaveKaraokMode = false;
    QString Server;
    QString Password, Quitpwd, TimesPwd;
    QString ComputerName;
    QString DataDir; // ends with '/'
    bool NoDiskMode = false, EnableRandom = false, Fen = false, HotelVod = false, VolumeMode = false,
         SaloonMode = false;
    QString SaloonComputer;
    QString HotelAdo, KroomAdo;
    bool Sound = false;
    int COM = 0, COM_BaudRate = 0;
    int COM_CCU = 0, CCU_BaudRate = 0;
    bool ShowMouse = false, ClipCursor = false;
    int ShowScreen = 0;
    QStringList ServerList;
    bool ShowFlash = false;
    QString RecordDir;
    int Test = 0;
    bool SmallScreen = false;
    int VideoScreenCount = 0;
    QString AddSongPwd;
    bool ShowVersion = false, CanRecordAudio = false;
    QString ControlServerIP;
    // Addresses the control link takes commands from (blanks, commas or
    // semicolons between them); empty: any address.
    QString UDPAllowFrom;
    int UDPPort = 0;
    QString ServerDbAddress;
    bool FirstInstance = false;
    // MenuSlots[i - 1][j - 1] holds "Menu<i>_<j>".
    std::array<std::array<QString, 2>, 3> MenuSlots;
    QString PlayerPath;
    QString Player_Name, Player_Caption, Client_Caption, Sex, Disco, Miss, BrowsePath;
    bool Debug = false, NeedLogin = false;
    std::array<QString, 50> LangFont;
    int MicMin = 0, MicMax = 0, MusicMin = 0, MusicMax = 0, Mic = 0, Music = 0, Key = 0, Effect = 0, KeyLevel = 0;
    std::array<QString, kMaxVolSteps> VolMic, VolMusic, VolMix;
    std::array<QString, kMaxKeySteps> VolKey;
    std::array<QString, 10> VolEffect;
    std::array<QString, 3> CcuMic, CcuMusic, CcuKey, CcuMix;
    std::array<QString, 10> CcuEffect;
    QString Service;
    int GameCount = 0;
    std::array<TGameItem, kMaxGames> Games;
    TListLayout Song, Func, Order, Singer;
    TSendKeyBlock SendKey;
    TCursorBlock Cursor;
    TMoveBlock Move;
    TTexts Texts;
    TKeyMap Keys;
    // Command word -> key-code field, in table order.
    QList<QPair<QString, qint16 TKeyMap::*>> CommandWords;
    QList<TLangItem> LangList;
    int LanguageCount = 0;
    int LangType = 0;
    TSkinBlock Skin;
    std::unique_ptr<TReadSetting> ReadSetting;

private:
    void ReadSettingTable();
    void ReadDerived();
    void RunAutoBat();
    void ReadSkinsOf(TLangItem& item);

    int m_nScreenWidth = -1, m_nScreenHeight = -1, m_nScreenCount = -1;
};

// The one settings object, created by the catalogue data module.
extern TSetting* g_pSetting;

// Default catalogue connection string for a program folder.
QString DefaultKroomAdo(const QString& exeDir);
