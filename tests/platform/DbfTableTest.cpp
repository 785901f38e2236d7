#include "DataTestUtil.h"
#include "core/Gbk.h"
#include "platform/db/DataSet.h"
#include "platform/dbase/OrderDbf.h"
#include "support/ChildProcess.h"
#include "support/FileBytes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

quint32 Le32(const QByteArray& b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16 |
           quint32(quint8(b[at + 3])) << 24;
}

std::vector<QVariant> Entry(DbfTable& t, const QString& song, int num, const QString& playing)
{
    std::vector<QVariant> v(t.Fields().size());
    v[size_t(t.FieldIndex("SONGNO"))] = song;
    v[size_t(t.FieldIndex("NAME"))] = QString("歌曲") + song;
    v[size_t(t.FieldIndex("NUM"))] = num;
    v[size_t(t.FieldIndex("PLAYING"))] = playing;
    v[size_t(t.FieldIndex("LAN_TYPE"))] = "1";
    v[size_t(t.FieldIndex("VOICE_POS"))] = "1.5";
    return v;
}

// Runs python3-dbfread over a table; gives its lines "SONGNO|NUM|PLAYING|NAME".
QStringList DbfRead(const QString& path, bool* ran)
{
    QProcess p;
    p.start("/usr/bin/python3", {"-c",
                                 "import sys, dbfread\n"
                                 "t = dbfread.DBF(sys.argv[1], encoding='gbk', char_decode_errors='strict')\n"
                                 "for r in t:\n"
                                 "    print('%s|%s|%s|%s' % (r['SONGNO'], r['NUM'], r['PLAYING'], r['NAME']))\n",
                                 path});
    p.waitForFinished(60000);
    *ran = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!*ran)
        ADD_FAILURE() << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

bool HaveDbfRead()
{
    return QProcess::execute("/usr/bin/python3", {"-c", "import dbfread"}) == 0;
}

} // namespace

TEST(DbfTable, FileFormatAndRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("order.dbf");
    CreateOrderDbf(path);
    QByteArray raw = testsupport::ReadBytes(path);
    const int fields = int(OrderDbfFields().size());
    ASSERT_EQ(raw.size(), 32 + 32 * fields + 1 + 1);
    EXPECT_EQ(quint8(raw[0]), 0x03);
    EXPECT_EQ(Le32(raw, 4), 0u);
    EXPECT_EQ(quint8(raw[8]) | quint8(raw[9]) << 8, 32 + 32 * fields + 1);
    EXPECT_EQ(quint8(raw[32 + 32 * fields]), 0x0D);
    EXPECT_EQ(quint8(raw[raw.size() - 1]), 0x1A);

    DbfTable t(path);
    t.Open();
    EXPECT_EQ(t.Append(Entry(t, "00001", 1, "0")), 0u);
    EXPECT_EQ(t.Append(Entry(t, "00002", 2, "0")), 1u);
    t.Update(1, {{t.FieldIndex("PLAYING"), "2"}, {t.FieldIndex("NAME"), "王菲: 红豆"}});
    t.MarkDeleted(0);
    raw = testsupport::ReadBytes(path);
    const int header = 32 + 32 * fields + 1;
    EXPECT_EQ(Le32(raw, 4), 2u);
    EXPECT_EQ(raw.size(), header + 2 * t.RecordLength() + 1);
    EXPECT_EQ(raw[header], '*');
    EXPECT_EQ(raw[header + t.RecordLength()], ' ');
    EXPECT_EQ(quint8(raw[raw.size() - 1]), 0x1A);
    EXPECT_TRUE(raw.contains(ToNarrow("王菲: 红豆"))); // GBK on disk

    const auto records = t.ReadAll();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(records[0].deleted);
    EXPECT_EQ(t.Decode(records[1].data, t.FieldIndex("NAME")).toString(), "王菲: 红豆");
    EXPECT_EQ(t.Decode(records[1].data, t.FieldIndex("NUM")).toLongLong(), 2);
    EXPECT_DOUBLE_EQ(t.Decode(records[1].data, t.FieldIndex("VOICE_POS")).toDouble(), 1.5);
    EXPECT_FALSE(t.Decode(records[1].data, t.FieldIndex("PRICE")).isValid()); // blank number: null
    // Too wide: texts are cut at a character boundary, numbers refused.
    const QByteArray cut = t.Encode(QString("张").repeated(100), t.FieldIndex("SINGER_NAM"));
    EXPECT_EQ(cut.size(), 60);
    EXPECT_EQ(ToWide(cut), QString("张").repeated(30));
    const QByteArray odd = t.Encode("a" + QString("张").repeated(100), t.FieldIndex("SINGER_NAM"));
    EXPECT_EQ(ToWide(odd).trimmed(), "a" + QString("张").repeated(29));
    EXPECT_THROW(t.Encode(12345678901234.0, t.FieldIndex("NUM")), DbfError);
    EXPECT_THROW(t.Encode("abc", t.FieldIndex("NUM")), DbfError);
    EXPECT_THROW(t.Update(7, {{t.FieldIndex("PLAYING"), "1"}}), DbfError);

    if (!HaveDbfRead())
        GTEST_SKIP() << "python3-dbfread is not installed";
    bool ran = false;
    const QStringList lines = DbfRead(path, &ran);
    EXPECT_TRUE(ran);
    EXPECT_EQ(lines, QStringList{"00002|2|2|王菲: 红豆"});
}

