#include "CatalogueFixture.h"
#include "support/TestPg.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace cattest;

namespace {

struct Counters
{
    int total, day, week, month, season, year;
    bool operator==(const Counters&) const = default;
};

void PrintTo(const Counters& c, std::ostream* os)
{
    *os << c.total << '/' << c.day << '/' << c.week << '/' << c.month << '/' << c.season << '/' << c.year;
}

Counters SongCounters(DbConnection& db, const QString& songNo)
{
    QSqlQuery q = db.Query(QStringLiteral("SELECT TimesTotal, TimesDay, TimesWeek, TimesMonth, TimesSeason, TimesYear "
                                          "FROM original WHERE SONGNO=?"),
                           {songNo});
    EXPECT_TRUE(q.next());
    return {q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt(),
            q.value(3).toInt(), q.value(4).toInt(), q.value(5).toInt()};
}

double SingerTimes(DbConnection& db, const QString& name)
{
    return db.Scalar(QStringLiteral("SELECT TIMES FROM singer WHERE SINGERNAME=?"), {name}).toDouble();
}

// One history row daysAgo days back (times: the row's Times).
void Ordered(Installation& in, const QString& songNo, int daysAgo, int times = 1)
{
    const QDateTime when = QDateTime(QDate::currentDate().addDays(-daysAgo), QTime(0, 0));
    const QVariant click =
        in.Postgres() ? QVariant(when) : QVariant(when.date().toString(QStringLiteral("yyyy-MM-dd")));
    in.Db().Execute(
        QStringLiteral("INSERT INTO timesDetail (SongNo, Times, ClickTime, UserId, Ip) VALUES (?,?,?,'','pc')"),
        {songNo, times, click});
}

DemoSinger Singer(const QString& no, const QString& name)
{
    DemoSinger s;
    s.no = no;
    s.name = name;
    s.sex = QStringLiteral("1");
    s.place = QStringLiteral("0");
    s.pycode = QStringLiteral("X");
    s.len = int(name.size());
    return s;
}

// The catalogue of the three worked cases: song 1 (singer Jay) ordered three
// times today and twice 100 days ago; song 2 (Jay, InitTimes 10); song 3 a
// duet "Jay&Amei"; song 4 never ordered, with old counters.
void Catalogue(Installation& in)
{
    std::vector<DemoSong> songs = {
        MakeSong(QStringLiteral("000001"), QStringLiteral("One"), QStringLiteral("Jay"), 1),
        MakeSong(QStringLiteral("000002"), QStringLiteral("Two"), QStringLiteral("Jay"), 1),
        MakeSong(QStringLiteral("000003"), QStringLiteral("Duet"), QStringLiteral("Jay&Amei"), 1),
        MakeSong(QStringLiteral("000004"), QStringLiteral("Four"), QStringLiteral("Say \"Hi\" O'Neil"), 1)};
    songs[1].initTimes = 10;
    songs[3].timesTotal = 7;
    songs[3].timesYear = 6;
    InsertCatalogue(in.Db(),
                    {Singer(QStringLiteral("001"), QStringLiteral("Jay")),
                     Singer(QStringLiteral("002"), QStringLiteral("Amei")),
                     Singer(QStringLiteral("003"), QStringLiteral("Say \"Hi\" O'Neil"))},
                    songs);
    for (int i = 0; i < 3; ++i)
        Ordered(in, QStringLiteral("000001"), 0);
    Ordered(in, QStringLiteral("000001"), 100);
    Ordered(in, QStringLiteral("000001"), 100);
    Ordered(in, QStringLiteral("000002"), 1);
    Ordered(in, QStringLiteral("000002"), 20);
    Ordered(in, QStringLiteral("000003"), 8);
}

void RunStatistics(Installation& in)
{
    auto data = in.Open();
    data->WaitForLoader();
    data->UpdatePlayStatistics();
}

TEST(PlayStatistics, EmbeddedCatalogueCountsRowsAndCreditsExactSingers)
{
    Installation in;
    Catalogue(in);
    Ordered(in, QStringLiteral("000003"), 2, /*times=*/5); // counted as one row
    RunStatistics(in);
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000001")), (Counters{5, 3, 3, 3, 3, 5}));
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000002")), (Counters{2, 1, 1, 2, 2, 2}));
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000003")), (Counters{2, 0, 1, 2, 2, 2}));
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000004")), (Counters{7, 0, 0, 0, 0, 6}));
    // Jay: 5 + (2 + 10); the duet is not his on this catalogue.
    EXPECT_DOUBLE_EQ(SingerTimes(in.Db(), QStringLiteral("Jay")), 17);
    EXPECT_DOUBLE_EQ(SingerTimes(in.Db(), QStringLiteral("Amei")), 0);
    // A name with both kinds of quote is updated like any other.
    EXPECT_DOUBLE_EQ(SingerTimes(in.Db(), QStringLiteral("Say \"Hi\" O'Neil")), 7);
}

TEST(PlayStatistics, EmptyHistoryKeepsSongCountersAndRecomputesSingers)
{
    Installation in;
    InsertCatalogue(in.Db(), {Singer(QStringLiteral("001"), QStringLiteral("Jay"))},
                    {MakeSong(QStringLiteral("000001"), QStringLiteral("One"), QStringLiteral("Jay"), 1)});
    in.Db().Execute(QStringLiteral("UPDATE original SET TimesTotal=4, TimesDay=1, InitTimes=3"));
    in.Db().Execute(QStringLiteral("UPDATE singer SET TIMES=99"));
    RunStatistics(in);
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000001")), (Counters{4, 1, 0, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(SingerTimes(in.Db(), QStringLiteral("Jay")), 7);
}

TEST(PlayStatistics, ErrorsAreSwallowed)
{
    Installation in;
    Catalogue(in);
    auto data = in.Open();
    data->WaitForLoader();
    in.Db().Execute(QStringLiteral("DROP TABLE timesDetail"));
    data->UpdatePlayStatistics(); // no exception
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000001")), (Counters{0, 0, 0, 0, 0, 0}));
}

TEST(PlayStatistics, ServerCatalogueSumsTimesAndCreditsContainedSingers)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    Installation in(/*postgres=*/true);
    Catalogue(in);
    Ordered(in, QStringLiteral("000003"), 2, /*times=*/5); // summed
    RunStatistics(in);
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000001")), (Counters{5, 3, 3, 3, 3, 5}));
    // The server measures the windows to the moment: yesterday at midnight is
    // more than one day ago.
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000002")), (Counters{2, 0, 1, 2, 2, 2}));
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000003")), (Counters{6, 0, 5, 6, 6, 6}));
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000004")), (Counters{7, 0, 0, 0, 0, 6}));
    // Jay: 5 + 12 + the duet's 6. Amei has no song under her own name, so
    // her total is not recomputed at all.
    EXPECT_DOUBLE_EQ(SingerTimes(in.Db(), QStringLiteral("Jay")), 23);
    EXPECT_DOUBLE_EQ(SingerTimes(in.Db(), QStringLiteral("Amei")), 0);
    EXPECT_DOUBLE_EQ(SingerTimes(in.Db(), QStringLiteral("Say \"Hi\" O'Neil")), 7);
}

TEST(PlayStatistics, ServerEmptyHistoryRecomputesSingersOnly)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    Installation in(/*postgres=*/true);
    InsertCatalogue(in.Db(), {Singer(QStringLiteral("001"), QStringLiteral("Jay"))},
                    {MakeSong(QStringLiteral("000001"), QStringLiteral("One"), QStringLiteral("Jay"), 1)});
    in.Db().Execute(QStringLiteral("UPDATE original SET TimesTotal=4, TimesDay=1, InitTimes=3"));
    RunStatistics(in);
    EXPECT_EQ(SongCounters(in.Db(), QStringLiteral("000001")), (Counters{4, 1, 0, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(SingerTimes(in.Db(), QStringLiteral("Jay")), 7);
}

} // namespace
