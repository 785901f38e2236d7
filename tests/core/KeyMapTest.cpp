#include "CoreTestUtil.h"

using coretest::TInstall;

namespace {
std::unique_ptr<TSetting> KeysFrom(const TInstall& dir, const QString& keyboardIni)
{
    if (!keyboardIni.isNull())
        dir.Write("keyboard.ini", keyboardIni);
    auto s = std::make_unique<TSetting>(dir.Dir());
    s->LoadKeyMap();
    s->BuildCommandWords();
    return s;
}
} // namespace

TEST(KeyMap, DefaultsAndLookups)
{
    TInstall dir;
    auto s = KeysFrom(dir, QString());
    EXPECT_EQ(KeyBindings().size(), 105u);
    for (const TKeyBinding& b : KeyBindings())
        EXPECT_EQ(s->Keys.*b.Field, b.Default) << b.FileKey;
    EXPECT_EQ(s->Keys.PAUSE, 112);
    EXPECT_EQ(s->Keys.Catcall, 170);
    EXPECT_EQ(s->Keys.DELSONG, s->Keys.POINT);
    EXPECT_EQ(s->DigitOfKey(48), 0);
    EXPECT_EQ(s->DigitOfKey(57), 9);
    EXPECT_EQ(s->DigitOfKey(65), -1);
    EXPECT_EQ(s->LetterOfKey(65), 'A');
    EXPECT_EQ(s->LetterOfKey(90), 'Z');
    EXPECT_EQ(s->LetterOfKey(48), 0);
    EXPECT_EQ(s->KeyCode("return"), 27);
    EXPECT_EQ(s->KeyCode("nosuch"), 0);
}

TEST(KeyMap, CommandWordsIgnoreCaseAndUnknownWordsGiveZero)
{
    TInstall dir;
    auto s = KeysFrom(dir, "[KEY]\nSong=300\n");
    EXPECT_EQ(s->CommandWords.size(), 105);
    EXPECT_EQ(s->CodeOfWord("SONG"), 300);
    EXPECT_EQ(s->CodeOfWord("Song"), 300);
    EXPECT_EQ(s->CodeOfWord("song"), 300);
    EXPECT_EQ(s->CodeOfWord("."), s->Keys.POINT);
    EXPECT_EQ(s->CodeOfWord("PageUp"), 33);
    EXPECT_EQ(s->CodeOfWord("7"), 55);
    EXPECT_EQ(s->CodeOfWord("q"), 81);
    EXPECT_EQ(s->CodeOfWord("nosuchword"), 0);
    EXPECT_EQ(s->CodeOfWord(""), 0);
    QStringList words;
    for (const auto& entry : s->CommandWords)
        words.append(entry.first.toLower());
    words.removeDuplicates();
    EXPECT_EQ(words.size(), 105);
}

TEST(KeyMap, FileValuesAreKeptIn16BitsAndBadValuesKeepTheDefault)
{
    TInstall dir;
    auto s = KeysFrom(dir, "[key]\nRETURN=65563\nENTER=abc\nUP=\nDOWN=$28\nPLAYLIST=-1\n"
                           "[Key]\nn1=200\n"
                           "; the second [Key] section is never read\n");
    EXPECT_EQ(s->Keys.RETURN, 27); // 65563 in 16 bits
    EXPECT_EQ(s->Keys.ENTER, 13);
    EXPECT_EQ(s->Keys.UP, 38);
    EXPECT_EQ(s->Keys.DOWN, 40);
    EXPECT_EQ(s->Keys.PLAYLIST, -1);
    EXPECT_EQ(s->CodeOfWord("playlist"), 0xFFFF);
    EXPECT_EQ(s->Keys.n1, 49); // only the first section named key is searched

    s = KeysFrom(dir, "[key]\nn1=300\nn2=300\nA=300\nB=66\n");
    EXPECT_EQ(s->DigitOfKey(300), 1);
    EXPECT_EQ(s->LetterOfKey(300), 'A');
    EXPECT_EQ(s->DigitOfKey(49), -1);
}
