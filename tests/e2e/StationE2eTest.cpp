// The station as a guest meets it: real processes (station, player stand-in)
// on a fresh demo installation, driven through the station's window.
#include "playback/PlayerLink.h"
#include "playback/StationShot.h"
#include "tests/e2e/StationRun.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>

using namespace e2e;

namespace {

// Default bindings of keyboard.ini.
constexpr int kSong = 226, kEnter = 13, kDown = 40, kPlaylist = 32, kFirstPlay = 45, kDelSong = 46;
constexpr int kOne = 49, kMainMenu = 109, kSung = 104, kSinger = 186, kStroke = 220, kMyLove = 111;
// The member whose favourites the screenshots show.
constexpr const char* kMember = "8808";

QString FirstCharOf(const Station& s, const QString& songNo)
{
    DbConnection db;
    db.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data/kroom.db"), s.Dir());
    DataSet q;
    q.SetConnection(&db);
    q.SetCommandText(QStringLiteral("select First_Char from original where SONGNO=?"));
    q.SetParameters({songNo});
    q.Open();
    return q.IsEmpty() ? QString() : q.Fields(0).AsString();
}

QStringList MandarinInitials(const Station& s, int count)
{
    DbConnection db;
    db.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data/kroom.db"), s.Dir());
    DataSet q;
    q.SetConnection(&db);
    q.SetCommandText(QStringLiteral("select distinct upper(substr(First_Char,1,1)) from original where Lan_Type=1 and "
                                    "First_Char<>'' order by 1 limit ") +
                     QString::number(count));
    q.Open();
    QStringList letters;
    for (q.First(); !q.Eof(); q.Next())
        letters << q.Fields(0).AsString();
    return letters;
}

QString AnyMandarinInitial(const Station& s)
{
    DbConnection db;
    db.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data/kroom.db"), s.Dir());
    DataSet q;
    q.SetConnection(&db);
    q.SetCommandText(QStringLiteral("select First_Char from original where Lan_Type=1 and First_Char<>'' limit 1"));
    q.Open();
    return q.IsEmpty() ? QString() : q.Fields(0).AsString().left(1).toUpper();
}

// Posts a key and waits until the station's front screen has seen it.
bool Key(const Station& s, int vk, const QString& screen = QString())
{
    const QString line = screen + QStringLiteral(".AppMessage.KeyDown():") + QString::number(vk);
    const int before = s.CountInLog(line);
    if (!s.PostKey(vk))
        return false;
    return WaitUntil([&] { return s.CountInLog(line) > before; }, 10000);
}

// Opens the song list of the first language from the portal.
bool OpenMandarinSongs(const Station& s)
{
    return Key(s, kSong, QStringLiteral("portal")) && Key(s, kOne) && Key(s, kOne) &&
           s.WaitForLog(QStringLiteral("FrmSong.FormShow()"), 10000);
}

bool WaitForQueue(const Station& s, int count)
{
    return WaitUntil([&] { return s.Queue().size() >= count; }, 10000);
}

} // namespace

