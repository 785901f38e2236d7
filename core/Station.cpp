#include "core/Station.h"

#include <QCoreApplication>
#include <QProcess>

namespace {
TStationClosers g_closers;
}

void SetStationClosers(TStationClosers closers)
{
    g_closers = std::move(closers);
}

void CloseStation(bool powerOff)
{
    if (g_closers.CloseAllScreens)
        g_closers.CloseAllScreens();
    if (g_closers.CloseQueue)
        g_closers.CloseQueue();
    if (g_closers.CloseMainForm)
        g_closers.CloseMainForm();
    else
        QCoreApplication::quit();
    if (powerOff)
        PowerOffWindows();
}

void PowerOffWindows()
{
    const QString command = qEnvironmentVariable("VOD_POWEROFF_COMMAND");
    if (!command.isEmpty())
        QProcess::startDetached(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    else
        QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
}
