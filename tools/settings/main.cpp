// Prints the effective settings of an installation folder as key=value lines:
//   vod-settings <installation folder>
// The Setting rows come from the installed setting source (see
// core/SettingSource.h).
#include "core/Exception.h"
#include "core/Setting.h"
#include "core/SettingDump.h"
#include "core/SettingSource.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    // The screen size decides the skin folder; without a display the
    // offscreen platform stands in.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 || args[1].startsWith(u'-')) {
        std::fprintf(stderr, "usage: vod-settings <installation folder>\n");
        return 2;
    }
    const QString folder = QFileInfo(args[1]).absoluteFilePath();
    if (!QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "vod-settings: %s is no folder\n", qPrintable(folder));
        return 2;
    }

    int status = 0;
    TSetting setting(folder);
    std::unique_ptr<ISettingRows> rows;
    try {
        rows = OpenSettingSource(setting);
        setting.Load(rows.get());
    } catch (const Exception& e) {
        std::fprintf(stderr, "vod-settings: %s\n", e.Message().toUtf8().constData());
        // What the station would stop at; show the key map anyway.
        setting.LoadKeyMap();
        setting.BuildCommandWords();
        status = 1;
    }
    setting.ReadSetting->SetDataSet(nullptr);
    const QStringList lines = DumpSettings(setting);
    for (const QString& line : lines)
        std::printf("%s\n", line.toUtf8().constData());
    return status;
}
