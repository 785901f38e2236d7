#pragma once
// Puts the room devices into the station: the serial ports opened by the
// data module's start-up, the device rows of the station-wide key handling
// (volume, microphone, tone, effects, the waiter call's service command), and
// the errors of ports that could not be opened, shown once to the guest.
class TFrmData;

// The data module's start-up step: opens the serial ports of the settings.
void OpenSerialPorts(TFrmData& module);
// Installs the key handling's device hooks.
void InstallRoomDevices();
// Shows each port that could not be opened on the message screen, once.
void ShowDeviceErrors();
// Closes the ports and removes the hooks (the end of the run, tests).
void RemoveRoomDevices();
