// The control-server tool: steers a station over its control link the way
// the venue's control server does, and shows what stations announce.
//   vod-control send [options] COMPUTER COMMAND [ARG1 [ARG2]]
//   vod-control login-request --from ADDRESS [options]
//   vod-control raw [options] HEX
//   vod-control listen [--bind ADDRESS] [--port N] [--count N] [--seconds N]
// Options of the sending modes: --to ADDRESS (the station, default
// 127.0.0.1), --port N (default 3200), --from ADDRESS (the address to send
// from), --force (send more than 253 bytes). Texts are taken and printed as
// UTF-8 and travel as GBK. "listen" prints one line per datagram:
//   login NAME from ADDRESS / logout NAME from ADDRESS /
//   call NAME TEXT from ADDRESS / datagram FIELD|FIELD|... from ADDRESS
#include "core/Gbk.h"
#include "net/Datagram.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>
#include <cstdio>

namespace {

int Fail(const QString& text, int code = 1)
{
    std::fprintf(stderr, "vod-control: %s\n", text.toUtf8().constData());
    return code;
}

void PrintLine(const QString& text)
{
    std::fprintf(stdout, "%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

// One received datagram as a line.
QString Describe(const QByteArray& datagram, const QHostAddress& from)
{
    const QList<QByteArray> raw = udpwire::SplitFields(datagram);
    QStringList fields;
    for (const QByteArray& f : raw)
        fields << ToWide(f);
    bool ok = false;
    const QHostAddress plain(from.toIPv4Address(&ok));
    const QString sender = QStringLiteral(" from ") + (ok ? plain : from).toString();
    const QString what = fields.value(1);
    if (fields.size() == 2 && (what == QLatin1String("login") || what == QLatin1String("logout")))
        return what + QLatin1Char(' ') + fields[0] + sender;
    if (fields.size() >= 3 && what == QLatin1String("call"))
        return QStringLiteral("call ") + fields[0] + QLatin1Char(' ') + fields.mid(2).join(QLatin1Char(' ')) + sender;
    return QStringLiteral("datagram ") + fields.join(QLatin1Char('|')) + sender;
}

int Listen(const QCommandLineParser& p)
{
    const QHostAddress bindTo(p.value(QStringLiteral("bind")));
    if (bindTo.isNull())
        return Fail(QStringLiteral("not an address: ") + p.value(QStringLiteral("bind")));
    QUdpSocket socket;
    if (!socket.bind(bindTo, quint16(p.value(QStringLiteral("port")).toUInt()), QUdpSocket::DontShareAddress))
        return Fail(QStringLiteral("cannot listen on %1 port %2: %3")
                        .arg(bindTo.toString(), p.value(QStringLiteral("port")), socket.errorString()));
    const int count = p.value(QStringLiteral("count")).toInt();
    int seen = 0;
    QObject::connect(&socket, &QUdpSocket::readyRead, [&] {
        while (socket.hasPendingDatagrams()) {
            QByteArray datagram(int(qMax<qint64>(socket.pendingDatagramSize(), 0)), '\0');
            QHostAddress from;
            socket.readDatagram(datagram.data(), datagram.size(), &from);
            PrintLine(Describe(datagram, from));
            if (count > 0 && ++seen >= count)
                QCoreApplication::quit();
        }
    });
    const int seconds = p.value(QStringLiteral("seconds")).toInt();
    if (seconds > 0)
        QTimer::singleShot(seconds * 1000, [] { QCoreApplication::quit(); });
    PrintLine(QStringLiteral("listening on %1 port %2").arg(bindTo.toString()).arg(socket.localPort()));
    return QCoreApplication::exec();
}

int SendDatagram(const QCommandLineParser& p, const QByteArray& datagram)
{
    if (datagram.size() > udpwire::kMaxDatagram && !p.isSet(QStringLiteral("force")))
        return Fail(QStringLiteral("the datagram has %1 bytes, more than %2 (use --force to send it anyway)")
                        .arg(datagram.size())
                        .arg(udpwire::kMaxDatagram),
                    2);
    const QHostAddress to(p.value(QStringLiteral("to")));
    if (to.isNull())
        return Fail(QStringLiteral("not an address: ") + p.value(QStringLiteral("to")));
    QUdpSocket socket;
    if (p.isSet(QStringLiteral("from"))) {
        const QHostAddress from(p.value(QStringLiteral("from")));
        if (from.isNull() || !socket.bind(from, 0))
            return Fail(QStringLiteral("cannot send from ") + p.value(QStringLiteral("from")));
    }
    const quint16 port = quint16(p.value(QStringLiteral("port")).toUInt());
    if (socket.writeDatagram(datagram, to, port) != datagram.size())
        return Fail(QStringLiteral("send failed: ") + socket.errorString());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vod-control"));
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Control-server tool of the vod stations"));
    p.addHelpOption();
    const QString port = QString::number(udpwire::kDefaultPort);
    p.addOptions({
        {QStringLiteral("to"), QStringLiteral("Address of the station."), QStringLiteral("address"),
         QStringLiteral("127.0.0.1")},
        {QStringLiteral("from"), QStringLiteral("Address to send from."), QStringLiteral("address")},
        {QStringLiteral("port"), QStringLiteral("UDP port (3200)."), QStringLiteral("n"), port},
        {QStringLiteral("force"), QStringLiteral("Send a datagram of more than 253 bytes.")},
        {QStringLiteral("bind"), QStringLiteral("Address to listen on (all)."), QStringLiteral("address"),
         QStringLiteral("0.0.0.0")},
        {QStringLiteral("count"), QStringLiteral("Stop after n datagrams."), QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("seconds"), QStringLiteral("Stop after n seconds."), QStringLiteral("n"), QStringLiteral("0")},
    });
    p.addPositionalArgument(QStringLiteral("mode"), QStringLiteral("send, login-request, raw or listen"));
    p.process(app);
    const QStringList args = p.positionalArguments();
    const QString mode = args.value(0);
    if (mode == QLatin1String("listen"))
        return Listen(p);
    if (mode == QLatin1String("send")) {
        if (args.size() < 3 || args.size() > 5)
            return Fail(QStringLiteral("send COMPUTER COMMAND [ARG1 [ARG2]]"));
        QList<QByteArray> fields;
        for (const QString& a : args.mid(1))
            fields << ToNarrow(a);
        return SendDatagram(p, udpwire::JoinFields(fields));
    }
    if (mode == QLatin1String("login-request")) {
        // The server's own address in field 1, sent from that address.
        if (!p.isSet(QStringLiteral("from")))
            return Fail(QStringLiteral("login-request needs --from, the control server's address"));
        return SendDatagram(p, udpwire::JoinFields({p.value(QStringLiteral("from")).toLatin1(), "login"}));
    }
    if (mode == QLatin1String("raw")) {
        if (args.size() != 2)
            return Fail(QStringLiteral("raw HEX"));
        return SendDatagram(p, QByteArray::fromHex(args[1].toLatin1()));
    }
    p.showHelp(1);
}
