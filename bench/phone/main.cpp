// Phone remote figures on a generated catalogue (300,000 songs by default):
//  1. one phone's search requests over loopback HTTP (keep-alive), 50th and
//     95th percentile; baselines in the same run: the catalogue search alone
//     (no HTTP) and the state request (HTTP, no search);
//  2. 20 phones, each from its own loopback address, searching 5 times a
//     second for 30 s: 99th percentile and errors; meanwhile the GUI thread
//     turns pages of a 10-row song list over the same 300,000 songs (key to
//     repainted screen, median), against the same page turns with no phones.
//   bench_phone [songs] [seconds]
#include "core/Setting.h"
#include "phone/PhoneServer.h"
#include "platform/db/DataSet.h"
#include "platform/db/DbConnection.h"
#include "platform/keys/VirtualKeys.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p / 100.0 * double(v.size())))];
}

double Ms(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The catalogue as the station's views show it, made by SQLite itself.
void MakeCatalogue(const QString& file, int songs)
{
    QFile(file).open(QIODevice::WriteOnly);
    DbConnection db;
    db.Open(QStringLiteral("Provider=SQLite;Data Source=") + file);
    db.Execute(QStringLiteral("create table qu_song (SongNo text, Name text, Singer_Nam text, Lan_Type integer, "
                              "Lan_Name text, First_Char text, CreateDate text, Price real, TotalTimes integer)"));
    db.Execute(
        QStringLiteral(
            "insert into qu_song with recursive c(x) as (select 1 union all select x + 1 from c where x < %1) "
            "select printf('%08d', x), '歌曲' || (x * 7919 % %1), '歌手' || (x % 997), 1 + x % 6, '国语', "
            "char(65 + x % 26) || char(65 + x / 26 % 26) || char(65 + x / 676 % 26) || char(65 + x / 17576 % 26), "
            "date('now', '-' || (x % 400) || ' days'), 0, x % 1000 from c")
            .arg(songs));
    db.Execute(QStringLiteral("create table qu_Singer (SINGERNAME text, PYCODE text, PHOTO text, TIMES real)"));
    db.Execute(QStringLiteral("insert into qu_Singer with recursive c(x) as (select 0 union all select x + 1 from c "
                              "where x < 996) select '歌手' || x, 'GS', '', x from c"));
}

// A phone: one keep-alive HTTP connection from its own address.
class Phone
{
public:
    Phone(quint16 port, const QString& from, const QString& token) : m_sToken(token)
    {
        m_socket.bind(QHostAddress(from), 0);
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        m_socket.waitForConnected(5000);
    }
    // Milliseconds to the whole answer; -1 on any failure or status but 200.
    double Get(const QString& pathAndQuery)
    {
        QElapsedTimer t;
        t.start();
        m_socket.write("GET " + pathAndQuery.toUtf8() +
                       " HTTP/1.1\r\nHost: phone\r\nX-Room-Token: " + m_sToken.toLatin1() + "\r\n\r\n");
        QByteArray data;
        qsizetype headerEnd = -1;
        qint64 length = -1;
        while (headerEnd < 0 || data.size() < headerEnd + 4 + length) {
            if (!m_socket.waitForReadyRead(5000))
                return -1;
            data += m_socket.readAll();
            if (headerEnd < 0 && (headerEnd = data.indexOf("\r\n\r\n")) >= 0) {
                const QByteArray head = data.left(headerEnd).toLower();
                const qsizetype at = head.indexOf("content-length:");
                length = at < 0 ? 0 : head.mid(at + 15, head.indexOf('\r', at) - at - 15).trimmed().toLongLong();
            }
        }
        return data.startsWith("HTTP/1.1 200") ? Ms(t) : -1;
    }

private:
    QTcpSocket m_socket;
    QString m_sToken;
};

QString RandomQuery(QRandomGenerator& rng)
{
    switch (rng.bounded(4)) {
    case 0: {
        QString q;
        for (int i = 0, n = 1 + rng.bounded(3); i < n; ++i)
            q += QChar(u'a' + rng.bounded(26));
        return q;
    }
    case 1:
        return QString::number(rng.bounded(1, 300000)).rightJustified(8, u'0').left(4 + rng.bounded(4));
    case 2:
        return QStringLiteral("%E6%AD%8C%E6%9B%B2") + QString::number(rng.bounded(1, 999)); // 歌曲 + digits
    default:
        return QStringLiteral("%E6%AD%8C%E6%89%8B") + QString::number(rng.bounded(997)); // 歌手 + digits
    }
}

// The terminal's song list: 10 rows of name, language and singer over the
// whole catalogue, turned a page by PAGEDOWN and grabbed as drawn.
struct SongList
{
    TKVFormXML* screen = nullptr;
    TItemList* list = nullptr;
    int pageDown = 0;

    double Turn()
    {
        QElapsedTimer t;
        t.start();
        SendVkKeyDown(screen, pageDown);
        volatile int w = screen->grab().width();
        (void)w;
        return Ms(t);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int songs = argc > 1 ? std::max(1000, atoi(argv[1])) : 300000;
    const int seconds = argc > 2 ? std::max(1, atoi(argv[2])) : 30;
    QTemporaryDir dir;
    const QString exe = dir.path() + u'/';
    QElapsedTimer t;
    t.start();
    MakeCatalogue(exe + QStringLiteral("kroom.db"), songs);
    std::printf("catalogue of %d songs generated in %.1f s\n", songs, Ms(t) / 1000);

    // ---- the server on its thread ----
    TPhoneServerOptions options;
    options.address = QHostAddress::LocalHost;
    options.connectionString = QStringLiteral("Provider=SQLite;Data Source=") + exe + QStringLiteral("kroom.db");
    options.exeDir = exe;
    // The single phone below asks about 100 times a second, more than a
    // phone's budget: the budget is raised (it is still counted).
    options.burst = options.perSecond = 200;
    QThread thread;
    thread.start();
    QObject anchor;
    anchor.moveToThread(&thread);
    TPhoneServer* server = nullptr;
    quint16 port = 0;
    double loadMs = 0;
    const QString token = QStringLiteral("benchtoken");
    QMetaObject::invokeMethod(
        &anchor,
        [&] {
            server = new TPhoneServer(options, TPhoneStationLink());
            server->Start();
            port = server->Port();
            QElapsedTimer load;
            load.start();
            server->LoadCatalogue();
            loadMs = Ms(load);
            server->SetToken(token);
        },
        Qt::BlockingQueuedConnection);
    std::printf("phone server on port %u, catalogue copy read in %.0f ms\n", port, loadMs);

    // ---- 1. one phone ----
    QRandomGenerator rng(20261210);
    std::vector<QString> queries;
    for (int i = 0; i < 600; ++i)
        queries.push_back(RandomQuery(rng));
    std::vector<double> search, state, direct;
    {
        Phone phone(port, QStringLiteral("127.0.0.1"), token);
        for (int round = 0; round < 2; ++round) { // the first round warms up
            search.clear();
            state.clear();
            for (int i = 0; i < 300; ++i) {
                search.push_back(phone.Get(QStringLiteral("/api/search?q=") + queries[size_t(i)]));
                state.push_back(phone.Get(QStringLiteral("/api/state")));
                QThread::msleep(20);
            }
        }
    }
    const auto catalogue = [&] {
        DbConnection db;
        db.Open(options.connectionString);
        return TPhoneCatalogue::Load(db);
    }();
    for (int i = 0; i < 300; ++i) {
        const QString q = QUrl::fromPercentEncoding(queries[size_t(i)].toUtf8());
        QElapsedTimer s;
        s.start();
        volatile int n = catalogue->Search(q, TPhoneVisibility(), 0, 30).total;
        (void)n;
        direct.push_back(Ms(s));
    }
    const int failed = int(std::count(search.begin(), search.end(), -1.0));
    std::printf("one phone, search request (300): p50 %.2f ms, p95 %.2f ms (target <= 10 ms), %d failed\n",
                Percentile(search, 50), Percentile(search, 95), failed);
    std::printf("baseline: state request p95 %.2f ms; search alone p95 %.2f ms; ratio search/state %.1f\n",
                Percentile(state, 95), Percentile(direct, 95),
                Percentile(search, 95) / std::max(Percentile(state, 95), 1e-3));

    // ---- the terminal's song list on this thread ----
    const QString skin = exe + QStringLiteral("skin/");
    QDir().mkpath(skin);
    QImage(64, 64, QImage::Format_RGB32).save(skin + QStringLiteral("ico.bmp"), "BMP");
    QString cells;
    const char* columns[] = {"songname", "songlang", "songsinger"};
    for (int row = 0; row < 10; ++row)
        for (int c = 0; c < 3; ++c)
            cells += QStringLiteral("<%1%2 type=\"button\" visible=\"1\" enabled=\"1\" left=\"%3\" top=\"%4\" "
                                    "width=\"240\" height=\"44\" fontsize=\"20\" fontcolor=\"16777215\"/>")
                         .arg(QLatin1String(columns[c]))
                         .arg(row)
                         .arg(20 + c * 250)
                         .arg(60 + row * 50);
    QFile xml(skin + QStringLiteral("buttons.xml"));
    xml.open(QIODevice::WriteOnly);
    xml.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><root><portal left=\"0\" top=\"0\" "
                             "width=\"800\" height=\"600\"/><public><form><frmsong>%1</frmsong></form></public></root>")
                  .arg(cells)
                  .toUtf8());
    xml.close();
    TSetting setting(exe);
    setting.LoadKeyMap();
    setting.BuildCommandWords();
    g_pSetting = &setting;
    TKVFormManager manager;
    g_pFrmManager = &manager;
    manager.LoadSkin(skin + QStringLiteral("buttons.xml"));
    DbConnection db;
    db.Open(options.connectionString);
    DataSet view;
    view.SetConnection(&db);
    view.SetTableName(QStringLiteral("qu_song"));
    view.Open();
    SongList terminal;
    terminal.pageDown = setting.Keys.PAGEDOWN;
    terminal.screen = manager.ShowNode(manager.SelectNode(QStringLiteral("root/public/form/frmsong")), true);
    terminal.list = new TItemList(terminal.screen);
    terminal.list->SetColCount(3);
    terminal.list->m_aFieldName =
        QStringList{QStringLiteral("Name"), QStringLiteral("Lan_Name"), QStringLiteral("Singer_Nam")};
    terminal.list->m_bSkinLabels = true;
    terminal.list->OnLayout = [&terminal, &columns](TItemList* l) {
        for (int row = 0; row < 10; ++row)
            for (int c = 0; c < 3; ++c)
                l->BindLabel(c, terminal.screen->FindLabel(QString::fromLatin1(columns[c]) + QString::number(row)),
                             row);
        l->m_nPageItems = 10;
    };
    terminal.list->Arrange(true);
    terminal.list->SetDataSet(&view);
    terminal.list->Draw();
    std::vector<double> quiet;
    for (int i = 0; i < 200; ++i)
        quiet.push_back(terminal.Turn());

    // ---- 2. twenty phones ----
    constexpr int kPhones = 20;
    std::mutex mutex;
    std::vector<double> loaded;
    std::atomic<int> errors{0}, requests{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> phones;
    for (int p = 0; p < kPhones; ++p) {
        phones.emplace_back([&, p] {
            Phone phone(port, QStringLiteral("127.0.0.%1").arg(2 + p), token);
            QRandomGenerator own(quint32(p + 1));
            QElapsedTimer clock;
            clock.start();
            std::vector<double> mine;
            for (int i = 0; !stop.load(); ++i) {
                const double ms = phone.Get(QStringLiteral("/api/search?q=") + RandomQuery(own));
                ++requests;
                if (ms < 0)
                    ++errors;
                else
                    mine.push_back(ms);
                // Five a second, each phone on its own beat.
                const qint64 due = qint64(i + 1) * 200;
                while (!stop.load() && clock.elapsed() < due)
                    QThread::msleep(std::min<qint64>(20, due - clock.elapsed() + 1));
            }
            std::lock_guard<std::mutex> lock(mutex);
            loaded.insert(loaded.end(), mine.begin(), mine.end());
        });
    }
    std::vector<double> busy;
    QElapsedTimer run;
    run.start();
    while (run.elapsed() < qint64(seconds) * 1000) {
        busy.push_back(terminal.Turn());
        QCoreApplication::processEvents();
        QThread::msleep(30);
    }
    stop.store(true);
    for (std::thread& p : phones)
        p.join();
    std::printf("%d phones x 5 searches/s for %d s: %d requests, p50 %.2f ms, p99 %.2f ms (target <= 50 ms), "
                "%d errors (target 0)\n",
                kPhones, seconds, requests.load(), Percentile(loaded, 50), Percentile(loaded, 99), errors.load());
    std::printf("song list page turn, key to repainted screen, median: %.2f ms with the phones (target <= 16 ms), "
                "%.2f ms without; ratio %.2f\n",
                Percentile(busy, 50), Percentile(quiet, 50),
                Percentile(busy, 50) / std::max(Percentile(quiet, 50), 1e-3));

    terminal.screen->close();
    g_pFrmManager = nullptr;
    g_pSetting = nullptr;
    QMetaObject::invokeMethod(
        &anchor, [&] { delete server; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
    return 0;
}
