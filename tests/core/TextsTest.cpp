#include "CoreTestUtil.h"
#include "core/Exception.h"

using coretest::TInstall;

namespace {
std::unique_ptr<TSetting> WithLanguageIni(const TInstall& dir, const QString& text)
{
    dir.Write("Language.ini", text);
    auto s = std::make_unique<TSetting>(dir.Dir());
    s->LoadLanguageList();
    return s;
}
} // namespace

TEST(Texts, LanguageEntriesSplitAtCommasThatEndANonEmptyPiece)
{
    TInstall dir;
    auto s = WithLanguageIni(dir, "[Language]\nLanguageCount=4\nLanguage1=Chinese,中文,Chinese\n"
                                  "Language2=Odd,,Second\nLanguage3=Third,x,Folder3\nLanguage4=Fourth,a,b\n");
    ASSERT_EQ(s->LangList.size(), 1); // the second entry has only two pieces and ends the list
    EXPECT_EQ(s->LangList[0].Section, "Chinese");
    EXPECT_EQ(s->LangList[0].Second, QStringLiteral("中文"));
    EXPECT_EQ(s->LangList[0].Folder, "Chinese");
    EXPECT_EQ(s->LanguageCount, 4);

    s = WithLanguageIni(dir, "[Language]\nLanguageCount=2\nLanguage1=,lead,b,c\nLanguage2=a,b,,c,\n");
    ASSERT_EQ(s->LangList.size(), 2);
    EXPECT_EQ(s->LangList[0].Section, ",lead");
    EXPECT_EQ(s->LangList[0].Second, "b");
    EXPECT_EQ(s->LangList[0].Folder, "c");
    EXPECT_EQ(s->LangList[1].Folder, ",c");
    EXPECT_EQ(s->LangSection(1), "a");
    EXPECT_EQ(s->LangFolder(1), ",c");
    EXPECT_THROW(s->LangSection(2), Exception);
    EXPECT_THROW(s->LangFolder(-1), Exception);
}

TEST(Texts, CountsBeyondTheEntriesOrMissingFilesGiveShortLists)
{
    TInstall dir;
    auto s = WithLanguageIni(dir, "[Language]\nLanguageCount=2147483647\nLanguage1=a,b,c\n");
    EXPECT_EQ(s->LangList.size(), 1);
    s = WithLanguageIni(dir, "[Language]\nLanguageCount=abc\nLanguage1=a,b,c\n");
    EXPECT_EQ(s->LangList.size(), 0);
    TInstall empty;
    TSetting none(empty.Dir());
    none.LoadLanguageList();
    EXPECT_EQ(none.LangList.size(), 0);
    EXPECT_THROW(none.LoadTexts(0), Exception);
}

TEST(Texts, MissingKeysKeepTheirDefaultsOrStayEmpty)
{
    TInstall dir;
    auto s = WithLanguageIni(dir, QStringLiteral("[Language]\nLanguageCount=3\nLanguage1=Chinese,中文,Chinese\n"
                                                 "Language2=English,英文,English\nLanguage3=Nowhere,x,y\n"
                                                 "[chinese]\nPwdError = \" 密码错误 \"\nLevel1=很小\nplaying=\n"
                                                 "[English]\nPlaying=Now playing: \nLevel3=Normal\n"));
    s->LoadTexts(0);
    EXPECT_EQ(s->Texts.PwdError, QStringLiteral(" 密码错误 "));
    EXPECT_EQ(s->Texts.Level1, QStringLiteral("很小"));
    EXPECT_EQ(s->Texts.Level3, QStringLiteral("标准"));
    EXPECT_EQ(s->Texts.Playing, "");
    EXPECT_EQ(s->Texts.Minutes, QStringLiteral("分钟后,"));
    EXPECT_EQ(s->Text("pwderror"), s->Texts.PwdError);
    EXPECT_EQ(s->Text("NoSuchKey"), "");

    s->LoadTexts(1);
    EXPECT_EQ(s->Texts.Playing, "Now playing:");
    EXPECT_EQ(s->Texts.Level3, "Normal");
    EXPECT_EQ(s->Texts.PwdError, "");
    EXPECT_EQ(s->Texts.ReadDiscoOK, QStringLiteral("已插入到已点歌单中,节目数: "));

    // A language whose section is missing: every key without a default is empty.
    s->LoadTexts(2);
    for (const TTextKey& k : TextKeys())
        EXPECT_EQ(s->Texts.*k.Field, QString::fromUtf8(k.Default)) << k.Key;
    EXPECT_THROW(s->LoadTexts(3), Exception);
}

TEST(Texts, EveryKeyIsKnownOnceAndFoundIgnoringCase)
{
    QStringList keys;
    for (const TTextKey& k : TextKeys()) {
        EXPECT_FALSE(keys.contains(QString::fromLatin1(k.Key), Qt::CaseInsensitive)) << k.Key;
        keys.append(QString::fromLatin1(k.Key));
        EXPECT_EQ(FindTextKey(QString::fromLatin1(k.Key).toUpper()), &k);
    }
    // 3 labels, 30 numbered names, 44 described texts, 29 kept texts, 2 of
    // the play queue's failures, 9 notes of the song maintenance screen.
    EXPECT_EQ(keys.size(), 117);
    EXPECT_EQ(FindTextKey("LoginMyLoveOK")->Default, std::string("登陆成功,共收藏歌曲数:"));
}
