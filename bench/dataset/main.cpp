// Benchmark of DataSet over a generated catalogue of 300,000 songs and 20,000
// singers in SQLite: opening CD_Song, its memory, preparing the loader's index
// field lists, and each song-filter choice (filter, sort, record count and the
// first page of 10 rows) against the same answer from an indexed SQLite query
// measured in the same run.
//   bench_dataset [songs] [singers] [catalogue file to keep]
#include "catalogue/schema/Schema.h"
#include "platform/db/DataSet.h"
#include "platform/db/DbConnection.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <sqlite3.h>
#include <vector>

namespace {

long RssKb()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

sqlite3* Handle(DbConnection& c)
{
    const QVariant v = c.Database().driver()->handle();
    return *static_cast<sqlite3* const*>(v.data());
}

void Exec(sqlite3* db, const char* sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", err);
        std::exit(1);
    }
}

// Common Chinese characters (GB2312 level 1 lies inside this range).
QString Han(QRandomGenerator& rng, int n)
{
    static const QString pool = [] {
        QString s;
        for (char16_t c = 0x4E00; c < 0x9FA5; c += 7)
            s += QChar(c);
        return s;
    }();
    QString out;
    for (int i = 0; i < n; ++i)
        out += pool[int(rng.bounded(quint32(pool.size())))];
    return out;
}

QString Letters(QRandomGenerator& rng, int n)
{
    QString out;
    for (int i = 0; i < n; ++i)
        out += QChar(u'A' + int(rng.bounded(26u)));
    return out;
}

