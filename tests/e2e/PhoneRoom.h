#pragma once
// The station with its phone remote on a free port and the control link on
// another, the player stand-in beside it, as the phone remote's end-to-end
// tests run it.
#include "tests/e2e/PhoneClient.h"
#include "tests/e2e/StationRun.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUdpSocket>
#include <functional>

namespace e2e {

constexpr int kPlaylistKey = 32;

class PhoneRoom
{
public:
    // prepare: what the test writes into the installation before the
    // programs start.
    explicit PhoneRoom(const QList<std::pair<QString, QString>>& settings = {}, int songMs = 600000,
                       const std::function<void(const Station&)>& prepare = {})
    {
        if (!m_station.Ready())
            return;
        if (prepare)
            prepare(m_station);
        m_nPhonePort = phonetest::FreeTcpPort();
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        m_nUdpPort = probe.localPort();
        probe.close();
        m_station.SetSettings({{QStringLiteral("PhonePort"), QString::number(m_nPhonePort)},
                               {QStringLiteral("UDPPort"), QString::number(m_nUdpPort)},
                               {QStringLiteral("ControlServerIP"), QStringLiteral("127.0.0.1")}});
        m_station.SetSettings(settings);
        m_pPlayer = m_station.StartPlayer(songMs);
        m_pStation = m_station.StartStation();
    }
    Station& station() { return m_station; }
    bool Ready() const { return m_station.Ready(); }

    // The address of the latest token, as the station logged it.
    QString Address(int nth = 1)
    {
        static const QRegularExpression line(QStringLiteral("手机点歌: (http://\\S+)"));
        QString found;
        WaitUntil(
            [&] {
                QRegularExpressionMatchIterator it = line.globalMatch(m_station.Log());
                int n = 0;
                while (it.hasNext()) {
                    const QString address = it.next().captured(1);
                    if (++n >= nth)
                        found = address;
                }
                return n >= nth;
            },
            20000);
        return found;
    }
    // The control server's command, sent by its tool as a separate process.
    int Control(const QStringList& fields)
    {
        QProcess p;
        p.start(ExeDir() + QStringLiteral("/vod-control"),
                QStringList{QStringLiteral("send"), QStringLiteral("--to"), QStringLiteral("127.0.0.1"),
                            QStringLiteral("--port"), QString::number(m_nUdpPort), HostName()} +
                    fields);
        return p.waitForFinished(15000) ? p.exitCode() : -1;
    }
    // A picture of the screen now.
    QString Shot()
    {
        static int n = 100;
        const int id = ++n;
        const QString path = m_station.Path(QStringLiteral("shot%1.png").arg(id));
        m_station.Post(0x8101, id, 0);
        WaitUntil([&] { return QFileInfo(path).size() > 0; }, 10000);
        QThread::msleep(200);
        return path;
    }
    // What a phone's camera reads off the room's screen now (empty when
    // zbarimg is missing or finds no code).
    QString ScanCode()
    {
        const QString zbar = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
        if (zbar.isEmpty())
            return QString();
        QProcess read;
        read.start(zbar, {QStringLiteral("--raw"), QStringLiteral("-q"), Shot()});
        read.waitForFinished(20000);
        return QString::fromUtf8(read.readAllStandardOutput()).trimmed();
    }
    QString Label(const QString& name)
    {
        for (const QString& l : m_station.Labels().split(u'\n')) {
            if (l.startsWith(name + u'='))
                return l.mid(name.size() + 1);
        }
        return QString();
    }

private:
    Station m_station{3000};
    quint16 m_nPhonePort = 0, m_nUdpPort = 0;
    std::unique_ptr<Program> m_pPlayer, m_pStation;
};

} // namespace e2e