TEST(DbfTable, BrokenFilesRaiseCatchableErrors)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.dbf");
    CreateOrderDbf(good);
    {
        DbfTable t(good);
        t.Open();
        for (int i = 0; i < 3; ++i)
            t.Append(Entry(t, QString::number(i), i + 1, "0"));
    }
    const QByteArray raw = testsupport::ReadBytes(good);
    const QString bad = dir.filePath("bad.dbf");
    auto opens = [&](const QByteArray& bytes) {
        testsupport::WriteBytes(bad, bytes);
        DbfTable t(bad);
        try {
            t.Open();
            t.ReadAll();
            return true;
        } catch (const DbfError&) {
            return false;
        }
    };
    EXPECT_FALSE(opens(QByteArray()));
    EXPECT_FALSE(opens(raw.left(20)));
    EXPECT_FALSE(opens(raw.left(200)));              // inside the field descriptors
    EXPECT_FALSE(opens(raw.left(raw.size() - 100))); // fewer records than counted
    QByteArray wrongLength = raw;
    wrongLength[10] = char(quint8(wrongLength[10]) + 1);
    EXPECT_FALSE(opens(wrongLength));
    QByteArray noTerminator = raw;
    noTerminator[32 + 32 * int(OrderDbfFields().size())] = 'X';
    EXPECT_FALSE(opens(noTerminator));
    QByteArray notDbase = raw;
    notDbase[0] = 'P';
    EXPECT_FALSE(opens(notDbase));
    // Missing end marker or trailing bytes are tolerated.
    EXPECT_TRUE(opens(raw.left(raw.size() - 1)));
    EXPECT_TRUE(opens(raw + QByteArray(17, 'x')));
    DbfTable missing(dir.filePath("none.dbf"));
    EXPECT_THROW(missing.Open(), DbfError);

    // Through a DataSet: the error reaches the caller as the station's type.
    testsupport::WriteBytes(bad, raw.left(100));
    DataSet ds;
    ds.SetDbfFile(bad);
    try {
        ds.Open();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains("bad.dbf")) << e.what();
    }
    EXPECT_FALSE(ds.Active());
}

