#include "core/IniFile.h"

#include "CoreTestUtil.h"

using coretest::TInstall;

static TIniFile Ini(const char* text)
{
    return TIniFile::FromBytes(QByteArray(text));
}

TEST(IniFile, NamesIgnoreAsciiCaseAndBlanksValuesLoseOnePairOfQuotes)
{
    const TIniFile ini = Ini("  [ VoD ]  \r\n"
                             "  KroomAdo  =  a b  \r\n"
                             "q1=\"quoted\"\r\n"
                             "q2='single'\r\n"
                             "q3=\"'both'\"\r\n"
                             "q4=\"unbalanced'\r\n"
                             "q5=\"\r\n"
                             "tab\t=\tx\t\r\n");
    EXPECT_EQ(ini.ReadString("vod", "kroomado", "d"), "a b");
    EXPECT_EQ(ini.ReadString("VOD", "KROOMADO", "d"), "a b");
    EXPECT_EQ(ini.ReadString("vod", "q1", "d"), "quoted");
    EXPECT_EQ(ini.ReadString("vod", "q2", "d"), "single");
    EXPECT_EQ(ini.ReadString("vod", "q3", "d"), "'both'");
    EXPECT_EQ(ini.ReadString("vod", "q4", "d"), "\"unbalanced'");
    EXPECT_EQ(ini.ReadString("vod", "q5", "d"), "\"");
    EXPECT_EQ(ini.ReadString("vod", "tab", "d"), "x");
    EXPECT_EQ(ini.ReadString("other", "KroomAdo", "d"), "d");
}

TEST(IniFile, FirstDuplicateWinsOnlyFirstSectionSearchedEmptyValueIsNotDefault)
{
    const TIniFile ini = Ini("[a]\nk=1\nK=2\nempty=\n[b]\nx=b\n[A]\nk=3\nonly=second\n");
    EXPECT_EQ(ini.ReadString("a", "k", "d"), "1");
    EXPECT_EQ(ini.ReadString("a", "only", "d"), "d");
    EXPECT_EQ(ini.ReadString("a", "empty", "d"), "");
    EXPECT_EQ(ini.ReadInteger("a", "empty", 7), 7);
    EXPECT_EQ(ini.Sections(), QStringList({"a", "b"}));
    EXPECT_EQ(ini.Keys("A"), QStringList({"k", "empty"}));
}

TEST(IniFile, IntegersAreWholeTextsOtherwiseDefault)
{
    const TIniFile ini = Ini("[n]\ndec=42\nneg=-17\nplus=+5\nhex1=$1F\nhex2=0x1f\nhexneg=-$10\nall=$FFFFFFFF\n"
                             "trail=12abc\nspace=1 2\nlead=x12\nempty=\nbig=2147483648\nmin=-2147483648\n"
                             "sign=-\nbarehex=$\nquoted=\"9\"\nblank=  8  \n");
    EXPECT_EQ(ini.ReadInteger("n", "dec", 0), 42);
    EXPECT_EQ(ini.ReadInteger("n", "neg", 0), -17);
    EXPECT_EQ(ini.ReadInteger("n", "plus", 0), 5);
    EXPECT_EQ(ini.ReadInteger("n", "hex1", 0), 31);
    EXPECT_EQ(ini.ReadInteger("n", "hex2", 0), 31);
    EXPECT_EQ(ini.ReadInteger("n", "hexneg", 0), -16);
    EXPECT_EQ(ini.ReadInteger("n", "all", 0), -1);
    EXPECT_EQ(ini.ReadInteger("n", "min", 0), -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("n", "quoted", 0), 9);
    EXPECT_EQ(ini.ReadInteger("n", "blank", 0), 8);
    for (const char* bad : {"trail", "space", "lead", "empty", "big", "sign", "barehex", "missing"})
        EXPECT_EQ(ini.ReadInteger("n", bad, -99), -99) << bad;
    EXPECT_TRUE(ini.ReadBool("n", "dec", false));
    EXPECT_FALSE(ini.ReadBool("n", "missing", false));
}