TEST(StationE2e, StartsToThePortalRestoresTheFirstOnASecondStartAndClosesWithCommand17)
{
    Station s;
    ASSERT_TRUE(s.Ready());
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"))) << qPrintable(station->Errors());
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    auto player = s.StartPlayer();
    ASSERT_TRUE(player->WaitForLine(QStringLiteral("ready"))) << qPrintable(player->Errors());

    // A second start finds the first, asks it to come forward and ends
    // without a start-up of its own.
    const int totals = s.CountInLog(QStringLiteral("总计"));
    auto second = s.StartStation();
    ASSERT_TRUE(second->WaitForExit(20000));
    EXPECT_EQ(second->ExitCode(), 0);
    EXPECT_EQ(s.CountInLog(QStringLiteral("总计")), totals);
    EXPECT_TRUE(station->Running());
    EXPECT_FALSE(s.Window().IsNull());

    // Closing the station: the player hears command 17, the station ends.
    ASSERT_TRUE(s.Post(kMsgTestCloseStation, 0, 0));
    EXPECT_TRUE(station->WaitForExit(15000));
    EXPECT_EQ(station->ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(station->ExitCode(), 0);
    EXPECT_TRUE(player->WaitForLine(QStringLiteral("command 17"))) << qPrintable(player->Output());
    EXPECT_TRUE(s.Window().IsNull());
}

TEST(StationE2e, AGuestOrdersASongByFirstLettersAndThePlayerSingsIt)
{
    Station s;
    ASSERT_TRUE(s.Ready());
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"))) << qPrintable(station->Errors());
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    ASSERT_TRUE(OpenMandarinSongs(s)) << qPrintable(s.Log());

    const QString letter = AnyMandarinInitial(s);
    ASSERT_FALSE(letter.isEmpty());
    ASSERT_TRUE(Key(s, letter.at(0).unicode(), QStringLiteral("frmsong"))) << qPrintable(s.Log());
    ASSERT_TRUE(Key(s, kEnter, QStringLiteral("frmsong")));
    ASSERT_TRUE(WaitForQueue(s, 1)) << qPrintable(s.Log());
    const QueueEntry ordered = s.Queue().first();
    EXPECT_EQ(ordered.playing, "0");
    EXPECT_EQ(ordered.num, 1);
    EXPECT_TRUE(FirstCharOf(s, ordered.songNo).toUpper().startsWith(letter)) << qPrintable(ordered.songNo);
    EXPECT_TRUE(WaitUntil([&] { return s.HistoryRows(ordered.songNo) == 1; }, 10000));

    // A swipe up on the list turns the page.
    ASSERT_TRUE(s.Post(513, 0, Station::Pos(100, 300)));
    ASSERT_TRUE(s.Post(514, 0, Station::Pos(104, 250)));
    EXPECT_TRUE(s.WaitForLog(QStringLiteral("frmsong.滑屏向上翻页()")));
    // Ten pixels sideways is no swipe.
    ASSERT_TRUE(s.Post(513, 0, Station::Pos(100, 300)));
    ASSERT_TRUE(s.Post(514, 0, Station::Pos(110, 300)));
    EXPECT_TRUE(s.WaitForLog(QStringLiteral("frmsong.Mouse松开:110x300")));
    EXPECT_FALSE(s.Log().contains(QStringLiteral("滑屏向右翻页")));

    // The player plays the entry (mark "1") and finishes it (mark "2"); the
    // song lasts longer than the labels' refresh.
    auto player = s.StartPlayer(3000);
    ASSERT_TRUE(player->WaitForLine(QStringLiteral("play 1 "))) << qPrintable(player->Errors());
    // The now-playing label of the front screen follows within two seconds.
    QElapsedTimer shown;
    shown.start();
    EXPECT_TRUE(WaitUntil([&] { return s.Labels().contains(QStringLiteral("PlayingName=") + ordered.name); }, 2500))
        << qPrintable(s.Labels());
    ASSERT_TRUE(player->WaitForLine(QStringLiteral("done 1 ")));
    EXPECT_TRUE(WaitUntil([&] {
        const auto q = s.Queue();
        return !q.isEmpty() && q.first().playing == "2";
    }));

    // The sung-songs screen lists it.
    ASSERT_TRUE(Key(s, kMainMenu, QStringLiteral("frmsong")));
    ASSERT_TRUE(Key(s, kSung, QStringLiteral("portal")));
    EXPECT_TRUE(WaitUntil(
        [&] {
            const QString labels = s.Labels();
            return labels.startsWith(QStringLiteral("screen=sing")) &&
                   labels.contains(QStringLiteral("=") + ordered.name + "\n");
        },
        5000))
        << qPrintable(s.Labels());

    ASSERT_TRUE(s.Post(kMsgTestCloseStation, 0, 0));
    EXPECT_TRUE(station->WaitForExit(15000));
    EXPECT_TRUE(player->WaitForLine(QStringLiteral("command 17")));
}

TEST(StationE2e, FirstPlayAndDeleteOnTheOrderedSongsScreenChangeTheQueueFile)
{
    Station s;
    ASSERT_TRUE(s.Ready());
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"))) << qPrintable(station->Errors());
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    ASSERT_TRUE(OpenMandarinSongs(s)) << qPrintable(s.Log());
    // Three songs, each the first of its initial.
    const QStringList letters = MandarinInitials(s, 3);
    ASSERT_EQ(letters.size(), 3);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Key(s, letters[i].at(0).unicode(), QStringLiteral("frmsong")));
        ASSERT_TRUE(Key(s, kEnter, QStringLiteral("frmsong")));
        ASSERT_TRUE(WaitForQueue(s, i + 1)) << qPrintable(s.Log());
    }
    const QList<QueueEntry> before = s.Queue();
    ASSERT_EQ(before.size(), 3);

    ASSERT_TRUE(Key(s, kPlaylist, QStringLiteral("frmsong")));
    // The second entry goes to the front.
    ASSERT_TRUE(Key(s, kDown, QStringLiteral("frmorder")));
    ASSERT_TRUE(Key(s, kFirstPlay, QStringLiteral("frmorder")));
    const QString moved = before[1].songNo;
    EXPECT_TRUE(WaitUntil([&] {
        for (const QueueEntry& e : s.Queue()) {
            if (e.songNo == moved)
                return e.num == 1;
        }
        return false;
    })) << qPrintable(s.Log());
    // Deleting marks an entry "5"; nothing is lost from the file.
    ASSERT_TRUE(Key(s, kDelSong, QStringLiteral("frmorder")));
    EXPECT_TRUE(WaitUntil([&] {
        const auto q = s.Queue();
        return q.size() == 3 &&
               std::count_if(q.begin(), q.end(), [](const QueueEntry& e) { return e.playing == "5"; }) == 1;
    })) << qPrintable(s.Log());

    ASSERT_TRUE(s.Post(kMsgTestCloseStation, 0, 0));
    EXPECT_TRUE(station->WaitForExit(15000));
}

