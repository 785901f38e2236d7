#pragma once
// A serial port as the room devices use it: opened by device path with the
// baud rate and the fixed line settings of the room's audio hardware (8 data
// bits, no parity, 1 stop bit, DTR and RTS on, XON/XOFF flow control), then
// only written to. Writes are synchronous: a write returns once the bytes
// have left for the device or the port refused them.
#include <QByteArray>
#include <QString>
#include <memory>

class QSerialPort;

class TSerialPort
{
public:
    TSerialPort();
    ~TSerialPort();
    TSerialPort(const TSerialPort&) = delete;
    TSerialPort& operator=(const TSerialPort&) = delete;

    // Opens the device for writing. A baud rate of 0 or less opens it at
    // kDefaultBaudRate. Gives an empty text on success, else the reason.
    QString Open(const QString& devicePath, int baudRate);
    void Close();
    bool IsOpen() const;
    const QString& DevicePath() const { return m_sPath; }

    // Writes the bytes and waits up to kWriteTimeoutMs for them to leave.
    // False when the port is not open, refused the write or did not take
    // every byte in time (a device unplugged while the station runs).
    bool Write(const QByteArray& bytes);

    static constexpr int kDefaultBaudRate = 9600;
    static constexpr int kWriteTimeoutMs = 500;

private:
    std::unique_ptr<QSerialPort> m_pPort;
    QString m_sPath;
};
