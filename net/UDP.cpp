#include "net/UDP.h"

#include "core/Gbk.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "net/Datagram.h"
#include "platform/Tick.h"

#include <QHostInfo>
#include <QRegularExpression>
#include <QTimer>
#include <QUdpSocket>
#include <sys/socket.h>

namespace {

constexpr int kLoginIntervalMs = 60000;
// Datagrams handled before the event loop gets its turn again, so that a
// flood never holds up the screens (the socket signals again while any
// datagram waits).
constexpr int kDatagramsPerTurn = 256;
constexpr int kReceiveBuffer = 4 * 1024 * 1024;
// A refused sender is logged at most this often (the log is rewritten with
// every line).
constexpr quint32 kRefusedLogMs = 10000;

QString ComputerName()
{
    return g_pSetting ? g_pSetting->ComputerName : QString();
}

QHostAddress Plain(const QHostAddress& address)
{
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok ? QHostAddress(v4) : address;
}

} // namespace

int LoginIntervalMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VOD_UDP_HEARTBEAT_MS", &ok);
    return ok && ms > 0 ? ms : kLoginIntervalMs;
}

TUDP::TUDP(int port, const QString& host, QObject* parent) : QObject(parent)
{
    // 1. No host: the broadcast address.
    m_sHost = host.isEmpty() ? QString::fromLatin1(udpwire::kDefaultServer) : host;
    m_nPort = quint16(port);
    m_remote = QHostAddress(m_sHost);
    if (m_remote.isNull()) {
        // A name rather than an address: sends wait for its lookup.
        QHostInfo::lookupHost(m_sHost, this, [this](const QHostInfo& info) {
            if (!info.addresses().isEmpty())
                m_remote = info.addresses().first();
        });
    }
    // 2. The local port. VOD_UDP_BIND_ADDRESS (tests) binds one address only.
    m_pSocket = new QUdpSocket(this);
    const QString bindAddress = qEnvironmentVariable("VOD_UDP_BIND_ADDRESS");
    const QHostAddress local = bindAddress.isEmpty() ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(bindAddress);
    m_bBound = port > 0 && port <= 65535 && m_pSocket->bind(local, m_nPort, QUdpSocket::DontShareAddress);
    if (m_bBound) {
        int on = 1;
        ::setsockopt(int(m_pSocket->socketDescriptor()), SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        // Room for the datagrams that arrive while the screens are busy (the
        // system caps it at its own limit).
        m_pSocket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBuffer);
        connect(m_pSocket, &QUdpSocket::readyRead, this, &TUDP::ReadPending);
    } else {
        WriteLog(QStringLiteral("建立UDP出错,端口可能被占用"));
    }
    // 3. The heartbeat and the shutdown timer.
    UdpTimer = new QTimer(this);
    UdpTimer->setInterval(LoginIntervalMs());
    connect(UdpTimer, &QTimer::timeout, this, [this] {
        if (m_sHost.isEmpty())
            UdpTimer->stop();
        else
            Login();
    });
    UdpTimer->start();
    ShutTimer = new QTimer(this);
    connect(ShutTimer, &QTimer::timeout, this, &TUDP::ShutTimerTimer);
}

TUDP::~TUDP() = default;

bool TUDP::Bound() const
{
    return m_bBound;
}

quint16 TUDP::LocalPort() const
{
    return m_bBound ? m_pSocket->localPort() : 0;
}

void TUDP::SendLogin()
{
    Login();
}

void TUDP::SendLogout()
{
    Send(QByteArrayLiteral("logout"));
}

bool TUDP::Send(const QByteArray& text)
{
    if (!g_pSetting || g_pSetting->ControlServerIP.isEmpty())
        return false;
    QByteArray datagram = ToNarrow(ComputerName());
    datagram += udpwire::kSeparator;
    datagram += text;
    datagram = udpwire::CutAtCharacter(datagram);
    const bool sent =
        m_bBound && !m_remote.isNull() && m_pSocket->writeDatagram(datagram, m_remote, m_nPort) == datagram.size();
    if (!sent)
        WriteLog(QStringLiteral("发送UDP消息出错"));
    return sent;
}

void TUDP::ReadPending()
{
    // One byte more than the longest datagram taken: a read that fills it
    // was 254 bytes or more (the rest of it is discarded).
    char buffer[udpwire::kTooLong + 1];
    QHostAddress sender;
    for (int n = 0; n < kDatagramsPerTurn && m_pSocket->hasPendingDatagrams(); ++n) {
        const qint64 read = m_pSocket->readDatagram(buffer, sizeof buffer, &sender);
        ++m_nRead;
        // Empty datagrams and those of 254 bytes or more are dropped.
        if (read <= 0 || read >= udpwire::kTooLong)
            continue;
        HandleDatagram(QByteArray(buffer, int(read)), sender);
    }
}

bool TUDP::Allowed(const QHostAddress& sender)
{
    const QString list = g_pSetting ? g_pSetting->UDPAllowFrom.trimmed() : QString();
    if (list.isEmpty())
        return true;
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    const QHostAddress from = Plain(sender);
    for (const QString& entry : list.split(separators, Qt::SkipEmptyParts)) {
        if (Plain(QHostAddress(entry)) == from)
            return true;
    }
    ++m_nRefused;
    const quint32 now = GetTickCount();
    if (!m_bRefusedLogged || now - m_nLastRefusedLog >= kRefusedLogMs) {
        m_bRefusedLogged = true;
        m_nLastRefusedLog = now;
        WriteLog(QStringLiteral("拒绝UDP命令:来自%1,累计%2条").arg(from.toString()).arg(m_nRefused));
    }
    return false;
}

void TUDP::HandleDatagram(const QByteArray& datagram, const QHostAddress& sender)
{
    // 1. Nothing empty and nothing of 254 bytes or more.
    if (datagram.isEmpty() || datagram.size() >= udpwire::kTooLong)
        return;
    try {
        // Field 1 first: a datagram for another station (most of the
        // traffic on a busy network) goes without splitting the rest.
        qsizetype end = 0;
        while (end < datagram.size() && datagram[end] != udpwire::kSeparator && datagram[end] != '\0')
            ++end;
        const QString target = ToWide(datagram.left(end)).toLower();
        const QString server = g_pSetting ? g_pSetting->ControlServerIP : QString();
        const bool fromServer = !server.isEmpty() && target == server.toLower();
        if (!fromServer && target != ComputerName().toLower())
            return;
        // 2. The fields.
        const QList<QByteArray> raw = udpwire::SplitFields(datagram);
        Fields.clear();
        for (const QByteArray& field : raw)
            Fields.append(ToWide(field));
        // 3. The server asks for the login: its own address in field 1.
        if (fromServer && Plain(sender) == Plain(QHostAddress(server)) &&
            Fields.value(1).toLower() == QLatin1String("login")) {
            if (Allowed(sender))
                Login();
            return;
        }
        // 4. Only datagrams for this station.
        if (target != ComputerName().toLower())
            return;
        if (!Allowed(sender))
            return;
        // 5. The command and its arguments.
        Command = Fields.value(1);
        Arg1 = Fields.value(2);
        Arg2 = Fields.value(3);
        // 6. Perform it.
        Dispatch();
    } catch (...) {
        // An error ends the handling of this datagram; the link goes on.
    }
}