TEST(DbfTable, QueueViewsOverTheTable)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("order.dbf");
    CreateOrderDbf(path);
    DataSet order, playing;
    for (DataSet* ds : {&order, &playing}) {
        ds->SetDbfFile(path);
        ds->SetIndexFieldNames("NUM");
        ds->Open();
        ds->SetFiltered(true);
    }
    order.SetFilter("PLAYING = '0'");
    playing.SetFilter("PLAYING = '1' ");
    for (int n : {3, 1, 2}) {
        order.Append();
        order.FieldByName("SongNo").SetAsString(QString::number(n));
        order.FieldByName("Name").SetAsString("歌" + QString::number(n));
        order.FieldByName("Num").SetAsString(QString::number(n));
        order.FieldByName("Playing").SetAsString("0");
        order.FieldByName("Voice_pos").SetAsFloat(2);
        order.FieldByName("Lan_Type").SetAsInteger(20);
        order.Post();
    }
    QStringList nums;
    for (order.First(); !order.Eof(); order.Next())
        nums << order.FieldByName("Num").AsString();
    EXPECT_EQ(nums.join(','), "1,2,3");
    EXPECT_EQ(order.FieldByName("Lan_Type").AsString(), "20");
    EXPECT_EQ(order.FieldByName("NUM").DataType(), FieldType::Integer);

    // Another table on the same file (the player program) marks the front entry.
    DbfTable player(path);
    player.Open();
    const auto recs = player.ReadAll();
    for (const auto& r : recs)
        if (player.Decode(r.data, player.FieldIndex("NUM")).toInt() == 1)
            player.Update(r.recno, {{player.FieldIndex("PLAYING"), "1"}});
    order.First(); // refreshes itself when the file changed
    EXPECT_EQ(order.RecordCount(), 2);
    EXPECT_EQ(order.FieldByName("Num").AsInteger(), 2);
    playing.Refresh();
    ASSERT_EQ(playing.RecordCount(), 1);
    EXPECT_EQ(playing.FieldByName("Name").AsString(), "歌1");
    // Deleting the playing entry at start-up.
    playing.First();
    while (!playing.IsEmpty())
        playing.Delete();
    order.SetFiltered(false);
    order.Refresh();
    EXPECT_EQ(order.RecordCount(), 2);
    EXPECT_EQ(player.ReadAll().size(), 3u); // marked, not removed
}

// ---- two real processes on one file --------------------------------------

// The child roles, run by the tests below as separate processes of this binary.
TEST(DbfChild, Role)
{
    const QByteArray role = qgetenv("VOD_DBF_CHILD_ROLE");
    if (role.isEmpty())
        GTEST_SKIP() << "run as a child process only";
    const QString path = qEnvironmentVariable("VOD_DBF_CHILD_FILE");
    const int count = qEnvironmentVariableIntValue("VOD_DBF_CHILD_COUNT");
    if (role == "append") {
        // The station: appends entries behind the last one.
        DbfTable t(path);
        t.Open();
        const int pause = qEnvironmentVariableIntValue("VOD_DBF_CHILD_PAUSE_US");
        for (int i = 0; i < count; ++i) {
            t.Append(Entry(t, QString::number(i), i + 1, "0"));
            std::printf("appended %d\n", i + 1);
            std::fflush(stdout);
            if (pause > 0)
                QThread::usleep(pause);
        }
    } else if (role == "flip") {
        // The player program: marks queued entries "1", then playing ones "2".
        DataSet ds;
        ds.SetDbfFile(path);
        ds.SetIndexFieldNames("NUM");
        ds.Open();
        QElapsedTimer timer;
        timer.start();
        int sung = 0, partial = 0;
        while (sung < count && timer.elapsed() < 240000) {
            ds.Refresh();
            if (ds.RecordCount() > 0 && ds.RecordCount() < count)
                ++partial; // the appender is still at work
            sung = 0;
            for (ds.First(); !ds.Eof(); ds.Next()) {
                const QString state = ds.FieldByName("PLAYING").AsString();
                if (state == "2") {
                    ++sung;
                    continue;
                }
                ds.Edit();
                ds.FieldByName("PLAYING").SetAsString(state == "0" ? "1" : "2");
                ds.Post();
            }
        }
        ASSERT_EQ(sung, count);
        std::printf("partial views %d\n", partial);
    } else if (role == "bump") {
        // The player program, changing one entry once it is told to.
        DbfTable t(path);
        t.Open();
        std::printf("open\n");
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return;
        std::printf("trying\n");
        std::fflush(stdout);
        t.SetLockWait(60000);
        t.Update(0, {{t.FieldIndex("NUM"), count}});
        std::printf("bumped\n");
        std::fflush(stdout);
    } else if (role == "renumber") {
        // The station: renumbers every entry in series, round after round;
        // every entry of round k gets a number k * 1000 + i (in file order,
        // so that no entry moves while the round goes through the view).
        DataSet ds;
        ds.SetDbfFile(path);
        ds.Open();
        for (int round = 1; round <= count; ++round) {
            UpdateSeries series(ds);
            int i = 0;
            for (ds.First(); !ds.Eof(); ds.Next()) {
                ds.Edit();
                ds.FieldByName("NUM").SetAsInteger(round * 1000 + i++);
                ds.Post();
            }
            series.Finish();
        }
    }
}

