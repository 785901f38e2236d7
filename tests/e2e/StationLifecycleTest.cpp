// How the station starts and ends when things go wrong, as a venue meets it:
// real station processes on a demo installation, the player stand-in beside
// them, stopped from outside, started twice, started on broken files.
#include "playback/StationShot.h"
#include "support/TestPg.h"
#include "tests/e2e/StationRun.h"

#include <QDirIterator>
#include <QImage>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <csignal>

using namespace e2e;

namespace {

// Starts the station with the player stand-in and waits for the portal.
struct Running
{
    std::unique_ptr<Program> station, player;
};
Running StartToThePortal(const Station& s)
{
    Running r;
    r.station = s.StartStation();
    EXPECT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"))) << qPrintable(r.station->Errors());
    EXPECT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    r.player = s.StartPlayer();
    EXPECT_TRUE(r.player->WaitForLine(QStringLiteral("ready"))) << qPrintable(r.player->Errors());
    return r;
}

} // namespace

// A venue's shutdown (systemctl stop: SIGTERM) and Ctrl+C (SIGINT) close the
// station as closing its main window does: the player hears command 17 and
// the station ends normally with its window gone.
TEST(StationLifecycle, SigtermAndSigintCloseTheStationInOrder)
{
    Station s(300);
    ASSERT_TRUE(s.Ready());
    for (const int signal : {SIGTERM, SIGINT}) {
        Running r = StartToThePortal(s);
        ASSERT_TRUE(r.station->Running());
        ::kill(pid_t(r.station->Process().processId()), signal);
        ASSERT_TRUE(r.station->WaitForExit(15000)) << signal;
        EXPECT_EQ(r.station->ExitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(r.station->ExitCode(), 0) << signal;
        EXPECT_TRUE(r.player->WaitForLine(QStringLiteral("command 17"))) << signal << qPrintable(r.player->Output());
        EXPECT_TRUE(s.Window().IsNull()) << signal;
    }
}

// A second start while the first one is still loading its catalogue (held
// up here by a lock on the catalogue server) finds the first and ends,
// instead of running a second station on the same queue file.
TEST(StationLifecycle, ASecondStartDuringASlowFirstStartEndsAtOnce)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no PostgreSQL server for this run";
    Station s(300);
    ASSERT_TRUE(s.Ready());
    const QString database = testpg::CreateDatabase(QStringLiteral("slowstart"));
    const QString connection = testpg::ConnectionString(database);
    QProcess demo;
    demo.start(ExeDir() + QStringLiteral("/vod-demo"),
               {s.Dir(), QStringLiteral("--songs"), QStringLiteral("300"), QStringLiteral("--photos"),
                QStringLiteral("1"), QStringLiteral("--postgres"), connection});
    ASSERT_TRUE(demo.waitForFinished(120000));
    ASSERT_EQ(demo.exitCode(), 0) << demo.readAllStandardError().constData();
    QFile ini(s.Path(QStringLiteral("vod.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(("[vod]\r\nKroomAdo=" + connection + "\r\n").toUtf8());
    ini.close();
    {
        QSqlDatabase pg = testpg::Connect(database);
        QSqlQuery q(pg);
        for (const auto& [name, value] : {std::pair{QStringLiteral("Client_Caption"), s.Caption()},
                                          std::pair{QStringLiteral("NeedLogin"), QStringLiteral("0")}}) {
            q.prepare(QStringLiteral("delete from Setting where type='vod' and name=?"));
            q.addBindValue(name);
            ASSERT_TRUE(q.exec());
            q.prepare(QStringLiteral("insert into Setting (type,name,value) values ('vod',?,?)"));
            q.addBindValue(name);
            q.addBindValue(value);
            ASSERT_TRUE(q.exec()) << qPrintable(q.lastError().text());
        }
    }
    QSqlDatabase lockDb = testpg::Connect(database);
    QSqlQuery lock(lockDb);
    ASSERT_TRUE(lockDb.transaction());
    ASSERT_TRUE(lock.exec(QStringLiteral("LOCK TABLE original IN ACCESS EXCLUSIVE MODE")))
        << qPrintable(lock.lastError().text());

    // The first start has passed its second-start check and waits for the
    // catalogue.
    auto first = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("装载ADO耗时:"), 30000)) << qPrintable(first->Errors());
    QThread::msleep(300);
    ASSERT_TRUE(first->Running());
    EXPECT_FALSE(s.Log().contains(QStringLiteral("总计耗时:")));

    auto second = s.StartStation();
    EXPECT_TRUE(second->WaitForExit(20000)) << "the second start runs a station of its own";
    EXPECT_EQ(second->ExitCode(), 0);

    lockDb.rollback();
    lock = QSqlQuery();
    EXPECT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"), 30000)) << qPrintable(first->Errors());
    EXPECT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    EXPECT_EQ(s.CountInLog(QStringLiteral("总计耗时:")), 1);
    ASSERT_TRUE(s.Post(kMsgTestCloseStation, 0, 0));
    EXPECT_TRUE(first->WaitForExit(15000));
    EXPECT_EQ(first->ExitCode(), 0);
    lockDb.close();
}

// A catalogue that is not a database stops the start-up: the error is written
// to the log (Debug cannot be read) and to standard error, and the exit status
// tells a supervisor it failed. (A language number that names no language is
// covered by the program tests of the core.)
TEST(StationLifecycle, ACatalogueThatIsNoDatabaseIsLoggedAndEndsWithAFailureStatus)
{
    Station s(300);
    ASSERT_TRUE(s.Ready());
    QFile::remove(s.Path(QStringLiteral("LogVod.txt")));
    QFile catalogue(s.Path(QStringLiteral("data/kroom.db")));
    ASSERT_TRUE(catalogue.open(QIODevice::WriteOnly | QIODevice::Truncate));
    catalogue.write(QByteArray(4096, 'x'));
    catalogue.close();
    auto station = s.StartStation();
    ASSERT_TRUE(station->WaitForExit(20000));
    EXPECT_EQ(station->ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(station->ExitCode(), 1);
    EXPECT_TRUE(station->Errors().contains(QStringLiteral("全局异常,直接退出:"))) << qPrintable(station->Errors());
    EXPECT_EQ(s.CountInLog(QStringLiteral("全局异常,直接退出:")), 1) << qPrintable(s.Log());
}

// A skin file cut off in the middle shows a plain error screen that names the
// file and the line, the log says the same, and the station still closes in
// order.
TEST(StationLifecycle, ATruncatedSkinShowsTheErrorScreen)
{
    Station s(300);
    ASSERT_TRUE(s.Ready());
    QDirIterator skins(s.Path(QStringLiteral("Images")), {QStringLiteral("buttons.xml")}, QDir::Files,
                       QDirIterator::Subdirectories);
    int cut = 0;
    while (skins.hasNext()) {
        QFile f(skins.next());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(f.size() / 2));
        ++cut;
    }
    ASSERT_GT(cut, 0);
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("皮肤文件错误:"))) << qPrintable(station->Errors());
    static const QRegularExpression named(QStringLiteral("皮肤文件错误:.*buttons\\.xml:\\d+:\\d+: "));
    EXPECT_TRUE(s.Log().contains(named)) << qPrintable(s.Log());
    EXPECT_TRUE(WaitUntil([&] { return station->Errors().contains(named); }, 5000)) << qPrintable(station->Errors());

    // The screen shows the text, light on black.
    const QString shot = s.Path(QStringLiteral("shot1.png"));
    ASSERT_TRUE(s.Post(kMsgTestScreenshot, 1, 0));
    ASSERT_TRUE(WaitUntil([&] { return QFile::exists(shot); }));
    const QImage image(shot);
    ASSERT_FALSE(image.isNull());
    int light = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            light += qGray(image.pixel(x, y)) > 160;
    EXPECT_GT(light, 50) << "no text on the screen";
    EXPECT_LT(light, image.width() * image.height() / 8) << "not a dark screen";

    ::kill(pid_t(station->Process().processId()), SIGTERM);
    ASSERT_TRUE(station->WaitForExit(15000));
    EXPECT_EQ(station->ExitCode(), 0);
}

