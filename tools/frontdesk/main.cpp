// The front desk's tool for the room-service database:
//   vod-frontdesk "<HotelAdo>" rooms
//   vod-frontdesk "<HotelAdo>" open <room> [--arr ID] [--guest TYPE] [--prepaid X] [--guests N]
//                                          [--tea X] [--discount PCT] [--service PCT]
//                                          [--at "yyyy-MM-dd HH:mm:ss"] [--tab NO]
//   vod-frontdesk "<HotelAdo>" close <room>
//   vod-frontdesk "<HotelAdo>" basket <room>
//   vod-frontdesk "<HotelAdo>" orders <room>
//   vod-frontdesk "<HotelAdo>" bill <room> [--now "yyyy-MM-dd HH:mm:ss"]
#include "core/Exception.h"
#include "platform/db/DbConnection.h"
#include "roomservice/BillReport.h"
#include "tools/frontdesk/FrontDesk.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

void Print(const QStringList& lines)
{
    for (const QString& line : lines)
        std::printf("%s\n", line.toUtf8().constData());
}

QDateTime Moment(const QString& text)
{
    const QDateTime t = QDateTime::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!text.isEmpty() && !t.isValid())
        throw Exception(QStringLiteral("a moment is written \"yyyy-MM-dd HH:mm:ss\", not \"%1\"").arg(text));
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Opens and closes rooms and shows their orders and bill"));
    parser.addHelpOption();
    auto option = [&](const char* name, const char* help, const char* value, const char* fallback = "") {
        QCommandLineOption o{QString::fromLatin1(name), QString::fromLatin1(help), QString::fromLatin1(value),
                             QString::fromLatin1(fallback)};
        parser.addOption(o);
        return o;
    };
    const auto arr = option("arr", "Room arrangement id.", "ID", "0");
    const auto guest = option("guest", "Guest type.", "TYPE");
    const auto prepaid = option("prepaid", "Prepayment.", "X", "0");
    const auto guests = option("guests", "Number of guests.", "N", "1");
    const auto tea = option("tea", "Tea charge.", "X", "0");
    const auto discount = option("discount", "Percent charged of discountable lines.", "PCT", "100");
    const auto service = option("service", "Service charge percent.", "PCT", "0");
    const auto at = option("at", "Check-in moment.", "yyyy-MM-dd HH:mm:ss");
    const auto tab = option("tab", "Tab number.", "NO");
    const auto now = option("now", "The moment to bill at.", "yyyy-MM-dd HH:mm:ss");
    parser.addPositionalArgument(QStringLiteral("HotelAdo"), QStringLiteral("Connection string of the database."));
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("rooms, open, close, basket, orders, bill"));
    parser.addPositionalArgument(QStringLiteral("room"), QStringLiteral("Room name."));
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    const QString command = args.value(1);
    if (args.size() < 2 || (command != QLatin1String("rooms") && args.size() < 3)) {
        std::fprintf(stderr,
                     "usage: vod-frontdesk \"HotelAdo\" rooms|open|close|basket|orders|bill [room] [options]\n");
        return 2;
    }
    const QString room = args.value(2);
    try {
        DbConnection db;
        db.Open(args[0]);
        if (command == QLatin1String("rooms")) {
            Print(RoomList(db));
        } else if (command == QLatin1String("open")) {
            TRoomOpening o;
            o.roomName = room;
            o.arrId = parser.value(arr).toInt();
            o.guestType = parser.value(guest);
            o.prepaid = parser.value(prepaid).toDouble();
            o.guests = parser.value(guests).toInt();
            o.teaCharge = parser.value(tea).toDouble();
            o.discount = parser.value(discount).toDouble();
            o.serviceRate = parser.value(service).toDouble();
            o.checkIn = Moment(parser.value(at));
            o.tabNo = parser.value(tab);
            std::printf("opened %s tab=%s\n", room.toUtf8().constData(), OpenRoom(db, o).toUtf8().constData());
        } else if (command == QLatin1String("close")) {
            CloseRoom(db, room);
            std::printf("closed %s\n", room.toUtf8().constData());
        } else if (command == QLatin1String("basket") || command == QLatin1String("orders")) {
            Print(RoomOrders(db, room, command == QLatin1String("orders")));
        } else if (command == QLatin1String("bill")) {
            QStringList lines;
            QString error;
            if (!BillLines(db, room, Moment(parser.value(now)), lines, error))
                throw Exception(error);
            Print(lines);
        } else {
            std::fprintf(stderr, "vod-frontdesk: unknown command %s\n", command.toUtf8().constData());
            return 2;
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "vod-frontdesk: %s\n", e.Message().toUtf8().constData());
        return 1;
    }
    return 0;
}
