#include "platform/serial/SerialPort.h"

#include <QSerialPort>

TSerialPort::TSerialPort() : m_pPort(std::make_unique<QSerialPort>()) {}

TSerialPort::~TSerialPort()
{
    Close();
}

QString TSerialPort::Open(const QString& devicePath, int baudRate)
{
    Close();
    m_sPath = devicePath;
    m_pPort->setPortName(devicePath);
    if (!m_pPort->open(QIODevice::WriteOnly))
        return m_pPort->errorString();
    const bool set = m_pPort->setBaudRate(baudRate > 0 ? baudRate : kDefaultBaudRate) &&
                     m_pPort->setDataBits(QSerialPort::Data8) && m_pPort->setParity(QSerialPort::NoParity) &&
                     m_pPort->setStopBits(QSerialPort::OneStop) &&
                     m_pPort->setFlowControl(QSerialPort::SoftwareControl);
    if (!set) {
        const QString reason = m_pPort->errorString();
        m_pPort->close();
        return reason;
    }
    // DTR and RTS are lines of real ports only; a pseudo-terminal (and some
    // USB adapters) refuses them, which the device does not mind.
    m_pPort->setDataTerminalReady(true);
    m_pPort->setRequestToSend(true);
    m_pPort->clearError();
    return QString();
}

void TSerialPort::Close()
{
    if (m_pPort->isOpen())
        m_pPort->close();
}

bool TSerialPort::IsOpen() const
{
    return m_pPort->isOpen();
}

bool TSerialPort::Write(const QByteArray& bytes)
{
    if (!m_pPort->isOpen())
        return false;
    m_pPort->clearError();
    if (m_pPort->write(bytes) != bytes.size())
        return false;
    while (m_pPort->bytesToWrite() > 0) {
        if (!m_pPort->waitForBytesWritten(kWriteTimeoutMs))
            break;
    }
    const bool written = m_pPort->bytesToWrite() == 0 && m_pPort->error() == QSerialPort::NoError;
    if (!written) {
        // Whatever the device did not take is dropped, never sent late with
        // the next command.
        m_pPort->clear(QSerialPort::Output);
        if (m_pPort->error() == QSerialPort::ResourceError)
            m_pPort->close();
    }
    return written;
}
