#include "CatalogueFixture.h"
#include "core/Setting.h"
#include "support/TestPg.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <thread>

using namespace cattest;

namespace {

struct HistoryRow
{
    QString songNo, userId, ip, clickTime;
    int times = 0;
};

std::vector<HistoryRow> History(DbConnection& db)
{
    std::vector<HistoryRow> out;
    QSqlQuery q = db.Query(QStringLiteral("SELECT SongNo, Times, ClickTime, UserId, Ip FROM timesDetail ORDER BY id"));
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(3).toString(), q.value(4).toString(), q.value(2).toString(),
                       q.value(1).toInt()});
    return out;
}

// "Num:SongNo" of the queue view in its order.
QStringList Queue(DataSet& queue)
{
    QStringList out;
    for (queue.First(); !queue.Eof(); queue.Next())
        out.append(queue.FieldByName(QStringLiteral("Num")).AsString() + u':' +
                   queue.FieldByName(QStringLiteral("SongNo")).AsString());
    return out;
}

class PlayQueueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::vector<DemoSong> songs = {
            MakeSong(QStringLiteral("000001"), QStringLiteral("Song"), QStringLiteral("Singer A"), 1),
            MakeSong(QStringLiteral("000002"), QStringLiteral("Film"), QStringLiteral("Singer B"), 20),
            MakeSong(QStringLiteral("000003"), QStringLiteral("Dance"), QStringLiteral("Singer C"), 21),
            MakeSong(QStringLiteral("000004"), QStringLiteral("Other"), QStringLiteral("Singer D"), 2),
            MakeSong(QStringLiteral("000005"), QStringLiteral("Fifth"), QStringLiteral("Singer E"), 1),
        };
        songs[0].voicePos = 0.5;
        songs[0].price = 2.5;
        InsertCatalogue(in.Db(), {}, songs);
    }

    void Start()
    {
        data = in.Open();
        ASSERT_TRUE(data->CreateError().isEmpty()) << qPrintable(data->CreateError());
        data->WaitForLoader();
    }

    // Orders the songs with these numbers in turn.
    void Order(const QStringList& numbers)
    {
        for (const QString& n : numbers)
            ASSERT_TRUE(data->OrderSongByNumber(n)) << qPrintable(n);
    }

    Installation in;
    std::unique_ptr<TFrmData> data;
};

TEST_F(PlayQueueTest, OrderingAppendsBehindTheLastAndWritesHistory)
{
    Start();
    DataSet& q = *data->m_pOrder;
    data->m_pFilter->SetLanguage(QStringLiteral("1"));
    ASSERT_TRUE(data->CD_Song.Locate(QStringLiteral("SongNo"), QStringLiteral("000001")));
    data->OrderSong();
    EXPECT_EQ(Queue(q), QStringList{QStringLiteral("1:000001")});
    data->OrderSong(&data->CD_Song); // the same song again
    EXPECT_EQ(Queue(q), (QStringList{QStringLiteral("1:000001"), QStringLiteral("2:000001")}));

    q.First();
    EXPECT_EQ(q.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("Song"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("Singer_nam")).AsString(), QStringLiteral("Singer A"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("FilePath")).AsString(), QStringLiteral("Songs/000001.mpg"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("Lan_Type")).AsString(), QStringLiteral("1"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("Disc_No")).AsString(), QStringLiteral("01"));
    EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("Voice_pos")).AsFloat(), 0.5);
    EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("Price")).AsFloat(), 2.5);
    EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("Song_Vol")).AsFloat(), 50);
    EXPECT_EQ(q.FieldByName(QStringLiteral("Playing")).AsString(), QStringLiteral("0"));

    const auto history = (data->FlushHistory(), History(in.Db()));
    ASSERT_EQ(history.size(), 2u);
    for (const HistoryRow& h : history) {
        EXPECT_EQ(h.songNo, QStringLiteral("000001"));
        EXPECT_EQ(h.times, 1);
        EXPECT_EQ(h.userId, QString()); // nobody logged in
        EXPECT_EQ(h.ip, ComputerName());
        // The embedded catalogue writes the date of the order without a time.
        EXPECT_EQ(h.clickTime, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    }
    // The user filter and position of the song view are the guest's own.
    EXPECT_EQ(data->CD_Song.Filter(), QStringLiteral("Lan_Type=1"));
}

