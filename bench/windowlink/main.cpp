// Benchmark of the window link, in one process:
//   - FindWindow for a caption nobody holds and for a live one, against a
//     stat() of the same socket path (the least a look-up can cost);
//   - a posted message from PostMessage to the receiver's signal, through the
//     socket and the event loop, against a QCoreApplication::postEvent of the
//     same event delivered by the same loop.
//   bench_windowlink [rounds]
#include "core/Gbk.h"
#include "platform/windowlink/WindowLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace windowlink;

namespace {

double PerCallUs(qint64 ns, int rounds)
{
    return double(ns) / 1000.0 / rounds;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 20000;
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString caption = QStringLiteral("点歌台-bench-%1").arg(::getpid());
    LinkWindow window(caption);
    if (!window.IsRegistered()) {
        std::fprintf(stderr, "bench_windowlink: %s\n", qPrintable(window.ErrorText()));
        return 1;
    }
    const QByteArray folder = RuntimeFolder(false);
    const QByteArray missingPath = SocketPathFor(folder, ToNarrow(QStringLiteral("nobody")));

    QElapsedTimer t;
    struct stat st;
    int sink = 0;
    t.start();
    for (int i = 0; i < rounds; ++i)
        sink += ::stat(missingPath.constData(), &st);
    const qint64 statNs = t.nsecsElapsed();
    t.restart();
    for (int i = 0; i < rounds; ++i)
        sink += FindWindow(QStringLiteral("nobody")).IsNull() ? 1 : 0;
    const qint64 missNs = t.nsecsElapsed();
    t.restart();
    for (int i = 0; i < rounds; ++i)
        sink += FindWindow(caption).IsNull() ? 0 : 1;
    const qint64 findNs = t.nsecsElapsed();

    // Delivery: post one message and run the loop until it arrives.
    int received = 0;
    QObject::connect(&window, &LinkWindow::MessageReceived, [&](const WindowMessage&) { ++received; });
    const WindowHandle h = FindWindow(caption);
    t.restart();
    for (int i = 0; i < rounds; ++i) {
        PostMessage(h, 5000, i, 0);
        while (received <= i)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const qint64 postNs = t.nsecsElapsed();
    // Baseline: the same event posted inside the process.
    t.restart();
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::postEvent(&window, new WindowMessageEvent({5000, i, 0}));
        while (received <= rounds + i)
            QCoreApplication::processEvents();
    }
    const qint64 eventNs = t.nsecsElapsed();

    std::printf("rounds %d (checksum %d)\n", rounds, sink);
    std::printf("stat of a socket path      %8.2f us\n", PerCallUs(statNs, rounds));
    std::printf("FindWindow, nobody holds   %8.2f us  ratio to stat %6.1f\n", PerCallUs(missNs, rounds),
                double(missNs) / double(statNs));
    std::printf("FindWindow, live window    %8.2f us  ratio to stat %6.1f\n", PerCallUs(findNs, rounds),
                double(findNs) / double(statNs));
    std::printf("postEvent to the receiver  %8.2f us\n", PerCallUs(eventNs, rounds));
    std::printf("PostMessage to the signal  %8.2f us  ratio to postEvent %6.1f\n", PerCallUs(postNs, rounds),
                double(postNs) / double(eventNs));
    return 0;
}
