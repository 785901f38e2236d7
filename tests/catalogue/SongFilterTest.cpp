#include "catalogue/SongFilter.h"

#include "CatalogueFixture.h"
#include "core/Setting.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace cattest;

namespace {

// A catalogue of generated songs plus a few written for the cases below,
// opened as the song and singer views without the data module.
class SongFilterTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_pInstall = new Installation();
        Generated g = Generate(150, 3000);
        DemoSinger guns;
        guns.no = QStringLiteral("999");
        guns.name = QStringLiteral("Guns N' Roses");
        guns.sex = QStringLiteral("2");
        guns.place = QStringLiteral("3");
        guns.pycode = QStringLiteral("GNR");
        guns.len = 13;
        g.singers.push_back(guns);
        DemoSong s = MakeSong(QStringLiteral("900001"), QStringLiteral("Don't Cry"), guns.name, 4);
        s.firstChar = QStringLiteral("DC");
        g.songs.push_back(s);
        InsertCatalogue(s_pInstall->Db(), g.singers, g.songs);
    }
    static void TearDownTestSuite()
    {
        delete s_pInstall;
        s_pInstall = nullptr;
    }

    void SetUp() override
    {
        songs.SetConnection(&Db());
        songs.SetTableName(QStringLiteral("qu_song"));
        songs.Open();
        singers.SetConnection(&Db());
        singers.SetTableName(QStringLiteral("qu_Singer"));
        singers.Open();
        filter = std::make_unique<TSongFilter>(&songs, &singers);
    }

    static DbConnection& Db() { return s_pInstall->Db(); }

    // Song numbers of an SQL query over qu_song, in its order.
    static QStringList Sql(const QString& where, const QString& order = QStringLiteral("SongNo"))
    {
        QSqlQuery q = Db().Query(QStringLiteral("SELECT SongNo FROM qu_song WHERE ") + where +
                                 QStringLiteral(" ORDER BY ") + order);
        QStringList out;
        while (q.next())
            out.append(q.value(0).toString());
        return out;
    }
    QStringList Sorted(QStringList l)
    {
        l.sort();
        return l;
    }

    static Installation* s_pInstall;
    DataSet songs, singers;
    std::unique_ptr<TSongFilter> filter;
};

Installation* SongFilterTest::s_pInstall = nullptr;

TEST_F(SongFilterTest, LanguageThenFirstLettersNarrowsAndSortsByInitials)
{
    filter->SetLanguage(QStringLiteral("1"));
    EXPECT_EQ(songs.Filter(), QStringLiteral("Lan_Type=1"));
    EXPECT_EQ(songs.IndexFieldNames(), QStringLiteral("STR_LEN ASC;Name"));
    EXPECT_EQ(Sorted(Column(songs, QStringLiteral("SongNo"))), Sql(QStringLiteral("Lan_Type=1")));

    filter->SetFirstLetters(QStringLiteral("ZG"));
    EXPECT_EQ(songs.Filter(), QStringLiteral("Lan_Type=1 and First_Char like 'ZG%'"));
    EXPECT_EQ(filter->Sort(), QStringLiteral("First_Char"));
    const QStringList expected =
        Sql(QStringLiteral("Lan_Type=1 and First_Char like 'ZG%'"), QStringLiteral("First_Char, SongNo"));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(Column(songs, QStringLiteral("SongNo")), expected);

    // A pattern with its own wildcard is taken as it is.
    filter->SetFirstLetters(QStringLiteral("Z*G"));
    EXPECT_EQ(songs.Filter(), QStringLiteral("Lan_Type=1 and First_Char like 'Z*G'"));
    EXPECT_EQ(Sorted(Column(songs, QStringLiteral("SongNo"))),
              Sql(QStringLiteral("Lan_Type=1 and First_Char like 'Z%G'")));
}

