// The phone remote against the real station and player stand-in: a phone
// joins by the code on the portal, searches, orders, reorders and deletes,
// and follows the queue live; old and wrong tokens, a locked room and
// malformed requests are refused and change nothing.
#include "tests/e2e/PhoneClient.h"
#include "tests/e2e/PhoneRoom.h"

#include <QProcess>
#include <QStandardPaths>

using namespace e2e;
using namespace phonetest;

namespace {

QString Playing(const QJsonObject& queue)
{
    return queue.value(QStringLiteral("playing")).toObject().value(QStringLiteral("no")).toString();
}

} // namespace

TEST(PhoneRemote, APhoneJoinsByTheCodeOrdersReordersDeletesAndFollowsTheQueue)
{
    PhoneRoom room;
    ASSERT_TRUE(room.Ready());
    const QString address = room.Address();
    ASSERT_FALSE(address.isEmpty()) << qPrintable(room.station().Log());

    // The portal's code says the same address.
    const QString zbar = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (!zbar.isEmpty()) {
        ASSERT_TRUE(WaitUntil([&] { return room.Label(QStringLiteral("screen")) == QLatin1String("portal"); }));
        EXPECT_EQ(room.ScanCode(), address);
    }

    Phone phone(address);
    const Answer page = phone.Get(QStringLiteral("/?t=") + phone.Token(), false);
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains("<title>KTV</title>"));
    ASSERT_TRUE(phone.Connect());
    ASSERT_TRUE(Phone::WaitFor([&] { return !phone.Last(QStringLiteral("state")).isEmpty(); }));
    EXPECT_EQ(phone.Last(QStringLiteral("state")).value(QStringLiteral("lang")).toString(), QStringLiteral("zh"));

    // "bj" finds songs whose initials begin so.
    Answer found;
    ASSERT_TRUE(Phone::WaitFor([&] {
        found = phone.Get(QStringLiteral("/api/search?q=bj"));
        return found.status != 503;
    }));
    ASSERT_EQ(found.status, 200) << found.body.constData();
    const QJsonArray items = found.json().value(QStringLiteral("items")).toArray();
    ASSERT_GE(items.size(), 3);
    QStringList songs;
    for (const QJsonValue& v : items) {
        const QString no = v.toObject().value(QStringLiteral("no")).toString();
        const QStringList initials =
            Query(room.station(), QStringLiteral("select First_Char from original where SONGNO=?"), {no});
        ASSERT_EQ(initials.size(), 1);
        EXPECT_TRUE(initials[0].startsWith(QLatin1String("BJ"))) << qPrintable(no + u' ' + initials[0]);
        songs << no;
    }

    // Three orders: the first plays, the other two wait; each is in the
    // queue file, has its history row and reaches the phone by itself.
    for (int i = 0; i < 3; ++i) {
        const Answer ordered = phone.Post(QStringLiteral("/api/order"), QJsonObject{{QStringLiteral("no"), songs[i]}});
        ASSERT_EQ(ordered.status, 200) << ordered.body.constData();
        if (i == 0) {
            ASSERT_TRUE(
                Phone::WaitFor([&] { return Playing(phone.Last(QStringLiteral("queue"))) == songs[0]; }, 15000));
        }
    }
    ASSERT_TRUE(Phone::WaitFor([&] {
        return Waiting(phone.Last(QStringLiteral("queue"))) == QStringList({songs[1], songs[2]});
    }));
    EXPECT_TRUE(WaitUntil([&] { return room.station().HistoryRows(songs[2]) == 1; }));

    // Sing next: the third moves in front of the second, on the phone and
    // in the file the player reads.
    const QJsonObject third =
        phone.Last(QStringLiteral("queue")).value(QStringLiteral("items")).toArray()[1].toObject();
    const Answer moved = phone.Post(QStringLiteral("/api/first"), third);
    ASSERT_EQ(moved.status, 200) << moved.body.constData();
    ASSERT_TRUE(Phone::WaitFor([&] {
        return Waiting(phone.Last(QStringLiteral("queue"))) == QStringList({songs[2], songs[1]});
    }));
    const QJsonObject next = phone.Last(QStringLiteral("queue")).value(QStringLiteral("next")).toObject();
    EXPECT_EQ(next.value(QStringLiteral("no")).toString(), songs[2]);
    qint64 numThird = 0, numSecond = 0;
    for (const QueueEntry& e : room.station().Queue()) {
        if (e.songNo == songs[2] && e.playing == QLatin1String("0"))
            numThird = e.num;
        if (e.songNo == songs[1] && e.playing == QLatin1String("0"))
            numSecond = e.num;
    }
    EXPECT_TRUE(numThird > 0 && numThird < numSecond);

    // The terminal's ordered-songs screen shows the same order.
    ASSERT_TRUE(room.station().PostKey(kPlaylistKey));
    ASSERT_TRUE(WaitUntil([&] { return room.Label(QStringLiteral("screen")) == QLatin1String("frmorder"); }));
    const QString name2 =
        Query(room.station(), QStringLiteral("select Name from original where SONGNO=?"), {songs[2]})[0];
    EXPECT_TRUE(WaitUntil([&] { return room.Label(QStringLiteral("songname0")).contains(name2); }));

    // Delete: the second leaves the queue.
    const QJsonObject second =
        phone.Last(QStringLiteral("queue")).value(QStringLiteral("items")).toArray()[1].toObject();
    ASSERT_EQ(phone.Post(QStringLiteral("/api/delete"), second).status, 200);
    ASSERT_TRUE(
        Phone::WaitFor([&] { return Waiting(phone.Last(QStringLiteral("queue"))) == QStringList({songs[2]}); }));

    // Skip: the player moves on to the next song, and the phone sees it.
    ASSERT_EQ(
        phone.Post(QStringLiteral("/api/control"), QJsonObject{{QStringLiteral("action"), QStringLiteral("skip")}})
            .status,
        200);
    EXPECT_TRUE(Phone::WaitFor([&] { return Playing(phone.Last(QStringLiteral("queue"))) == songs[2]; }, 15000));
    EXPECT_EQ(
        phone.Post(QStringLiteral("/api/control"), QJsonObject{{QStringLiteral("action"), QStringLiteral("volup")}})
            .status,
        200);
}