void Generate(DbConnection& c, int songs, int singers)
{
    QRandomGenerator rng(20261209);
    sqlite3* db = Handle(c);
    Exec(db, "BEGIN");
    std::vector<QString> singerNames;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO singer VALUES (?,?,?,?,?,?,?,?,?)", -1, &st, nullptr);
    auto text = [&](int i, const QString& s) {
        sqlite3_bind_text16(st, i, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
    };
    for (int i = 0; i < singers; ++i) {
        const int len = 2 + int(rng.bounded(2u));
        const QString name = Han(rng, len);
        singerNames.push_back(name);
        text(1, QString::number(i + 1));
        text(2, name);
        text(3, QString::number(i + 1) + ".jpg");
        text(4, QString::number(rng.bounded(3u)));
        text(5, QString::number(rng.bounded(4u)));
        text(6, Letters(rng, len));
        sqlite3_bind_double(st, 7, rng.bounded(1000u));
        sqlite3_bind_int(st, 8, 0);
        sqlite3_bind_int(st, 9, len);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_stmt* song = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO song VALUES (?,1,?)", -1, &song, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO original (SONGNO, Name, Disc_no, Singer_Nam, Str_len, Lan_Type, Lan_Name, Type, "
                       "Voice_Pos, First_Char, CreateDate, Price, STROKES, Version, Music, Remark, song_vol, Disk, "
                       "TimesTotal, TimesDay, TimesWeek, TimesMonth, TimesSeason, TimesYear) "
                       "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                       -1, &st, nullptr);
    const int lanTypes[] = {0, 1, 1, 1, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 20, 21};
    const QDate today = QDate::currentDate();
    for (int i = 0; i < songs; ++i) {
        const QString no = QString::asprintf("%06d", i + 1);
        const int len = 1 + int(rng.bounded(8u));
        const QString path = "D:\\songs\\" + no + ".mpg";
        sqlite3_bind_text16(song, 1, no.utf16(), int(no.size() * 2), SQLITE_TRANSIENT);
        sqlite3_bind_text16(song, 2, path.utf16(), int(path.size() * 2), SQLITE_TRANSIENT);
        sqlite3_step(song);
        sqlite3_reset(song);
        const int total = rng.bounded(3u) == 0 ? int(rng.bounded(500u)) : 0;
        auto part = [&](int maxv) { return total == 0 ? 0 : int(rng.bounded(quint32(std::min(total, maxv) + 1))); };
        text(1, no);
        text(2, Han(rng, len));
        text(3, "1");
        text(4, singerNames[rng.bounded(quint32(singerNames.size()))]);
        sqlite3_bind_int(st, 5, len);
        sqlite3_bind_int(st, 6, lanTypes[rng.bounded(quint32(std::size(lanTypes)))]);
        text(7, "国语");
        sqlite3_bind_int(st, 8, 1 + int(rng.bounded(20u)));
        sqlite3_bind_double(st, 9, rng.bounded(3u));
        text(10, Letters(rng, std::min(len, 6)));
        text(11, today.addDays(-int(rng.bounded(730u))).toString("yyyy-MM-dd") + " 00:00:00");
        sqlite3_bind_double(st, 12, 5);
        text(13, QString::number(rng.bounded(30u) + 1) + QString::number(rng.bounded(1000u)));
        text(14, "V1");
        text(15, "M");
        text(16, "");
        sqlite3_bind_double(st, 17, 1);
        text(18, rng.bounded(10u) == 0 ? QString("外语") : QString("本地"));
        sqlite3_bind_int(st, 19, total);
        sqlite3_bind_int(st, 20, part(2));
        sqlite3_bind_int(st, 21, part(5));
        sqlite3_bind_int(st, 22, part(20));
        sqlite3_bind_int(st, 23, part(60));
        sqlite3_bind_int(st, 24, part(200));
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_finalize(song);
    // Indexes for the baseline queries.
    for (const char* sql :
         {"CREATE INDEX b1 ON original (Lan_Type, Str_len, Name)", "CREATE INDEX b2 ON original (Lan_Type, First_Char)",
          "CREATE INDEX b3 ON original (Lan_Type, TimesTotal)", "CREATE INDEX b4 ON original (TimesYear)",
          "CREATE INDEX b5 ON original (TimesSeason)", "CREATE INDEX b6 ON original (TimesMonth)",
          "CREATE INDEX b7 ON original (TimesWeek)", "CREATE INDEX b8 ON original (CreateDate)",
          "CREATE INDEX b9 ON original (Type, Lan_Type)", "CREATE INDEX b10 ON original (Name)",
          "CREATE INDEX b11 ON original (STROKES)", "CREATE INDEX b12 ON original (Str_len)"})
        Exec(db, sql);
    Exec(db, "COMMIT");
    Exec(db, "ANALYZE");
}

struct Case
{
    const char* label;
    QString filter; // record filter of the data set
    QString sort;   // index field list
    QString where;  // the same condition for SQLite over the table original
    QString order;
};

// CPU time of the process (all threads), in ms: a figure that other programs
// running on the machine disturb less than the wall clock.
double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int songs = argc > 1 ? std::atoi(argv[1]) : 300000;
    const int singers = argc > 2 ? std::atoi(argv[2]) : 20000;
    QTemporaryDir dir;
    const QString path = argc > 3 ? QString::fromLocal8Bit(argv[3]) : dir.filePath("kroom.db");
    QElapsedTimer t;

    DbConnection c;
    const bool fresh = !QFile::exists(path);
    c.Open("Provider=SQLite;Data Source=" + path + ";Create=1");
    if (fresh) {
        t.start();
        CreateCatalogueSchema(c);
        Generate(c, songs, singers);
        std::printf("generated %d songs, %d singers in %.1f s (%s)\n", songs, singers, t.elapsed() / 1000.0,
                    qPrintable(path));
    }
    std::printf("%-44s %12s %12s %8s\n", "measure", "DataSet", "target/base", "ratio");

    // Opening CD_Song over qu_song.
    malloc_trim(0);
    const long rssBefore = RssKb();
    DataSet song, singer;
    song.setObjectName("CD_Song");
    song.SetConnection(&c);
    song.SetTableName("qu_song");
    song.RemoveField("Music");
    song.RemoveField("Remark");
    t.start();
    double cpu = CpuMs();
    song.Open();
    const double openMs = t.nsecsElapsed() / 1e6;
    const double openCpu = CpuMs() - cpu;
    malloc_trim(0);
    const double memMb = (RssKb() - rssBefore) / 1024.0;
    const double storeMb = song.MemoryBytes() / 1048576.0;
    std::printf("%-44s %10.0fms %10.0fms %8.2f\n", "open CD_Song (wall clock)", openMs, 1500.0, 1500.0 / openMs);
    std::printf("%-44s %10.0fms %10.0fms %8.2f\n", "open CD_Song (CPU time)", openCpu, 1500.0, 1500.0 / openCpu);
    std::printf("%-44s %10.1fMB %10.0fMB %8.2f\n", "memory of CD_Song (its storage)", storeMb, 150.0, 150.0 / storeMb);
    std::printf("%-44s %10.1fMB %10.0fMB %8.2f\n", "  process RSS growth (incl. SQLite cache/map)", memMb, 150.0,
                150.0 / memMb);
    std::printf("%-44s %12d\n", "  records", song.RecordCount());
    singer.setObjectName("CD_Singer");
    singer.SetConnection(&c);
    singer.SetTableName("qu_Singer");
    singer.Open();

    // The loader's index field lists.
    const QStringList songLists = {"Lan_type",  "Type",     "STR_LEN;Name", "Name",           "First_Char",
                                   "SongNo",    "Strokes",  "TimesYear",    "TimesSeason",    "TimesMonth",
                                   "TimesWeek", "TimesDay", "TotalTimes",   "Name;Singer_nam"};
    t.start();
    cpu = CpuMs();
    for (const QString& l : songLists)
        song.SetIndexFieldNames(l);
    singer.SetIndexFieldNames("SingerName");
    singer.SetIndexFieldNames("Times");
    const double prepMs = t.nsecsElapsed() / 1e6;
    const double prepCpu = CpuMs() - cpu;
    std::printf("%-44s %10.0fms %10.0fms %8.2f\n", "prepare 14+2 index lists (wall clock)", prepMs, 1000.0,
                1000.0 / prepMs);
    std::printf("%-44s %10.0fms %10s\n", "prepare 14+2 index lists (CPU, 2 threads)", prepCpu, "");
    // Further lists the song filter uses (descending rankings, the word count).
    for (const char* l : {"TotalTimes DESC", "TimesYear DESC", "TimesSeason DESC", "TimesMonth DESC", "TimesWeek DESC",
                          "STR_LEN ASC;Name"})
        song.PrepareIndex(QString::fromUtf8(l));

    if (qEnvironmentVariableIsSet("VOD_BENCH_LOAD_ONLY"))
        return 0;
    const QString since = QDate::currentDate().addDays(-90).toString("yyyy-MM-dd");
    song.First();
    song.MoveBy(song.RecordCount() / 3);
    const QString someSinger = song.FieldByName("Singer_Nam").AsString();
    const QString someChar = song.FieldByName("Name").AsString().left(1);
    const QList<Case> cases = {
        {"language 1", "Lan_Type=1", "STR_LEN ASC;Name", "Lan_Type=1", "Str_len, Name"},
        {"language 0", "Lan_Type > 9 and Lan_Type <> 20 and Lan_Type <> 21", "STR_LEN ASC;Name",
         "Lan_Type > 9 and Lan_Type <> 20 and Lan_Type <> 21", "Str_len, Name"},
        {"language 5 (disk)", "Lan_Type=5 and disk<>'外语' ", "STR_LEN ASC;Name", "Lan_Type=5 and disk<>'外语'",
         "Str_len, Name"},
        {"language 1 + letters ZG", "Lan_Type=1 and First_Char like 'ZG%'", "First_Char",
         "Lan_Type=1 and First_Char like 'ZG%'", "First_Char"},
        {"ranking 3", "Lan_Type=3 and TotalTimes > 0 ", "TotalTimes DESC", "Lan_Type=3 and TimesTotal > 0",
         "TimesTotal DESC"},
        {"ranking 7 (year)", "TimesYear > 0 ", "TimesYear DESC", "TimesYear > 0", "TimesYear DESC"},
        {"ranking 8 (season)", "TimesSeason > 0 ", "TimesSeason DESC", "TimesSeason > 0", "TimesSeason DESC"},
        {"ranking 9 (month)", "TimesMonth > 0 ", "TimesMonth DESC", "TimesMonth > 0", "TimesMonth DESC"},
        {"ranking 0 (week)", "TimesWeek > 0 ", "TimesWeek DESC", "TimesWeek > 0", "TimesWeek DESC"},
        {"singer", "Singer_Nam like '%" + someSinger + "%'", "TotalTimes DESC",
         "Singer_Nam like '%" + someSinger + "%'", "TimesTotal DESC"},
        {"new songs", "[CreateDate] <> null and [CreateDate]>='" + since + "'", "TotalTimes DESC",
         "CreateDate IS NOT NULL and CreateDate >= '" + since + "'", "TimesTotal DESC"},
        {"song type 2", "Lan_Type > 0 and type <> null and type=2", "TotalTimes DESC",
         "Lan_Type > 0 and Type IS NOT NULL and Type=2", "TimesTotal DESC"},
        {"film type 3", "Lan_Type = 0 and type <> null and type=3", "TotalTimes DESC",
         "Lan_Type = 0 and Type IS NOT NULL and Type=3", "TimesTotal DESC"},
        {"adult-film type 1", "Lan_Type = 20 and type <> null and type=1", "Name;Singer_nam",
         "Lan_Type = 20 and Type IS NOT NULL and Type=1", "Name, Singer_Nam"},
        {"dance-film type 1", "Lan_Type = 21 and type <> null and type=1", "TotalTimes DESC",
         "Lan_Type = 21 and Type IS NOT NULL and Type=1", "TimesTotal DESC"},
        {"name start", "Name like '" + someChar + "%'", "Name", "Name like '" + someChar + "%'", "Name"},
        {"strokes 12", "Strokes like '12%'", "Strokes", "STROKES like '12%'", "STROKES"},
        {"song type 2 + 3 words", "Lan_Type > 0 and type <> null and type=2 and  Str_Len = 3 ", "STR_LEN ASC;Name",
         "Lan_Type > 0 and Type IS NOT NULL and Type=2 and Str_len = 3", "Str_len, Name"},
        {"8 or more words", " Str_Len >= 8 ", "STR_LEN ASC;Name", "Str_len >= 8", "Str_len, Name"},
    };
    sqlite3* db = Handle(c);
    // VOD_BENCH_CASE=<label part> runs only the matching cases, many times (for profiling).
    const QString only = qEnvironmentVariable("VOD_BENCH_CASE");
    const int reps = only.isEmpty() ? 15 : 400;
    std::vector<double> ratios, cpuRatios;
    double worst = 0, worstCpu = 0;
    std::printf("%-26s %11s %10s %10s %6s | %-28s\n", "filter + sort + count + page", "", "DataSet", "SQLite", "ratio",
                "same, thread CPU time");
    for (const Case& k : cases) {
        if (!only.isEmpty() && !QString::fromUtf8(k.label).contains(only))
            continue;
        std::vector<double> ours, base, oursCpu, baseCpu;
        int countOurs = 0, countBase = 0;
        for (int r = 0; r < reps; ++r) {
            song.SetFiltered(false);
            song.SetFilter(QString());
            t.start();
            double c0 = ThreadCpuMs();
            song.SetIndexFieldNames(k.sort);
            song.SetFilter(k.filter);
            song.SetFiltered(true);
            countOurs = song.RecordCount();
            int page = 0;
            for (song.First(); !song.Eof() && page < 10; song.Next(), ++page)
                (void)(song.FieldByName("SongNo").AsString() + song.FieldByName("Name").AsString() +
                       song.FieldByName("Singer_Nam").AsString());
            ours.push_back(t.nsecsElapsed() / 1e6);
            oursCpu.push_back(ThreadCpuMs() - c0);

            t.start();
            c0 = ThreadCpuMs();
            const QByteArray countSql = ("SELECT count(*) FROM original WHERE " + k.where).toUtf8();
            const QByteArray pageSql = ("SELECT SONGNO, Name, Singer_Nam FROM original WHERE " + k.where +
                                        " ORDER BY " + k.order + " LIMIT 10")
                                           .toUtf8();
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db, countSql.constData(), -1, &st, nullptr);
            if (sqlite3_step(st) == SQLITE_ROW)
                countBase = sqlite3_column_int(st, 0);
            sqlite3_finalize(st);
            sqlite3_prepare_v2(db, pageSql.constData(), -1, &st, nullptr);
            QString sink;
            while (sqlite3_step(st) == SQLITE_ROW)
                for (int i = 0; i < 3; ++i)
                    sink += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
            sqlite3_finalize(st);
            base.push_back(t.nsecsElapsed() / 1e6);
            baseCpu.push_back(ThreadCpuMs() - c0);
        }
        const double mo = Median(ours), mb = Median(base), co = Median(oursCpu), cb = Median(baseCpu);
        ratios.push_back(mb / mo);
        cpuRatios.push_back(cb / co);
        worst = std::max(worst, mo);
        worstCpu = std::max(worstCpu, co);
        std::printf("%-26s %6d rows %8.3fms %9.3fms %6.1f | cpu %7.3fms %8.3fms %6.1f%s\n", k.label, countOurs, mo, mb,
                    mb / mo, co, cb, cb / co, countOurs == countBase ? "" : "  (count differs from SQLite!)");
    }
    std::printf("%-44s %10.1fMB %10.0fMB %8.2f\n", "memory of CD_Song with its indexes", song.MemoryBytes() / 1048576.0,
                150.0, 150.0 / (song.MemoryBytes() / 1048576.0));
    std::printf("%-44s %10.3fms %10.0fms %8.2f\n", "slowest filter median, wall (target 5 ms)", worst, 5.0,
                5.0 / worst);
    std::printf("%-44s %10.3fms %10.0fms %8.2f\n", "slowest filter median, CPU (target 5 ms)", worstCpu, 5.0,
                5.0 / worstCpu);
    std::printf("%-44s %12s %12s %8.1f\n", "smallest ratio SQLite/DataSet, wall (target 3)", "", "",
                *std::min_element(ratios.begin(), ratios.end()));
    std::printf("%-44s %12s %12s %8.1f\n", "smallest ratio SQLite/DataSet, CPU (target 3)", "", "",
                *std::min_element(cpuRatios.begin(), cpuRatios.end()));
    return 0;
}
