// Finding songs every way, as a guest meets it: the station and the player
// stand-in as real processes on a fresh demo installation, keys posted to
// the station's window. One station run takes the guest by song number,
// through the favourites from the ordered-songs screen to signing out, by
// pinyin letters, by strokes and by singer; the player then sings what was
// ordered.
#include "playback/PlayerLink.h"
#include "playback/StationShot.h"
#include "tests/e2e/StationRun.h"

#include <QFile>

using namespace e2e;

namespace {

// Default bindings of keyboard.ini, and the keypad's point for POINT (by
// default POINT shares DELSONG's code, and the delete wins).
constexpr int kEnter = 13, kReturn = 27, kPlaylist = 32, kDelSong = 46, kMainMenu = 109, kMyLove = 111;
constexpr int kSinger = 186, kFirstChar = 187, kNumber = 189, kStroke = 220, kPoint = 110;

int DigitKey(QChar digit)
{
    return '0' + digit.digitValue();
}

// Posts a key and waits until the station's front screen has seen it.
bool Key(const Station& s, int vk, const QString& screen)
{
    const QString line = screen + QStringLiteral(".AppMessage.KeyDown():") + QString::number(vk);
    const int before = s.CountInLog(line);
    if (!s.PostKey(vk))
        return false;
    return WaitUntil([&] { return s.CountInLog(line) > before; }, 10000);
}

bool Type(const Station& s, const QString& keys, const QString& screen)
{
    for (const QChar c : keys)
        if (!Key(s, c.isDigit() ? DigitKey(c) : c.toUpper().unicode(), screen))
            return false;
    return true;
}

// Waits until the front screen is that one; its labels (name=caption lines).
QString WaitForScreen(const Station& s, const QString& screen)
{
    QString labels;
    WaitUntil(
        [&] {
            labels = s.Labels();
            return labels.startsWith(QStringLiteral("screen=") + screen + u'\n');
        },
        10000);
    return labels;
}

bool OnScreen(const Station& s, const QString& screen)
{
    return WaitForScreen(s, screen).startsWith(QStringLiteral("screen=") + screen + u'\n');
}

// The caption of a label in a Labels() answer.
QString Caption(const QString& labels, const QString& name)
{
    for (const QString& line : labels.split(u'\n'))
        if (line.startsWith(name + u'='))
            return line.mid(name.size() + 1);
    return QString();
}

// The first row of a catalogue query, or an empty list.
QStringList Row(const Station& s, const QString& sql, const QVariantList& params = {})
{
    return s.CatalogueRows(sql, params).value(0);
}

QString SongField(const Station& s, const QString& column, const QString& songNo)
{
    return Row(s, QStringLiteral("select ") + column + QStringLiteral(" from original where SONGNO=?"), {songNo})
        .value(0);
}

int Favourites(const Station& s, const QString& user)
{
    return Row(s, QStringLiteral("select count(*) from mylove where userid=?"), {user}).value(0).toInt();
}

// Waits for a queue of that many entries and gives the last one.
QueueEntry WaitForEntry(const Station& s, int count)
{
    QList<QueueEntry> queue;
    WaitUntil(
        [&] {
            queue = s.Queue();
            return queue.size() >= count;
        },
        10000);
    return queue.size() >= count ? queue[count - 1] : QueueEntry();
}

// The keypad's point gets a code of its own.
bool SeparatePointFromDelete(const Station& s)
{
    QFile ini(s.Path(QStringLiteral("keyboard.ini")));
    if (!ini.open(QIODevice::ReadOnly))
        return false;
    QByteArray text = ini.readAll();
    ini.close();
    const qsizetype at = text.indexOf("\nPOINT=");
    if (at < 0)
        return false;
    const qsizetype from = at + 7;
    qsizetype to = from;
    while (to < text.size() && text[to] != '\r' && text[to] != '\n')
        ++to;
    text.replace(from, to - from, QByteArray::number(kPoint));
    return ini.open(QIODevice::WriteOnly | QIODevice::Truncate) && ini.write(text) == text.size();
}

} // namespace

