// Datagrams from the network to the station's control link: whatever they
// hold, handling one never crashes, never leaves more than one lock screen
// open, and leaves the link handling the next one.
#include "core/Setting.h"
#include "core/Station.h"
#include "net/UDP.h"
#include "playback/FrmMediaPlayer.h"
#include "playback/PlayerLink.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "utilities/UtilityScreens.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QImage>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

struct Station
{
    Station()
    {
        // Nothing the fuzzer sends may power anything off.
        qputenv("VOD_POWEROFF_COMMAND", "true");
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_udp";
        static char* argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
        const QString exe = dir.path() + QStringLiteral("/");
        QImage frame(133, 112, QImage::Format_RGB32);
        frame.fill(Qt::magenta);
        frame.save(exe + QStringLiteral("ico.bmp"), "BMP");
        QFile xml(exe + QStringLiteral("buttons.xml"));
        xml.open(QIODevice::WriteOnly);
        xml.write("<root><portal left=\"0\" top=\"0\" width=\"320\" height=\"240\">"
                  "<a type=\"button\" visible=\"1\" enabled=\"1\" width=\"10\" height=\"10\"/></portal>"
                  "<public><form><frmlock><Msg type=\"button\" visible=\"1\" enabled=\"1\" width=\"100\" "
                  "height=\"20\"/><Input type=\"button\" visible=\"1\" enabled=\"1\" width=\"100\" "
                  "height=\"20\"/><Return type=\"button\" visible=\"1\" enabled=\"1\" width=\"10\" "
                  "height=\"10\" key=\"return\"/></frmlock></form></public></root>");
        xml.close();
        setting = new TSetting(exe);
        setting->LoadKeyMap();
        setting->BuildCommandWords();
        setting->ComputerName = QStringLiteral("room-a");
        setting->ControlServerIP = QStringLiteral("127.0.0.2");
        g_pSetting = setting;
        playerlink::SetPlayerCaption(QStringLiteral("fuzz-no-player"));
        TStationClosers closers;
        closers.CloseAllScreens = [] { g_pFrmManager->CloseAll(); };
        closers.CloseMainForm = [] {};
        SetStationClosers(closers);
        g_pFrmManager = new TKVFormManager();
        RegisterUtilityScreens();
        FrmMediaPlayer = new TFrmMediaPlayer(false);
        g_pFrmManager->LoadSkin(exe + QStringLiteral("buttons.xml"));
        // The link binds nothing the fuzzer needs: datagrams are handed over.
        link = new TUDP(0, QStringLiteral("127.0.0.2"));
    }
    QTemporaryDir dir;
    QApplication* app = nullptr;
    TSetting* setting = nullptr;
    TUDP* link = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Station station;
    if (size == 0)
        return 0;
    // The first byte picks the sender: the control server or another host.
    const QHostAddress sender(data[0] & 1 ? QStringLiteral("127.0.0.2") : QStringLiteral("10.0.0.7"));
    const QByteArray datagram(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    station.link->HandleDatagram(datagram, sender);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int locks = 0;
    for (TKVFormXML* screen : g_pFrmManager->OpenScreens())
        if (screen && screen->objectName() == QLatin1String("frmlock"))
            ++locks;
    if (locks > 1)
        std::abort();
    // The next datagram is still handled.
    station.link->HandleDatagram(QByteArrayLiteral("room-a\x01getdbip\x01ok"), sender);
    if (g_pSetting->ServerDbAddress != QLatin1String("ok"))
        std::abort();
    g_pSetting->ServerDbAddress.clear();
    return 0;
}
