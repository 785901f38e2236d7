// Start-up of the station: data modules, form manager, main window, skin,
// login, message loop. An error that nothing else took ends the program here.
#include "catalogue/FrmData.h"
#include "core/Exception.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "core/StartupStandIns.h"
#include "core/Station.h"
#include "core/StopSignals.h"
#include "phone/PhoneRemote.h"
#include "platform/Tick.h"
#include "playback/PlayerLink.h"
#include "playback/StationShot.h"
#include "ui/SubTitle.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

// Milliseconds from VOD_EXIT_AFTER_MS, or -1 when it is not set.
int ExitAfterMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VOD_EXIT_AFTER_MS", &ok);
    return ok && ms >= 0 ? ms : -1;
}

bool HasDisplay()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// The installation's fonts.conf names the fonts the skins are drawn with;
// fontconfig reads FONTCONFIG_FILE once, so it is set before the application
// object exists (an explicit setting is kept).
void UseInstallationFonts()
{
    if (std::getenv("FONTCONFIG_FILE"))
        return;
    std::filesystem::path dir;
    if (const char* exeDir = std::getenv("VOD_EXE_DIR"); exeDir && *exeDir) {
        dir = exeDir;
    } else {
        std::error_code error;
        dir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
        if (error)
            return;
    }
    const std::filesystem::path conf = dir / "fonts.conf";
    std::error_code error;
    if (std::filesystem::is_regular_file(conf, error))
        setenv("FONTCONFIG_FILE", conf.c_str(), 0);
}

// An error that ends the start-up or the run: always written to the log
// (Debug on or off: it is what a venue needs to see why the terminal is
// dark) and to standard error, and shown where there is a display.
void ReportFatal(const QString& message)
{
    WriteLog(message, true);
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    std::fflush(stderr);
    if (!HasDisplay())
        return;
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), message, QMessageBox::Ok);
    const int ms = ExitAfterMs();
    if (ms >= 0)
        QTimer::singleShot(ms, &box, [&box] { box.done(QMessageBox::Ok); });
    box.exec();
}

} // namespace

int VodMain(int argc, char** argv)
{
    // 1. The start tick, for the whole start-up's log line.
    const uint32_t startTick = GetTickCount();
    // 2. The application object, with the installation's fonts.
    UseInstallationFonts();
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    // Only the main window's closing ends the program: the screens come and
    // go (a language switch closes them all).
    app.setQuitOnLastWindowClosed(false);
    // Other programs' windows are found and switched to through the window link.
    playerlink::InstallWindowLink();
    // A venue's shutdown closes the station as the main window's close does.
    InstallStopSignals([] { CloseStation(false); });
    int status = 0;
    try {
        // 3. Catalogue data module: settings, catalogue, first-instance check.
        CreateCatalogueModule();
        // 4. Room-service data module.
        CreateRoomServiceModule();
        if (g_pSetting->FirstInstance) {
            // 5. Form manager, main window, skin and portal, login, loop.
            CreateFormManager();
            CreateMediaPlayerForm();
            StartPhoneRemote();
            LoadSkinAndShowPortal();
            SendLogin();
            LogMissingStartupHooks();
            LogElapsed(QStringLiteral("总计"), startTick);

            const int exitAfter = ExitAfterMs();
            if (exitAfter >= 0) {
                QTimer::singleShot(exitAfter, &app, [] {
                    const QString shot = qEnvironmentVariable("VOD_SCREENSHOT");
                    if (!shot.isEmpty())
                        SaveScreenshot(shot);
                    QCoreApplication::quit();
                });
            }
            app.exec();
            // Loading asked the run to end (a diskless station without its
            // queue folder): a supervisor sees the failure.
            if (FrmData && FrmData->TerminateRequested())
                status = 1;
        }
        // 6. Another instance runs: end quietly.
    } catch (const Exception& e) {
        ReportFatal(QStringLiteral("全局异常,直接退出:") + e.Message());
        status = 1;
    } catch (const std::exception& e) {
        ReportFatal(QStringLiteral("全局异常,直接退出:") + QString::fromUtf8(e.what()));
        status = 1;
    }
    FreeForms();
    FreeRoomServiceModule();
    FreeCatalogueModule();
    return status;
}
