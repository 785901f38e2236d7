#include "core/SettingDump.h"

#include "core/Setting.h"

namespace {

class TDump
{
public:
    QStringList Lines;
    void Add(const QString& key, const QString& value) { Lines.append(key + u'=' + value); }
    void Add(const QString& key, int value) { Add(key, QString::number(value)); }
    void Add(const QString& key, bool value) { Add(key, QString::number(value ? 1 : 0)); }
    void Add(const QString& key, const char* value) = delete;
};

void AddLayout(TDump& d, const QString& block, const TListLayout& l, bool song, bool func)
{
    d.Add(block + QStringLiteral(".Top"), l.Top);
    d.Add(block + QStringLiteral(".Left"), l.Left);
    d.Add(block + QStringLiteral(".Height"), l.Height);
    d.Add(block + QStringLiteral(".Space"), l.Space);
    if (func)
        d.Add(block + QStringLiteral(".Width"), l.Width);
    else
        d.Add(block + QStringLiteral(".PageItems"), l.PageItems);
    d.Add(block + QStringLiteral(".FontSize"), l.FontSize);
    d.Add(block + QStringLiteral(".FontName"), l.FontName);
    d.Add(block + QStringLiteral(".FontColor"), l.FontColor);
    d.Add(block + QStringLiteral(".SelColor"), l.SelColor);
    if (song)
        d.Add(block + QStringLiteral(".TitleColor"), l.TitleColor);
    d.Add(block + QStringLiteral(".OverColor"), l.OverColor);
    if (song)
        d.Add(block + QStringLiteral(".SingerColor"), l.SingerColor);
    d.Add(block + QStringLiteral(".ShadowColor"), l.ShadowColor);
    d.Add(block + QStringLiteral(".ShadowWidth"), l.ShadowWidth);
    d.Add(block + QStringLiteral(".ShadowStyle"), l.ShadowStyle);
}

template <size_t N> void AddStrings(TDump& d, const QString& prefix, const std::array<QString, N>& a, size_t count = N)
{
    for (size_t n = 0; n < count && n < N; ++n)
        d.Add(prefix + QString::number(n), a[n]);
}

} // namespace

