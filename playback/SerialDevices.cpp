#include "playback/SerialDevices.h"

#include "core/IniFile.h"
#include "core/Log.h"
#include "core/Setting.h"

#include <array>

namespace {

template <size_t N> QString Entry(const std::array<QString, N>& list, int index)
{
    return index >= 0 && index < int(N) ? list[size_t(index)] : QString();
}

int HexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

QString ByteText(const QByteArray& bytes)
{
    QString text;
    for (const char b : bytes)
        text += QStringLiteral("\\x") + QString::number(uchar(b), 16);
    return text;
}

} // namespace

TSerialDevices& SerialDevices()
{
    static TSerialDevices devices;
    return devices;
}

QString TSerialDevices::DevicePath(int portNumber, const QString& exeDir)
{
    const TIniFile ini(exeDir + QStringLiteral("vod.ini"));
    const QString name = QStringLiteral("COM") + QString::number(portNumber);
    const QString path = ini.ReadString(QStringLiteral("SerialPorts"), name, QString());
    if (!path.isEmpty())
        return path;
    return QStringLiteral("/dev/ttyS") + QString::number(portNumber - 1);
}

std::optional<QByteArray> TSerialDevices::CommandBytes(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.size() > 2 * kMaxCommandBytes)
        return std::nullopt;
    QByteArray bytes;
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int high = HexDigit(digits[i]);
        if (high < 0)
            return std::nullopt;
        if (i + 1 == digits.size()) {
            bytes += char(high);
            break;
        }
        const int low = HexDigit(digits[i + 1]);
        if (low < 0)
            return std::nullopt;
        bytes += char(high * 16 + low);
    }
    return bytes;
}

QString TSerialDevices::VolumeString(const TSetting& s, const QString& word, int entry)
{
    if (word == QLatin1String("vol"))
        return Entry(s.VolMusic, entry);
    if (word == QLatin1String("mic"))
        return Entry(s.VolMic, entry);
    if (word == QLatin1String("Mix"))
        return Entry(s.VolMix, entry);
    if (word == QLatin1String("key"))
        return Entry(s.VolKey, entry);
    if (word == QLatin1String("effect"))
        return Entry(s.VolEffect, entry);
    return QString();
}

QString TSerialDevices::CcuString(const TSetting& s, const QString& word, int d)
{
    if (word == QLatin1String("vol"))
        return Entry(s.CcuMusic, d + 1);
    if (word == QLatin1String("mic"))
        return Entry(s.CcuMic, d + 1);
    if (word == QLatin1String("Mix"))
        return Entry(s.CcuMix, d + 1);
    if (word == QLatin1String("key"))
        return Entry(s.CcuKey, d + 1);
    if (word == QLatin1String("effect"))
        return Entry(s.CcuEffect, d);
    if (word == QLatin1String("service"))
        return s.Service;
    return QString();
}

void TSerialDevices::OpenPort(TSerialPort& port, int number, int baudRate, const QString& exeDir)
{
    const QString path = DevicePath(number, exeDir);
    const QString error = port.Open(path, baudRate);
    if (error.isEmpty())
        return;
    const QString name = QStringLiteral("COM") + QString::number(number);
    // The station runs on without the device; the venue finds the cause in
    // the log whether Debug is on or not.
    WriteLog(QStringLiteral("打开串口") + name + QStringLiteral("(") + path + QStringLiteral(")失败:") + error, true);
    const QString text = g_pSetting ? g_pSetting->Texts.ErrorOpenCOM : QString();
    m_openErrors << (text.isEmpty() ? QStringLiteral("串口") + name + QStringLiteral("打开失败")
                                    : text + QLatin1Char(' ') + name);
}

void TSerialDevices::OpenSerialPorts(const TSetting& s)
{
    Close();
    m_openErrors.clear();
    if (s.COM > 0)
        OpenPort(m_volume, s.COM, s.COM_BaudRate, s.ExeDir);
    if (s.COM_CCU > 0 && s.COM_CCU != s.COM)
        OpenPort(m_ccu, s.COM_CCU, s.CCU_BaudRate, s.ExeDir);
}

void TSerialDevices::Close()
{
    m_volume.Close();
    m_ccu.Close();
}

QStringList TSerialDevices::TakeOpenErrors()
{
    QStringList errors;
    errors.swap(m_openErrors);
    return errors;
}

bool TSerialDevices::Send(TSerialPort& port, int portNumber, const QString& what, const QString& command)
{
    const bool debug = g_pSetting && g_pSetting->Debug;
    const QString head = what + QStringLiteral(":串口") + QString::number(portNumber) + QLatin1Char(':');
    const std::optional<QByteArray> bytes = CommandBytes(command);
    if (!bytes) {
        if (debug)
            WriteLog(head + QStringLiteral("协议格式错误:") + command);
        return false;
    }
    if (bytes->isEmpty()) {
        if (debug)
            WriteLog(head + QStringLiteral("没有定义此项协议"));
        return false;
    }
    const bool written = port.Write(*bytes);
    if (debug)
        WriteLog(head + ByteText(*bytes) + QStringLiteral(",发送状态:") +
                 (written ? QLatin1Char('1') : QLatin1Char('0')));
    return written;
}

bool TSerialDevices::SendVolumeCommand(const QString& word, const QString& value)
{
    const TSetting* s = g_pSetting;
    if (!s || s->COM <= 0)
        return false;
    return Send(m_volume, s->COM, word + value, VolumeString(*s, word, value.toInt()));
}

bool TSerialDevices::SendCcuCommand(const QString& word, int d)
{
    const TSetting* s = g_pSetting;
    if (!s || s->COM_CCU <= 0)
        return false;
    TSerialPort& port = s->COM_CCU == s->COM ? m_volume : m_ccu;
    return Send(port, s->COM_CCU, word + QString::number(d), CcuString(*s, word, d));
}
