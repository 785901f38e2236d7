// The control server's commands: each performed by the module that owns the
// state it changes (settings and texts, the lock screen, the player, the
// play queue, the catalogue).
#include "catalogue/FrmData.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "core/Station.h"
#include "net/UDP.h"
#include "platform/keys/VirtualKeys.h"
#include "playback/FrmMediaPlayer.h"
#include "playback/PlayerLink.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"

#include <QCoreApplication>
#include <QTimer>
#include <climits>

using namespace playerlink;

namespace {

constexpr int kWarningCloseMs = 8000;
constexpr int kDefaultShutdownMs = 3000;

ILockScreen* Purpose(TKVFormXML* screen)
{
    return dynamic_cast<ILockScreen*>(screen);
}

// The open lock screen: the station-wide reference, or any screen of the
// lock screen's node (a skin button may open one without purpose).
TKVFormXML* OpenLockScreen()
{
    if (g_pLockScreen && g_pLockScreen->isVisible())
        return g_pLockScreen;
    if (!g_pFrmManager)
        return nullptr;
    for (TKVFormXML* screen : g_pFrmManager->OpenScreens()) {
        if (screen && TKVFormManager::NodeName(screen->m_pNode) == QLatin1String("frmlock"))
            return screen;
    }
    return nullptr;
}

// A lock screen that takes no input: the room is locked.
bool RoomLockScreenOpen()
{
    TKVFormXML* lock = OpenLockScreen();
    const ILockScreen* purpose = Purpose(lock);
    return lock && (!purpose || !purpose->InputAllowed);
}

void CloseLockScreen()
{
    while (TKVFormXML* lock = OpenLockScreen()) {
        if (g_pLockScreen == lock)
            g_pLockScreen = nullptr;
        lock->close();
        if (g_pFrmManager)
            g_pFrmManager->RemoveScreen(lock);
    }
}

// A lock screen without input, showing the prompt.
TKVFormXML* ShowRoomLock(const QString& prompt, bool powerOffLater = false)
{
    if (!g_pFrmManager)
        return nullptr;
    return g_pFrmManager->OpenLock(
        [powerOffLater](ILockScreen& l) {
            if (powerOffLater)
                l.StartShowTimer();
        },
        prompt);
}

void SetLocked(bool locked)
{
    if (FrmMediaPlayer)
        FrmMediaPlayer->m_bLocked = locked;
}

// A paused player plays on when the room opens.
void ResumeIfPaused()
{
    if (FrmData && FrmData->m_bPlayerPaused)
        PostCommand(kCmdResume);
}

QString Text(const char* key)
{
    return g_pSetting ? g_pSetting->Text(QString::fromLatin1(key)) : QString();
}

void PostKeyToMainForm(int key)
{
    if (FrmMediaPlayer && key != 0)
        PostVkKeyDown(FrmMediaPlayer, key);
}

bool IsFilmType(const QString& lanType)
{
    return lanType == QLatin1String("20") || lanType == QLatin1String("21");
}

QString PlayingLanType()
{
    if (!FrmData || !FrmData->m_pPlaying || !FrmData->m_pPlaying->Active())
        return QString();
    DataSet& playing = *FrmData->m_pPlaying;
    playing.First();
    if (playing.IsEmpty())
        return QString();
    const Field f = playing.FindField(QStringLiteral("Lan_Type"));
    return f.IsValid() ? f.AsString().trimmed() : QString();
}

} // namespace

void TUDP::Dispatch()
{
    const QString& c = Command;
    TSetting* s = g_pSetting;
    if (c == QLatin1String("getdbip")) {
        if (s)
            s->ServerDbAddress = Arg1;
    } else if (c == QLatin1String("videofile")) {
        PlayNow(Arg1);
    } else if (c == QLatin1String("time")) {
        if (Arg1 == QLatin1String("warry"))
            TimeWarning(Arg2);
        if (Arg1 == QLatin1String("begin"))
            TimeBegin();
        if (Arg1 == QLatin1String("end"))
            TimeEnd();
    } else if (c == QLatin1String("room")) {
        if (s)
            s->Texts.Room = Arg1;
    } else if (c == QLatin1String("cmd")) {
        if (Arg1 == QLatin1String("lock"))
            LockRoom();
        if (Arg1 == QLatin1String("unlock"))
            UnlockRoom();
        if (Arg1 == QLatin1String("shutdown"))
            ScheduleShutdown(Arg2);
        // Closing the main window frees this link: not while it is busy here.
        if (Arg1 == QLatin1String("close"))
            QMetaObject::invokeMethod(
                qApp, [] { CloseStation(false); }, Qt::QueuedConnection);
        if (Arg1 == QLatin1String("Fire"))
            PostCommand(kCmdFireAlarm);
        if (Arg1 == QLatin1String("CancelFire"))
            PostCommand(kCmdFireAlarmOver);
    } else if (c == QLatin1String("msg")) {
        ShowText(kShowMessage, Arg1);
    } else if (c == QLatin1String("quickmsg")) {
        ShowText(kShowQuickText, Arg1);
    } else if (c == QLatin1String("image")) {
        ShowText(kShowPicture, Arg1);
    } else if (c == QLatin1String("first") || c == QLatin1String("delete") || c == QLatin1String("order")) {
        EditQueue(c, Arg1);
    } else if (c == QLatin1String("refresh")) {
        if (Arg1 == QLatin1String("db") && FrmData)
            FrmData->ReopenCatalogue();
    } else if (c == QLatin1String("sex") || c == QLatin1String("disco") || c == QLatin1String("miss")) {
        SwitchFunction(c, Arg1);
    }
}

