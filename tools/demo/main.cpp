// Writes the demo installation into a folder: vod-demo <folder>
#include "DemoConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString dir = args.size() > 1 ? args.at(1) : QDir::currentPath();
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "vod-demo: cannot create %s\n", qPrintable(dir));
        return 1;
    }
    QString error;
    if (!WriteDemoConfig(dir, error)) {
        std::fprintf(stderr, "vod-demo: %s\n", error.toUtf8().constData());
        return 1;
    }
    return 0;
}
