#pragma once
// Two hosts for the cross-process tests of the control link: the station's
// and the control server's, each with its own address, so that both can use
// the same port (the station sends to and listens on one port number).
// As root they are two network namespaces joined by a veth pair on
// 192.168.0.0/24 (the default broadcast address 192.168.0.255 then reaches
// the server); where namespaces are refused, two loopback addresses.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <atomic>
#include <unistd.h>

namespace nettest {

class NetPair
{
public:
    NetPair()
    {
        static std::atomic<int> counter{0};
        const QString tag = QStringLiteral("%1x%2").arg(::getpid()).arg(++counter);
        m_sStationNs = QStringLiteral("vods") + tag;
        m_sServerNs = QStringLiteral("vodc") + tag;
        const QString vethS = QStringLiteral("vs") + tag, vethC = QStringLiteral("vc") + tag;
        m_bNamespaces =
            ::geteuid() == 0 && !qEnvironmentVariableIsSet("VOD_TEST_NO_NETNS") &&
            Run({"netns", "add", m_sStationNs}) && Run({"netns", "add", m_sServerNs}) &&
            Run({"link", "add", vethS, "type", "veth", "peer", "name", vethC}) &&
            Run({"link", "set", vethS, "netns", m_sStationNs}) && Run({"link", "set", vethC, "netns", m_sServerNs}) &&
            Run({"-n", m_sStationNs, "addr", "add", "192.168.0.1/24", "brd", "+", "dev", vethS}) &&
            Run({"-n", m_sServerNs, "addr", "add", "192.168.0.2/24", "brd", "+", "dev", vethC}) &&
            Run({"-n", m_sStationNs, "link", "set", vethS, "up"}) &&
            Run({"-n", m_sServerNs, "link", "set", vethC, "up"}) &&
            Run({"-n", m_sStationNs, "link", "set", "lo", "up"}) && Run({"-n", m_sServerNs, "link", "set", "lo", "up"});
        if (!m_bNamespaces)
            Remove();
    }
    ~NetPair() { Remove(); }
    NetPair(const NetPair&) = delete;
    NetPair& operator=(const NetPair&) = delete;

    bool Namespaces() const { return m_bNamespaces; }
    QString StationAddress() const
    {
        return m_bNamespaces ? QStringLiteral("192.168.0.1") : QStringLiteral("127.0.0.1");
    }
    QString ServerAddress() const
    {
        return m_bNamespaces ? QStringLiteral("192.168.0.2") : QStringLiteral("127.0.0.2");
    }

    // The command line that runs a program on the station's or the
    // server's host.
    QStringList OnStation(const QStringList& command) const { return Wrap(m_sStationNs, command); }
    QStringList OnServer(const QStringList& command) const { return Wrap(m_sServerNs, command); }

private:
    QStringList Wrap(const QString& ns, const QStringList& command) const
    {
        if (!m_bNamespaces)
            return command;
        return QStringList{QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("exec"), ns} + command;
    }
    static bool Run(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral("ip"), args);
        return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
    void Remove()
    {
        // Deleting a namespace takes its end of the veth pair with it.
        Run({"netns", "del", m_sStationNs});
        Run({"netns", "del", m_sServerNs});
    }

    QString m_sStationNs, m_sServerNs;
    bool m_bNamespaces = false;
};

} // namespace nettest
