#include "tools/demo/DemoSteps.h"

#include "tools/demo/DemoConfig.h"
#include "tools/demo/HotelDemo.h"
#include "tools/demo/skin/DemoSkin.h"

#include <algorithm>

std::vector<TDemoStep> DemoSteps()
{
    return {
        {"configuration",
         [](const QString& dir, const DemoOptions&, QString& error) { return WriteDemoConfig(dir, error); }},
        {"catalogue and queue", WriteDemoData},
        {"room service",
         [](const QString& dir, const DemoOptions&, QString& error) { return WriteDemoHotel(dir, error); }},
        {"skins and pictures",
         [](const QString& dir, const DemoOptions& options, QString& error) {
             const int photos = options.photos > 0 ? options.photos : std::min(DemoSingerCount(options), 2000);
             return WriteDemoSkin(dir, photos, &error);
         }},
    };
}

bool WriteDemoInstallation(const QString& exeDir, const DemoOptions& options, QString& error)
{
    for (const TDemoStep& step : DemoSteps()) {
        QString message;
        if (!step.write(exeDir, options, message)) {
            error = QLatin1String(step.name) + QStringLiteral(": ") + message;
            return false;
        }
    }
    return true;
}
