// The player program of the installation (see Player.h).
//   vodplayer [min] [--caption C] [--client-caption C] [--queue order.dbf]
//             [--db "connection string" [--room R]] [--song-ms N] [--poll-ms N]
//             [--catalogue "connection string"] [--headless] [--log]
// Options not given on the command line come from vodplayer.ini beside the
// program (section [player], keys caption, client-caption, queue, db, room,
// song-ms, poll-ms, catalogue), then from the defaults: caption "Test
// Player", station caption "kroomclient", the queue data/order.dbf (or
// Data/order.dbf) of the program folder, the catalogue of the program
// folder's vod.ini (KroomAdo; the hall database with --db). "min" starts the window minimised. --headless makes no
// window and implies --log.
#include "core/IniFile.h"
#include "core/Setting.h"
#include "tools/player/Player.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_aTermPipe[2] = {-1, -1};

void OnTerminate(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_aTermPipe[1], &c, 1);
}

// SIGTERM and SIGINT end the event loop, so that the window is unregistered
// on the way out.
void QuitOnSignals(QCoreApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_aTermPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_aTermPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

bool HasArgument(int argc, char** argv, const char* name)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const bool headless = HasArgument(argc, argv, "--headless");
    std::unique_ptr<QCoreApplication> app;
    if (headless) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        // Without any display the window goes to the offscreen platform
        // rather than aborting.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("vodplayer"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Player program of the vod installation"));
    parser.addHelpOption();
    const QCommandLineOption caption(QStringLiteral("caption"), QStringLiteral("Window caption."),
                                     QStringLiteral("text"));
    const QCommandLineOption client(QStringLiteral("client-caption"), QStringLiteral("Caption of the station."),
                                    QStringLiteral("text"));
    const QCommandLineOption queue(QStringLiteral("queue"), QStringLiteral("The local queue table order.dbf."),
                                   QStringLiteral("path"));
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("Connection string of the hall database."),
                                QStringLiteral("text"));
    const QCommandLineOption room(QStringLiteral("room"), QStringLiteral("Room name of the hall-mode entries."),
                                  QStringLiteral("name"));
    const QCommandLineOption songMs(QStringLiteral("song-ms"), QStringLiteral("Playing time of a song."),
                                    QStringLiteral("ms"));
    const QCommandLineOption pollMs(QStringLiteral("poll-ms"), QStringLiteral("Queue polling interval."),
                                    QStringLiteral("ms"));
    const QCommandLineOption catalogue(QStringLiteral("catalogue"),
                                       QStringLiteral("Connection string of the song catalogue."),
                                       QStringLiteral("text"));
    const QCommandLineOption headlessOption(QStringLiteral("headless"), QStringLiteral("No window; log actions."));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Write one line per action."));
    parser.addOptions({caption, client, queue, db, room, songMs, pollMs, catalogue, headlessOption, log});
    parser.addPositionalArgument(QStringLiteral("min"), QStringLiteral("Start minimised."), QStringLiteral("[min]"));
    parser.process(*app);

    const QString exeDir = QCoreApplication::applicationDirPath();
    QSettings ini(exeDir + QStringLiteral("/vodplayer.ini"), QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("player"));
    const auto pick = [&](const QCommandLineOption& option, const QString& key, const QString& fallback) {
        if (parser.isSet(option))
            return parser.value(option);
        return ini.value(key, fallback).toString();
    };

    PlayerOptions options;
    options.exeDir = exeDir;
    options.caption = pick(caption, QStringLiteral("caption"), options.caption);
    options.clientCaption = pick(client, QStringLiteral("client-caption"), options.clientCaption);
    options.connection = pick(db, QStringLiteral("db"), QString());
    options.room = pick(room, QStringLiteral("room"), QString());
    QString defaultQueue;
    if (options.connection.isEmpty()) {
        for (const char* folder : {"data", "Data"}) {
            const QString path = exeDir + QLatin1Char('/') + QLatin1String(folder) + QStringLiteral("/order.dbf");
            if (QFileInfo::exists(path)) {
                defaultQueue = path;
                break;
            }
        }
    }
    options.queuePath = pick(queue, QStringLiteral("queue"), defaultQueue).replace(QLatin1Char('\\'), QLatin1Char('/'));
    // The maintenance screen's corrections go to the station's catalogue.
    QString defaultCatalogue = options.connection;
    if (defaultCatalogue.isEmpty() && QFileInfo::exists(exeDir + QStringLiteral("/vod.ini")))
        defaultCatalogue =
            TIniFile(exeDir + QStringLiteral("/vod.ini"))
                .ReadString(QStringLiteral("vod"), QStringLiteral("KroomAdo"), DefaultKroomAdo(exeDir + u'/'));
    options.catalogue = pick(catalogue, QStringLiteral("catalogue"), defaultCatalogue);
    options.songMs = pick(songMs, QStringLiteral("song-ms"), QString::number(options.songMs)).toInt();
    options.pollMs = pick(pollMs, QStringLiteral("poll-ms"), QString::number(options.pollMs)).toInt();
    options.headless = headless;
    options.log = headless || parser.isSet(log);
    options.minimised = parser.positionalArguments().contains(QStringLiteral("min"));
    if (options.songMs <= 0)
        options.songMs = 4000;

    QuitOnSignals(*app);
    Player player(options);
    QObject::connect(&player, &Player::Closed, app.get(), &QCoreApplication::quit);
    if (!player.Start())
        return 1;
    return app->exec();
}