TEST_F(PlayQueueTest, HistoryValuesAreBoundNotSpliced)
{
    Start();
    data->m_sUserId = QStringLiteral("o'brien'); DELETE FROM song; --");
    Order({QStringLiteral("000004")});
    const auto history = (data->FlushHistory(), History(in.Db()));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].userId, data->m_sUserId);
    EXPECT_EQ(in.Db().Scalar(QStringLiteral("SELECT count(*) FROM song")).toInt(), 5);
}

TEST_F(PlayQueueTest, FailingHistoryKeepsTheOrder)
{
    Start();
    in.Db().Execute(QStringLiteral("DROP TABLE timesDetail"));
    Order({QStringLiteral("000001"), QStringLiteral("000002")});
    data->FlushHistory();
    EXPECT_EQ(Queue(*data->m_pOrder), (QStringList{QStringLiteral("1:000001"), QStringLiteral("2:000002")}));
    // The rows of orders given while the catalogue is busy are all written.
    in.Db().Execute(
        QStringLiteral("CREATE TABLE timesDetail (id INTEGER PRIMARY KEY AUTOINCREMENT, SongNo "
                       "VARCHAR(10), Times INTEGER, ClickTime DATETIME, UserId VARCHAR(20), Ip VARCHAR(50))"));
    in.Db().Begin();
    in.Db().Execute(QStringLiteral("INSERT INTO timesDetail (SongNo) VALUES ('x')"));
    for (int i = 0; i < 20; ++i)
        Order({QStringLiteral("000003")});
    in.Db().Commit();
    data->FlushHistory();
    EXPECT_EQ(in.Db().Scalar(QStringLiteral("SELECT count(*) FROM timesDetail WHERE SongNo='000003'")).toInt(), 20);
}

TEST_F(PlayQueueTest, OrderByNumberRestoresTheViewAndRefusesUnknownSongs)
{
    Start();
    data->m_pFilter->SetLanguage(QStringLiteral("2"));
    ASSERT_EQ(data->CD_Song.RecordCount(), 1);
    EXPECT_TRUE(data->OrderSongByNumber(QStringLiteral("000005")));
    EXPECT_TRUE(data->CD_Song.Filtered());
    EXPECT_EQ(data->CD_Song.RecordCount(), 1);
    EXPECT_EQ(data->CD_Song.FieldByName(QStringLiteral("SongNo")).AsString(), QStringLiteral("000004"));
    EXPECT_FALSE(data->OrderSongByNumber(QStringLiteral("999999")));
    EXPECT_EQ(Queue(*data->m_pOrder), QStringList{QStringLiteral("1:000005")});
    EXPECT_EQ((data->FlushHistory(), History(in.Db())).size(), 1u);

    EXPECT_EQ(data->LookupSongField(QStringLiteral("000003"), QStringLiteral("Name")), QStringLiteral("Dance"));
    EXPECT_EQ(data->LookupSongField(QStringLiteral("000003"), QStringLiteral("NoSuchField")), QString());
    EXPECT_EQ(data->LookupSongField(QStringLiteral("999999"), QStringLiteral("Name")), QString());
    EXPECT_EQ(data->CD_Song.RecordCount(), 1);
}

TEST_F(PlayQueueTest, MoveToFrontRenumbersKeepingTheOrder)
{
    Start();
    DataSet& q = *data->m_pOrder;
    Order({QStringLiteral("000001"), QStringLiteral("000002"), QStringLiteral("000003"), QStringLiteral("000004")});
    ASSERT_TRUE(data->IsQueued(QStringLiteral("000003")));
    data->MoveToFront();
    EXPECT_EQ(Queue(q), (QStringList{QStringLiteral("1:000003"), QStringLiteral("2:000001"), QStringLiteral("3:000002"),
                                     QStringLiteral("4:000004")}));
    for (q.First(); !q.Eof(); q.Next())
        EXPECT_EQ(q.FieldByName(QStringLiteral("Flag")).AsString(), QString());

    // The front entry, and a queue of one, stay as they are.
    ASSERT_TRUE(data->IsQueued(QStringLiteral("000003")));
    data->MoveToFront();
    EXPECT_EQ(Queue(q).first(), QStringLiteral("1:000003"));
    EXPECT_FALSE(data->IsQueued(QStringLiteral("000005")));
}

