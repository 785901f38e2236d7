#include "core/Guard.h"

#include "core/Log.h"

void LogHandlerError(const QString& handler, const QString& message)
{
    const QString text = handler + QStringLiteral(" 出错:") + message;
    DebugOutput(text);
    WriteLog(text);
}