TEST(PhoneRemote, OldAndWrongTokensAndALockedRoomAreRefused)
{
    PhoneRoom room;
    ASSERT_TRUE(room.Ready());
    Phone phone(room.Address());
    ASSERT_FALSE(phone.Token().isEmpty());
    const QString song =
        Query(room.station(), QStringLiteral("select SONGNO from original where Lan_Type=1 limit 1"))[0];
    ASSERT_TRUE(phone.Connect());

    Phone stranger(room.Address());
    stranger.SetToken(QStringLiteral("0123456789"));
    EXPECT_EQ(stranger.Get(QStringLiteral("/api/queue")).status, 403);
    EXPECT_EQ(stranger.Post(QStringLiteral("/api/order"), QJsonObject{{QStringLiteral("no"), song}}).status, 403);
    EXPECT_EQ(stranger.Get(QStringLiteral("/?t=0123456789"), false).status, 403);
    EXPECT_FALSE(stranger.Connect());

    // The control server begins the room's time: a new booking, a new token.
    ASSERT_EQ(room.Control({QStringLiteral("time"), QStringLiteral("begin")}), 0);
    const QString renewed = room.Address(2);
    ASSERT_FALSE(renewed.isEmpty());
    EXPECT_TRUE(Phone::WaitFor([&] { return phone.Closed(); }));
    EXPECT_FALSE(phone.Last(QStringLiteral("expired")).isEmpty());
    EXPECT_EQ(phone.Post(QStringLiteral("/api/order"), QJsonObject{{QStringLiteral("no"), song}}).error(),
              QStringLiteral("token"));
    Phone guest(renewed);
    EXPECT_EQ(guest.Get(QStringLiteral("/api/queue")).status, 200);

    // Locked by the server: another token, and orders are refused with a reason.
    ASSERT_EQ(room.Control({QStringLiteral("cmd"), QStringLiteral("lock")}), 0);
    Phone locked(room.Address(3));
    const Answer refused = locked.Post(QStringLiteral("/api/order"), QJsonObject{{QStringLiteral("no"), song}});
    EXPECT_EQ(refused.status, 423);
    EXPECT_EQ(refused.error(), QStringLiteral("locked"));
    EXPECT_TRUE(Phone::WaitFor(
        [&] { return locked.Get(QStringLiteral("/api/state")).json().value(QStringLiteral("locked")).toBool(); }));
    EXPECT_TRUE(room.station().Queue().isEmpty());

    // Unlocked (same booking, same token): orders go through again.
    ASSERT_EQ(room.Control({QStringLiteral("cmd"), QStringLiteral("unlock")}), 0);
    ASSERT_TRUE(Phone::WaitFor([&] {
        return locked.Post(QStringLiteral("/api/order"), QJsonObject{{QStringLiteral("no"), song}}).status == 200;
    }));
    EXPECT_EQ(room.station().Queue().size(), 1);
}

