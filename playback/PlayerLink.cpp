#include "playback/PlayerLink.h"

#include "core/Gbk.h"
#include "core/Helpers.h"
#include "core/Setting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <cstdio>
#include <optional>

namespace playerlink {

namespace {

struct Overrides
{
    std::optional<QString> playerCaption;
    std::optional<QString> clientCaption;
    std::optional<QString> playerPath;
};

Overrides& Settings()
{
    static Overrides overrides;
    return overrides;
}

// The caption claimed by the second-start check until the main window
// takes it over.
QPointer<windowlink::LinkWindow> g_pClaim;

StationMessageHook& Hook()
{
    static StationMessageHook hook;
    return hook;
}

bool SendRecord(int kind, uint64_t dwData, const QByteArray& bytes)
{
    const windowlink::WindowHandle window = PlayerWindow();
    if (!window)
        return false;
    // The player's answer carries nothing the station uses; a player that
    // does not answer in time costs the wait, nothing else.
    windowlink::SendCopyData(window, kind, dwData, bytes, kPlayerSendTimeoutMs);
    return true;
}

bool SendPath(int kind, uint64_t dwData, const QString& path)
{
    const QByteArray bytes = ToNarrow(path);
    if (bytes.size() > kMaxPlayerText) {
        std::fprintf(stderr, "player link: path of %d bytes not sent (longest %d): %s\n", int(bytes.size()),
                     kMaxPlayerText, path.toUtf8().constData());
        return false;
    }
    return SendRecord(kind, dwData, bytes);
}

} // namespace

void SetPlayerCaption(const QString& caption)
{
    Settings().playerCaption = caption;
}
void SetClientCaption(const QString& caption)
{
    Settings().clientCaption = caption;
}
void SetPlayerPath(const QString& path)
{
    Settings().playerPath = path;
}

QString PlayerCaption()
{
    return Settings().playerCaption.value_or(QStringLiteral("Test Player"));
}
QString ClientCaption()
{
    return Settings().clientCaption.value_or(QStringLiteral("kroomclient"));
}
QString PlayerPath()
{
    return Settings().playerPath.value_or(QString());
}

windowlink::WindowHandle PlayerWindow()
{
    return windowlink::FindWindow(PlayerCaption());
}
bool PlayerRunning()
{
    return !PlayerWindow().IsNull();
}

QByteArray CutGbk(const QByteArray& gbk, int maxBytes)
{
    if (gbk.size() <= maxBytes)
        return gbk;
    int end = 0;
    while (end < gbk.size()) {
        const uint8_t c = uint8_t(gbk[end]);
        const int width = (c >= 0x81 && c <= 0xFE && end + 1 < gbk.size()) ? 2 : 1;
        if (end + width > maxBytes)
            break;
        end += width;
    }
    return gbk.left(end);
}

bool PlayNow(const QString& videoPath)
{
    return SendPath(kCopyPlayNow, 0, videoPath);
}

bool ShowText(int displayKind, const QString& text)
{
    if (displayKind == kShowPicture)
        return SendPath(kCopyShowText, uint64_t(displayKind), text);
    return SendRecord(kCopyShowText, uint64_t(displayKind), CutGbk(ToNarrow(text), kMaxPlayerText));
}

bool RecordTo(const QString& fileName)
{
    return SendPath(kCopyRecordTo, 0, fileName);
}

bool SendSongRecord(int direction, const QByteArray& record)
{
    return SendRecord(kCopySongRecord, direction ? 1 : 0, record);
}

QByteArray BuildSongRecord(const QStringList& fields)
{
    QByteArray record;
    for (const QString& field : fields) {
        record += ToNarrow(field);
        record += '\x01';
    }
    return record;
}

bool SendVocalCheck(bool checked)
{
    return SendRecord(kCopyVocalCheck, checked ? 1 : 0, QByteArrayLiteral("hello"));
}

bool PostCommand(int code)
{
    if (code == kCmdVolume)
        return PostVolume(0);
    const windowlink::WindowHandle window = PlayerWindow();
    return window && windowlink::PostMessage(window, kMsgCommand, code, 0);
}

bool PostVolume(int volume)
{
    const windowlink::WindowHandle window = PlayerWindow();
    return window && windowlink::PostMessage(window, kMsgVolume, kCmdVolume, qBound(0, volume, 100));
}

bool PostKey(int keyCode, bool switchFirst, int64_t lParam)
{
    const windowlink::WindowHandle window = PlayerWindow();
    if (!window)
        return false;
    if (switchFirst)
        windowlink::BringToFront(window);
    if (keyCode == 0)
        return switchFirst;
    return windowlink::PostKeyDown(window, keyCode, lParam);
}

bool RunPlayerProgram(const QString& playerCaption, const QString& playerPath)
{
    if (windowlink::FindWindow(playerCaption))
        return false;
    const QFileInfo program(QString(playerPath).replace(QLatin1Char('\\'), QLatin1Char('/')));
    if (playerPath.isEmpty() || !program.isFile())
        return false;
    // The player gets its own working folder (the installation folder) and
    // is left running when the station ends.
    return QProcess::startDetached(program.absoluteFilePath(), {QStringLiteral("min")}, program.absolutePath());
}

bool RunPlayerProgram()
{
    return RunPlayerProgram(PlayerCaption(), PlayerPath());
}

void InstallWindowLink()
{
    SetWindowFinder([](const QString& caption) { return !windowlink::FindWindow(caption).IsNull(); });
    // The switch-to-window call also restores a minimised window.
    SetWindowSwitcher([](const QString& caption) { windowlink::BringToFront(windowlink::FindWindow(caption)); });
}

void SetStationMessageHook(StationMessageHook hook)
{
    Hook() = std::move(hook);
}

bool ClaimStationCaption(const QString& caption)
{
    delete g_pClaim.data();
    // Binding the caption's socket is atomic: of two starts, one wins.
    auto* claim = new windowlink::LinkWindow(caption, nullptr, QCoreApplication::instance());
    if (claim->IsRegistered()) {
        g_pClaim = claim;
        return true;
    }
    const QString error = claim->ErrorText();
    delete claim;
    if (windowlink::RestoreExistingInstance(caption))
        return false;
    std::fprintf(stderr, "window link: %s\n", qPrintable(error));
    return true;
}

windowlink::LinkWindow* RegisterStationWindow(QWidget* mainWindow, const QString& caption)
{
    const QString name = caption.isEmpty() ? ClientCaption() : caption;
    windowlink::LinkWindow* link = nullptr;
    if (g_pClaim && g_pClaim->Caption() == name) {
        link = g_pClaim.data();
        g_pClaim = nullptr;
        link->SetTarget(mainWindow);
    } else {
        link = windowlink::RegisterWindow(mainWindow, name);
    }
    QObject::connect(link, &windowlink::LinkWindow::MessageReceived, link, [](const windowlink::WindowMessage& m) {
        if (Hook())
            Hook()(m);
    });
    // A copy-data record sent to the station is accepted and ignored.
    link->SetCopyDataHandler([](const windowlink::CopyDataRecord&) { return int64_t(1); });
    return link;
}

bool IsPlayerReport(uint32_t message)
{
    switch (message) {
    case kMsgVolumeReport:
    case kMsgPlayerKey:
    case kMsgPausedReport:
    case kMsgRecordingReport:
    case kMsgShadowReport:
    case kMsgAddSongDone:
        return true;
    default:
        return false;
    }
}

} // namespace playerlink