TEST(IniFile, GbkTextAndBrokenInputNeverFail)
{
    QByteArray bytes = ToNarrow(QStringLiteral("[中文]\r\n名字=月亮代表我的心\r\n"));
    bytes += "bad=\x81\x20\xFF\r\n";
    bytes += "[x]\r\n" + QByteArray(TIniFile::kMaxLineBytes + 10, 'a') + "=1\r\n";
    bytes += "long=" + QByteArray(40000, 'b') + "\r\n";
    bytes += "ok=1\rcr=2\r";
    bytes += QByteArray("nul\0key=3\n", 10);
    const TIniFile ini = TIniFile::FromBytes(bytes);
    EXPECT_EQ(ini.ReadString(QStringLiteral("中文"), QStringLiteral("名字"), "d"), QStringLiteral("月亮代表我的心"));
    EXPECT_FALSE(ini.ReadString(QStringLiteral("中文"), "bad", "d").isEmpty());
    EXPECT_EQ(ini.ReadString("x", "long", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("x", "ok", 0), 1);
    EXPECT_EQ(ini.ReadInteger("x", "cr", 0), 2);

    TInstall dir;
    EXPECT_FALSE(TIniFile(dir.Path("missing.ini")).Exists());
    EXPECT_EQ(TIniFile(dir.Path("missing.ini")).ReadInteger("a", "b", 3), 3);
    coretest::WriteBytes(dir.Path("empty.ini"), QByteArray());
    EXPECT_EQ(TIniFile(dir.Path("empty.ini")).ReadString("a", "b", "d"), "d");
    coretest::WriteBytes(dir.Path("trunc.ini"), "[a]\r\nb=12");
    EXPECT_EQ(TIniFile(dir.Path("trunc.ini")).ReadInteger("a", "b", 0), 12);
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919) & 0xFF);
    coretest::WriteBytes(dir.Path("bin.ini"), binary);
    EXPECT_EQ(TIniFile(dir.Path("bin.ini")).ReadInteger("a", "b", 5), 5);
}

TEST(IniFile, WritingOneKeyKeepsEveryOtherByte)
{
    TInstall dir;
    const QByteArray original =
        ToNarrow(QStringLiteral("; 说明\r\n[English]\r\n  CurSkinSel = 0 \r\nPlaying=\"Now\"\r\n"
                                "\r\n[Chinese]\r\nPlaying=正在播放\r\n\r\n\r\n[Skin]\r\nTop=1"));
    // Replace an existing key: only that line changes.
    coretest::WriteBytes(dir.Path("Language.ini"), original);
    TIniFile ini(dir.Path("Language.ini"));
    ASSERT_TRUE(ini.WriteInteger("ENGLISH", "curskinsel", 2));
    QByteArray expected = original;
    expected.replace("  CurSkinSel = 0 ", "CurSkinSel=2");
    EXPECT_EQ(coretest::ReadBytes(dir.Path("Language.ini")), expected);

    // A new key goes after the last non-blank line of its section.
    ASSERT_TRUE(ini.WriteInteger("Chinese", "CurSkinSel", 1));
    expected.replace(ToNarrow(QStringLiteral("Playing=正在播放\r\n")),
                     ToNarrow(QStringLiteral("Playing=正在播放\r\nCurSkinSel=1\r\n")));
    EXPECT_EQ(coretest::ReadBytes(dir.Path("Language.ini")), expected);

    // At the end of a file without a final line end, and a new section.
    ASSERT_TRUE(ini.WriteString("Skin", "Left", "5"));
    ASSERT_TRUE(ini.WriteString("Game", "Count", "0"));
    expected += "\r\nLeft=5\r\n[Game]\r\nCount=0\r\n";
    EXPECT_EQ(coretest::ReadBytes(dir.Path("Language.ini")), expected);

    const TIniFile again(dir.Path("Language.ini"));
    EXPECT_EQ(again.ReadInteger("English", "CurSkinSel", -1), 2);
    EXPECT_EQ(again.ReadInteger("Chinese", "CurSkinSel", -1), 1);
    EXPECT_EQ(again.ReadString("English", "Playing", ""), "Now");
    EXPECT_EQ(again.ReadInteger("Skin", "Top", 0), 1);
    EXPECT_EQ(again.ReadInteger("Skin", "Left", 0), 5);
}

TEST(IniFile, WritingCreatesMissingFileAndKeepsValueOnOneLine)
{
    TInstall dir;
    TIniFile ini(dir.Path("new.ini"));
    ASSERT_TRUE(ini.WriteString("a", "k", "one\r\ntwo"));
    EXPECT_EQ(coretest::ReadBytes(dir.Path("new.ini")), QByteArray("[a]\r\nk=one  two\r\n"));
    // A folder that does not exist cannot take the file: reported, nothing thrown.
    TIniFile nowhere(dir.Path("no/such/folder/x.ini"));
    EXPECT_FALSE(nowhere.WriteString("a", "k", "v"));
}
