// Prints the bill of an open room without a screen, one Name=value line per
// checkout result, exactly as the bill screen computes it:
//   vod-bill "<HotelAdo connection string>" <room name> [--now "yyyy-MM-dd HH:mm:ss"]
// --now replaces the database server's clock for this computation, so a
// venue can check its rate rules for any moment.
#include "core/Exception.h"
#include "platform/db/DbConnection.h"
#include "roomservice/BillReport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints the bill of an open room"));
    parser.addHelpOption();
    const QCommandLineOption now(QStringLiteral("now"), QStringLiteral("The moment to bill at."),
                                 QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    parser.addOption(now);
    parser.addPositionalArgument(QStringLiteral("HotelAdo"), QStringLiteral("Connection string of the database."));
    parser.addPositionalArgument(QStringLiteral("room"), QStringLiteral("Room name (cRoomName)."));
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: vod-bill \"HotelAdo\" room [--now \"yyyy-MM-dd HH:mm:ss\"]\n");
        return 2;
    }
    QDateTime moment;
    if (parser.isSet(now)) {
        moment = QDateTime::fromString(parser.value(now).trimmed(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!moment.isValid()) {
            std::fprintf(stderr, "vod-bill: --now wants \"yyyy-MM-dd HH:mm:ss\", not \"%s\"\n",
                         parser.value(now).toUtf8().constData());
            return 2;
        }
    }
    try {
        DbConnection db;
        db.Open(args[0]);
        QStringList lines;
        QString error;
        if (!BillLines(db, args[1], moment, lines, error)) {
            std::fprintf(stderr, "vod-bill: %s\n", error.toUtf8().constData());
            return 1;
        }
        for (const QString& line : lines)
            std::printf("%s\n", line.toUtf8().constData());
    } catch (const Exception& e) {
        std::fprintf(stderr, "vod-bill: %s\n", e.Message().toUtf8().constData());
        return 1;
    }
    return 0;
}