TEST_F(SongFilterTest, LanguageZeroAndTheForeignDiskClause)
{
    filter->SetLanguage(QStringLiteral("0"));
    EXPECT_EQ(songs.Filter(), QStringLiteral("Lan_Type > 9 and Lan_Type <> 20 and Lan_Type <> 21"));
    EXPECT_EQ(songs.IndexFieldNames(), QStringLiteral("STR_LEN ASC;Name"));

    filter->SetLanguage(QStringLiteral("5"));
    EXPECT_EQ(songs.Filter(), QStringLiteral("Lan_Type=5 and disk<>'外语' "));
    EXPECT_EQ(Sorted(Column(songs, QStringLiteral("SongNo"))),
              Sql(QStringLiteral("Lan_Type=5 and (disk is null or disk<>'外语')")));
    filter->SetLanguage(QStringLiteral("3"));
    EXPECT_EQ(songs.Filter(), QStringLiteral("Lan_Type=3"));
}

TEST_F(SongFilterTest, RankingsFilterAndSortByTheirCounter)
{
    const struct
    {
        const char *value, *filter, *sort, *sqlWhere, *sqlOrder;
    } cases[] = {
        {"0", "Lan_Type > 0 and Lan_Type <> 20 and Lan_Type <> 21 and TimesWeek > 0 ", "TimesWeek DESC",
         "Lan_Type NOT IN (0, 20, 21) and TimesWeek > 0", "TimesWeek DESC, SongNo"},
        {"3", "Lan_Type=3 and TotalTimes > 0 ", "TotalTimes DESC", "Lan_Type=3 and TotalTimes > 0",
         "TotalTimes DESC, SongNo"},
        {"7", "Lan_Type > 0 and Lan_Type <> 20 and Lan_Type <> 21 and TimesYear > 0 ", "TimesYear DESC",
         "Lan_Type NOT IN (0, 20, 21) and TimesYear > 0", "TimesYear DESC, SongNo"},
        {"8", "Lan_Type > 0 and Lan_Type <> 20 and Lan_Type <> 21 and TimesSeason > 0 ", "TimesSeason DESC",
         "Lan_Type NOT IN (0, 20, 21) and TimesSeason > 0", "TimesSeason DESC, SongNo"},
        {"9", "Lan_Type > 0 and Lan_Type <> 20 and Lan_Type <> 21 and TimesMonth > 0 ", "TimesMonth DESC",
         "Lan_Type NOT IN (0, 20, 21) and TimesMonth > 0", "TimesMonth DESC, SongNo"},
    };
    for (const auto& c : cases) {
        filter->SetRanking(QString::fromLatin1(c.value));
        EXPECT_EQ(songs.Filter(), QString::fromLatin1(c.filter)) << c.value;
        EXPECT_EQ(songs.IndexFieldNames(), QString::fromLatin1(c.sort)) << c.value;
        const QStringList expected = Sql(QString::fromLatin1(c.sqlWhere), QString::fromLatin1(c.sqlOrder));
        ASSERT_FALSE(expected.isEmpty()) << c.value;
        EXPECT_EQ(Column(songs, QStringLiteral("SongNo")), expected) << c.value;
    }
    // A ranking value naming a film kind ranks no films.
    filter->SetRanking(QStringLiteral("20"));
    EXPECT_EQ(songs.RecordCount(), 0);
    // A value above "6" that names no ranking adds no clause.
    filter->SetRanking(QStringLiteral("A"));
    EXPECT_EQ(songs.Filter(), QString());
}

