// Keypad letter entry with a controlled clock.
#include "ui/InputChars.h"

#include <gtest/gtest.h>

namespace {

struct Keypad
{
    uint32_t now = 5000;
    TInputChars input{[this] { return now; }};

    // Presses the digits, `gap` milliseconds apart.
    QString Press(const char* digits, uint32_t gap = 200)
    {
        QString text;
        for (const char* d = digits; *d; ++d) {
            now += gap;
            text = input.PressKey(*d);
        }
        return text;
    }
};

} // namespace

TEST(InputChars, SameDigitWithinASecondCyclesInPlace)
{
    Keypad k;
    EXPECT_EQ(k.Press("222"), "C");
    EXPECT_EQ(k.Press("7777"), "CS");
    EXPECT_EQ(k.Press("7"), "CP") << "a fifth 7 starts P again in the same place";
    Keypad z;
    EXPECT_EQ(z.Press("9999"), "Z");
    Keypad m;
    EXPECT_EQ(m.Press("666"), "O");
    EXPECT_EQ(m.Press("6"), "M");
}

TEST(InputChars, OtherDigitOrPauseStartsANewLetter)
{
    Keypad k;
    EXPECT_EQ(k.Press("23"), "AD");
    Keypad p;
    p.Press("2");
    EXPECT_EQ(p.Press("2", 1001), "AA");
}

TEST(InputChars, ExactlyOneSecondIsNeitherARestartNorAContinuation)
{
    Keypad k;
    k.Press("2");
    EXPECT_EQ(k.Press("2", 1000), "AA");
    EXPECT_EQ(k.Press("2", 999), "AB");
    // 1000 ms after "22": no restart by time, but no continuation either.
    EXPECT_EQ(k.Press("2", 1000), "ABA");
}

TEST(InputChars, OneDeletesAndZeroGivesNothing)
{
    Keypad k;
    EXPECT_EQ(k.Press("1"), "");
    EXPECT_EQ(k.Press("2", 1500), "A");
    EXPECT_EQ(k.Press("3"), "AD");
    EXPECT_EQ(k.Press("1"), "A");
    EXPECT_EQ(k.Press("0"), "A");
    k.input.m_sText = "XY"; // callers put the current text in before each key
    EXPECT_EQ(k.Press("4", 1500), "XYG");
    EXPECT_EQ(k.input.PressKey(13), "XYG") << "other keys change nothing";
}

TEST(InputChars, TickCounterWrapsAround)
{
    Keypad k;
    k.now = 0xFFFFFF00u;
    k.Press("2");
    EXPECT_EQ(k.Press("2", 0x200), "B") << "0x200 ms later across the wrap";
}
