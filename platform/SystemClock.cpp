#include "platform/SystemClock.h"

#include <ctime>

bool ClockSettingDisabled()
{
    const QByteArray v = qgetenv("VOD_KEEP_CLOCK");
    return !v.isEmpty() && v != "0";
}

void SetLocalClock(const QDateTime& moment)
{
    if (ClockSettingDisabled() || !moment.isValid())
        return;
    const qint64 ms = moment.toMSecsSinceEpoch();
    timespec ts{};
    ts.tv_sec = time_t(ms / 1000);
    ts.tv_nsec = long(ms % 1000) * 1000000L;
    (void)clock_settime(CLOCK_REALTIME, &ts);
}
