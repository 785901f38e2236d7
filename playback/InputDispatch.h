#pragma once
// The station-wide input dispatch: the application message handler that sees
// every key, touch and window message before a screen does (swipes become
// page keys, a right click the return key, the player's and the add-song
// program's reports change the room's state), the idle handler that arms the
// picture show, and DispatchKey, which turns the command keys into actions
// wherever the guest is.
#include <QObject>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>

class TFrmData;

// One message as the handler sees it: the Windows message number, its two
// parameters and, for mouse messages, the screen position.
struct TAppMessage
{
    uint32_t message = 0;
    int64_t wParam = 0;
    int64_t lParam = 0;
    int x = 0;
    int y = 0;
};

constexpr uint32_t kWmKeyDown = 256;
constexpr uint32_t kWmMouseMove = 512;
constexpr uint32_t kWmLButtonDown = 513;
constexpr uint32_t kWmLButtonUp = 514;
constexpr uint32_t kWmRButtonDown = 516;

// The devices and screens the dispatch drives that belong to other modules
// (volume devices, on-screen display, picture show, control server), each
// installed by its module at start-up. One that nobody installed does nothing
// and is reported once (CallHook).
struct TDispatchDevices
{
    // Volume devices: a channel (0 music, 1 microphone, 2 tone, 3 effect,
    // 4 echo) changed by a step (0: only shown); the tone reset; an effect level.
    std::function<void(int channel, int step)> SelectChannel;
    std::function<void()> ResetTone;
    std::function<void(int level)> SetEffectLevel;
    // On-screen picture and sound of Images/OSD (for example "3.bmp").
    std::function<void(const QString& picture)> ShowOsdPicture;
    // Stops the recording playback when it is open.
    std::function<void()> StopRecordingPlayback;
    // The central control unit's "service" command.
    std::function<void()> SendServiceCommand;
    // Sends a text to the control server; true when it went out.
    std::function<bool(const QByteArray& datagram)> SendToServer;
    // The picture show: which key woke it (true when the key closed the
    // pictures and is used up), stop, whether it is armed, arm.
    std::function<bool(int key)> PicShowWokenBy;
    std::function<void()> PicShowStop;
    std::function<bool()> PicShowArmed;
    std::function<void()> PicShowArm;
    // The maintenance screen redraws its status (after a volume report).
    std::function<void()> RefreshRepairStatus;
    // Shows a text on the message screen.
    std::function<void(const QString& text)> ShowMessageText;
};
TDispatchDevices& DispatchDevices();

// Handles one message; sets handled to keep it from its window.
void OnAppMessage(const TAppMessage& msg, bool& handled);
// Arms the picture show when it is used, no lock screen is up and it is not
// armed yet.
void OnAppIdle();
// The station-wide key handling.
void DispatchKey(int key);

// The message handler as an application event filter: translates Qt's mouse
// and key events and the window link's messages into TAppMessage. Installed
// on the application by InstallInputDispatch (the data module's hook).
class TAppMessageFilter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Qt hands a key or mouse event on to the parents of its receiver; the
    // handler sees each input once.
    int m_nLastType = 0;
    quint64 m_nLastStamp = 0;
    const void* m_pLastEvent = nullptr;
    QPoint m_lastPos;
};

// Installs the message filter on the application and the station's window
// message hook (posted key-downs reach the main window's key handler).
void InstallInputDispatch();
// Installs the idle handler (ShowScreen not 0): runs OnAppIdle whenever the
// event loop has nothing else to do, at most every 200 ms.
void InstallIdleHandler();
// Removes both (tests).
void RemoveInputDispatch();

// Creates the data module's picture show (its child, m_pPicShow) with a
// countdown of intervalMs and lets the dispatch and the idle handler drive it.
void CreatePicShow(TFrmData& data, int intervalMs);