// An error in the work that follows the add-song program's message (here the
// catalogue lost its song table) is logged; the station goes on.
TEST(StationLifecycle, AddSongFollowUpErrorIsLoggedAndTheStationGoesOn)
{
    Station s(300);
    ASSERT_TRUE(s.Ready());
    Running r = StartToThePortal(s);
    {
        DbConnection db;
        db.Open(QStringLiteral("Provider=SQLite;Data Source=data/kroom.db"), s.Dir());
        db.Execute(QStringLiteral("DROP TABLE song"));
    }
    Program addSong(ExeDir() + QStringLiteral("/vod-addsong"), {QStringLiteral("--caption"), s.Caption()}, s.Env());
    ASSERT_TRUE(addSong.WaitForExit());
    EXPECT_EQ(addSong.ExitCode(), 0);
    EXPECT_TRUE(s.WaitForLog(QStringLiteral("前台加歌 出错:"))) << qPrintable(s.Log());
    QThread::msleep(300);
    ASSERT_TRUE(r.station->Running());
    EXPECT_TRUE(s.Labels().startsWith(QStringLiteral("screen=portal"))) << qPrintable(s.Labels());
    ASSERT_TRUE(s.Post(kMsgTestCloseStation, 0, 0));
    EXPECT_TRUE(r.station->WaitForExit(15000));
    EXPECT_TRUE(r.player->WaitForLine(QStringLiteral("command 17")));
}