namespace {

QProcess* StartChild(const QString& role, const QString& path, int count, int pauseUs = 0)
{
    auto* p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VOD_DBF_CHILD_ROLE", role);
    env.insert("VOD_DBF_CHILD_FILE", path);
    env.insert("VOD_DBF_CHILD_COUNT", QString::number(count));
    env.insert("VOD_DBF_CHILD_PAUSE_US", QString::number(pauseUs));
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(), {"--gtest_filter=DbfChild.Role"});
    EXPECT_TRUE(p->waitForStarted(10000));
    return p;
}

} // namespace

TEST(DbfTable, TwoProcessesShareTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("order.dbf");
    CreateOrderDbf(path);
    const int count = 1000;
    std::unique_ptr<QProcess> appender(StartChild("append", path, count, 500));
    std::unique_ptr<QProcess> flipper(StartChild("flip", path, count));
    ASSERT_TRUE(appender->waitForFinished(240000));
    ASSERT_TRUE(flipper->waitForFinished(240000));
    EXPECT_EQ(appender->exitCode(), 0) << appender->readAllStandardOutput().toStdString();
    const QString flipOut = QString::fromUtf8(flipper->readAllStandardOutput());
    EXPECT_EQ(flipper->exitCode(), 0) << flipOut.toStdString();
    // The player saw the queue grow: the two really worked at the same time
    // (how often depends on the machine's load, so one view is proof enough).
    const QRegularExpressionMatch m = QRegularExpression("partial views (\\d+)").match(flipOut);
    ASSERT_TRUE(m.hasMatch()) << flipOut.toStdString();
    EXPECT_GT(m.captured(1).toInt(), 0);

    DbfTable t(path);
    t.Open();
    QSet<QString> songs;
    QSet<int> nums;
    for (const auto& r : t.ReadAll()) {
        EXPECT_FALSE(r.deleted);
        songs.insert(t.Decode(r.data, t.FieldIndex("SONGNO")).toString());
        nums.insert(t.Decode(r.data, t.FieldIndex("NUM")).toInt());
        EXPECT_EQ(t.Decode(r.data, t.FieldIndex("PLAYING")).toString(), "2");
        EXPECT_EQ(t.Decode(r.data, t.FieldIndex("NAME")).toString(),
                  "歌曲" + t.Decode(r.data, t.FieldIndex("SONGNO")).toString());
    }
    EXPECT_EQ(t.RecordCount(), quint32(count));
    EXPECT_EQ(songs.size(), count);
    EXPECT_EQ(nums.size(), count);
    if (!HaveDbfRead())
        GTEST_SKIP() << "python3-dbfread is not installed";
    bool ran = false;
    const QStringList lines = DbfRead(path, &ran);
    EXPECT_TRUE(ran);
    EXPECT_EQ(lines.size(), count);
    EXPECT_EQ(lines.value(0), "0|1|2|歌曲0");
}

