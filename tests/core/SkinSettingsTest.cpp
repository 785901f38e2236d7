#include "CoreTestUtil.h"

#include <QSet>

using coretest::TInstall;

namespace {
std::unique_ptr<TSetting> Loaded(const TInstall& dir, int w, int h, int n)
{
    auto s = std::make_unique<TSetting>(dir.Dir());
    s->SetScreen(w, h, n);
    TMemorySettingRows rows;
    s->Load(&rows);
    s->ReadSetting->SetDataSet(nullptr); // the rows end here
    return s;
}
} // namespace

TEST(SkinSettings, ResolutionFolderPrefersScreenCountThenSizeThen800x600)
{
    TInstall dir;
    dir.WriteLanguages();
    auto s = Loaded(dir, 1024, 768, 2);
    EXPECT_EQ(s->ResolutionFolder(), "800x600"); // even when it does not exist
    EXPECT_EQ(s->SkinDir(), dir.Dir() + "Images/Chinese/800x600/");
    dir.MakeDir("Images/Chinese/1024x768");
    EXPECT_EQ(s->ResolutionFolder(), "1024x768");
    dir.MakeDir("Images/Chinese/1024x768x2");
    EXPECT_EQ(s->ResolutionFolder(), "1024x768x2");
    EXPECT_EQ(s->SkinDir(), dir.Dir() + "Images/Chinese/1024x768x2/");
    s->SetScreen(1024, 768, 1);
    EXPECT_EQ(s->ResolutionFolder(), "1024x768");
}

TEST(SkinSettings, SkinsOfALanguageClampTheChoice)
{
    TInstall dir;
    dir.WriteLanguages("CurSkinSel=5\r\nFontName=黑体\r\n[English]\r\nCurSkinSel=-4\r\n");
    for (const char* skin : {"Images/Chinese/800x600", "Images/Chinese/1024x768", "Images/Chinese/blue"})
        dir.MakeDir(skin);
    dir.MakeDir("Images/English/800x600");
    auto s = Loaded(dir, 800, 600, 1);
    const TLangItem& zh = s->LangList[1];
    EXPECT_EQ(zh.SkinCount, 3);
    EXPECT_EQ(zh.CurSkinSel, 2);
    EXPECT_EQ(zh.FontName, QStringLiteral("黑体"));
    QSet<QString> names;
    for (const TSkinItem& skin : zh.Skins) {
        EXPECT_EQ(skin.Name, skin.Title);
        names.insert(skin.Name);
    }
    EXPECT_EQ(names, QSet<QString>({"800x600", "1024x768", "blue"}));
    EXPECT_EQ(s->LangList[0].FontName, QStringLiteral("宋体"));
    EXPECT_EQ(s->LangList[0].CurSkinSel, 0);

    TInstall bare;
    bare.WriteLanguages();
    s = Loaded(bare, 800, 600, 1);
    EXPECT_EQ(s->LangList[1].SkinCount, 0);
    EXPECT_EQ(s->LangList[1].CurSkinSel, -1);
}

TEST(SkinSettings, ListLayoutOnlyWithSongListIni)
{
    TInstall dir;
    dir.WriteLanguages("[Skin]\r\nLeft=7\r\n");
    auto s = Loaded(dir, 800, 600, 1);
    EXPECT_EQ(s->Song.SingerColor, 0);
    EXPECT_EQ(s->Song.Top, 0);
    EXPECT_EQ(s->Song.FontName, "");
    EXPECT_EQ(s->Skin.Left, 0);
    EXPECT_EQ(s->Skin.FontSize, 0);

    dir.Write("Images/Chinese/800x600/SongList.ini", "[song]\r\nTop=99\r\n[Singer]\r\nSingerColor=$FF00\r\n");
    s = Loaded(dir, 800, 600, 1);
    EXPECT_EQ(s->Song.Top, 99);
    EXPECT_EQ(s->Song.Left, 30);
    EXPECT_EQ(s->Song.PageItems, 9);
    EXPECT_EQ(s->Song.SingerColor, 16777215);
    EXPECT_EQ(s->Song.TitleColor, 65535);
    EXPECT_EQ(s->Song.FontName, QStringLiteral("黑体"));
    EXPECT_EQ(s->Func.Top, 40);
    EXPECT_EQ(s->Func.Left, 670);
    EXPECT_EQ(s->Func.Width, 80);
    EXPECT_EQ(s->Func.FontSize, 24);
    EXPECT_EQ(s->Order.Top, 90);
    EXPECT_EQ(s->Order.PageItems, 8);
    EXPECT_EQ(s->Singer.SingerColor, 0xFF00);
    EXPECT_EQ(s->Skin.Left, 7);
    EXPECT_EQ(s->Skin.FontSize, 28);
    EXPECT_EQ(s->Skin.Space, 80);
}

TEST(SkinSettings, GamesAreLimitedTo99AndNamedInTheCurrentLanguage)
{
    TInstall dir;
    dir.WriteLanguages();
    QString game = "[Game]\r\nCount=250\r\nPath1=games\\chess.exe\r\nPath99=last\r\nPath100=beyond\r\n"
                   "[Chinese]\r\nName1=象棋\r\n[English]\r\nName1=Chess\r\n";
    dir.Write("Game/Game.ini", game);
    auto s = Loaded(dir, 800, 600, 1);
    EXPECT_EQ(s->GameCount, 99);
    EXPECT_EQ(s->Games[0].Name, QStringLiteral("象棋"));
    EXPECT_EQ(s->Games[0].Path, "games/chess.exe");
    EXPECT_EQ(s->Games[98].Path, "last");
    s->LangType = 0;
    s->LoadGames();
    EXPECT_EQ(s->Games[0].Name, "Chess");

    dir.Write("Game/Game.ini", "[Game]\r\nCount=-5\r\n");
    s->LoadGames();
    EXPECT_EQ(s->GameCount, 0);
    QFile::remove(dir.Path("Game/Game.ini"));
    s->LoadGames();
    EXPECT_EQ(s->GameCount, 0);
    EXPECT_EQ(s->Games[0].Name, "");
}

TEST(SkinSettings, SavingTheSkinChoiceWritesOneKey)
{
    TInstall dir;
    dir.WriteLanguages("CurSkinSel=0\r\n; keep me\r\n");
    dir.MakeDir("Images/Chinese/a");
    dir.MakeDir("Images/Chinese/b");
    const QByteArray before = coretest::ReadBytes(dir.Path("Language.ini"));
    auto s = Loaded(dir, 800, 600, 1);
    s->CurrentLanguage().CurSkinSel = 1;
    s->SaveSkinChoice();
    QByteArray expected = before;
    expected.replace("CurSkinSel=0", "CurSkinSel=1");
    EXPECT_EQ(coretest::ReadBytes(dir.Path("Language.ini")), expected);
    EXPECT_EQ(Loaded(dir, 800, 600, 1)->LangList[1].CurSkinSel, 1);
}
