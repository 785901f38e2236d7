// The play queue under faults of its surroundings: a damaged queue file, a
// queue file another process keeps locked, an entry the player takes while
// the guest deletes it, a catalogue value the queue cannot hold, and a
// history row the catalogue refuses.
#include "CatalogueFixture.h"
#include "core/Gbk.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "platform/dbase/DbfTable.h"
#include "support/ChildProcess.h"
#include "support/FileBytes.h"
#include "support/TestPg.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

using namespace cattest;

namespace {

QStringList DamagedCopies(Installation& in)
{
    return QDir(in.DataDir()).entryList({QStringLiteral("order.damaged-*.dbf")}, QDir::Files);
}

QString Log(Installation& in)
{
    return ToWide(testsupport::ReadBytes(in.ExeDir() + QStringLiteral("LogVod.txt")));
}

// Messages the station shows the guest.
struct Shown
{
    Shown()
    {
        TFrmDataHooks hooks;
        hooks.showMessage = [this](const QString& text) { texts << text; };
        SetFrmDataHooks(std::move(hooks));
    }
    ~Shown() { SetFrmDataHooks(TFrmDataHooks()); }
    QStringList texts;
};

// A second process that holds the queue file's lock until it is ended (as a
// hung player would).
class LockHolder : public testsupport::ChildProcess
{
public:
    explicit LockHolder(const QString& file)
        : ChildProcess(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"),
                                                            QStringLiteral("import fcntl, os, sys, time\n"
                                                                           "fd = os.open(sys.argv[1], os.O_RDWR)\n"
                                                                           "fcntl.lockf(fd, fcntl.LOCK_EX)\n"
                                                                           "print('locked', flush=True)\n"
                                                                           "time.sleep(120)\n"),
                                                            file})
    {
    }
};

class QueueFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::vector<DemoSong> songs;
        for (int i = 1; i <= 4; ++i)
            songs.push_back(MakeSong(QStringLiteral("00000%1").arg(i), QStringLiteral("Song %1").arg(i),
                                     QStringLiteral("Singer"), 1));
        songs[3].price = 1e13; // wider than the queue's price column
        InsertCatalogue(in.Db(), {}, songs);
        in.SetSetting(QStringLiteral("Debug"), QStringLiteral("1"));
        ResetLogForTests();
    }
    QString File() { return in.DataDir() + QStringLiteral("order.dbf"); }

    Installation in;
};

} // namespace

// A header counting more records than the file holds, and a cut last record:
// every whole record is kept, the damaged file is kept beside the queue, the
// log says what was done, and the backup is not used.
TEST_F(QueueFaults, DamagedQueueFileIsMendedNotReplaced)
{
    for (int i = 1; i <= 9; ++i)
        in.AddQueueRow(QStringLiteral("00000%1").arg(i), QStringLiteral("Q%1").arg(i), i, QStringLiteral("0"));
    const QByteArray whole = testsupport::ReadBytes(File());
    const int recordLength = int(quint8(whole[10]) | quint8(whole[11]) << 8);

    QByteArray wrongCount = whole;
    wrongCount[4] = char(40); // 40 records counted, 9 there
    QByteArray cutTail = whole.left(whole.size() - 1 - recordLength / 2);
    for (const auto& [what, bytes, kept] :
         {std::tuple{"wrong count", wrongCount, 9}, std::tuple{"cut tail", cutTail, 8}}) {
        SCOPED_TRACE(what);
        testsupport::WriteBytes(File(), bytes);
        for (const QString& old : DamagedCopies(in))
            QFile::remove(in.DataDir() + old);
        auto data = in.Open();
        ASSERT_TRUE(data->CreateError().isEmpty()) << qPrintable(data->CreateError());
        EXPECT_EQ(data->m_pOrder->RecordCount(), kept);
        ASSERT_EQ(DamagedCopies(in).size(), 1);
        EXPECT_EQ(testsupport::ReadBytes(in.DataDir() + DamagedCopies(in).first()), bytes);
        EXPECT_TRUE(Log(in).contains(QStringLiteral("已修复"))) << qPrintable(Log(in));
        // The mended file goes on taking orders.
        ASSERT_TRUE(data->OrderSongByNumber(QStringLiteral("000001")));
        EXPECT_EQ(Column(*data->m_pOrder, QStringLiteral("Num")).last(), QString::number(kept + 1));
        data.reset();
        ResetLogForTests();
    }

    // Nothing readable: the backup, with the damaged file kept and logged.
    testsupport::WriteBytes(File(), QByteArray("not a table at all"));
    for (const QString& old : DamagedCopies(in))
        QFile::remove(in.DataDir() + old);
    auto data = in.Open();
    EXPECT_TRUE(data->CreateError().isEmpty());
    EXPECT_TRUE(data->m_pOrder->Active());
    EXPECT_TRUE(data->m_pOrder->IsEmpty());
    ASSERT_EQ(DamagedCopies(in).size(), 1);
    EXPECT_TRUE(Log(in).contains(QStringLiteral("改用备份"))) << qPrintable(Log(in));
}