TEST(PhoneRemote, TheCodeCarriesTheHostTheVenueSetOrTheNetworksAddress)
{
    // A computer with several networks: the venue names the one the phones
    // reach, and the code, the page and its live connection all use it.
    {
        PhoneRoom room({{QStringLiteral("PhoneHost"), QStringLiteral("localhost")}});
        ASSERT_TRUE(room.Ready());
        const QString address = room.Address();
        EXPECT_TRUE(address.startsWith(QStringLiteral("http://localhost:"))) << address.toStdString();
        Phone phone(address);
        EXPECT_EQ(phone.Get(QStringLiteral("/api/queue")).status, 200);
        EXPECT_TRUE(phone.Connect());
    }
    // A value that is not a host name is logged and left out: the code keeps
    // a usable address.
    PhoneRoom room({{QStringLiteral("PhoneHost"), QStringLiteral("evil.example/x?t=")}});
    ASSERT_TRUE(room.Ready());
    const QString address = room.Address();
    EXPECT_FALSE(address.contains(QStringLiteral("evil"))) << address.toStdString();
    EXPECT_TRUE(room.station().Log().contains(QStringLiteral("地址设置PhoneHost不可用")));
    EXPECT_EQ(Phone(address).Get(QStringLiteral("/api/queue")).status, 200);
}