TEST_F(SongFilterTest, NarrowingKeepsTheChoiceAndWordCountWinsTheSort)
{
    filter->SetSinger(QStringLiteral("The"));
    filter->SetFirstLetters(QStringLiteral("*"));
    EXPECT_EQ(songs.Filter(), QStringLiteral("Singer_Nam like '%The%'"));

    filter->SetSongType(QStringLiteral("2"));
    EXPECT_EQ(songs.IndexFieldNames(), QStringLiteral("TotalTimes DESC"));
    filter->SetSongCount(3);
    EXPECT_EQ(songs.Filter(), QStringLiteral("Lan_Type > 0 and Lan_Type <> 20 and Lan_Type <> 21 and type <> null and "
                                             "type=2 and  Str_Len = 3"));
    EXPECT_EQ(songs.IndexFieldNames(), QStringLiteral("STR_LEN ASC;Name"));
    EXPECT_EQ(Sorted(Column(songs, QStringLiteral("SongNo"))),
              Sql(QStringLiteral("Lan_Type NOT IN (0, 20, 21) and type is not null and type=2 and Str_Len = 3")));

    filter->SetSongCount(8);
    EXPECT_EQ(songs.Filter(), QStringLiteral("Lan_Type > 0 and Lan_Type <> 20 and Lan_Type <> 21 and type <> null and "
                                             "type=2 and  Str_Len >= 8 "));
    // A new choice clears the length clause but keeps SongCount itself.
    filter->SetFilmType(QStringLiteral("1"));
    EXPECT_EQ(songs.Filter(), QStringLiteral("Lan_Type = 0 and type <> null and type=1"));
    EXPECT_EQ(filter->SongCount(), 8);
    filter->SetSongCount(0);
    EXPECT_EQ(songs.Filter(), QStringLiteral("Lan_Type = 0 and type <> null and type=1"));

    filter->ClearCriteria();
    filter->SetSongCount(4);
    EXPECT_EQ(songs.Filter(), QStringLiteral(" Str_Len = 4"));
}

TEST_F(SongFilterTest, EveryOtherSlotAndItsSort)
{
    const struct
    {
        void (TSongFilter::*setter)(const QString&);
        const char *value, *filter, *sort, *sqlWhere;
    } cases[] = {
        {&TSongFilter::SetAdultType, "2", "Lan_Type = 20 and type <> null and type=2", "", "Lan_Type=20 and type=2"},
        {&TSongFilter::SetDanceType, "3", "Lan_Type = 21 and type <> null and type=3", "TotalTimes DESC",
         "Lan_Type=21 and type=3"},
        {&TSongFilter::SetNameStart, "我的", "Name like '我的%'", "Name", "Name like '我的%'"},
        {&TSongFilter::SetStrokes, "25", "Strokes like '25%'", "Strokes", "Strokes like '25%'"},
        {&TSongFilter::SetSinger, "Guns N' Roses", "Singer_Nam like '%Guns N'' Roses%'", "TotalTimes DESC",
         "Singer_Nam like '%Guns N'' Roses%'"},
    };
    for (const auto& c : cases) {
        // The sort of the previous choice stays where this one sets none.
        songs.SetIndexFieldNames(QString());
        (filter.get()->*c.setter)(QString::fromUtf8(c.value));
        EXPECT_EQ(songs.Filter(), QString::fromUtf8(c.filter));
        EXPECT_EQ(songs.IndexFieldNames(), QString::fromLatin1(c.sort)) << c.value;
        const QStringList expected = Sql(QString::fromUtf8(c.sqlWhere));
        ASSERT_FALSE(expected.isEmpty()) << c.value;
        EXPECT_EQ(Sorted(Column(songs, QStringLiteral("SongNo"))), expected) << c.value;
    }
    filter->SetIsLocal(QStringLiteral("1"));
    EXPECT_EQ(songs.Filter(), QStringLiteral("Singer_Nam like '%Guns N'' Roses%' and Is_Local = '1'"));
    EXPECT_EQ(songs.RecordCount(), 1);
    filter->ClearCriteria();
    filter->ApplyCriteria();
    EXPECT_EQ(songs.Filter(), QStringLiteral(" Is_Local = '1'"));
    filter->SetIsLocal(QString());
}

TEST_F(SongFilterTest, NewSongsCountNinetyDaysBack)
{
    filter->SetToday(QDate(2026, 4, 1));
    filter->SetNewSongs(QStringLiteral("x"));
    EXPECT_EQ(songs.Filter(), QStringLiteral("[CreateDate] <> null and [CreateDate]>='2026-01-01'"));
    filter->SetToday(QDate());
    filter->SetNewSongs(QString(QStringLiteral("1")));
    const QString since = QDate::currentDate().addDays(-90).toString(QStringLiteral("yyyy-MM-dd"));
    EXPECT_EQ(Sorted(Column(songs, QStringLiteral("SongNo"))),
              Sql(QStringLiteral("CreateDate >= '") + since + QStringLiteral("'")));
    EXPECT_EQ(songs.IndexFieldNames(), QStringLiteral("TotalTimes DESC"));
}

