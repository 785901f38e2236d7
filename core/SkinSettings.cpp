// Skin folder, list layout (SongList.ini), skin block and game table.
#include "core/Helpers.h"
#include "core/IniFile.h"
#include "core/Setting.h"

#include <QFileInfo>

namespace {

void ReadLayout(const TIniFile& ini, const QString& section, TListLayout& l, bool song)
{
    const bool func = section == QLatin1String("Func");
    l.Top = ini.ReadInteger(section, QStringLiteral("Top"), song ? 80 : func ? 40 : 90);
    l.Left = ini.ReadInteger(section, QStringLiteral("Left"), func ? 670 : 30);
    l.Height = ini.ReadInteger(section, QStringLiteral("Height"), func ? 46 : 45);
    l.Space = ini.ReadInteger(section, QStringLiteral("Space"), func ? 0 : 6);
    if (func)
        l.Width = ini.ReadInteger(section, QStringLiteral("Width"), 80);
    else
        l.PageItems = ini.ReadInteger(section, QStringLiteral("PageItems"), song ? 9 : 8);
    l.FontSize = ini.ReadInteger(section, QStringLiteral("FontSize"), func ? 24 : 28);
    l.FontName = ini.ReadString(section, QStringLiteral("FontName"), QStringLiteral("黑体"));
    l.FontColor = ini.ReadInteger(section, QStringLiteral("FontColor"), 16777215);
    l.SelColor = ini.ReadInteger(section, QStringLiteral("SelColor"), 65535);
    if (song)
        l.TitleColor = ini.ReadInteger(section, QStringLiteral("TitleColor"), 65535);
    l.OverColor = ini.ReadInteger(section, QStringLiteral("OverColor"), 255);
    if (song)
        l.SingerColor = ini.ReadInteger(section, QStringLiteral("SingerColor"), 16777215);
    l.ShadowColor = ini.ReadInteger(section, QStringLiteral("ShadowColor"), 255);
    l.ShadowWidth = ini.ReadInteger(section, QStringLiteral("ShadowWidth"), 0);
    l.ShadowStyle = ini.ReadInteger(section, QStringLiteral("ShadowStyle"), 0);
}

} // namespace

QString TSetting::ResolutionFolder() const
{
    return ResolutionFolder(LangType);
}

QString TSetting::ResolutionFolder(int language) const
{
    const QString base = ExeDir + QStringLiteral("Images/") + NormalisePath(LangFolder(language)) + u'/';
    const QString wh = QStringLiteral("%1x%2").arg(ScreenWidth()).arg(ScreenHeight());
    const QString whn = wh + QStringLiteral("x%1").arg(ScreenCount());
    if (QFileInfo(base + whn).isDir())
        return whn;
    if (QFileInfo(base + wh).isDir())
        return wh;
    return QStringLiteral("800x600");
}

QString TSetting::SkinDir() const
{
    return SkinDir(LangType);
}

QString TSetting::SkinDir(int language) const
{
    return ExeDir + QStringLiteral("Images/") + NormalisePath(LangFolder(language)) + u'/' +
           ResolutionFolder(language) + u'/';
}

void TSetting::SaveSkinChoice()
{
    const TLangItem& lang = CurrentLanguage();
    TIniFile ini(ExeDir + QStringLiteral("Language.ini"));
    ini.WriteInteger(lang.Section, QStringLiteral("CurSkinSel"), lang.CurSkinSel);
}

void TSetting::LoadSongList()
{
    Song = Func = Order = Singer = TListLayout{};
    Skin = TSkinBlock{};
    const QString path = SkinDir() + QStringLiteral("SongList.ini");
    if (!QFileInfo(path).isFile())
        return; // no layout file: everything stays 0
    const TIniFile ini(path);
    ReadLayout(ini, QStringLiteral("Song"), Song, true);
    ReadLayout(ini, QStringLiteral("Func"), Func, false);
    ReadLayout(ini, QStringLiteral("Order"), Order, false);
    Singer.SingerColor = ini.ReadInteger(QStringLiteral("Singer"), QStringLiteral("SingerColor"), 16711680);

    const QString langPath = ExeDir + QStringLiteral("Language.ini");
    if (!QFileInfo(langPath).isFile())
        return;
    const TIniFile lang(langPath);
    const QString s = QStringLiteral("Skin");
    Skin.FontSize = lang.ReadInteger(s, QStringLiteral("FontSize"), 28);
    Skin.Space = lang.ReadInteger(s, QStringLiteral("Space"), 80);
    Skin.Left = lang.ReadInteger(s, QStringLiteral("Left"), 150);
    Skin.Top = lang.ReadInteger(s, QStringLiteral("Top"), 80);
    Skin.Height = lang.ReadInteger(s, QStringLiteral("Height"), 80);
    Skin.Width = lang.ReadInteger(s, QStringLiteral("Width"), 80);
}

void TSetting::LoadGames()
{
    GameCount = 0;
    Games.fill(TGameItem{});
    const TIniFile ini(ExeDir + QStringLiteral("Game/Game.ini"));
    if (!ini.Exists())
        return;
    const QString game = QStringLiteral("Game");
    const QString lang = LangType >= 0 && LangType < LangList.size() ? LangList[LangType].Section : QString();
    GameCount = qBound(0, ini.ReadInteger(game, QStringLiteral("Count"), 0), kMaxGames);
    for (int i = 1; i <= GameCount; ++i) {
        Games[i - 1].Path = NormalisePath(ini.ReadString(game, QStringLiteral("Path%1").arg(i), QString()));
        Games[i - 1].Name = ini.ReadString(lang, QStringLiteral("Name%1").arg(i), QString());
    }
}