TEST_F(PlayQueueTest, MoveToFrontWithGapsEndsAtTheHighestNumber)
{
    for (auto [num, no] : {std::pair{1, "000001"}, {5, "000002"}, {9, "000003"}, {12, "000004"}})
        in.AddQueueRow(QString::fromLatin1(no), QStringLiteral("x"), num, QStringLiteral("0"));
    Start();
    ASSERT_TRUE(data->IsQueued(QStringLiteral("000003")));
    data->MoveToFront();
    EXPECT_EQ(Queue(*data->m_pOrder), (QStringList{QStringLiteral("1:000003"), QStringLiteral("10:000001"),
                                                   QStringLiteral("11:000002"), QStringLiteral("12:000004")}));
    data->OrderSongByNumber(QStringLiteral("000005"));
    EXPECT_EQ(Queue(*data->m_pOrder).last(), QStringLiteral("13:000005"));
}

TEST_F(PlayQueueTest, SingleEntryDoesNotMove)
{
    in.AddQueueRow(QStringLiteral("000002"), QStringLiteral("x"), 7, QStringLiteral("0"));
    Start();
    data->MoveToFront();
    EXPECT_EQ(Queue(*data->m_pOrder), QStringList{QStringLiteral("7:000002")});
}

TEST_F(PlayQueueTest, DeleteAndClearMarkEntriesAndNeverTouchThePlayingOne)
{
    in.AddQueueRow(QStringLiteral("000005"), QStringLiteral("x"), 1, QStringLiteral("2"));
    Start();
    Order({QStringLiteral("000001"), QStringLiteral("000002"), QStringLiteral("000003"), QStringLiteral("000004"),
           QStringLiteral("000005")});
    // The player takes the front entry meanwhile.
    {
        DataSet& q = *data->m_pOrder;
        q.First();
        q.Edit();
        q.FieldByName(QStringLiteral("Playing")).SetAsString(QStringLiteral("1"));
        q.Post();
    }
    ASSERT_TRUE(data->IsQueued(QStringLiteral("000004")));
    data->DeleteCurrent();
    EXPECT_EQ(Queue(*data->m_pOrder),
              (QStringList{QStringLiteral("2:000002"), QStringLiteral("3:000003"), QStringLiteral("5:000005")}));

    data->ClearQueue(/*filmsOnly=*/true);
    EXPECT_EQ(Queue(*data->m_pOrder), QStringList{QStringLiteral("5:000005")});
    data->ClearQueue(false);
    EXPECT_TRUE(data->m_pOrder->IsEmpty());
    data->DeleteCurrent(); // empty queue: nothing to do
    data->m_pPlaying->Refresh();
    EXPECT_EQ(Column(*data->m_pPlaying, QStringLiteral("SongNo")), QStringList{QStringLiteral("000001")});
    data->m_pSing->Refresh();
    EXPECT_EQ(Column(*data->m_pSing, QStringLiteral("SongNo")), QStringList{QStringLiteral("000005")});
}

TEST_F(PlayQueueTest, FailingOrderReleasesTheLockAndLeavesNoPendingEntry)
{
    Start();
    DataSet partial;
    partial.SetConnection(&data->ado);
    partial.SetCommandText(QStringLiteral("SELECT SongNo, Name FROM original"));
    partial.Open();
    EXPECT_THROW(data->OrderSong(&partial), Exception);
    EXPECT_EQ(data->m_pOrder->GetState(), DataSet::State::Browse);
    EXPECT_TRUE(data->m_pOrder->IsEmpty());
    bool free = false;
    std::thread([&] {
        free = data->Lock().try_lock();
        if (free)
            data->Lock().unlock();
    }).join();
    EXPECT_TRUE(free);
}

