// The control link under load, offscreen, on a demo installation:
//  1. a key press (PAGEDOWN, posted as the remote's keys are) on the song
//     list to the repainted page, while a second thread sends 20,000
//     datagrams a second for another computer to the station's port for
//     10 s; baseline: the same without the flood;
//  2. the station's resident memory before and after the flood;
//  3. a "cmd lock" datagram to the lock screen shown, without and with the
//     flood; baseline: opening the lock screen directly.
//   bench_control [songs] [flood-seconds]
#include "bench/BenchSupport.h"
#include "catalogue/FrmData.h"
#include "core/Setting.h"
#include "net/Datagram.h"
#include "net/UDP.h"
#include "platform/keys/VirtualKeys.h"
#include "playback/FrmMediaPlayer.h"
#include "screens/SongScreens.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "utilities/UtilityScreens.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using bench::Median;

constexpr int kRate = 20000;

double ResidentMb()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Sends datagrams for another computer at kRate a second until stopped.
class Flood
{
public:
    explicit Flood(quint16 port) : m_nPort(port) {}
    ~Flood() { Stop(); }
    void Start()
    {
        m_bStop = false;
        m_nSent = 0;
        m_thread = std::thread([this] { Run(); });
    }
    void Stop()
    {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    long Sent() const { return m_nSent.load(); }

private:
    void Run()
    {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(m_nPort);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const QByteArray d = udpwire::JoinFields({"another-room", "cmd", "lock"});
        const auto start = std::chrono::steady_clock::now();
        while (!m_bStop) {
            const double due = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() * kRate;
            while (m_nSent < long(due)) {
                ::sendto(fd, d.constData(), size_t(d.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
                ++m_nSent;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        ::close(fd);
    }
    quint16 m_nPort;
    std::atomic<bool> m_bStop{false};
    std::atomic<long> m_nSent{0};
    std::thread m_thread;
};

// A posted PAGEDOWN to the page shown again (the list's page label changed
// and the screen rendered).
double PageTurnMs(TKVFormXML* screen, int key)
{
    TSubTitle* page = screen->FindLabel(QStringLiteral("pagelabel"));
    const QString before = page ? page->Caption() : QString();
    QElapsedTimer t;
    t.start();
    PostVkKeyDown(screen, key);
    while ((page ? page->Caption() == before : false) && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    volatile int w = screen->grab().width();
    (void)w;
    return double(t.nsecsElapsed()) / 1e6;
}

// "cmd lock" from the server to the lock screen shown (-1: not shown within
// a second: the datagram was lost); then unlocked.
double LockMs(QUdpSocket& server, quint16 port)
{
    const QByteArray host = g_pSetting->ComputerName.toLatin1();
    QElapsedTimer t;
    t.start();
    server.writeDatagram(udpwire::JoinFields({host, "cmd", "lock"}), QHostAddress::LocalHost, port);
    while (!(g_pLockScreen && g_pLockScreen->isVisible()) && t.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    const double ms = g_pLockScreen ? double(t.nsecsElapsed()) / 1e6 : -1;
    server.writeDatagram(udpwire::JoinFields({host, "cmd", "unlock"}), QHostAddress::LocalHost, port);
    while (g_pLockScreen && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    const int songs = argc > 1 ? std::max(100, atoi(argv[1])) : 30000;
    const int floodSeconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;

    QTemporaryDir dir;
    QProcess demo;
    demo.start(QStringLiteral(VOD_DEMO_PROGRAM), {dir.path(), QStringLiteral("--songs"), QString::number(songs),
                                                  QStringLiteral("--photos"), QStringLiteral("1")});
    if (!demo.waitForFinished(600000) || demo.exitCode() != 0) {
        std::fprintf(stderr, "bench_control: the demo installation failed\n");
        return 1;
    }
    TFrmData data(bench::StationOptions(dir.path()));
    data.WaitForLoader();
    g_pSetting->NeedLogin = false;
    g_pSetting->ShowScreen = 0;
    g_pSetting->Debug = false;
    g_pSetting->ComputerName = QStringLiteral("bench-room");
    g_pSetting->ControlServerIP = QStringLiteral("127.0.0.2");

    UiHooks().IsQueued = [](const QString& songNo) { return FrmData && FrmData->IsQueued(songNo); };
    RegisterSongScreens();
    RegisterUtilityScreens();
    TKVFormManager manager;
    g_pFrmManager = &manager;
    FrmMediaPlayer = new TFrmMediaPlayer(false);
    manager.LoadSkin(g_pSetting->SkinDir() + QStringLiteral("buttons.xml"));

    // The station's link on a free loopback port; the server on 127.0.0.2.
    QUdpSocket server;
    server.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0);
    const quint16 port = server.localPort();
    qputenv("VOD_UDP_BIND_ADDRESS", "127.0.0.1");
    auto* link = new TUDP(port, QStringLiteral("127.0.0.2"));
    FrmMediaPlayer->SetServerLink(link);
    if (!link->Bound()) {
        std::fprintf(stderr, "bench_control: cannot bind port %u\n", port);
        return 1;
    }

    data.m_pFilter->SetLanguage(QStringLiteral("1"));
    TKVFormXML* list = manager.ShowSongList();
    if (!list) {
        std::fprintf(stderr, "bench_control: no song list\n");
        return 1;
    }
    const int pageDown = g_pSetting->Keys.PAGEDOWN, pageUp = g_pSetting->Keys.PAGEUP;
    auto turns = [&](int n) {
        std::vector<double> v;
        for (int i = 0; i < n; ++i)
            v.push_back(PageTurnMs(list, (i / 20) % 2 ? pageUp : pageDown));
        return v;
    };
    turns(10); // warm up
    const double quiet = Median(turns(60));

    std::vector<double> locksQuiet;
    for (int i = 0; i < 20; ++i)
        locksQuiet.push_back(LockMs(server, port));
    std::vector<double> direct;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        TKVFormXML* lock = manager.OpenLock([](ILockScreen&) {}, QStringLiteral("lock"));
        direct.push_back(double(t.nsecsElapsed()) / 1e6);
        lock->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    list->activateWindow();

    // The flood: page turns all along, memory before and after.
    for (int i = 0; i < 200; ++i)
        QCoreApplication::processEvents();
    const double memBefore = ResidentMb();
    Flood flood(port);
    flood.Start();
    QElapsedTimer clock;
    clock.start();
    std::vector<double> flooded;
    int step = 0;
    while (clock.elapsed() < floodSeconds * 1000) {
        flooded.push_back(PageTurnMs(list, (step++ / 20) % 2 ? pageUp : pageDown));
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 50)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    std::vector<double> locksFlooded;
    int lost = 0;
    for (int i = 0; i < 20; ++i) {
        const double ms = LockMs(server, port);
        if (ms < 0)
            ++lost;
        else
            locksFlooded.push_back(ms);
    }
    const double seconds = double(clock.elapsed()) / 1000.0;
    flood.Stop();
    for (int i = 0; i < 200; ++i)
        QCoreApplication::processEvents();
    const double memAfter = ResidentMb();

    std::printf("catalogue: %d songs; flood: %ld datagrams for another computer in %.1f s (%.0f a second), %lld "
                "read by the station\n",
                songs, flood.Sent(), seconds, double(flood.Sent()) / seconds, link->ReadCount());
    std::printf("page turn, posted key to repainted song list, median: without flood %.2f ms (%zu), during the "
                "flood %.2f ms (%zu) (target <= 16 ms); ratio %.2f\n",
                quiet, size_t(60), Median(flooded), flooded.size(), Median(flooded) / std::max(quiet, 1e-3));
    std::printf("resident memory: %.1f MB before the flood, %.1f MB after; growth %.1f MB (target <= 5 MB)\n",
                memBefore, memAfter, memAfter - memBefore);
    std::printf("cmd lock datagram to lock screen shown, median of 20: without flood %.2f ms, during the flood "
                "%.2f ms (target <= 50 ms; %d of 20 lost before the station read them); baseline, opening the "
                "lock screen directly: %.2f ms\n",
                Median(locksQuiet), Median(locksFlooded), lost, Median(direct));

    manager.CloseAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete FrmMediaPlayer;
    g_pFrmManager = nullptr;
    ResetUiHooks();
    return 0;
}
