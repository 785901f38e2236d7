#pragma once
// Closing the station and powering the computer off.
#include <functional>

// Closes every screen (newest first), the play-queue data sets and the main
// window (which ends the message loop), then powers off when asked.
void CloseStation(bool powerOff);

// Asks the system to power off: "systemctl poweroff", or the command named
// by the environment variable VOD_POWEROFF_COMMAND (run with /bin/sh -c).
// Not awaited; every failure is ignored.
void PowerOffWindows();

// The three closing steps, installed by the modules that own them (form
// manager, play queue, main window). Until the main window is installed,
// closing it ends the application's message loop directly.
struct TStationClosers
{
    std::function<void()> CloseAllScreens;
    std::function<void()> CloseQueue;
    std::function<void()> CloseMainForm;
};
void SetStationClosers(TStationClosers closers);
