#include "core/Gbk.h"

#include <gtest/gtest.h>

TEST(Gbk, RoundTripsChineseAndAscii)
{
    const QString text = QStringLiteral("月亮代表我的心 Moon");
    const QByteArray gbk = ToNarrow(text);
    // 7 Chinese characters of two bytes each, then " Moon".
    EXPECT_EQ(gbk.size(), 7 * 2 + 5);
    EXPECT_EQ(gbk.left(2), QByteArray("\xD4\xC2"));
    EXPECT_EQ(ToWide(gbk), text);
}

TEST(Gbk, MatchesCodePage936WhereGlibcDiffers)
{
    // 0x80 is the euro sign in code page 936.
    EXPECT_EQ(ToWide(QByteArray("\x80")), QString(QChar(0x20AC)));
}

TEST(Gbk, InvalidBytesNeverFail)
{
    const QByteArray bad("\x81\x20\xFF\xFE\x81", 5);
    const QString out = ToWide(bad);
    EXPECT_FALSE(out.isEmpty());
    EXPECT_TRUE(ToWide(QByteArray()).isEmpty());
    EXPECT_TRUE(ToNarrow(QString()).isEmpty());
    // A character outside GBK becomes a replacement, not an empty result.
    EXPECT_FALSE(ToNarrow(QStringLiteral("😀")).isEmpty());
}
