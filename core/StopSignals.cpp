#include "core/StopSignals.h"

#include "core/Log.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The signal handler writes one byte into this pair; the GUI thread reads it.
int g_pipe[2] = {-1, -1};

extern "C" void NoteStopSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    // Nothing else is safe here; a full pipe already holds a pending stop.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void InstallStopSignals(std::function<void()> stop)
{
    if (g_pipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
        DebugOutput(QStringLiteral("stop signals: no socket pair, SIGTERM ends the station at once"));
        return;
    }
    auto* notifier = new QSocketNotifier(qintptr(g_pipe[0]), QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [stop = std::move(stop)] {
        char bytes[16];
        ssize_t n = 0;
        while ((n = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
            for (ssize_t i = 0; i < n; ++i) {
                WriteLog(QStringLiteral("收到信号%1,关闭点歌台").arg(int(bytes[i])));
                stop();
            }
        }
    });
    struct sigaction action = {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