TEST(DbfTable, KilledWriterLeavesEveryCompletedAppend)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("order.dbf");
    CreateOrderDbf(path);
    std::unique_ptr<QProcess> writer(StartChild("append", path, 1000000));
    int completed = 0;
    QElapsedTimer timer;
    timer.start();
    while (completed < 300 && timer.elapsed() < 60000) {
        writer->waitForReadyRead(1000);
        while (writer->canReadLine()) {
            const QByteArray line = writer->readLine().trimmed();
            if (line.startsWith("appended "))
                completed = line.mid(9).toInt();
        }
    }
    ::kill(pid_t(writer->processId()), SIGKILL);
    writer->waitForFinished(10000);
    // Lines written before the kill may still wait in the pipe.
    for (const QByteArray& line : writer->readAllStandardOutput().split('\n'))
        if (line.startsWith("appended "))
            completed = std::max(completed, line.mid(9).toInt());
    ASSERT_GE(completed, 300);

    DbfTable t(path);
    ASSERT_NO_THROW(t.Open());
    const auto records = t.ReadAll();
    ASSERT_GE(int(records.size()), completed);
    EXPECT_LE(int(records.size()), completed + 1);
    for (int i = 0; i < completed; ++i)
        ASSERT_EQ(t.Decode(records[size_t(i)].data, t.FieldIndex("SONGNO")).toString(), QString::number(i));
    // It takes further appends.
    t.Append(Entry(t, "after", 0, "0"));
    EXPECT_EQ(t.ReadAll().size(), records.size() + 1);
}

// The other process reads a series of edits whole or not at all.
TEST(DbfTable, ASeriesOfEditsIsSeenWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("order.dbf");
    CreateOrderDbf(path);
    DbfTable t(path);
    t.Open();
    for (int i = 0; i < 40; ++i)
        t.Append(Entry(t, QString::number(i), i, "0"));
    const int rounds = 400;
    std::unique_ptr<QProcess> renumber(StartChild("renumber", path, rounds));
    const int num = t.FieldIndex("NUM");
    int reads = 0, mixed = 0;
    QSet<int> seen;
    while (renumber->state() != QProcess::NotRunning) {
        QSet<int> inRead;
        for (const auto& r : t.ReadAll())
            inRead.insert(t.Decode(r.data, num).toInt() / 1000);
        mixed += inRead.size() > 1;
        seen += inRead;
        ++reads;
        renumber->waitForFinished(1);
    }
    EXPECT_EQ(renumber->exitCode(), 0) << renumber->readAll().toStdString();
    EXPECT_EQ(mixed, 0) << "of " << reads << " reads";
    EXPECT_GT(seen.size(), 3) << reads << " reads"; // the reads really fell between rounds
    QSet<int> last;
    for (const auto& r : t.ReadAll())
        last.insert(t.Decode(r.data, num).toInt() / 1000);
    EXPECT_EQ(last, QSet<int>{rounds});
}

