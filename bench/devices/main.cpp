// Room device figures, offscreen, on a small demo installation:
//  1. a volume key (the microphone's, bound to a keyboard key) pressed on the
//     portal to the command's bytes read on the far end of the volume
//     device's pseudo-terminal; baseline: the same bytes written straight to
//     a second pseudo-terminal pair and read on its far end. Target: median
//     at most 5 ms.
//  2. the volume key to the volume screen's labels drawn, through the skin's
//     overlay; baseline: the ordinary volume screen opened and drawn without
//     the overlay. Target: at most 600 ms.
//   bench_devices [rounds]
#include "bench/BenchSupport.h"
#include "catalogue/FrmData.h"
#include "core/Setting.h"
#include "playback/FrmMediaPlayer.h"
#include "playback/FrmVolume.h"
#include "playback/InputDispatch.h"
#include "playback/PlaybackScreens.h"
#include "playback/RoomDevices.h"
#include "ui/KVFormManager.h"
#include "ui/StationScreens.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

// A socat pseudo-terminal pair: the device end's path and the far end read.
struct Pty
{
    QTemporaryDir dir;
    QProcess socat;
    QString device, far;
    int fd = -1;
    bool Start()
    {
        device = dir.path() + "/dev";
        far = dir.path() + "/far";
        socat.start("socat", {"pty,raw,echo=0,link=" + device, "pty,raw,echo=0,link=" + far});
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && !(QFileInfo::exists(device) && QFileInfo::exists(far)))
            QThread::msleep(5);
        fd = ::open(QFile::encodeName(far).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        return fd >= 0;
    }
    // Reads n bytes, running the event loop in between.
    bool Read(int n)
    {
        char buf[64];
        QElapsedTimer t;
        t.start();
        while (n > 0 && t.elapsed() < 2000) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 0) > 0) {
                const ssize_t got = ::read(fd, buf, sizeof buf);
                if (got > 0)
                    n -= int(got);
            } else {
                QCoreApplication::processEvents();
            }
        }
        return n <= 0;
    }
    ~Pty()
    {
        if (fd >= 0)
            ::close(fd);
        socat.terminate();
        socat.waitForFinished(3000);
    }
};

