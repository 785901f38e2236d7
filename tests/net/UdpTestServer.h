#pragma once
// A control server on a second loopback address for the link tests: the
// station's link binds 127.0.0.1 at the server's port and sends to
// 127.0.0.2, the server's address.
#include "core/Gbk.h"
#include "net/Datagram.h"
#include "net/UDP.h"

#include <QHostAddress>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <memory>

namespace udptest {

inline const QHostAddress kStation(QStringLiteral("127.0.0.1"));
inline const QHostAddress kServer(QStringLiteral("127.0.0.2"));

class TestServer
{
public:
    // A port free on both addresses (other tests run beside this one).
    TestServer()
    {
        for (int attempt = 0; attempt < 20 && !m_bReady; ++attempt) {
            if (!m_socket.bind(kServer, 0, QUdpSocket::DontShareAddress))
                continue;
            QUdpSocket probe;
            m_bReady = probe.bind(kStation, m_socket.localPort(), QUdpSocket::DontShareAddress);
            if (!m_bReady)
                m_socket.close();
        }
        qputenv("VOD_UDP_BIND_ADDRESS", "127.0.0.1");
    }
    ~TestServer() { qunsetenv("VOD_UDP_BIND_ADDRESS"); }
    bool Ready() const { return m_bReady; }
    quint16 Port() const { return m_socket.localPort(); }

    std::unique_ptr<TUDP> Link(const QString& host = kServer.toString())
    {
        return std::make_unique<TUDP>(Port(), host);
    }

    // The datagrams received within the time, as their fields joined by '|'.
    QStringList Received(int waitMs = 300)
    {
        QTest::qWait(waitMs);
        QStringList out;
        while (m_socket.hasPendingDatagrams()) {
            QByteArray d(int(m_socket.pendingDatagramSize()), '\0');
            m_socket.readDatagram(d.data(), d.size());
            m_aRaw << d;
            QStringList fields;
            for (const QByteArray& f : udpwire::SplitFields(d))
                fields << ToWide(f);
            out << fields.join(QLatin1Char('|'));
        }
        return out;
    }
    const QList<QByteArray>& Raw() const { return m_aRaw; }

    // Sends bytes to the station from this server's address (or another).
    void Send(const QByteArray& datagram, const QHostAddress& from = kServer)
    {
        if (from == kServer) {
            m_socket.writeDatagram(datagram, kStation, Port());
        } else {
            QUdpSocket other;
            other.bind(from, 0);
            other.writeDatagram(datagram, kStation, Port());
        }
    }
    void Send(const QList<QByteArray>& fields, const QHostAddress& from = kServer)
    {
        Send(udpwire::JoinFields(fields), from);
    }
    // Lets the station's link take what was sent.
    static void Settle(int ms = 150) { QTest::qWait(ms); }

private:
    QUdpSocket m_socket;
    bool m_bReady = false;
    QList<QByteArray> m_aRaw;
};

} // namespace udptest
