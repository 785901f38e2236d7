#include "core/Log.h"

#include "core/Gbk.h"
#include "core/Helpers.h"
#include "core/Setting.h"
#include "platform/Tick.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <cstdio>

namespace {

QMutex g_logLock;
// Whether this run has written its first line (the file is then replaced,
// later lines are appended: the file always holds exactly this run's lines).
bool g_bStarted = false;
QString g_sFile; // the file this run writes

QString LogFolder()
{
    if (g_pSetting && !g_pSetting->ExeDir.isEmpty())
        return g_pSetting->ExeDir;
    QString dir = qEnvironmentVariable("VOD_EXE_DIR");
    if (dir.isEmpty() && QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    return WithSeparator(dir);
}

} // namespace

QString FormatLogLine(const QDateTime& when, const QString& text)
{
    const QTime t = when.time();
    QString stamp = when.date().toString(QStringLiteral("yyyy-MM-dd"));
    if (t != QTime(0, 0, 0, 0))
        stamp += u' ' + t.toString(QStringLiteral("HH:mm:ss"));
    return stamp + QStringLiteral(": ") + text;
}

void DebugOutput(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

void WriteLog(const QString& text, bool force)
{
    const bool debug = g_pSetting && g_pSetting->Debug;
    if (!debug && !force)
        return;
    const QByteArray line = ToNarrow(FormatLogLine(QDateTime::currentDateTime(), text)) + "\r\n";

    QMutexLocker lock(&g_logLock);
    if (!g_bStarted)
        g_sFile = LogFolder() + QStringLiteral("LogVod.txt");
    QFile file(g_sFile);
    const QIODevice::OpenMode mode =
        g_bStarted ? (QIODevice::WriteOnly | QIODevice::Append) : (QIODevice::WriteOnly | QIODevice::Truncate);
    if (!file.open(mode) || file.write(line) != line.size()) {
        DebugOutput(QStringLiteral("LogVod.txt: ") + file.errorString());
        return;
    }
    g_bStarted = true;
}

void LogElapsed(const QString& label, uint32_t startTicks)
{
    const uint32_t elapsed = GetTickCount() - startTicks;
    const QString text = label + QStringLiteral("耗时:") + QString::number(elapsed);
    DebugOutput(text);
    WriteLog(text, false);
}

void ResetLogForTests()
{
    QMutexLocker lock(&g_logLock);
    g_bStarted = false;
    g_sFile.clear();
}
