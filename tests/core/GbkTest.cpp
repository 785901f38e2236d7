#include "core/Gbk.h"

#include <QFile>
#include <QMap>
#include <gtest/gtest.h>

namespace {

// The look-alike table kept with the sources: code point -> GBK bytes.
QMap<char16_t, QByteArray> LookAlikes()
{
    QMap<char16_t, QByteArray> out;
    QFile f(qEnvironmentVariable("VOD_SOURCE_DIR") + QStringLiteral("/core/cp936-bestfit.tsv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(f.fileName());
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (!line.startsWith("U+"))
            continue;
        const QList<QByteArray> cells = line.split('\t');
        out.insert(char16_t(cells[0].mid(2).toUInt(nullptr, 16)), QByteArray::fromHex(cells[1]));
    }
    return out;
}

QString Char(char16_t c)
{
    return QString(QChar(c));
}

} // namespace

TEST(Gbk, RoundTripsChineseAndAscii)
{
    const QString text = QStringLiteral("月亮代表我的心 Moon");
    const QByteArray gbk = ToNarrow(text);
    // 7 Chinese characters of two bytes each, then " Moon".
    EXPECT_EQ(gbk.size(), 7 * 2 + 5);
    EXPECT_EQ(gbk.left(2), QByteArray("\xD4\xC2"));
    EXPECT_EQ(ToWide(gbk), text);
    EXPECT_TRUE(ToWide(QByteArray()).isEmpty());
    EXPECT_TRUE(ToNarrow(QString()).isEmpty());
}

TEST(Gbk, EveryByteAndPairOfTheCodePageReadsAsOneCharacterAndWritesBack)
{
    // 0x80 is the euro sign in code page 936.
    EXPECT_EQ(ToWide(QByteArray("\x80")), Char(0x20AC));
    EXPECT_EQ(ToNarrow(Char(0x20AC)), QByteArray("\x80"));
    int pairs = 0;
    for (int first = 0; first < 0x100; ++first) {
        const bool lead = first >= 0x81 && first <= 0xFE;
        for (int second = lead ? 0x40 : -1; second <= (lead ? 0xFE : -1); ++second) {
            if (second == 0x7F)
                continue;
            QByteArray bytes(1, char(first));
            if (second >= 0) {
                bytes.append(char(second));
                ++pairs;
            }
            const QString text = ToWide(bytes);
            ASSERT_EQ(text.size(), 1) << bytes.toHex().constData();
            ASSERT_NE(text[0], QChar(QChar::ReplacementCharacter)) << bytes.toHex().constData();
            ASSERT_EQ(ToNarrow(text), bytes) << bytes.toHex().constData();
        }
    }
    EXPECT_EQ(pairs, 126 * 190);
}

TEST(Gbk, CharactersWithoutAFormBecomeTheirLookAlikeOrOneQuestionMark)
{
    const QMap<char16_t, QByteArray> lookAlikes = LookAlikes();
    ASSERT_EQ(lookAlikes.size(), 412);
    // Every look-alike is written as listed, and reads back as another character.
    for (auto it = lookAlikes.cbegin(); it != lookAlikes.cend(); ++it) {
        EXPECT_EQ(ToNarrow(Char(it.key())), it.value()) << std::hex << int(it.key());
        EXPECT_NE(ToWide(it.value()), Char(it.key())) << std::hex << int(it.key());
    }
    // Yen, superscript two, an accented capital (as the small letter) and a
    // compatibility ideograph (as its unified form).
    EXPECT_EQ(ToNarrow(QStringLiteral("¥9.50 x² À \uF900")), QByteArray("\xA3\xA4"
                                                                        "9.50 x2 \xA8\xA4 \xD8\x4D"));
    EXPECT_EQ(ToNarrow(QStringLiteral("ª")), QByteArray("a"));
    EXPECT_EQ(ToNarrow(QStringLiteral("co\u00ADop")), QByteArray("co-op"));

    // Every other BMP character either has a form that reads back as itself
    // or is written as exactly one '?': nothing vanishes.
    int forms = 0;
    for (int c = 1; c < 0x10000; ++c) {
        if (QChar::isSurrogate(char32_t(c)) || lookAlikes.contains(char16_t(c)))
            continue;
        const QByteArray bytes = ToNarrow(Char(char16_t(c)));
        if (bytes == "?" && c != '?')
            continue;
        ASSERT_EQ(ToWide(bytes), Char(char16_t(c))) << std::hex << c;
        ++forms;
    }
    // The code page holds 24,070 characters: 23,940 pairs, 130 single bytes
    // (NUL left out here).
    EXPECT_EQ(forms, 24069);
    // Zero-width space, joiner, byte-order mark, direction marks.
    EXPECT_EQ(ToNarrow(QStringLiteral("a\u200Bb\u200Dc\uFEFFd\u200Fe")), QByteArray("a?b?c?d?e"));
    // A character beyond the BMP is one '?', a lone surrogate half too.
    EXPECT_EQ(ToNarrow(QStringLiteral("a😀b")), QByteArray("a?b"));
    EXPECT_EQ(ToNarrow(QString(QChar(0xD800)) + u'b' + QChar(0xDC00)), QByteArray("?b?"));
}

TEST(Gbk, BadBytesReadAsReplacementCharacters)
{
    const QChar bad(QChar::ReplacementCharacter);
    // A lead byte cut off at the end.
    EXPECT_EQ(ToWide(QByteArray("a\x81")), QString(u'a') + bad);
    EXPECT_EQ(ToWide(QByteArray("\xFE")), QString(bad));
    EXPECT_EQ(ToWide(QByteArray("\xD4\xC2\xD4")), QStringLiteral("月") + bad);
    // A lead byte in trail position belongs to the pair before it.
    EXPECT_EQ(ToWide(QByteArray("\x81\x81")).size(), 1);
    EXPECT_EQ(ToWide(QByteArray("\xD4\xC2\x81\x81")).size(), 2);
    EXPECT_FALSE(ToWide(QByteArray("\x81\x81")).contains(bad));
    // A lead byte before a byte that cannot trail is bad on its own; the
    // byte after it is read as itself.
    EXPECT_EQ(ToWide(QByteArray("\x81\x20\x81")), QString(bad) + u' ' + bad);
    EXPECT_EQ(ToWide("\x81\x7F", 2), QString(bad) + QChar(0x7F));
    // Length given explicitly: an embedded NUL is a character.
    EXPECT_EQ(ToWide("a\0b", 3), QString::fromLatin1("a\0b", 3));
}