TEST(PhoneRemote, MalformedAndHostileRequestsGetClearErrorsAndChangeNothing)
{
    PhoneRoom room;
    ASSERT_TRUE(room.Ready());
    Phone phone(room.Address());
    ASSERT_TRUE(Phone::WaitFor(
        [&] { return phone.Get(QStringLiteral("/api/state")).json().value(QStringLiteral("ready")).toBool(); }));
    const auto order = [&](const QByteArray& body) { return phone.Post(QStringLiteral("/api/order"), body); };

    EXPECT_EQ(order("{\"no\":").status, 400);
    EXPECT_EQ(order("[1,2]").status, 400);
    EXPECT_EQ(order("{\"no\":12}").status, 400);
    EXPECT_EQ(order("{\"no\":\"1' or '1'='1\"}").error(), QStringLiteral("song number"));
    EXPECT_EQ(order("{\"no\":\"99999\"}").error(), QStringLiteral("unknown song"));
    EXPECT_EQ(phone.Post(QStringLiteral("/api/first"), QByteArray("{\"no\":\"00001\",\"num\":\"x\"}")).status, 400);
    EXPECT_EQ(phone.Post(QStringLiteral("/api/control"), QByteArray("{\"action\":\"shutdown\"}")).status, 400);
    EXPECT_EQ(phone.Get(QStringLiteral("/api/order?no=00001")).status, 405);
    // A body past the limit ends the request without an answer or an order.
    const Answer huge = order(QByteArray("{\"no\":\"") + QByteArray(200 * 1024, 'a') + QByteArray("\"}"));
    EXPECT_TRUE(huge.status == 413 || huge.status == 0) << huge.status;
    // Search text is text, never SQL; paths never reach the file system.
    const Answer injected =
        phone.Get(QStringLiteral("/api/search?q=") +
                  QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral("x' or 1=1; drop table song; --"))));
    EXPECT_EQ(injected.status, 200);
    EXPECT_EQ(injected.json().value(QStringLiteral("total")).toInt(), 0);
    EXPECT_EQ(phone.Get(QStringLiteral("/../vod.ini")).status, 404);
    EXPECT_EQ(phone.Get(QStringLiteral("/%2e%2e/data/kroom.db")).status, 404);
    EXPECT_EQ(phone.Get(QStringLiteral("/api/photo?id=..%2F..%2Fvod.ini")).status, 404);
    EXPECT_EQ(phone.Get(QStringLiteral("/api/songs?by=lang&v=1%20or%201")).status, 400);
    // No function that needs a password on the terminal exists here.
    for (const char* path : {"/api/shutdown", "/api/lock", "/api/settings", "/api/food"})
        EXPECT_EQ(phone.Post(QString::fromLatin1(path), QByteArray("{}")).status, 405) << path;

    // A flood: refused with 429 once the budget is spent, then served again.
    int refused = 0;
    for (int i = 0; i < 80; ++i)
        refused += phone.Get(QStringLiteral("/api/queue")).status == 429 ? 1 : 0;
    EXPECT_GT(refused, 0);
    EXPECT_TRUE(Phone::WaitFor([&] { return phone.Get(QStringLiteral("/api/queue")).status == 200; }, 5000));

    EXPECT_TRUE(room.station().Queue().isEmpty());
    EXPECT_EQ(Query(room.station(), QStringLiteral("select count(*) from song"))[0].toInt(), 3000);
}

// The venue adds a song and the control server says "refresh db": the
// phones find it too, without the station starting again.
TEST(PhoneRemote, ARefreshedCatalogueReachesThePhones)
{
    PhoneRoom room;
    ASSERT_TRUE(room.Ready());
    Phone phone(room.Address());
    const QString initials = QStringLiteral("QXZY");
    Answer found;
    ASSERT_TRUE(Phone::WaitFor([&] {
        found = phone.Get(QStringLiteral("/api/search?q=") + initials);
        return found.status == 200;
    }));
    EXPECT_EQ(found.json().value(QStringLiteral("total")).toInt(), 0);

    {
        DbConnection db;
        db.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data/kroom.db"), room.station().Dir());
        db.Execute(QStringLiteral("insert into song (SongNo, FilePath) values ('99901', 'songs/99901.mpg')"));
        db.Execute(QStringLiteral("insert into original (SONGNO, Name, Singer_Nam, Lan_Type, Lan_Name, First_Char, "
                                  "TimesTotal) values ('99901', '新到的歌', '新歌手', 1, '国语', ?, 0)"),
                   {initials});
    }
    ASSERT_EQ(room.Control({QStringLiteral("refresh"), QStringLiteral("db")}), 0);
    ASSERT_TRUE(Phone::WaitFor([&] {
        found = phone.Get(QStringLiteral("/api/search?q=") + initials);
        return found.json().value(QStringLiteral("total")).toInt() == 1;
    }));
    const QJsonObject song = found.json().value(QStringLiteral("items")).toArray()[0].toObject();
    EXPECT_EQ(song.value(QStringLiteral("name")).toString(), QStringLiteral("新到的歌"));
    EXPECT_EQ(
        phone.Post(QStringLiteral("/api/order"), QJsonObject{{QStringLiteral("no"), QStringLiteral("99901")}}).status,
        200);
    EXPECT_TRUE(WaitUntil([&] { return room.station().HistoryRows(QStringLiteral("99901")) == 1; }));
}