namespace {

// Keeps a dozen songs of different singers as the member's favourites.
void KeepFavourites(const Station& s)
{
    DbConnection db;
    db.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data/kroom.db"), s.Dir());
    db.Execute(QStringLiteral("insert into \"user\" (USERID,LASTLOGIN) values (?,'2026-01-01')"),
               {QString::fromLatin1(kMember)});
    db.Execute(QStringLiteral("insert into mylove (UserId,SongNo) select ?, min(SONGNO) from original where "
                              "Lan_Type=1 group by Singer_Nam limit 12"),
               {QString::fromLatin1(kMember)});
}

} // namespace

// Pictures for the README (scripts/screenshots.sh runs this one with
// VOD_SHOTS set): the portal, a song list page, the ordered songs, the
// singer grid, the stroke screen and a member's favourites.
TEST(StationE2e, Screenshots)
{
    const QString shots = qEnvironmentVariable("VOD_SHOTS");
    if (shots.isEmpty())
        GTEST_SKIP() << "VOD_SHOTS names no folder";
    QDir().mkpath(shots);
    Station s(3000, 300); // every singer with a photo
    ASSERT_TRUE(s.Ready());
    s.SetShotDir(shots);
    KeepFavourites(s);
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:")));
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    QThread::msleep(500);
    const auto shot = [&](int n) {
        QFile::remove(shots + QStringLiteral("/shot%1.png").arg(n));
        s.Post(kMsgTestScreenshot, n, 0);
        return WaitUntil([&] { return QFileInfo::exists(shots + QStringLiteral("/shot%1.png").arg(n)); });
    };
    ASSERT_TRUE(shot(1));
    ASSERT_TRUE(OpenMandarinSongs(s));
    QThread::msleep(500);
    const QStringList letters = MandarinInitials(s, 2);
    ASSERT_EQ(letters.size(), 2);
    for (const QString& letter : letters) {
        ASSERT_TRUE(Key(s, letter.at(0).unicode(), QStringLiteral("frmsong")));
        ASSERT_TRUE(Key(s, kEnter, QStringLiteral("frmsong")));
    }
    ASSERT_TRUE(WaitForQueue(s, 2));
    QThread::msleep(500);
    ASSERT_TRUE(shot(2));
    ASSERT_TRUE(Key(s, kPlaylist, QStringLiteral("frmsong")));
    QThread::msleep(3500);
    ASSERT_TRUE(shot(3));
    // The singer grid of the first class.
    ASSERT_TRUE(Key(s, kMainMenu, QStringLiteral("frmorder")));
    ASSERT_TRUE(Key(s, kSinger, QStringLiteral("portal")));
    ASSERT_TRUE(Key(s, kOne, QStringLiteral("SingerType")));
    QThread::msleep(500);
    ASSERT_TRUE(shot(4));
    // The stroke screen after two strokes.
    ASSERT_TRUE(Key(s, kMainMenu, QStringLiteral("frmsinger")));
    ASSERT_TRUE(Key(s, kStroke, QStringLiteral("portal")));
    ASSERT_TRUE(Key(s, 'H', QStringLiteral("storke")));
    ASSERT_TRUE(Key(s, 'S', QStringLiteral("storke")));
    QThread::msleep(500);
    ASSERT_TRUE(shot(5));
    // The favourites of a member who kept a dozen songs.
    ASSERT_TRUE(Key(s, kMainMenu, QStringLiteral("storke")));
    ASSERT_TRUE(Key(s, kMyLove, QStringLiteral("portal")));
    for (const char digit : QByteArray(kMember))
        ASSERT_TRUE(Key(s, digit, QStringLiteral("frmmylovelogin")));
    ASSERT_TRUE(Key(s, kEnter, QStringLiteral("frmmylovelogin")));
    QThread::msleep(800);
    ASSERT_TRUE(shot(6));
    const char* const names[] = {"portal", "songlist", "ordered", "singers", "strokes", "favourites"};
    for (int n = 1; n <= 6; ++n) {
        const QString target = shots + QStringLiteral("/%1.png").arg(QLatin1String(names[n - 1]));
        QFile::remove(target);
        QFile::rename(shots + QStringLiteral("/shot%1.png").arg(n), target);
    }
    s.Post(kMsgTestCloseStation, 0, 0);
    EXPECT_TRUE(station->WaitForExit(15000));
}
