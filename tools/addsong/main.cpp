// Stands in for the add-song program: tells the station that adding songs
// has finished by posting message 2039 to its window.
//   vod-addsong [--caption C] [--nothing]
// --nothing posts wParam 1 (no songs were added), otherwise wParam 0. The
// station's caption defaults to "kroomclient". Exit status 0 when the message
// was posted, 1 when no station window was found.
#include "platform/windowlink/WindowLink.h"
#include "playback/PlayerLink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Posts the add-song program's message to the station"));
    parser.addHelpOption();
    const QCommandLineOption caption(QStringLiteral("caption"), QStringLiteral("Caption of the station."),
                                     QStringLiteral("text"), QStringLiteral("kroomclient"));
    const QCommandLineOption nothing(QStringLiteral("nothing"), QStringLiteral("No songs were added (wParam 1)."));
    parser.addOptions({caption, nothing});
    parser.process(app);

    const windowlink::WindowHandle station = windowlink::FindWindow(parser.value(caption));
    if (!station) {
        std::fprintf(stderr, "vod-addsong: no window \"%s\"\n", qPrintable(parser.value(caption)));
        return 1;
    }
    const int wParam = parser.isSet(nothing) ? 1 : 0;
    if (!windowlink::PostMessage(station, playerlink::kMsgAddSongDone, wParam, 0)) {
        std::fprintf(stderr, "vod-addsong: the message did not reach the station\n");
        return 1;
    }
    return 0;
}