QStringList DumpSettings(const TSetting& s)
{
    TDump d;
    d.Add(QStringLiteral("ExeDir"), s.ExeDir);
    d.Add(QStringLiteral("ComputerName"), s.ComputerName);
    d.Add(QStringLiteral("KroomAdo"), s.KroomAdo);
    d.Add(QStringLiteral("HotelAdo"), s.HotelAdo);
    d.Add(QStringLiteral("UDPPort"), s.UDPPort);
    d.Add(QStringLiteral("ControlServerIP"), s.ControlServerIP);
    d.Add(QStringLiteral("UDPAllowFrom"), s.UDPAllowFrom);
    d.Add(QStringLiteral("Server"), s.Server);
    d.Add(QStringLiteral("ServerList"), s.ServerList.join(u'|'));
    d.Add(QStringLiteral("NoDiskMode"), s.NoDiskMode);
    d.Add(QStringLiteral("DataDir"), s.DataDir);
    d.Add(QStringLiteral("Password"), s.Password);
    d.Add(QStringLiteral("Quitpwd"), s.Quitpwd);
    d.Add(QStringLiteral("TimesPwd"), s.TimesPwd);
    d.Add(QStringLiteral("AddSongPwd"), s.AddSongPwd);
    d.Add(QStringLiteral("SaveKaraokMode"), s.SaveKaraokMode);
    d.Add(QStringLiteral("EnableRandom"), s.EnableRandom);
    d.Add(QStringLiteral("LangType"), s.LangType);
    d.Add(QStringLiteral("BrowsePath"), s.BrowsePath);
    d.Add(QStringLiteral("Test"), s.Test);
    d.Add(QStringLiteral("ClipCursor"), s.ClipCursor);
    d.Add(QStringLiteral("Sound"), s.Sound);
    d.Add(QStringLiteral("ShowMouse"), s.ShowMouse);
    d.Add(QStringLiteral("ShowScreen"), s.ShowScreen);
    d.Add(QStringLiteral("ShowFlash"), s.ShowFlash);
    d.Add(QStringLiteral("RecordDir"), s.RecordDir);
    d.Add(QStringLiteral("Fen"), s.Fen);
    d.Add(QStringLiteral("HotelVod"), s.HotelVod);
    d.Add(QStringLiteral("ShowVersion"), s.ShowVersion);
    d.Add(QStringLiteral("CanRecordAudio"), s.CanRecordAudio);
    d.Add(QStringLiteral("Player_Name"), s.Player_Name);
    d.Add(QStringLiteral("Player_Caption"), s.Player_Caption);
    d.Add(QStringLiteral("Client_Caption"), s.Client_Caption);
    d.Add(QStringLiteral("PlayerPath"), s.PlayerPath);
    d.Add(QStringLiteral("Sex"), s.Sex);
    d.Add(QStringLiteral("Disco"), s.Disco);
    d.Add(QStringLiteral("Miss"), s.Miss);
    d.Add(QStringLiteral("Debug"), s.Debug);
    d.Add(QStringLiteral("NeedLogin"), s.NeedLogin);
    d.Add(QStringLiteral("VolumeMode"), s.VolumeMode);
    d.Add(QStringLiteral("SaloonMode"), s.SaloonMode);
    d.Add(QStringLiteral("SaloonComputer"), s.SaloonComputer);
    d.Add(QStringLiteral("VideoScreenCount"), s.VideoScreenCount);
    d.Add(QStringLiteral("SmallScreen"), s.SmallScreen);
    d.Add(QStringLiteral("ScreenSize"),
          QStringLiteral("%1x%2x%3").arg(s.ScreenWidth()).arg(s.ScreenHeight()).arg(s.ScreenCount()));
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 2; ++j)
            d.Add(QStringLiteral("Menu.Menu%1_%2").arg(i + 1).arg(j + 1), s.MenuSlots[i][j]);
    }
    d.Add(QStringLiteral("Move.Top"), s.Move.Top);
    d.Add(QStringLiteral("Move.FontSize"), s.Move.FontSize);
    d.Add(QStringLiteral("Move.Text"), s.Move.Text);
    d.Add(QStringLiteral("Move.FontName"), s.Move.FontName);
    d.Add(QStringLiteral("Move.FontColor"), s.Move.FontColor);
    d.Add(QStringLiteral("Move.Speed"), s.Move.Speed);
    d.Add(QStringLiteral("Move.Size"), s.Move.Size);
    d.Add(QStringLiteral("Move.TotalTime"), s.Move.TotalTime);
    d.Add(QStringLiteral("Move.Count"), s.Move.Count);
    d.Add(QStringLiteral("Cursor.Width"), s.Cursor.Width);
    d.Add(QStringLiteral("Cursor.Height"), s.Cursor.Height);
    d.Add(QStringLiteral("SendKey.Left"), s.SendKey.Left);
    d.Add(QStringLiteral("SendKey.Top"), s.SendKey.Top);
    AddStrings(d, QStringLiteral("Font.Lang"), s.LangFont);

    d.Add(QStringLiteral("Volume.COM"), s.COM);
    d.Add(QStringLiteral("Volume.COM_BaudRate"), s.COM_BaudRate);
    d.Add(QStringLiteral("Volume.MicMin"), s.MicMin);
    d.Add(QStringLiteral("Volume.MicMax"), s.MicMax);
    d.Add(QStringLiteral("Volume.MusicMin"), s.MusicMin);
    d.Add(QStringLiteral("Volume.MusicMax"), s.MusicMax);
    d.Add(QStringLiteral("Volume.Mic"), s.Mic);
    d.Add(QStringLiteral("Volume.Music"), s.Music);
    d.Add(QStringLiteral("Volume.Key"), s.Key);
    d.Add(QStringLiteral("Volume.Effect"), s.Effect);
    d.Add(QStringLiteral("Volume.KeyLevel"), s.KeyLevel);
    const size_t micCount = static_cast<size_t>(qBound(0, s.MicMax, TSetting::kMaxVolSteps));
    const size_t musicCount = static_cast<size_t>(qBound(0, s.MusicMax, TSetting::kMaxVolSteps));
    const size_t keyCount =
        static_cast<size_t>(qBound<qint64>(0, 2 * static_cast<qint64>(s.KeyLevel) + 1, qint64(TSetting::kMaxKeySteps)));
    AddStrings(d, QStringLiteral("Volume.Mic"), s.VolMic, micCount);
    AddStrings(d, QStringLiteral("Volume.Mix"), s.VolMix, micCount);
    AddStrings(d, QStringLiteral("Volume.Music"), s.VolMusic, musicCount);
    AddStrings(d, QStringLiteral("Volume.Key"), s.VolKey, keyCount);
    AddStrings(d, QStringLiteral("Volume.Effect"), s.VolEffect);
    d.Add(QStringLiteral("CCU.COM_CCU"), s.COM_CCU);
    d.Add(QStringLiteral("CCU.CCU_BaudRate"), s.CCU_BaudRate);
    AddStrings(d, QStringLiteral("CCU.Mix"), s.CcuMix);
    AddStrings(d, QStringLiteral("CCU.Mic"), s.CcuMic);
    AddStrings(d, QStringLiteral("CCU.Music"), s.CcuMusic);
    AddStrings(d, QStringLiteral("CCU.Key"), s.CcuKey);
    AddStrings(d, QStringLiteral("CCU.Effect"), s.CcuEffect);
    d.Add(QStringLiteral("CCU.Service"), s.Service);

    d.Add(QStringLiteral("LanguageCount"), s.LanguageCount);
    for (qsizetype i = 0; i < s.LangList.size(); ++i) {
        const TLangItem& l = s.LangList[i];
        const QString p = QStringLiteral("Language%1").arg(i + 1);
        d.Add(p, l.Section + u',' + l.Second + u',' + l.Folder);
        d.Add(p + QStringLiteral(".FontName"), l.FontName);
        d.Add(p + QStringLiteral(".SkinCount"), l.SkinCount);
        d.Add(p + QStringLiteral(".CurSkinSel"), l.CurSkinSel);
        QStringList skins;
        for (const TSkinItem& skin : l.Skins)
            skins.append(skin.Name);
        d.Add(p + QStringLiteral(".Skins"), skins.join(u'|'));
    }
    try {
        d.Add(QStringLiteral("SkinDir"), s.SkinDir());
    } catch (...) {
        d.Add(QStringLiteral("SkinDir"), QString());
    }
    AddLayout(d, QStringLiteral("Song"), s.Song, true, false);
    AddLayout(d, QStringLiteral("Func"), s.Func, false, true);
    AddLayout(d, QStringLiteral("Order"), s.Order, false, false);
    d.Add(QStringLiteral("Singer.SingerColor"), s.Singer.SingerColor);
    d.Add(QStringLiteral("Skin.FontSize"), s.Skin.FontSize);
    d.Add(QStringLiteral("Skin.Space"), s.Skin.Space);
    d.Add(QStringLiteral("Skin.Left"), s.Skin.Left);
    d.Add(QStringLiteral("Skin.Top"), s.Skin.Top);
    d.Add(QStringLiteral("Skin.Height"), s.Skin.Height);
    d.Add(QStringLiteral("Skin.Width"), s.Skin.Width);
    d.Add(QStringLiteral("Game.Count"), s.GameCount);
    for (int i = 0; i < s.GameCount; ++i) {
        d.Add(QStringLiteral("Game.Name%1").arg(i + 1), s.Games[i].Name);
        d.Add(QStringLiteral("Game.Path%1").arg(i + 1), s.Games[i].Path);
    }

    for (const TTextKey& k : TextKeys())
        d.Add(QStringLiteral("Text.") + QLatin1String(k.Key), s.Texts.*k.Field);
    for (const TKeyBinding& b : KeyBindings())
        d.Add(QStringLiteral("Key.") + QLatin1String(b.FileKey), int(s.Keys.*b.Field));
    return d.Lines;
}