TEST_F(SongFilterTest, TestLevelSortsByNameUnlessAWordCountIsSet)
{
    TSetting setting(s_pInstall->ExeDir());
    setting.Test = 1;
    TSetting* saved = g_pSetting;
    g_pSetting = &setting;
    filter->SetLanguage(QStringLiteral("1"));
    EXPECT_EQ(songs.IndexFieldNames(), QStringLiteral("Name;Singer_nam"));
    filter->SetRanking(QStringLiteral("3"));
    EXPECT_EQ(songs.IndexFieldNames(), QStringLiteral("Name;Singer_nam"));
    filter->SetSongCount(2);
    EXPECT_EQ(songs.IndexFieldNames(), QStringLiteral("STR_LEN ASC;Name"));
    g_pSetting = saved;
}

TEST_F(SongFilterTest, FindSongNoLeavesTheWholeCatalogueOnTheSong)
{
    filter->SetLanguage(QStringLiteral("4"));
    ASSERT_TRUE(filter->FindSongNo(QStringLiteral("100007")));
    EXPECT_FALSE(songs.Filtered());
    EXPECT_EQ(songs.IndexFieldNames(), QStringLiteral("SongNo"));
    EXPECT_EQ(songs.FieldByName(QStringLiteral("SongNo")).AsString(), QStringLiteral("100007"));
    EXPECT_EQ(songs.RecordCount(), 3001);
    EXPECT_FALSE(filter->FindSongNo(QStringLiteral("000000")));
    EXPECT_TRUE(filter->Criterion(TSongFilter::kLanguage).isEmpty());
}

TEST_F(SongFilterTest, SingerClassesAndInitials)
{
    filter->SetSingerClass(6);
    EXPECT_EQ(singers.Filter(), QStringLiteral("place<3 and sex=2"));
    EXPECT_TRUE(singers.Filtered());
    EXPECT_EQ(singers.IndexFieldNames(), QStringLiteral("Times DESC"));
    filter->SetSingerInitials(QString());
    EXPECT_EQ(singers.Filter(), QStringLiteral("place<3 and sex=2"));
    const int groups = singers.RecordCount();
    EXPECT_GT(groups, 0);
    double last = 1e18;
    for (singers.First(); !singers.Eof(); singers.Next()) {
        EXPECT_LT(singers.FieldByName(QStringLiteral("PLACE")).AsInteger(), 3);
        EXPECT_EQ(singers.FieldByName(QStringLiteral("SEX")).AsString(), QStringLiteral("2"));
        const double times = singers.FieldByName(QStringLiteral("TIMES")).AsFloat();
        EXPECT_LE(times, last);
        last = times;
    }

    filter->SetSingerClass(9);
    filter->SetSingerInitials(QStringLiteral("GN"));
    EXPECT_EQ(singers.Filter(), QStringLiteral("place=3 and sex=2 and PyCode like 'GN%'"));
    EXPECT_EQ(singers.IndexFieldNames(), QStringLiteral("SingerName"));
    EXPECT_EQ(Column(singers, QStringLiteral("SINGERNAME")), QStringList{QStringLiteral("Guns N' Roses")});
    filter->SetSingerInitials(QStringLiteral("G*R"));
    EXPECT_EQ(singers.Filter(), QStringLiteral("place=3 and sex=2 and PyCode like 'G*R'"));
    filter->SetSingerInitials(QStringLiteral("O'"));
    EXPECT_EQ(singers.Filter(), QStringLiteral("place=3 and sex=2 and PyCode like 'O''%'"));
    EXPECT_EQ(singers.RecordCount(), 0);

    filter->SetSingerClass(1);
    EXPECT_FALSE(singers.Filtered());
    EXPECT_EQ(singers.RecordCount(), 151);
    filter->SetSingerInitials(QStringLiteral("GNR"));
    EXPECT_EQ(singers.Filter(), QStringLiteral("PyCode like 'GNR%'"));
    filter->SetSingerClass(42);
    EXPECT_EQ(filter->SingerClass(), QString());
}

} // namespace