namespace {

// Asks another process whether it could take a shared lock on the file now.
QString LockSeenFromOutside(const QString& path)
{
    QProcess p;
    p.start("/usr/bin/python3", {"-c",
                                 "import fcntl, os, sys\n"
                                 "fd = os.open(sys.argv[1], os.O_RDONLY)\n"
                                 "try:\n"
                                 "    fcntl.lockf(fd, fcntl.LOCK_SH | fcntl.LOCK_NB)\n"
                                 "    print('free')\n"
                                 "except OSError:\n"
                                 "    print('locked')\n",
                                 path});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

TEST(DbfTable, SeriesHoldsTheLockAndStampsTheHeaderOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("order.dbf");
    CreateOrderDbf(path);
    DataSet ds;
    ds.SetDbfFile(path);
    ds.SetIndexFieldNames("NUM");
    ds.Open();
    for (int i = 1; i <= 5; ++i) {
        ds.Append();
        ds.FieldByName("SongNo").SetAsString(QString::number(i));
        ds.FieldByName("Num").SetAsInteger(i);
        ds.FieldByName("Playing").SetAsString("0");
        ds.Post();
    }
    // Another writer appends before the series begins: the series still sees it.
    {
        DbfTable other(path);
        other.Open();
        other.Append(Entry(other, "6", 6, "0"));
    }
    const quint32 counterBefore = Le32(testsupport::ReadBytes(path), 16);
    {
        UpdateSeries series(ds);
        EXPECT_EQ(LockSeenFromOutside(path), "locked");
        ds.First();
        EXPECT_EQ(ds.RecordCount(), 6);
        for (ds.Last(); !ds.Bof(); ds.Prior()) {
            ds.Edit();
            ds.FieldByName("Num").SetAsInteger(ds.FieldByName("Num").AsInteger() + 10);
            ds.Post();
        }
        ds.Refresh(); // a reload inside the series keeps the file locked
        EXPECT_EQ(LockSeenFromOutside(path), "locked");
        ds.First();
        ds.Delete();
        series.Finish();
    }
    EXPECT_EQ(LockSeenFromOutside(path), "free");
    const QByteArray raw = testsupport::ReadBytes(path);
    EXPECT_EQ(Le32(raw, 16), counterBefore + 1); // one stamp for the whole series
    EXPECT_EQ(Le32(raw, 4), 6u);
    DbfTable check(path);
    check.Open();
    QStringList nums;
    for (const auto& r : check.ReadAll())
        nums << (r.deleted ? "*" : "") + check.Decode(r.data, check.FieldIndex("NUM")).toString();
    EXPECT_EQ(nums.join(','), "*11,12,13,14,15,16");
    // Our own writes do not make the set reload; the other process's do.
    ds.First();
    EXPECT_EQ(ds.RecordCount(), 5);
}

// A write of another process that waits for our lock while we write lands
// after the stamp we keep of our own write: our view reloads and shows it.
TEST(DbfTable, WriteWaitingForOurLockIsSeenAfterOurs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("order.dbf");
    CreateOrderDbf(path);
    DataSet ds;
    ds.SetDbfFile(path);
    ds.SetAutoRefresh(true);
    ds.Open();
    for (int i = 1; i <= 2; ++i) {
        ds.Append();
        ds.FieldByName("Num").SetAsInteger(i);
        ds.Post();
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VOD_DBF_CHILD_ROLE", "bump");
    env.insert("VOD_DBF_CHILD_FILE", path);
    env.insert("VOD_DBF_CHILD_COUNT", "777");
    testsupport::ChildProcess other(QCoreApplication::applicationFilePath(), {"--gtest_filter=DbfChild.Role"}, env);
    ASSERT_EQ(other.WaitLine("open", 20000), "open");
    // At our write, the other process starts its own and blocks on our lock.
    DbfTable::SetWriteHook([&](const QString&) {
        DbfTable::SetWriteHook(nullptr);
        other.Process().write("go\n");
        other.Process().waitForBytesWritten(5000);
        other.WaitLine("trying", 20000);
        QThread::msleep(300);
        return true;
    });
    ds.Last();
    ds.Edit();
    ds.FieldByName("Num").SetAsInteger(5);
    ds.Post();
    DbfTable::SetWriteHook(nullptr);
    EXPECT_EQ(other.WaitLine("bumped", 20000), "bumped");
    ds.First(); // the file's order: the other's entry, then ours
    EXPECT_EQ(ds.FieldByName("Num").AsInteger(), 777);
    ds.Last();
    EXPECT_EQ(ds.FieldByName("Num").AsInteger(), 5);
}

// A lock another process keeps is waited for a bounded time; further tries
// give up at once until it is free again.
TEST(DbfTable, LockHeldElsewhereIsWaitedForABoundedTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("order.dbf");
    CreateOrderDbf(path);
    DbfTable t(path);
    t.Open();
    t.SetLockWait(400);
    QProcess holder;
    holder.start("/usr/bin/python3", {"-c",
                                      "import fcntl, os, sys, time\n"
                                      "fd = os.open(sys.argv[1], os.O_RDWR)\n"
                                      "fcntl.lockf(fd, fcntl.LOCK_EX)\n"
                                      "print('locked', flush=True)\n"
                                      "sys.stdin.readline()\n",
                                      path});
    ASSERT_TRUE(holder.waitForReadyRead(20000));
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(t.ReadAll(), DbfLockTimeout);
    EXPECT_GE(timer.elapsed(), 350);
    timer.restart();
    EXPECT_THROW(t.Append(Entry(t, "1", 1, "0")), DbfLockTimeout);
    EXPECT_THROW(t.ChangeStamp(), DbfLockTimeout);
    EXPECT_LT(timer.elapsed(), 300); // no second wait
    holder.write("\n");
    ASSERT_TRUE(holder.waitForFinished(10000));
    t.Append(Entry(t, "1", 1, "0"));
    EXPECT_EQ(t.ReadAll().size(), 1u);
}
