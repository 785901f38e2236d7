#include "CatalogueFixture.h"
#include "core/Gbk.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "platform/dbase/DbfTable.h"
#include "support/TestPg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

using namespace cattest;

namespace {

void AddSongs(Installation& in, int count = 300)
{
    Generated g = Generate(40, count);
    InsertCatalogue(in.Db(), g.singers, g.songs);
}

QString ReadLog(const Installation& in)
{
    QFile f(in.ExeDir() + QStringLiteral("LogVod.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return ToWide(f.readAll()); // the log is GBK
}

TEST(FrmData, LocalStartUpOpensTheQueueDropsThePlayingSongAndIndexesInTheBackground)
{
    Installation in;
    AddSongs(in);
    in.SetSetting(QStringLiteral("Debug"), QStringLiteral("1"));
    in.SetSetting(QStringLiteral("UDPPort"), QStringLiteral("4321"));
    in.AddQueueRow(QStringLiteral("100001"), QStringLiteral("queued"), 1, QStringLiteral("0"));
    in.AddQueueRow(QStringLiteral("100002"), QStringLiteral("was playing"), 2, QStringLiteral("1"));
    in.AddQueueRow(QStringLiteral("100003"), QStringLiteral("sung"), 3, QStringLiteral("2"));
    ResetLogForTests();

    auto data = in.Open();
    ASSERT_EQ(FrmData, data.get());
    ASSERT_NE(g_pSetting, nullptr);
    EXPECT_TRUE(g_pSetting->FirstInstance);
    EXPECT_EQ(g_pSetting->UDPPort, 4321); // read from the Setting table through Set
    EXPECT_TRUE(data->m_bJet);
    EXPECT_TRUE(data->CreateError().isEmpty()) << qPrintable(data->CreateError());
    EXPECT_EQ(in.PlayerStarts(), 1);
    ASSERT_EQ(data->m_pOrder, &data->dbf_Order);
    EXPECT_EQ(data->m_pPlaying, &data->dbf_Playing);
    EXPECT_EQ(data->m_pSing, &data->dbf_Sing);
    EXPECT_EQ(data->m_pOrder->RecordCount(), 1);
    EXPECT_EQ(data->m_pPlaying->RecordCount(), 0);
    EXPECT_EQ(data->m_pSing->RecordCount(), 1);
    EXPECT_TRUE(data->m_sRoomName.isEmpty());

    // Test 0: the maintenance fields are left out of the view.
    EXPECT_FALSE(data->CD_Song.FindField(QStringLiteral("Music")).IsValid());
    EXPECT_FALSE(data->CD_Song.FindField(QStringLiteral("Remark")).IsValid());
    EXPECT_TRUE(data->CD_Song.FindField(QStringLiteral("Disk")).IsValid());
    EXPECT_EQ(data->CD_Song.RecordCount(), 300);
    ASSERT_NE(data->m_pFilter, nullptr);
    EXPECT_EQ(data->m_pFilter->View(), &data->CD_Song);

    data->WaitForLoader();
    EXPECT_FALSE(data->LoaderRunning());
    for (const QString& list : TFrmData::SongIndexLists())
        EXPECT_TRUE(data->CD_Song.IsIndexPrepared(list)) << qPrintable(list);
    EXPECT_EQ(data->CD_Song.IndexFieldNames(), QStringLiteral("Name;Singer_nam"));
    EXPECT_EQ(data->CD_Singer.IndexFieldNames(), QStringLiteral("Times"));

    const QString log = ReadLog(in);
    for (const char* label : {"装载ADO耗时:", "装载歌表数据Song耗时:", "装载歌表数据cd_song耗时:", "装载索引耗时:"})
        EXPECT_TRUE(log.contains(QString::fromUtf8(label))) << label << "\n" << qPrintable(log);
    EXPECT_LT(log.indexOf(QStringLiteral("装载ADO")), log.indexOf(QStringLiteral("装载歌表数据Song")));

    // The row that was playing is gone from the file; the others stay.
    data.reset();
    EXPECT_EQ(FrmData, nullptr);
    EXPECT_EQ(g_pSetting, nullptr);
    DbfTable t(in.DataDir() + QStringLiteral("order.dbf"));
    t.Open();
    int live = 0;
    for (const auto& r : t.ReadAll()) {
        if (!r.deleted) {
            ++live;
            EXPECT_NE(t.Decode(r.data, t.FieldIndex(QStringLiteral("PLAYING"))).toString(), QStringLiteral("1"));
        }
    }
    EXPECT_EQ(live, 2);
}

TEST(FrmData, ASecondStartRestoresTheFirstAndOpensNothing)
{
    Installation in;
    AddSongs(in, 20);
    auto data = in.Open(/*otherInstanceRuns=*/true);
    EXPECT_FALSE(g_pSetting->FirstInstance);
    EXPECT_FALSE(data->CD_Song.Active());
    EXPECT_EQ(data->m_pOrder, nullptr);
    EXPECT_EQ(data->m_pFilter, nullptr);
    EXPECT_FALSE(data->LoaderRunning());
    EXPECT_EQ(in.PlayerStarts(), 0);
}

TEST(FrmData, TestLevelKeepsTheMaintenanceFields)
{
    Installation in;
    AddSongs(in, 20);
    in.SetSetting(QStringLiteral("Test"), QStringLiteral("1"));
    auto data = in.Open();
    EXPECT_TRUE(data->CD_Song.FindField(QStringLiteral("Music")).IsValid());
    EXPECT_TRUE(data->CD_Song.FindField(QStringLiteral("Remark")).IsValid());
}

TEST(FrmData, DisklessStationGetsItsOwnQueueFolderOnce)
{
    Installation in;
    AddSongs(in, 20);
    in.SetSetting(QStringLiteral("NoDiskMode"), QStringLiteral("1"));
    in.AddQueueRow(QStringLiteral("100001"), QStringLiteral("backup row"), 1, QStringLiteral("0"), QStringLiteral("1"),
                   in.DataDir() + QStringLiteral("bak/order.dbf"));
    const QString folder = in.DataDir() + ComputerName() + QLatin1Char('/');
    {
        auto data = in.Open();
        EXPECT_TRUE(data->CreateError().isEmpty()) << qPrintable(data->CreateError());
        EXPECT_EQ(data->QueueFolder(), folder);
        EXPECT_TRUE(QFile::exists(folder + QStringLiteral("order.dbf")));
        EXPECT_TRUE(QFile::exists(folder + QStringLiteral("order.mdx")));
        EXPECT_EQ(data->m_pOrder->RecordCount(), 1);
        data->OrderSongByNumber(QStringLiteral("100002"));
        EXPECT_EQ(data->m_pOrder->RecordCount(), 2);
    }
    // Next start: the folder exists and keeps its queue.
    auto data = in.Open();
    EXPECT_EQ(data->m_pOrder->RecordCount(), 2);
}

TEST(FrmData, DisklessStationWithoutAParentFolderEndsTheRun)
{
    Installation in;
    AddSongs(in, 20);
    in.SetSetting(QStringLiteral("NoDiskMode"), QStringLiteral("1"));
    in.SetSetting(QStringLiteral("Debug"), QStringLiteral("1"));
    in.SetSetting(QStringLiteral("DataDir"), in.ExeDir() + QStringLiteral("missing/deeper/"));
    ResetLogForTests();
    auto data = in.Open();
    EXPECT_TRUE(data->TerminateRequested());
    EXPECT_EQ(data->m_pOrder, nullptr);
    EXPECT_FALSE(data->LoaderRunning());
    EXPECT_EQ(in.PlayerStarts(), 0);
    EXPECT_TRUE(ReadLog(in).contains(QStringLiteral("无盘模式下,建立目录失败:") + in.ExeDir() +
                                     QStringLiteral("missing/deeper/") + ComputerName() + QLatin1Char('/')));
    data->OrderSong(); // no queue: nothing happens
    // The queued quit must not linger into other tests' event loops.
    QCoreApplication::removePostedEvents(QCoreApplication::instance());
}

TEST(FrmData, BrokenQueueFileIsRestoredFromTheBackup)
{
    Installation in;
    AddSongs(in, 20);
    {
        QFile f(in.DataDir() + QStringLiteral("order.dbf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("garbage, not a table");
    }
    auto data = in.Open();
    EXPECT_TRUE(data->CreateError().isEmpty()) << qPrintable(data->CreateError());
    ASSERT_TRUE(data->m_pOrder->Active());
    data->OrderSongByNumber(QStringLiteral("100001"));
    EXPECT_EQ(data->m_pOrder->RecordCount(), 1);
}

TEST(FrmData, QueueThatStaysBrokenEndsOnlyTheCreateHandler)
{
    Installation in;
    AddSongs(in, 20);
    for (const char* name : {"order.dbf", "bak/order.dbf"}) {
        QFile f(in.DataDir() + QString::fromLatin1(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("x");
    }
    auto data = in.Open();
    EXPECT_FALSE(data->CreateError().isEmpty());
    EXPECT_EQ(in.Errors().size(), 1);
    EXPECT_FALSE(data->CD_Song.Active());
    EXPECT_FALSE(data->LoaderRunning());
    EXPECT_EQ(in.PlayerStarts(), 0);
    EXPECT_TRUE(g_pSetting->FirstInstance);

    // With Test set the broken file is left as it is for the maintainer.
    in.SetSetting(QStringLiteral("Test"), QStringLiteral("1"));
    data.reset();
    data = in.Open();
    EXPECT_TRUE(data->CreateError().isEmpty());
    EXPECT_TRUE(data->CD_Song.Active());
    ASSERT_NE(data->m_pOrder, nullptr);
    EXPECT_FALSE(data->m_pOrder->Active());
    data->OrderSongByNumber(QStringLiteral("100001")); // no active queue: nothing happens
}

TEST(FrmData, MissingCatalogueEscapesTheConstruction)
{
    Installation in;
    in.SetKroomAdo(QStringLiteral("Provider=SQLite;Data Source=") + in.ExeDir() + QStringLiteral("none.db"));
    EXPECT_THROW(in.Open(), Exception);
    EXPECT_EQ(g_pSetting, nullptr);
    EXPECT_EQ(FrmData, nullptr);
}

TEST(FrmData, RunSqlAndReopen)
{
    Installation in;
    AddSongs(in, 20);
    auto data = in.Open();
    EXPECT_TRUE(data->RunSql(QStringLiteral("DELETE FROM song WHERE SongNo='100001'")));
    EXPECT_FALSE(data->RunSql(QStringLiteral("DELETE FROM nosuchtable")));
    EXPECT_TRUE(data->RunSql(QStringLiteral("DELETE FROM song WHERE SongNo=?"), {QStringLiteral("100002")}));
    data->WaitForLoader();
    EXPECT_EQ(data->CD_Song.RecordCount(), 20);
    data->m_pFilter->SetLanguage(QStringLiteral("1"));
    const QString filter = data->CD_Song.Filter();
    data->ReopenCatalogue();
    EXPECT_TRUE(data->CD_Song.Active());
    // The guest's choice still applies to the reloaded catalogue.
    EXPECT_EQ(data->CD_Song.Filter(), filter);
    EXPECT_EQ(data->CD_Song.RecordCount(),
              in.Db().Scalar(QStringLiteral("SELECT count(*) FROM qu_song WHERE Lan_Type=1")).toInt());
    data->m_pFilter->ClearCriteria();
    data->CD_Song.SetFiltered(false);
    EXPECT_EQ(data->CD_Song.RecordCount(), 18);
}

TEST(FrmData, GuiFiltersWhileTheLoaderBuildsIndexes)
{
    Installation in;
    AddSongs(in, 20000);
    auto data = in.Open();
    // Right after start-up the loader works on CD_Song and CD_Singer; the GUI
    // meanwhile filters the singer view, the queue and the song view.
    for (int round = 0; round < 20; ++round) {
        data->m_pFilter->SetSingerClass(2 + round % 8);
        data->m_pFilter->SetSingerInitials(round % 2 ? QStringLiteral("Z") : QString());
        data->m_pOrder->SetFilter(QStringLiteral("PLAYING = '0'"));
        data->m_pFilter->SetLanguage(QString::number(1 + round % 5));
        EXPECT_GE(data->CD_Song.RecordCount(), 0);
        data->CD_Singer.RecordCount();
    }
    data->WaitForLoader();
    EXPECT_FALSE(data->LoaderRunning());
    // The GUI's sort stays: the loader only prepared the indexes.
    EXPECT_EQ(data->CD_Song.IndexFieldNames(), QStringLiteral("STR_LEN ASC;Name"));
    data->m_pFilter->SetRanking(QStringLiteral("3"));
    EXPECT_EQ(data->CD_Song.IndexFieldNames(), QStringLiteral("TotalTimes DESC"));
}

TEST(FrmData, LoaderHandOverArrivesThroughTheEventLoop)
{
    Installation in;
    AddSongs(in, 50);
    auto data = in.Open();
    for (int i = 0; i < 500 && data->LoaderRunning(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (data->LoaderRunning())
            QThread::msleep(5);
    }
    EXPECT_FALSE(data->LoaderRunning());
}

// The add-song program's message and the control server's "refresh db"
// reopen the catalogue at any moment, also while the loader still prepares
// the indexes: the loader state must end cleared, with the reopened views
// indexed, whatever moment the reopen hit.
TEST(FrmData, ReopenWhileTheLoaderRunsLeavesNoStuckLoader)
{
    Installation in;
    AddSongs(in, 20000);
    auto data = in.Open();
    int reopenedWhileLoading = 0;
    for (int i = 0; i < 3 && data->LoaderRunning(); ++i) {
        data->ReopenCatalogue();
        ++reopenedWhileLoading;
        QThread::msleep(5);
    }
    EXPECT_GT(reopenedWhileLoading, 0) << "the loader finished before the first reopen";
    EXPECT_TRUE(data->LoaderRunning()) << "a reopen starts a loader for the reopened views";
    for (int i = 0; i < 3000 && data->LoaderRunning(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (data->LoaderRunning())
            QThread::msleep(10);
    }
    EXPECT_FALSE(data->LoaderRunning());
    ASSERT_TRUE(data->CD_Song.Active());
    EXPECT_EQ(data->CD_Song.RecordCount(), 20000);
    for (const QString& list : TFrmData::SongIndexLists())
        EXPECT_TRUE(data->CD_Song.IsIndexPrepared(list)) << qPrintable(list);

    // A reopen once everything is loaded runs the loader once more.
    data->ReopenCatalogue();
    data->WaitForLoader();
    EXPECT_FALSE(data->LoaderRunning());
    EXPECT_EQ(data->CD_Singer.IndexFieldNames(), QStringLiteral("Times"));
}

TEST(FrmData, DestroyedWhileTheLoaderRuns)
{
    Installation in;
    AddSongs(in, 5000);
    auto data = in.Open();
    data.reset(); // joins the loader; no hand-over arrives afterwards
    QCoreApplication::processEvents();
    EXPECT_EQ(FrmData, nullptr);
}

TEST(FrmData, RelativeDataFolderLiesInTheInstallationWhateverTheWorkingFolder)
{
    Installation in;
    AddSongs(in, 20);
    QDir().mkpath(in.ExeDir() + QStringLiteral("queue/bak"));
    for (const char* file : {"order.dbf", "order.mdx", "bak/order.dbf", "bak/order.mdx"})
        QFile::copy(in.DataDir() + QLatin1String(file), in.ExeDir() + QStringLiteral("queue/") + QLatin1String(file));
    in.AddQueueRow(QStringLiteral("100001"), QStringLiteral("queued"), 1, QStringLiteral("0"), QStringLiteral("1"),
                   in.ExeDir() + QStringLiteral("queue/order.dbf"));
    in.SetSetting(QStringLiteral("DataDir"), QStringLiteral("queue\\"));
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QDir::tempPath()));
    auto data = in.Open();
    QDir::setCurrent(cwd);
    EXPECT_TRUE(data->CreateError().isEmpty()) << qPrintable(data->CreateError());
    EXPECT_EQ(g_pSetting->DataDir, in.ExeDir() + QStringLiteral("queue/"));
    ASSERT_NE(data->m_pOrder, nullptr);
    EXPECT_EQ(data->m_pOrder->RecordCount(), 1);
}

TEST(FrmData, HallComputerNameIgnoresCase)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    Installation in(/*postgres=*/true);
    AddSongs(in, 20);
    in.SetSetting(QStringLiteral("SaloonMode"), QStringLiteral("1"));
    // The computer's name is read in lower case; the setting may be in capitals.
    in.SetSetting(QStringLiteral("SaloonComputer"), ComputerName().toUpper());
    auto data = in.Open();
    EXPECT_TRUE(data->CreateError().isEmpty()) << qPrintable(data->CreateError());
    EXPECT_EQ(in.PlayerStarts(), 1);
}

} // namespace