// The terminal's rules hold for phones: in a hotel a priced song is shown
// with its price and cannot be ordered, adult and dance films stay hidden
// until the control server switches them on, and in a hall the orders go
// into the shared queue table, each with its history row.
TEST(PhoneRemote, TheTerminalsRulesHoldForPhonesInAHotelHall)
{
    const auto addSong = [](DbConnection& db, const char* no, int lanType, double price) {
        db.Execute(QStringLiteral("insert into song (SongNo, FilePath) values (?, 'songs/x.mpg')"),
                   {QLatin1String(no)});
        db.Execute(QStringLiteral("insert into original (SONGNO, Name, Singer_Nam, Lan_Type, Lan_Name, First_Char, "
                                  "Price, TimesTotal) values (?, ?, '歌手', ?, '其他', 'CSG', ?, 0)"),
                   {QLatin1String(no), QStringLiteral("测试歌") + QLatin1String(no), lanType, price});
    };
    PhoneRoom room({{QStringLiteral("HotelVod"), QStringLiteral("1")},
                    {QStringLiteral("Sex"), QStringLiteral("0")},
                    {QStringLiteral("Disco"), QStringLiteral("0")},
                    {QStringLiteral("SaloonMode"), QStringLiteral("1")},
                    {QStringLiteral("SaloonComputer"), QStringLiteral("another-computer")}},
                   600000, [&](const Station& station) {
                       DbConnection db;
                       db.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data/kroom.db"),
                               station.Dir());
                       addSong(db, "99930", 1, 5);
                       addSong(db, "99920", 20, 0);
                       addSong(db, "99921", 21, 0);
                       addSong(db, "99901", 1, 0);
                   });
    ASSERT_TRUE(room.Ready());
    Phone phone(room.Address());
    const auto search = [&](const QString& text) {
        return phone.Get(QStringLiteral("/api/search?q=") + text).json().value(QStringLiteral("items")).toArray();
    };
    const auto order = [&](const char* no) {
        return phone.Post(QStringLiteral("/api/order"), QJsonObject{{QStringLiteral("no"), QLatin1String(no)}});
    };
    ASSERT_TRUE(Phone::WaitFor(
        [&] { return phone.Get(QStringLiteral("/api/state")).json().value(QStringLiteral("ready")).toBool(); }));

    const QJsonArray priced = search(QStringLiteral("99930"));
    ASSERT_EQ(priced.size(), 1);
    EXPECT_EQ(priced[0].toObject().value(QStringLiteral("price")).toDouble(), 5.0);
    const Answer refused = order("99930");
    EXPECT_EQ(refused.status, 403);
    EXPECT_EQ(refused.error(), QStringLiteral("priced"));

    for (const char* film : {"99920", "99921"}) {
        EXPECT_TRUE(search(QLatin1String(film)).isEmpty()) << film;
        EXPECT_EQ(order(film).status, 404) << film;
    }
    ASSERT_EQ(room.Control({QStringLiteral("sex"), QStringLiteral("1")}), 0);
    ASSERT_TRUE(Phone::WaitFor([&] { return search(QStringLiteral("99920")).size() == 1; }));
    EXPECT_TRUE(search(QStringLiteral("99921")).isEmpty());
    ASSERT_TRUE(phone.Connect());

    for (const char* no : {"99901", "99920"})
        EXPECT_EQ(order(no).status, 200) << no;
    const auto hallQueue = [&] {
        return Query(room.station(), QStringLiteral("select SongNo from \"order\" order by Num"));
    };
    EXPECT_TRUE(WaitUntil([&] {
        return hallQueue() == QStringList({QStringLiteral("99901"), QStringLiteral("99920")});
    })) << qPrintable(hallQueue().join(u' '));
    EXPECT_TRUE(room.station().Queue().isEmpty());
    EXPECT_TRUE(Phone::WaitFor([&] {
        const QJsonObject queue = phone.Last(QStringLiteral("queue"));
        QStringList all = Waiting(queue);
        const QString playing =
            queue.value(QStringLiteral("playing")).toObject().value(QStringLiteral("no")).toString();
        if (!playing.isEmpty())
            all.prepend(playing);
        return all == QStringList({QStringLiteral("99901"), QStringLiteral("99920")});
    }));
    EXPECT_TRUE(WaitUntil([&] { return room.station().HistoryRows(QStringLiteral("99920")) == 1; }));
}

