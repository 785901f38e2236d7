#pragma once
// Child processes of the tests (programs of the installation folder, or this
// test binary in another role) whose output lines can be awaited.
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <unistd.h>

namespace testsupport {

// The folder of the programs under test.
inline QString ExeDir()
{
    return qEnvironmentVariable("VOD_EXE_DIR");
}

// A name no other test of any process running now uses (captions, files).
inline QString UniqueName(const QString& stem)
{
    static std::atomic<int> counter{0};
    return QStringLiteral("%1-%2-%3").arg(stem).arg(::getpid()).arg(++counter);
}

// Runs the event loop until the predicate holds or the time is up.
template <typename Pred> bool WaitUntil(Pred pred, int timeoutMs = 10000, int pollMs = 1)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(pollMs);
    }
    return true;
}

class ChildProcess
{
public:
    ChildProcess() = default;
    ChildProcess(const QString& program, const QStringList& args,
                 const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
    {
        Start(program, args, env);
    }
    // Asks a child still running to end, then kills it.
    ~ChildProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000)) {
                m_process.kill();
                m_process.waitForFinished(3000);
            }
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Start(const QString& program, const QStringList& args,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(program, args);
    }
    QProcess& Process() { return m_process; }

    // Every line of standard output so far, trimmed.
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
    // Waits for the next line (after the last one found) that starts with
    // the text; gives it, or an empty text when the time is up or the child
    // ended without it.
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
    // The whole standard output (and error) so far.
    QString Output()
    {
        Read();
        return QString::fromUtf8(m_out);
    }
    QString Errors()
    {
        m_err += m_process.readAllStandardError();
        return QString::fromUtf8(m_err);
    }

private:
    void Read()
    {
        m_process.waitForReadyRead(0);
        m_out += m_process.readAllStandardOutput();
        qsizetype nl;
        while ((nl = m_out.indexOf('\n', m_nParsed)) >= 0) {
            m_aLines << QString::fromUtf8(m_out.mid(m_nParsed, nl - m_nParsed)).trimmed();
            m_nParsed = nl + 1;
        }
    }

    QProcess m_process;
    QByteArray m_out, m_err;
    qsizetype m_nParsed = 0;
    QStringList m_aLines;
    qsizetype m_nSeen = 0;
};

} // namespace testsupport
