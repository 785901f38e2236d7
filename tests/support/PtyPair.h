#pragma once
// A pair of connected pseudo-terminals made by socat: the station opens one
// end as its serial device, the test reads on the other end exactly what the
// device would receive. Stopping socat takes the device away, as unplugging
// a USB adapter does.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace testsupport {

class PtyPair
{
public:
    PtyPair()
    {
        m_sDevice = m_dir.path() + QStringLiteral("/ttyDevice");
        m_sFar = m_dir.path() + QStringLiteral("/ttyFar");
        m_socat.setProgram(QStringLiteral("socat"));
        m_socat.setArguments(
            {QStringLiteral("pty,raw,echo=0,link=") + m_sDevice, QStringLiteral("pty,raw,echo=0,link=") + m_sFar});
        // Its output is not read; it must not hold the test's own output open
        // should the test end without stopping it.
        m_socat.setStandardOutputFile(QProcess::nullDevice());
        m_socat.setStandardErrorFile(QProcess::nullDevice());
        m_socat.start();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && !(QFileInfo::exists(m_sDevice) && QFileInfo::exists(m_sFar)))
            QThread::msleep(5);
        m_nFar = ::open(QFile::encodeName(m_sFar).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    }
    ~PtyPair()
    {
        Unplug();
        if (m_nFar >= 0)
            ::close(m_nFar);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ready() const { return m_nFar >= 0; }
    // The path the station opens as its serial device.
    const QString& DevicePath() const { return m_sDevice; }

    // Reads until count bytes arrived (or the time is up), running the
    // event loop meanwhile; gives what came.
    QByteArray Read(int count, int timeoutMs = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (m_buffer.size() < count && t.elapsed() < timeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd p{m_nFar, POLLIN, 0};
            if (::poll(&p, 1, 5) > 0 && (p.revents & POLLIN))
                Drain();
        }
        const QByteArray got = m_buffer.left(count);
        m_buffer.remove(0, got.size());
        return got;
    }
    // Everything that arrived so far, without waiting.
    QByteArray ReadAvailable()
    {
        Drain();
        QByteArray got;
        got.swap(m_buffer);
        return got;
    }

    // The device goes away: socat ends and both terminals close.
    void Unplug()
    {
        if (m_socat.state() == QProcess::NotRunning)
            return;
        m_socat.terminate();
        if (!m_socat.waitForFinished(3000)) {
            m_socat.kill();
            m_socat.waitForFinished(3000);
        }
    }

private:
    void Drain()
    {
        char chunk[256];
        for (;;) {
            const ssize_t n = ::read(m_nFar, chunk, sizeof chunk);
            if (n <= 0)
                break;
            m_buffer.append(chunk, qsizetype(n));
        }
    }

    QTemporaryDir m_dir;
    QString m_sDevice, m_sFar;
    QProcess m_socat;
    int m_nFar = -1;
    QByteArray m_buffer;
};

} // namespace testsupport