void TUDP::TimeWarning(const QString& minutes)
{
    CloseLockScreen();
    const QString message = minutes + Text("Minutes") + Text("TimeWarry");
    TKVFormXML* lock = g_pFrmManager ? g_pFrmManager->OpenLock(
                                           [](ILockScreen& l) {
                                               l.InputAllowed = true;
                                               l.StartCloseTimer(kWarningCloseMs);
                                           },
                                           QString())
                                     : nullptr;
    ShowText(kShowQuickText, message);
    if (ILockScreen* purpose = Purpose(lock))
        purpose->SetPrompt(message);
}

void TUDP::TimeBegin()
{
    SetLocked(false);
    CloseLockScreen();
    ResumeIfPaused();
    ShowText(kShowQuickText, QStringLiteral(" "));
    emit BookingChanged();
}

void TUDP::TimeEnd()
{
    // A room already locked stays as it is. (Only a lock screen without
    // input counts: a guest's password screen does not keep the room open.)
    if (RoomLockScreenOpen()) {
        emit BookingChanged();
        return;
    }
    SetLocked(true);
    CloseLockScreen();
    const QString over = Text("TimeOver");
    ShowRoomLock(over);
    ShowText(kShowQuickText, over);
    emit BookingChanged();
}

void TUDP::LockRoom()
{
    SetLocked(true);
    CloseLockScreen();
    const QString hint = Text("LockHint");
    ShowText(kShowQuickText, hint);
    ShowRoomLock(hint);
    emit BookingChanged();
}

void TUDP::UnlockRoom()
{
    if (!OpenLockScreen())
        return;
    SetLocked(false);
    CloseLockScreen();
    ResumeIfPaused();
    ShowText(kShowQuickText, QStringLiteral(" "));
}

void TUDP::ScheduleShutdown(const QString& seconds)
{
    int ms = kDefaultShutdownMs;
    if (!seconds.isEmpty()) {
        bool ok = false;
        const qlonglong s = seconds.trimmed().toLongLong(&ok);
        if (!ok || s < 0 || s > INT_MAX / 1000)
            return;
        ms = int(s * 1000);
    }
    // The same delay again changes nothing; another one starts anew.
    if (ShutTimer->isActive() && ShutTimer->interval() == ms)
        return;
    ShutTimer->start(ms);
    WriteLog(QStringLiteral("控制台关机,%1秒后").arg(ms / 1000));
}

void TUDP::ShutTimerTimer()
{
    ShutTimer->stop();
    CloseLockScreen();
    TKVFormXML* lock = ShowRoomLock(QString(), true);
    PostCommand(kCmdStop);
    const QString hint = Text("ShutDownHint");
    if (ILockScreen* purpose = Purpose(lock))
        purpose->SetPrompt(hint);
    ShowText(kShowQuickText, hint);
}

void TUDP::SwitchFunction(const QString& which, const QString& value)
{
    TSetting* s = g_pSetting;
    if (!s)
        return;
    const TKeyMap& keys = s->Keys;
    if (which == QLatin1String("miss")) {
        s->Miss = value;
        if (value == QLatin1String("1"))
            PostKeyToMainForm(keys.Miss);
        return;
    }
    const bool sex = which == QLatin1String("sex");
    (sex ? s->Sex : s->Disco) = value;
    if (value == QLatin1String("1")) {
        PostKeyToMainForm(sex ? keys.Sex : keys.Disco);
        return;
    }
    // Switched off: back to the main screen (a locked room keeps its lock
    // screen), no film of those kinds waits, and none plays on.
    if (g_pFrmManager)
        g_pFrmManager->CloseToPortal(RoomLockScreenOpen() ? OpenLockScreen() : nullptr);
    if (FrmData)
        FrmData->ClearQueue(true);
    if (IsFilmType(PlayingLanType()))
        PostKeyToMainForm(keys.STOP);
}

void TUDP::EditQueue(const QString& command, const QString& songNo)
{
    if (!FrmData)
        return;
    if (command == QLatin1String("order")) {
        FrmData->OrderSongByNumber(songNo);
        return;
    }
    if (!FrmData->IsQueued(songNo))
        return;
    if (command == QLatin1String("first"))
        FrmData->MoveToFront();
    else
        FrmData->DeleteCurrent();
}
