#pragma once
// TUDP: the station's link to the venue's control server. It announces the
// station with "login" at start-up, every minute and when the server asks,
// says "logout" when the station closes, sends the waiter call, and performs
// the server's commands (room time, locks, shutdown, messages on the video
// screen, queue edits, the adult-film, dance and hostess switches) by calling
// the modules that own the affected state. The media player form owns it.
//
// Datagrams are GBK text, fields separated by 0x01, at most 253 bytes; one
// from the server names its target computer in field 1, the command in
// field 2 and its arguments in fields 3 and 4.
#include "playback/FrmMediaPlayer.h"

#include <QHostAddress>
#include <QObject>
#include <QStringList>

class QTimer;
class QUdpSocket;

class TUDP : public QObject, public IStationServerLink
{
    Q_OBJECT
public:
    // Binds port (all addresses) and sends to host at port; an empty host is
    // the broadcast address 192.168.0.255. A port that cannot be bound is
    // logged and the link goes on without a socket.
    TUDP(int port, const QString& host, QObject* parent = nullptr);
    ~TUDP() override;

    // The station's name, 0x01 and the text (cut at a character boundary to
    // 253 bytes). False without sending when ControlServerIP is empty; false
    // (and logged) when the send fails.
    bool Send(const QByteArray& text) override;
    void SendLogin() override;
    void SendLogout() override;
    bool Login() { return Send(QByteArrayLiteral("login")); }

    // The data-received handler's work for one datagram from sender.
    void HandleDatagram(const QByteArray& datagram, const QHostAddress& sender);

    bool Bound() const;
    quint16 LocalPort() const;
    QString RemoteHost() const { return m_sHost; }
    int RemotePort() const { return m_nPort; }
    // Commands dropped because their sender is not on the allow list.
    qint64 RefusedCount() const { return m_nRefused; }
    // Datagrams read from the socket so far.
    qint64 ReadCount() const { return m_nRead; }

    // Fields of the last datagram; command and arguments of the last one
    // addressed to this station.
    QStringList Fields;
    QString Command;
    QString Arg1;
    QString Arg2;
    // Login every 60 seconds; the delayed shutdown.
    QTimer* UdpTimer = nullptr;
    QTimer* ShutTimer = nullptr;

signals:
    // The room changed hands: the server began or ended its time, or locked it.
    void BookingChanged();

private:
    void ReadPending();
    bool Allowed(const QHostAddress& sender);
    void Dispatch();
    // The commands (UdpCommands.cpp).
    void TimeWarning(const QString& minutes);
    void TimeBegin();
    void TimeEnd();
    void LockRoom();
    void UnlockRoom();
    void ScheduleShutdown(const QString& seconds);
    void ShutTimerTimer();
    void SwitchFunction(const QString& which, const QString& value);
    void EditQueue(const QString& command, const QString& songNo);

    QUdpSocket* m_pSocket = nullptr;
    bool m_bBound = false;
    QString m_sHost;
    QHostAddress m_remote;
    quint16 m_nPort = 0;
    qint64 m_nRefused = 0;
    qint64 m_nRead = 0;
    quint32 m_nLastRefusedLog = 0;
    bool m_bRefusedLogged = false;
};

// The login interval; VOD_UDP_HEARTBEAT_MS shortens it for tests.
int LoginIntervalMs();