TEST(PlayQueueHall, SharedTableNamesTheRoomAndUsesTheServerDate)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    Installation in(/*postgres=*/true);
    InsertCatalogue(in.Db(), {},
                    {MakeSong(QStringLiteral("000001"), QStringLiteral("Song"), QStringLiteral("A"), 1),
                     MakeSong(QStringLiteral("000002"), QStringLiteral("Film"), QStringLiteral("B"), 20)});
    in.SetSetting(QStringLiteral("SaloonMode"), QStringLiteral("1"));
    in.SetSetting(QStringLiteral("SaloonComputer"), QStringLiteral("another-computer"));
    // A computer name that merely starts like this one's is another computer;
    // the room table may spell the name in capitals.
    in.Db().Execute(QStringLiteral("INSERT INTO Room (RoomId, RoomName, RoomComputer) VALUES ('0','A00',?)"),
                    {ComputerName() + QStringLiteral("x")});
    in.Db().Execute(QStringLiteral("INSERT INTO Room (RoomId, RoomName, RoomComputer) VALUES ('1','A01',?)"),
                    {ComputerName().toUpper()});
    // Another room's entry in the shared table.
    in.Db().Execute(QStringLiteral("INSERT INTO \"order\" (Name, SongNo, Num, Playing, Lan_Type) VALUES "
                                   "('[B02]:x','000002',4,'0','20')"));
    auto data = in.Open();
    ASSERT_TRUE(data->CreateError().isEmpty()) << qPrintable(data->CreateError());
    EXPECT_FALSE(data->m_bJet);
    EXPECT_EQ(in.PlayerStarts(), 0); // another computer of the hall starts the player
    EXPECT_EQ(data->m_pOrder, &data->ado_Order);
    EXPECT_EQ(data->m_sRoomName, QStringLiteral("A01"));
    data->WaitForLoader();

    ASSERT_TRUE(data->OrderSongByNumber(QStringLiteral("000001")));
    QSqlQuery q = in.Db().Query(QStringLiteral("SELECT Name, Num, Playing FROM \"order\" WHERE SongNo='000001'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("[A01]:Song"));
    EXPECT_EQ(q.value(1).toInt(), 5);
    EXPECT_EQ(q.value(2).toString(), QStringLiteral("0"));

    const auto history = (data->FlushHistory(), History(in.Db()));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].ip, ComputerName());
    EXPECT_TRUE(in.Db()
                    .Scalar(QStringLiteral("SELECT count(*) FROM timesDetail WHERE ClickTime > "
                                           "LOCALTIMESTAMP - interval '1 hour'"))
                    .toInt() == 1);

    ASSERT_TRUE(data->IsQueued(QStringLiteral("000001")));
    data->MoveToFront();
    EXPECT_EQ(Queue(*data->m_pOrder), (QStringList{QStringLiteral("1:000001"), QStringLiteral("4:000002")}));
    data->ClearQueue(true);
    EXPECT_EQ(Queue(*data->m_pOrder), QStringList{QStringLiteral("1:000001")});
    EXPECT_EQ(in.Db().Scalar(QStringLiteral("SELECT Playing FROM \"order\" WHERE SongNo='000002'")).toString(),
              QStringLiteral("5"));
}

TEST(PlayQueueHall, NoRoomRowKeepsPlainNamesAndTheHallComputerStartsThePlayer)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    Installation in(/*postgres=*/true);
    InsertCatalogue(in.Db(), {}, {MakeSong(QStringLiteral("000001"), QStringLiteral("Song"), QStringLiteral("A"), 1)});
    in.SetSetting(QStringLiteral("SaloonMode"), QStringLiteral("1"));
    in.SetSetting(QStringLiteral("SaloonComputer"), ComputerName());
    auto data = in.Open();
    EXPECT_EQ(in.PlayerStarts(), 1);
    EXPECT_TRUE(data->m_sRoomName.isEmpty());
    ASSERT_TRUE(data->OrderSongByNumber(QStringLiteral("000001")));
    EXPECT_EQ(in.Db().Scalar(QStringLiteral("SELECT Name FROM \"order\"")).toString(), QStringLiteral("Song"));
}

} // namespace