// A hung player holding the queue file's lock: start-up waits a bounded time,
// logs it and comes up with the queue unavailable; ordering tells the guest;
// once the lock is gone ordering works again.
TEST_F(QueueFaults, QueueFileLockedByAnotherProcess)
{
    Shown shown;
    auto holder = std::make_unique<LockHolder>(File());
    ASSERT_EQ(holder->WaitLine(QStringLiteral("locked")), QStringLiteral("locked")) << qPrintable(holder->Errors());
    QElapsedTimer timer;
    timer.start();
    auto data = in.Open();
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_TRUE(data->CreateError().isEmpty()) << qPrintable(data->CreateError());
    EXPECT_TRUE(data->CD_Song.Active()); // the rest of the station is up
    ASSERT_NE(data->m_pOrder, nullptr);
    EXPECT_FALSE(data->m_pOrder->Active());
    EXPECT_TRUE(Log(in).contains(QStringLiteral("队列文件被占用"))) << qPrintable(Log(in));
    data->WaitForLoader();

    timer.restart();
    EXPECT_TRUE(data->OrderSongByNumber(QStringLiteral("000001")));
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(shown.texts, QStringList{g_pSetting->Texts.QueueBusy});

    holder.reset();
    EXPECT_TRUE(data->OrderSongByNumber(QStringLiteral("000002")));
    ASSERT_TRUE(data->m_pOrder->Active());
    EXPECT_EQ(Column(*data->m_pOrder, QStringLiteral("SongNo")), QStringList{QStringLiteral("000002")});

    // Locked while running: each operation gives up in bounded time and the
    // guest is told; the queue is untouched.
    holder = std::make_unique<LockHolder>(File());
    ASSERT_EQ(holder->WaitLine(QStringLiteral("locked")), QStringLiteral("locked"));
    timer.restart();
    data->OrderSongByNumber(QStringLiteral("000003"));
    ASSERT_TRUE(data->IsQueued(QStringLiteral("000002")));
    data->DeleteCurrent();
    data->ClearQueue(false);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(shown.texts.size(), 4);
    holder.reset();
    data->m_pOrder->Refresh();
    EXPECT_EQ(Column(*data->m_pOrder, QStringLiteral("SongNo")), QStringList{QStringLiteral("000002")});
}

// The guest deletes an entry the player has started meanwhile: the player's
// state stands, the song plays on and is listed as sung afterwards.
TEST_F(QueueFaults, DeleteDoesNotUndoThePlayersStart)
{
    auto data = in.Open();
    data->WaitForLoader();
    ASSERT_TRUE(data->OrderSongByNumber(QStringLiteral("000001")));
    ASSERT_TRUE(data->OrderSongByNumber(QStringLiteral("000002")));
    ASSERT_TRUE(data->IsQueued(QStringLiteral("000001"))); // the guest's view, read before the player starts
    testsupport::ChildProcess player(
        testsupport::ExeDir() + QStringLiteral("/vodplayer"),
        {QStringLiteral("--headless"), QStringLiteral("--caption"), testsupport::UniqueName(QStringLiteral("player")),
         QStringLiteral("--client-caption"), testsupport::UniqueName(QStringLiteral("station")),
         QStringLiteral("--queue"), File(), QStringLiteral("--song-ms"), QStringLiteral("1500"),
         QStringLiteral("--poll-ms"), QStringLiteral("20")});
    ASSERT_FALSE(player.WaitLine(QStringLiteral("play 1")).isEmpty()) << qPrintable(player.Errors());
    EXPECT_FALSE(data->DeleteCurrent());
    EXPECT_EQ(Column(*data->m_pOrder, QStringLiteral("SongNo")), QStringList{QStringLiteral("000002")});
    ASSERT_FALSE(player.WaitLine(QStringLiteral("done 1")).isEmpty());
    data->m_pSing->Refresh();
    EXPECT_EQ(Column(*data->m_pSing, QStringLiteral("SongNo")), QStringList{QStringLiteral("000001")});
    // A waiting entry is still deleted.
    ASSERT_TRUE(data->OrderSongByNumber(QStringLiteral("000003")));
    ASSERT_TRUE(data->IsQueued(QStringLiteral("000003")));
    EXPECT_TRUE(data->DeleteCurrent());
    EXPECT_FALSE(data->IsQueued(QStringLiteral("000003")));
}

