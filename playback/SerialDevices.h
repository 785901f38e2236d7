#pragma once
// The room's two serial devices: the volume device (port COM) and the central
// control unit (port COM_CCU), sharing one port when both numbers are equal.
// A command word and its argument select a command string of the Setting
// table; the string's hexadecimal digits are sent as bytes and, with Debug
// on, every command is logged with the bytes and whether the port took them.
//
// Port numbers name devices through vod.ini, section [SerialPorts]:
//   COM3=/dev/ttyUSB0
// A number without an entry is the computer's own port /dev/ttyS<number - 1>
// (COM1 is /dev/ttyS0).
#include "platform/serial/SerialPort.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class TSetting;

class TSerialDevices
{
public:
    // Opens the volume device when COM > 0 and the central control unit when
    // COM_CCU > 0 and differs from COM. A port that cannot be opened is
    // logged (whether Debug is on or not) and kept in OpenErrors; the other
    // port and the rest of the start-up go on.
    void OpenSerialPorts(const TSetting& setting);
    void Close();

    // One command to the volume device (only when COM > 0): the word ("vol",
    // "mic", "Mix", "key", "effect") picks the string list, the value text's
    // number the entry. True when bytes were written.
    bool SendVolumeCommand(const QString& word, const QString& value);
    // One command to the central control unit (only when COM_CCU > 0): d is
    // the step -1, 0, +1 (entries 0, 1, 2), the effect level for "effect";
    // "service" is the waiter call.
    bool SendCcuCommand(const QString& word, int d);

    // The ports that could not be opened at start-up, as texts for the guest;
    // taken once (the next call gives nothing).
    QStringList TakeOpenErrors();
    const TSerialPort& VolumePort() const { return m_volume; }
    const TSerialPort& CcuPort() const { return m_ccu; }

    // The device path of a port number for an installation folder.
    static QString DevicePath(int portNumber, const QString& exeDir);
    // The bytes of a command string: two hexadecimal digits a byte, a final
    // single digit one byte of its value, at most kMaxCommandBytes. An empty
    // string gives no byte; a malformed or too long one gives nothing.
    static std::optional<QByteArray> CommandBytes(const QString& text);
    static constexpr int kMaxCommandBytes = 8;
    // The configured strings the words select.
    static QString VolumeString(const TSetting& setting, const QString& word, int entry);
    static QString CcuString(const TSetting& setting, const QString& word, int d);

private:
    bool Send(TSerialPort& port, int portNumber, const QString& what, const QString& command);
    void OpenPort(TSerialPort& port, int number, int baudRate, const QString& exeDir);

    TSerialPort m_volume;
    TSerialPort m_ccu;
    QStringList m_openErrors;
};

// The station's devices (opened by the data module's start-up).
TSerialDevices& SerialDevices();
