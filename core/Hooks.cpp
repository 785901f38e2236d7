#include "core/Hooks.h"

#include "core/Log.h"

#include <QByteArray>
#include <QMutex>
#include <QSet>
#include <QString>

void ReportMissingHook(const char* name)
{
    static QMutex lock;
    static QSet<QByteArray> reported;
    {
        QMutexLocker locker(&lock);
        if (!name || reported.contains(name))
            return;
        reported.insert(name);
    }
    const QString text = QStringLiteral("接口未安装,调用无效:") + QLatin1String(name);
    DebugOutput(text);
    WriteLog(text);
}
