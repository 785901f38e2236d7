#include "tools/demo/CatalogueGenerator.h"

#include "core/Gbk.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

TEST(HanziTable, InitialsAndStrokesOfKnownCharacters)
{
    const HanziTable hanzi;
    EXPECT_EQ(hanzi.Initials(QStringLiteral("月亮代表我的心"), 6), QStringLiteral("YLDBWD"));
    EXPECT_EQ(hanzi.Initials(QStringLiteral("Hold My Heart"), 6), QStringLiteral("HMH"));
    // 月: 撇 横折钩 横 横; 口: 竖 横折 横; 心: 点 卧钩 点 点.
    EXPECT_EQ(hanzi.LeadingStrokes(QStringLiteral("月亮"), 6), QStringLiteral("3511"));
    EXPECT_EQ(hanzi.LeadingStrokes(QStringLiteral("口"), 6), QStringLiteral("251"));
    EXPECT_EQ(hanzi.LeadingStrokes(QStringLiteral("心"), 6), QStringLiteral("4544"));
    EXPECT_EQ(hanzi.LeadingStrokes(QStringLiteral("Love"), 6), QString());
    // 6,700 of the 6,763 GB2312 characters are in the table.
    EXPECT_TRUE(hanzi.Contains(QChar(0x5565))); // 啥
}

TEST(CatalogueGenerator, SongsAreConsistentAndDeterministic)
{
    const HanziTable hanzi;
    const QDateTime now(QDate(2026, 12, 1), QTime(12, 0));
    CatalogueGenerator a(hanzi, 7, now), b(hanzi, 7, now);
    auto singersA = a.Singers(200);
    auto singersB = b.Singers(200);
    const auto songs = a.Songs(3000, singersA);
    const auto again = b.Songs(3000, singersB);
    ASSERT_EQ(songs.size(), 3000u);
    QSet<QString> numbers, languages;
    int newSongs = 0;
    for (size_t i = 0; i < songs.size(); ++i) {
        const DemoSong& s = songs[i];
        EXPECT_EQ(s.name, again[i].name);
        numbers.insert(s.songNo);
        languages.insert(QString::number(s.lanType));
        EXPECT_FALSE(s.firstChar.isEmpty()) << qPrintable(s.name);
        EXPECT_LE(s.firstChar.size(), 6);
        EXPECT_LE(s.strokes.size(), 6);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[1-5]*$")).match(s.strokes).hasMatch());
        if (s.lanType != 4 && (s.lanType < 10 || s.lanType > 19)) {
            EXPECT_EQ(s.strLen, s.name.size());
        }
        EXPECT_LE(ToNarrow(s.name).size(), 50);
        EXPECT_GE(s.timesTotal, s.timesYear);
        EXPECT_GE(s.timesYear, s.timesSeason);
        EXPECT_GE(s.timesMonth, s.timesWeek);
        EXPECT_GE(s.timesWeek, s.timesDay);
        if (s.createDate >= now.addDays(-90))
            ++newSongs;
    }
    EXPECT_EQ(numbers.size(), 3000);
    for (const char* lang : {"0", "1", "2", "3", "4", "5", "6", "20", "21"})
        EXPECT_TRUE(languages.contains(QLatin1String(lang))) << lang;
    EXPECT_GT(newSongs, 100);
    EXPECT_LT(newSongs, 1000);
}

TEST(CatalogueGenerator, SingersFitTheirColumns)
{
    const HanziTable hanzi;
    CatalogueGenerator gen(hanzi, 1, QDateTime::currentDateTime());
    const auto singers = gen.Singers(2000);
    QSet<QString> names;
    for (const DemoSinger& s : singers) {
        names.insert(s.name);
        EXPECT_LE(ToNarrow(s.name).size(), 16) << qPrintable(s.name);
        EXPECT_TRUE(s.sex == QLatin1String("0") || s.sex == QLatin1String("1") || s.sex == QLatin1String("2"));
        EXPECT_FALSE(s.pycode.isEmpty());
        EXPECT_EQ(s.len, s.name.size());
    }
    EXPECT_EQ(names.size(), 2000);
}

// What a guest browses: every language list has songs, every title length has
// songs, and a language's first page is not one title over and over.
TEST(CatalogueGenerator, EveryListAGuestOpensHasVariedSongs)
{
    const HanziTable hanzi;
    CatalogueGenerator gen(hanzi, 20091, QDateTime(QDate(2026, 12, 1), QTime(12, 0)));
    auto singers = gen.Singers(1666);
    const auto songs = gen.Songs(20000, singers);
    QMap<int, QStringList> byLanguage;
    QMap<int, std::vector<std::pair<int, QString>>> lengthAndName; // the word-count order STR_LEN;Name
    QMap<int, int> chineseByLength;
    for (const DemoSong& s : songs) {
        byLanguage[s.lanType] << s.name;
        lengthAndName[s.lanType].emplace_back(s.strLen, s.name);
        if (s.lanType >= 1 && s.lanType <= 3)
            ++chineseByLength[std::min(s.strLen, 8)];
        if (s.lanType >= 10 && s.lanType <= 19) {
            EXPECT_EQ(s.lanName, CatalogueGenerator::LanguageName(s.lanType));
            EXPECT_EQ(s.firstChar.size(), std::min<qsizetype>(s.strLen, 6)) << qPrintable(s.name);
        }
    }
    // The "more languages" list: codes 10 to 19, each with songs.
    for (int lang = 10; lang <= 19; ++lang)
        EXPECT_GE(byLanguage.value(lang).size(), 20) << lang;
    // The word-count lists 1 to 7 and "8 or more".
    for (int length = 1; length <= 8; ++length)
        EXPECT_GE(chineseByLength.value(length), 5) << length;
    // A language's first page, in the list's orders (by title; by length, then title).
    for (auto it = byLanguage.begin(); it != byLanguage.end(); ++it) {
        if (it.key() == 20)
            continue; // numbered films
        QStringList byName = it.value();
        std::sort(byName.begin(), byName.end());
        auto pairs = lengthAndName.value(it.key());
        std::sort(pairs.begin(), pairs.end());
        QStringList byLength;
        for (const auto& [length, name] : pairs)
            byLength << name;
        for (const QStringList& order : {byName, byLength}) {
            const QStringList page = order.mid(0, 10);
            EXPECT_GE(QSet<QString>(page.begin(), page.end()).size(), 8)
                << "language " << it.key() << ": " << page.join(u',').toStdString();
        }
    }
}
