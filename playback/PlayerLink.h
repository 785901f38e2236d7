#pragma once
// The station's link to the player program: the messages it sends to the
// player's window (caption Player_Caption, looked up anew for every message;
// when there is none the message is dropped and the call gives false), the
// start of the player program, and the hand-over of the messages that the
// player program and the add-song program post to the station's window.
#include "platform/windowlink/WindowLink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace playerlink {

// Posted by the station.
constexpr uint32_t kMsgCommand = 2027; // wParam the command code, lParam 0
constexpr uint32_t kMsgVolume = 2030;  // wParam kCmdVolume, lParam the volume

// Posted to the station.
constexpr uint32_t kMsgVolumeReport = 2028;    // wParam volume 0..100, lParam vocal track on
constexpr uint32_t kMsgPlayerKey = 2032;       // lParam a key code pressed at the player
constexpr uint32_t kMsgPausedReport = 2033;    // lParam paused
constexpr uint32_t kMsgRecordingReport = 2037; // lParam recording
constexpr uint32_t kMsgShadowReport = 2038;    // lParam 炫影 mode on
constexpr uint32_t kMsgAddSongDone = 2039;     // from the add-song program; wParam 1: nothing added

// Command codes of kMsgCommand.
enum PlayerCommand : int
{
    kCmdPause = 2,
    kCmdAccompaniment = 3,
    kCmdStop = 5,
    kCmdVocal = 6,
    kCmdFireAlarm = 15,
    kCmdFireAlarmOver = 16,
    kCmdStationClosing = 17,
    kCmdVolume = 20, // sent with kMsgVolume
    kCmdRecordVideo = 27,
    kCmdResume = 28,
    kCmdStopRecording = 31,
    kCmdRecordingPlayback = 32,
    kCmdLeaveShadowMode = 33,
    kCmdPictureShow = 34,
};

// wParam of the copy-data records sent to the player.
enum CopyKind : int
{
    kCopyPlayNow = 2,
    kCopyShowText = 4,
    kCopyRecordTo = 5,
    kCopySongRecord = 6,
    kCopyVocalCheck = 7,
};

// Display kinds of kCopyShowText (its record value).
enum DisplayKind : int
{
    kShowMessage = 0,
    kShowQuickText = 1,
    kShowPicture = 2,
    kShowStatus = 4,
};

// Longest text or path the player takes in one record.
constexpr int kMaxPlayerText = 255;
// How long a copy-data send to the player waits for its answer.
constexpr int kPlayerSendTimeoutMs = 2000;

// The captions and the program file. Unless set here, they come from the
// settings object g_pSetting (Player_Caption, Client_Caption, PlayerPath),
// and without one from the defaults "Test Player", "kroomclient", none.
void SetPlayerCaption(const QString& caption);
void SetClientCaption(const QString& caption);
void SetPlayerPath(const QString& path);
QString PlayerCaption();
QString ClientCaption();
QString PlayerPath();

// The player's window, found anew.
windowlink::WindowHandle PlayerWindow();
bool PlayerRunning();

// The longest prefix of GBK bytes of at most maxBytes that does not split a
// double-byte character.
QByteArray CutGbk(const QByteArray& gbk, int maxBytes);

// Copy-data records, each waiting up to kPlayerSendTimeoutMs for the
// player's answer. Paths (play now, picture, recording file) longer than
// kMaxPlayerText bytes are not sent (a cut path names another file) and give
// false; display texts are cut at a character boundary.
bool PlayNow(const QString& videoPath);                       // kind 2
bool ShowText(int displayKind, const QString& text);          // kind 4
bool RecordTo(const QString& fileName);                       // kind 5
bool SendSongRecord(int direction, const QByteArray& record); // kind 6, direction 1 next, 0 previous
// The maintenance record: the fields in GBK, each followed by the byte 0x01.
QByteArray BuildSongRecord(const QStringList& fields);
bool SendVocalCheck(bool checked); // kind 7, the text "hello"

// Posted commands (no reply) on kMsgCommand. The volume goes on kMsgVolume
// with the value clamped to 0..100 (PostCommand(kCmdVolume) sends 0).
bool PostCommand(int code);
bool PostVolume(int volume);
// A key-down posted to the player; with switchFirst its window is brought to
// the front before. A key code 0 only switches.
bool PostKey(int keyCode, bool switchFirst, int64_t lParam = 0);

// Starts the player program when no window holds the player caption and the
// program file exists: with the parameter "min", minimised, not awaited.
// Gives true when it was started.
bool RunPlayerProgram(const QString& playerCaption, const QString& playerPath);
bool RunPlayerProgram();

// Installs the window link as the station's way to find other programs'
// windows and to bring them to the front (WindowExists, SwitchToWindow).
// Called once at start-up, before the second-start check.
void InstallWindowLink();

// The station's side. The hook receives every message posted to the
// station's window, in order, on the GUI thread; copy-data records sent to it
// are accepted and ignored. Without a hook the messages are dropped.
using StationMessageHook = std::function<void(const windowlink::WindowMessage&)>;
void SetStationMessageHook(StationMessageHook hook);
// The second-start check. Claims the caption for this start at once, before
// any window exists, so that a second start meets this one even while it is
// still loading; the main window takes the claim over when it registers.
// When a live window already holds the caption, that window is asked to come
// forward and the result is false (this start should end). When the window
// link cannot be used at all the start goes on unclaimed (true).
bool ClaimStationCaption(const QString& caption);
// Registers the station's main window under the caption (Client_Caption
// unless given), taking over this process's claim of that caption, and hands
// its messages to the hook.
windowlink::LinkWindow* RegisterStationWindow(QWidget* mainWindow, const QString& caption = QString());
// True for the messages the player and the add-song program post.
bool IsPlayerReport(uint32_t message);

} // namespace playerlink
