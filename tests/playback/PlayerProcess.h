#pragma once
// Test helpers for the player link: a program of the installation folder run
// as a child process whose output lines can be awaited, and a registered
// station window that records what the player posts to it.
#include "core/Gbk.h"
#include "playback/PlayerLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <memory>
#include <ostream>
#include <unistd.h>
#include <vector>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace playertest {

inline QString UniqueCaption(const QString& stem)
{
    static std::atomic<int> counter{0};
    return QStringLiteral("%1-%2-%3").arg(stem).arg(::getpid()).arg(++counter);
}

inline QString ExeDir()
{
    return qEnvironmentVariable("VOD_EXE_DIR");
}

template <typename Pred> bool WaitUntil(Pred pred, int timeoutMs = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

class Program
{
public:
    Program(const QString& name, const QStringList& args)
    {
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(ExeDir() + QLatin1Char('/') + name, args);
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    QProcess& Process() { return m_process; }

    // Waits for the next line (after the last one found) that starts with
    // the text; gives it, or an empty text.
    QString WaitLine(const QString& start, int timeoutMs = 10000)
    {
        QString found;
        WaitUntil(
            [&] {
                Read();
                for (qsizetype i = m_nSeen; i < m_aLines.size(); ++i) {
                    if (m_aLines[i].startsWith(start)) {
                        found = m_aLines[i];
                        m_nSeen = i + 1;
                        return true;
                    }
                }
                return m_process.state() == QProcess::NotRunning && !m_process.bytesAvailable();
            },
            timeoutMs);
        return found;
    }
    QStringList Lines()
    {
        Read();
        return m_aLines;
    }
    QStringList LinesStarting(const QString& start)
    {
        QStringList out;
        for (const QString& l : Lines())
            if (l.startsWith(start))
                out << l;
        return out;
    }

private:
    void Read()
    {
        m_process.waitForReadyRead(0);
        m_buffer += m_process.readAllStandardOutput();
        qsizetype nl;
        while ((nl = m_buffer.indexOf('\n')) >= 0) {
            m_aLines << QString::fromUtf8(m_buffer.left(nl)).trimmed();
            m_buffer.remove(0, nl + 1);
        }
    }

    QProcess m_process;
    QByteArray m_buffer;
    QStringList m_aLines;
    qsizetype m_nSeen = 0;
};

// The station's side: its window registered under a unique caption, the
// player caption set, every message handed to the hook recorded.
class Station
{
public:
    Station()
        : m_sClient(UniqueCaption(QStringLiteral("kroomclient"))), m_sPlayer(UniqueCaption(QStringLiteral("播放器")))
    {
        playerlink::SetClientCaption(m_sClient);
        playerlink::SetPlayerCaption(m_sPlayer);
        m_pLink = playerlink::RegisterStationWindow(&m_window);
        playerlink::SetStationMessageHook([this](const windowlink::WindowMessage& m) { messages.push_back(m); });
    }
    ~Station()
    {
        playerlink::SetStationMessageHook(nullptr);
        delete m_pLink;
    }
    bool Registered() const { return m_pLink->IsRegistered(); }
    const QString& ClientCaption() const { return m_sClient; }
    const QString& PlayerCaption() const { return m_sPlayer; }

    // Starts the player stand-in for this station.
    std::unique_ptr<Program> StartPlayer(QStringList extra)
    {
        QStringList args{QStringLiteral("--headless"), QStringLiteral("--caption"), m_sPlayer,
                         QStringLiteral("--client-caption"), m_sClient};
        args += extra;
        return std::make_unique<Program>(QStringLiteral("vodplayer"), args);
    }

    // Waits for a message; gives its index in `messages` or -1.
    int WaitMessage(uint32_t message, int64_t wParam, int64_t lParam, int timeoutMs = 5000)
    {
        int found = -1;
        WaitUntil(
            [&] {
                for (size_t i = m_nSeen; i < messages.size(); ++i) {
                    const windowlink::WindowMessage& m = messages[i];
                    if (m.message == message && m.wParam == wParam && m.lParam == lParam) {
                        found = int(i);
                        m_nSeen = i + 1;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }

    std::vector<windowlink::WindowMessage> messages;

private:
    QString m_sClient;
    QString m_sPlayer;
    QWidget m_window;
    windowlink::LinkWindow* m_pLink = nullptr;
    size_t m_nSeen = 0;
};

} // namespace playertest
