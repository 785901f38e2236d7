// Writes the demo installation into a folder:
//   vod-demo <folder> [--songs N] [--singers N] [--force] [--postgres "connection string"]
//            [--song-ms N] [--photos N]
// The configuration files and the skins are written every time; the
// catalogue only when it is missing or --force is given.
#include "tools/demo/DemoSteps.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    // Drawing the skin's captions needs a GUI application; without a display
    // the offscreen platform serves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes the demo installation of the station"));
    parser.addHelpOption();
    const QCommandLineOption songs(QStringLiteral("songs"), QStringLiteral("Songs in the catalogue."),
                                   QStringLiteral("N"), QStringLiteral("20000"));
    const QCommandLineOption singers(QStringLiteral("singers"), QStringLiteral("Singers (default songs/12)."),
                                     QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Rewrite an existing catalogue."));
    const QCommandLineOption postgres(QStringLiteral("postgres"),
                                      QStringLiteral("Also load the catalogue into this PostgreSQL database."),
                                      QStringLiteral("connection"));
    const QCommandLineOption songMs(QStringLiteral("song-ms"), QStringLiteral("Playing time of a song."),
                                    QStringLiteral("N"), QStringLiteral("15000"));
    const QCommandLineOption photos(QStringLiteral("photos"), QStringLiteral("Singer photos to draw."),
                                    QStringLiteral("N"), QStringLiteral("0"));
    parser.addOptions({songs, singers, force, postgres, songMs, photos});
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("The installation folder."));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    const QString dir = QDir(args.isEmpty() ? QDir::currentPath() : args.at(0)).absolutePath();
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "vod-demo: cannot create %s\n", qPrintable(dir));
        return 1;
    }

    DemoOptions options;
    options.songs = std::max(1, parser.value(songs).toInt());
    options.singers = parser.value(singers).toInt();
    options.force = parser.isSet(force);
    options.postgres = parser.value(postgres);
    options.playerSongMs = std::max(1, parser.value(songMs).toInt());
    options.photos = std::max(0, parser.value(photos).toInt());

    QString error;
    if (!WriteDemoInstallation(dir, options, error)) {
        std::fprintf(stderr, "vod-demo: %s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("vod-demo: installation written to %s\n", qPrintable(dir));
    return 0;
}