void Key(QWidget* w, int qtKey)
{
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    const int rounds = argc > 1 ? std::max(5, atoi(argv[1])) : 200;

    QTemporaryDir dir;
    QProcess demo;
    demo.start(QStringLiteral(VOD_BENCH_EXE_DIR "/vod-demo"), {dir.path(), "--songs", "50", "--photos", "1"});
    demo.waitForFinished(-1);
    if (demo.exitCode() != 0) {
        std::fprintf(stderr, "vod-demo failed: %s\n", demo.readAllStandardError().constData());
        return 1;
    }
    Pty station, baseline;
    if (!station.Start() || !baseline.Start()) {
        std::fprintf(stderr, "socat pseudo-terminals could not be made\n");
        return 1;
    }
    {
        QFile ini(dir.path() + "/vod.ini");
        ini.open(QIODevice::Append);
        ini.write(("\r\n[SerialPorts]\r\nCOM3=" + station.device + "\r\n").toUtf8());
    }
    TFrmDataHooks hooks;
    hooks.installMessageHandler = [](TFrmData&) { InstallInputDispatch(); };
    hooks.openSerialPorts = OpenSerialPorts;
    SetFrmDataHooks(hooks);
    TFrmData data(bench::StationOptions(dir.path()));
    data.WaitForLoader();
    // The device's port and its strings, set before the port opens.
    TSetting& s = *g_pSetting;
    s.NeedLogin = false;
    s.ShowScreen = 0;
    s.VolumeMode = false;
    s.COM = 3;
    for (int n = 0; n < TSetting::kMaxVolSteps; ++n)
        s.VolMic[size_t(n)] = QString::asprintf("10%02X", n);
    s.Keys.Mic_Add = 124; // F13
    s.Keys.Mic_Dec = 125; // F14
    s.Keys.Volume = 126;  // F15
    s.Client_Caption = QStringLiteral("bench-devices-%1").arg(::getpid());
    OpenSerialPorts(data);

    g_pFrmManager = new TKVFormManager();
    RegisterUiScreens();
    RegisterPlaybackScreens();
    UiHooks().DispatchKey = [](int key) { DispatchKey(key); };
    FrmMediaPlayer = new TFrmMediaPlayer(false);
    InstallRoomDevices();
    UiHooks().MainForm = [] { return static_cast<QWidget*>(FrmMediaPlayer); };
    g_pFrmManager->LoadSkin(s.SkinDir() + "buttons.xml");
    TKVFormXML* portal = g_pFrmManager->TopScreen();
    if (!portal) {
        std::fprintf(stderr, "no portal\n");
        return 1;
    }
    station.Read(10); // the start-up commands

    // 1. Key to bytes.
    std::vector<double> keyMs, rawMs;
    QElapsedTimer t;
    for (int i = 0; i < rounds; ++i) {
        t.start();
        Key(portal, i % 2 ? Qt::Key_F14 : Qt::Key_F13);
        if (!station.Read(2)) {
            std::fprintf(stderr, "no bytes on the device\n");
            return 1;
        }
        keyMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const int raw = ::open(QFile::encodeName(baseline.device).constData(), O_WRONLY | O_NOCTTY);
    for (int i = 0; i < rounds; ++i) {
        t.start();
        const char bytes[2] = {0x10, char(50 + i % 2)};
        if (::write(raw, bytes, 2) != 2 || !baseline.Read(2))
            return 1;
        rawMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    ::close(raw);

    // 2. Volume key to the labels drawn, with the skin's overlay.
    QFile movie(s.SkinDir() + "volume.swf");
    movie.open(QIODevice::WriteOnly);
    movie.close();
    const auto drawn = [] {
        auto* screen = qobject_cast<TFrmVolume*>(g_pFrmManager->TopScreen());
        if (!screen || !screen->m_bShowHandler || !screen->m_pVol || screen->m_pVol->Caption().isEmpty())
            return false;
        screen->grab();
        return true;
    };
    const auto closeAll = [] {
        g_pFrmManager->CloseToPortal();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    const int screenRounds = std::max(3, rounds / 20);
    std::vector<double> openMs, plainMs;
    for (int i = 0; i < screenRounds; ++i) {
        t.start();
        Key(portal, Qt::Key_F15);
        while (!drawn() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        openMs.push_back(double(t.nsecsElapsed()) / 1e6);
        closeAll();
        t.start();
        g_pFrmManager->ShowVolume(true);
        while (!drawn() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        plainMs.push_back(double(t.nsecsElapsed()) / 1e6);
        closeAll();
    }

    const double key = bench::Median(keyMs), base = bench::Median(rawMs), open = bench::Median(openMs),
                 plain = bench::Median(plainMs);
    std::printf("volume key to device bytes: median %.3f ms (raw pty write %.3f ms, ratio %.1f) over %d keys  "
                "target <= 5 ms: %s\n",
                key, base, base > 0 ? key / base : 0.0, rounds, key <= 5.0 ? "met" : "MISSED");
    std::printf("volume key to labels drawn (overlay included): median %.1f ms (plain screen %.1f ms, ratio %.2f) "
                "over %d opens  target <= 600 ms: %s\n",
                open, plain, plain > 0 ? open / plain : 0.0, screenRounds, open <= 600.0 ? "met" : "MISSED");

    g_pFrmManager->CloseAll();
    delete FrmMediaPlayer;
    FrmMediaPlayer = nullptr;
    RemoveRoomDevices();
    RemoveInputDispatch();
    delete g_pFrmManager;
    g_pFrmManager = nullptr;
    ResetUiHooks();
    return 0;
}
