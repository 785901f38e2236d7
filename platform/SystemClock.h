#pragma once
// Setting the computer's clock. The station follows the room-service
// database server's clock; on Linux that changes the whole machine's time
// (when the process may), so tests, tools and the demo switch it off with
// the environment variable VOD_KEEP_CLOCK (any value but "0").
#include <QDateTime>

// True when VOD_KEEP_CLOCK asks to leave the machine's clock alone.
bool ClockSettingDisabled();

// Sets the local clock to the moment (clock_settime). The outcome is not
// reported: without the privilege the clock simply stays as it is. Does
// nothing for an invalid moment or when ClockSettingDisabled().
void SetLocalClock(const QDateTime& moment);