// Pictures for the README (only with VOD_SHOTS): the portal and the ordered
// songs with the room's code in both languages, and the phone's search and
// queue pages as a headless Chromium draws them (when it is installed).
TEST(PhoneRemote, Screenshots)
{
    const QString shots = qEnvironmentVariable("VOD_SHOTS");
    if (shots.isEmpty())
        GTEST_SKIP() << "VOD_SHOTS names no folder";
    QDir().mkpath(shots);
    const auto keep = [&](const QString& from, const QString& name) {
        QFile::remove(shots + u'/' + name);
        return QFile::copy(from, shots + u'/' + name);
    };
    {
        PhoneRoom room;
        ASSERT_TRUE(room.Ready());
        Phone phone(room.Address());
        ASSERT_TRUE(WaitUntil([&] { return room.Label(QStringLiteral("screen")) == QLatin1String("portal"); }));
        QThread::msleep(500);
        ASSERT_TRUE(keep(room.Shot(), QStringLiteral("phone-portal-zh.png")));
        ASSERT_TRUE(Phone::WaitFor(
            [&] { return phone.Get(QStringLiteral("/api/state")).json().value(QStringLiteral("ready")).toBool(); }));
        const QJsonArray found =
            phone.Get(QStringLiteral("/api/search?q=bj")).json().value(QStringLiteral("items")).toArray();
        for (int i = 0; i < 4 && i < found.size(); ++i)
            phone.Post(QStringLiteral("/api/order"),
                       QJsonObject{{QStringLiteral("no"), found[i].toObject().value(QStringLiteral("no"))}});
        ASSERT_TRUE(room.station().PostKey(kPlaylistKey));
        ASSERT_TRUE(WaitUntil([&] { return room.Label(QStringLiteral("screen")) == QLatin1String("frmorder"); }));
        QThread::msleep(3500);
        ASSERT_TRUE(keep(room.Shot(), QStringLiteral("phone-ordered-zh.png")));

        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        for (const auto& [hash, name] :
             {std::pair{"#q=bj", "phone-search.png"}, std::pair{"#tab=queue", "phone-queue.png"}}) {
            if (chromium.isEmpty())
                break;
            QProcess browser;
            browser.start(chromium,
                          {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                           QStringLiteral("--disable-gpu"), QStringLiteral("--hide-scrollbars"),
                           QStringLiteral("--window-size=390,760"), QStringLiteral("--virtual-time-budget=5000"),
                           QStringLiteral("--screenshot=") + shots + u'/' + QLatin1String(name),
                           phone.Url(QStringLiteral("/?t=") + phone.Token() + QLatin1String(hash)).toString()});
            EXPECT_TRUE(browser.waitForFinished(60000));
        }
    }
    PhoneRoom english({{QStringLiteral("LangType"), QStringLiteral("0")}});
    ASSERT_TRUE(english.Ready());
    Phone phone(english.Address());
    EXPECT_EQ(phone.Get(QStringLiteral("/api/state")).json().value(QStringLiteral("lang")).toString(),
              QStringLiteral("en"));
    ASSERT_TRUE(WaitUntil([&] { return english.Label(QStringLiteral("screen")) == QLatin1String("portal"); }));
    QThread::msleep(500);
    ASSERT_TRUE(keep(english.Shot(), QStringLiteral("phone-portal-en.png")));
}