// A price too wide for the queue's column: the song is not queued, the guest
// is told, the log names the value, and other songs order as before.
TEST_F(QueueFaults, ValueTooWideForTheQueueIsReported)
{
    Shown shown;
    auto data = in.Open();
    data->WaitForLoader();
    EXPECT_TRUE(data->OrderSongByNumber(QStringLiteral("000004")));
    EXPECT_TRUE(data->m_pOrder->IsEmpty());
    EXPECT_EQ(shown.texts, QStringList{g_pSetting->Texts.OrderFailed});
    const QString log = Log(in);
    EXPECT_TRUE(log.contains(QStringLiteral("000004")) && log.contains(QStringLiteral("PRICE")) &&
                log.contains(QStringLiteral("10000000000000")))
        << qPrintable(log);
    data->FlushHistory();
    EXPECT_EQ(in.Db().Scalar(QStringLiteral("SELECT count(*) FROM timesDetail")).toInt(), 0);
    ASSERT_TRUE(data->OrderSongByNumber(QStringLiteral("000001")));
    EXPECT_EQ(Column(*data->m_pOrder, QStringLiteral("SongNo")), QStringList{QStringLiteral("000001")});
}

// One history row the catalogue refuses loses only itself, also on a server
// that aborts the whole transaction on an error.
TEST(QueueHistory, OneBadRowLosesOnlyItself)
{
    for (const bool postgres : {false, true}) {
        if (postgres && !testpg::Available())
            continue;
        SCOPED_TRACE(postgres ? "PostgreSQL" : "SQLite");
        Installation in(postgres);
        InsertCatalogue(in.Db(), {},
                        {MakeSong(QStringLiteral("000001"), QStringLiteral("A"), QStringLiteral("S"), 1),
                         MakeSong(QStringLiteral("000002"), QStringLiteral("B"), QStringLiteral("S"), 1)});
        // A row the catalogue refuses: no song number at all.
        in.Db().Execute(
            postgres
                ? QStringLiteral("ALTER TABLE timesDetail ADD CONSTRAINT song_given CHECK (coalesce(SongNo, '') <> '')")
                : QStringLiteral("CREATE TRIGGER no_empty BEFORE INSERT ON timesDetail WHEN "
                                 "coalesce(NEW.SongNo, '')='' BEGIN SELECT RAISE(ABORT, 'empty'); END"));
        auto data = in.Open();
        data->WaitForLoader();
        // The rows wait together while another connection holds the table.
        DbConnection other;
        other.Open(in.KroomAdo(), in.ExeDir());
        other.Begin();
        other.Execute(postgres ? QStringLiteral("LOCK TABLE timesDetail IN ACCESS EXCLUSIVE MODE")
                               : QStringLiteral("INSERT INTO timesDetail (SongNo) VALUES ('x')"));
        ASSERT_TRUE(data->OrderSongByNumber(QStringLiteral("000001"))); // taken alone, waits for the lock
        QThread::msleep(200);
        ASSERT_TRUE(data->OrderSongByNumber(QStringLiteral("000002")));
        DataSet empty;
        empty.SetConnection(&data->ado);
        empty.SetCommandText(QStringLiteral("SELECT '' AS SongNo, Disc_no, Name, FilePath, Voice_Pos, Singer_Nam, "
                                            "Lan_Type, Price, song_vol FROM qu_song"));
        empty.Open();
        data->OrderSong(&empty); // its history row has no song number
        ASSERT_TRUE(data->OrderSongByNumber(QStringLiteral("000002")));
        other.Rollback();
        data->FlushHistory();
        EXPECT_EQ(in.Db().Scalar(QStringLiteral("SELECT count(*) FROM timesDetail WHERE SongNo='000002'")).toInt(), 2);
        EXPECT_EQ(in.Db().Scalar(QStringLiteral("SELECT count(*) FROM timesDetail")).toInt(), 3);
        EXPECT_EQ(data->m_pOrder->RecordCount(), 4); // every order stays
    }
}