TEST(FindingSongsE2e, NumberFavouritesPinyinStrokeAndSingerRoadsEndInSungSongs)
{
    Station s;
    ASSERT_TRUE(s.Ready());
    ASSERT_TRUE(SeparatePointFromDelete(s));
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"))) << qPrintable(station->Errors());
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("portal")));

    // ---- By number: the digits and ENTER order the song. ----
    const QStringList numbered =
        Row(s, QStringLiteral("select SONGNO, Name from original where SONGNO<>'' order by SONGNO desc limit 1"));
    ASSERT_EQ(numbered.size(), 2);
    ASSERT_TRUE(Key(s, kNumber, QStringLiteral("portal")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("number")));
    ASSERT_TRUE(Type(s, numbered[0], QStringLiteral("number")));
    ASSERT_TRUE(Key(s, kEnter, QStringLiteral("number")));
    EXPECT_EQ(WaitForEntry(s, 1).songNo, numbered[0]) << qPrintable(s.Log());

    // ---- Favourites: saving from the ordered songs asks for the sign-in;
    // a new id signs up, the save goes through, the list orders the song
    // (gone from the queue meanwhile), deletes it and signs out. ----
    const QString user = QStringLiteral("52088");
    ASSERT_TRUE(Key(s, kPlaylist, QStringLiteral("number")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("frmorder")));
    ASSERT_TRUE(Key(s, kPoint, QStringLiteral("frmorder")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("frmmylovelogin")));
    ASSERT_TRUE(Type(s, user, QStringLiteral("frmmylovelogin")));
    ASSERT_TRUE(Key(s, kEnter, QStringLiteral("frmmylovelogin")));
    QString labels = WaitForScreen(s, QStringLiteral("frmmylove"));
    EXPECT_TRUE(Caption(labels, QStringLiteral("title")).startsWith(u'[' + user + u']')) << qPrintable(labels);
    EXPECT_TRUE(Caption(labels, QStringLiteral("title")).endsWith(u'0')) << qPrintable(labels);
    ASSERT_TRUE(Key(s, kReturn, QStringLiteral("frmmylove")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("frmorder")));
    ASSERT_TRUE(Key(s, kPoint, QStringLiteral("frmorder")));
    ASSERT_TRUE(WaitUntil([&] { return Favourites(s, user) == 1; })) << qPrintable(s.Log());
    // Out of the queue, so that the favourites list may order it again.
    ASSERT_TRUE(Key(s, kDelSong, QStringLiteral("frmorder")));
    ASSERT_TRUE(WaitUntil([&] { return WaitForEntry(s, 1).playing == "5"; }));
    ASSERT_TRUE(Key(s, kMyLove, QStringLiteral("frmorder")));
    labels = WaitForScreen(s, QStringLiteral("frmmylove"));
    EXPECT_EQ(Caption(labels, QStringLiteral("songname0")), numbered[1]) << qPrintable(labels);
    EXPECT_TRUE(Caption(labels, QStringLiteral("title")).endsWith(u'1')) << qPrintable(labels);
    ASSERT_TRUE(Key(s, kEnter, QStringLiteral("frmmylove")));
    const QueueEntry again = WaitForEntry(s, 2);
    EXPECT_EQ(again.songNo, numbered[0]);
    EXPECT_EQ(again.playing, "0");
    ASSERT_TRUE(Key(s, kDelSong, QStringLiteral("frmmylove")));
    EXPECT_TRUE(WaitUntil([&] { return Favourites(s, user) == 0; })) << qPrintable(s.Log());
    ASSERT_TRUE(Key(s, kPoint, QStringLiteral("frmmylove")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("frmorder")));
    // Signed out: the favourites key asks for an id again.
    ASSERT_TRUE(Key(s, kMyLove, QStringLiteral("frmorder")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("frmmylovelogin")));
    ASSERT_TRUE(Key(s, kMainMenu, QStringLiteral("frmmylovelogin")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("portal")));

    // ---- By pinyin: "08" is H, then letters, ENTER searches. ----
    const QString initials =
        Row(s, QStringLiteral("select upper(substr(First_Char,1,3)) from original where upper(First_Char) like "
                              "'H__%' limit 1"))
            .value(0);
    ASSERT_EQ(initials.size(), 3);
    ASSERT_TRUE(Key(s, kFirstChar, QStringLiteral("portal")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("songbypy")));
    ASSERT_TRUE(Type(s, QStringLiteral("08") + initials.mid(1), QStringLiteral("songbypy")));
    ASSERT_TRUE(Key(s, kEnter, QStringLiteral("songbypy")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("frmsong")));
    ASSERT_TRUE(Key(s, kEnter, QStringLiteral("frmsong")));
    const QueueEntry byPinyin = WaitForEntry(s, 3);
    EXPECT_TRUE(SongField(s, QStringLiteral("First_Char"), byPinyin.songNo).toUpper().startsWith(initials))
        << qPrintable(byPinyin.songNo);
    ASSERT_TRUE(Key(s, kMainMenu, QStringLiteral("frmsong")));

    // ---- By strokes: the first three strokes of a title, a row's digit. ----
    const QString strokes =
        Row(s, QStringLiteral("select substr(STROKES,1,3) from original where length(STROKES)>=3 limit 1")).value(0);
    ASSERT_EQ(strokes.size(), 3);
    QString strokeKeys;
    for (const QChar digit : strokes)
        strokeKeys += QStringLiteral("HSPNZ").at(digit.digitValue() - 1);
    ASSERT_TRUE(Key(s, kStroke, QStringLiteral("portal")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("storke")));
    ASSERT_TRUE(Type(s, strokeKeys, QStringLiteral("storke")));
    labels = s.Labels();
    EXPECT_EQ(Caption(labels, QStringLiteral("Input")).size(), 3) << qPrintable(labels);
    ASSERT_TRUE(Key(s, DigitKey(u'1'), QStringLiteral("storke")));
    const QueueEntry byStrokes = WaitForEntry(s, 4);
    EXPECT_TRUE(SongField(s, QStringLiteral("STROKES"), byStrokes.songNo).startsWith(strokes))
        << qPrintable(byStrokes.songNo);
    ASSERT_TRUE(Key(s, kMainMenu, QStringLiteral("storke")));

    // ---- By singer: the first class, the singer's initials leave one
    // singer, ENTER opens the songs, ENTER orders the first. ----
    const QStringList singer =
        Row(s, QStringLiteral("select a.PYCODE, a.SINGERNAME from singer a where length(a.PYCODE) between 2 and 6 and "
                              "exists(select 1 from original o where o.Singer_Nam=a.SINGERNAME) and (select count(*) "
                              "from singer b where upper(b.PYCODE) like upper(a.PYCODE)||'%')=1 limit 1"));
    ASSERT_EQ(singer.size(), 2);
    ASSERT_TRUE(Key(s, kSinger, QStringLiteral("portal")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("SingerType")));
    ASSERT_TRUE(Key(s, DigitKey(u'1'), QStringLiteral("SingerType")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("frmsinger")));
    ASSERT_TRUE(Type(s, singer[0], QStringLiteral("frmsinger")));
    labels = s.Labels();
    EXPECT_EQ(Caption(labels, QStringLiteral("singername0")), singer[1]) << qPrintable(labels);
    ASSERT_TRUE(Key(s, kEnter, QStringLiteral("frmsinger")));
    ASSERT_TRUE(OnScreen(s, QStringLiteral("frmsong")));
    ASSERT_TRUE(Key(s, kEnter, QStringLiteral("frmsong")));
    const QueueEntry bySinger = WaitForEntry(s, 5);
    EXPECT_TRUE(SongField(s, QStringLiteral("Singer_Nam"), bySinger.songNo).contains(singer[1]))
        << qPrintable(bySinger.songNo);

    // The player sings the queue to its end (the deleted entry skipped).
    auto player = s.StartPlayer(200);
    ASSERT_TRUE(player->WaitForLine(QStringLiteral("ready"))) << qPrintable(player->Errors());
    EXPECT_TRUE(player->WaitForLine(QStringLiteral("done %1 ").arg(bySinger.num), 20000))
        << qPrintable(player->Output());
    EXPECT_TRUE(WaitUntil([&] {
        const QList<QueueEntry> queue = s.Queue();
        return queue.size() == 5 &&
               std::all_of(queue.begin() + 1, queue.end(), [](const QueueEntry& e) { return e.playing == "2"; });
    })) << qPrintable(player->Output());

    ASSERT_TRUE(s.Post(kMsgTestCloseStation, 0, 0));
    EXPECT_TRUE(station->WaitForExit(15000));
}
