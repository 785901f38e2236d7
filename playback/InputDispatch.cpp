#include "playback/InputDispatch.h"

#include "catalogue/FrmData.h"
#include "core/Exception.h"
#include "core/Gbk.h"
#include "core/Guard.h"
#include "core/Hooks.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "core/Station.h"
#include "platform/keys/VirtualKeys.h"
#include "platform/windowlink/WindowLink.h"
#include "playback/FrmMediaPlayer.h"
#include "playback/PlayerLink.h"
#include "playback/StationShot.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/PicShow.h"
#include "ui/UiHooks.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <cstdlib>

using namespace playerlink;

namespace {

QPointer<TAppMessageFilter> g_pFilter;
QPointer<QTimer> g_pIdleTimer;

TKVFormXML* Top()
{
    return g_pFrmManager ? g_pFrmManager->TopScreen() : nullptr;
}

QString ScreenName(const QWidget* screen)
{
    if (!screen->objectName().isEmpty())
        return screen->objectName();
    if (auto* xml = qobject_cast<const TKVFormXML*>(screen))
        return TKVFormManager::NodeName(xml->m_pNode);
    return QString();
}

void PostToFront(TKVFormXML* top, int key)
{
    if (top)
        PostVkKeyDown(top, key);
}

// The music level of a volume the player reports with VolumeMode on.
int LevelOfVolume(int64_t volume)
{
    switch (volume) {
    case 10:
        return 0;
    case 30:
        return 1;
    case 50:
        return 2;
    case 70:
        return 3;
    case 90:
        return 4;
    default:
        return 2;
    }
}

// Reopening the catalogue prepares its indexes anew, and the maintenance
// screen waits for them: it opens as soon as they are ready (the staff's
// add-song round would otherwise end on the portal). A loader that never
// finishes is given up after a minute.
constexpr int kRepairWaitStepMs = 100;
constexpr int kRepairWaitSteps = 600;

void ShowRepairWhenIndexed(int stepsLeft)
{
    if (!g_pFrmManager)
        return;
    if (!FrmData || !FrmData->LoaderRunning()) {
        g_pFrmManager->ShowRepair();
        return;
    }
    if (stepsLeft > 0)
        QTimer::singleShot(kRepairWaitStepMs, QCoreApplication::instance(), [stepsLeft] {
            RunGuarded(QStringLiteral("ShowRepair"), [stepsLeft] { ShowRepairWhenIndexed(stepsLeft - 1); });
        });
}

// The add-song program has finished: the songs it added in the last 30 days
// that still lack their data go into the queue for the staff to check.
void QueueNewSongs()
{
    TFrmData* data = FrmData;
    if (!data)
        return;
    data->ReopenCatalogue();
    const SqlDialect& dialect = data->ado.Dialect();
    // The catalogue's own date arithmetic ("now()-30" on Jet): thirty days ago.
    const QString limit = dialect.AddDays(dialect.CurrentDateTime(), -30);
    data->ADOQuery1.Close();
    data->ADOQuery1.SetCommandText(
        QStringLiteral("SELECT a.FilePath as FilePath, b.* FROM song AS a LEFT JOIN original AS b ON "
                       "a.SongNo=b.SONGNO where (version is null or music is null) and CreateDate>") +
        limit);
    data->ADOQuery1.Open();
    const bool playing = data->m_pPlaying && data->m_pPlaying->Active() && !data->m_pPlaying->IsEmpty();
    data->ClearQueue(false);
    if (playing)
        PostCommand(kCmdStop);
    for (data->ADOQuery1.First(); !data->ADOQuery1.Eof(); data->ADOQuery1.Next())
        data->OrderSong(&data->ADOQuery1);
    data->ADOQuery1.Close();
    ShowRepairWhenIndexed(kRepairWaitSteps);
}

} // namespace

TDispatchDevices& DispatchDevices()
{
    static TDispatchDevices devices;
    return devices;
}

void OnAppMessage(const TAppMessage& msg, bool& handled)
{
    TKVFormXML* top = Top();
    if (!top)
        return;
    const QString n = ScreenName(top);
    const TSetting* s = g_pSetting;
    const TKeyMap* keys = s ? &s->Keys : nullptr;
    TDispatchDevices& dev = DispatchDevices();
    TFrmData* data = FrmData;
    TFrmMediaPlayer* main = FrmMediaPlayer;
    const auto xy = [&msg] { return QString::number(msg.x) + QLatin1Char('x') + QString::number(msg.y); };

    // 1. Press: where a swipe starts.
    if (msg.message == kWmLButtonDown) {
        WriteLog(n + QStringLiteral(".Mouse按下:") + xy());
        if (data) {
            data->m_nDownX = msg.x;
            data->m_nDownY = msg.y;
        }
    }
    // 2. Release: a swipe turns the page, except on the screens that take
    // strokes themselves.
    if (msg.message == kWmLButtonUp && n != QLatin1String("frmorder") && n != QLatin1String("frmocr")) {
        const int dx = msg.x - (data ? data->m_nDownX : msg.x);
        const int dy = msg.y - (data ? data->m_nDownY : msg.y);
        WriteLog(n + QStringLiteral(".Mouse松开:") + xy());
        if (keys) {
            if (std::abs(dx) < 10 && dy < -10) {
                handled = true;
                WriteLog(n + QStringLiteral(".滑屏向上翻页()"));
                PostToFront(top, keys->PAGEUP);
            }
            if (std::abs(dx) < 10 && dy > 10) {
                handled = true;
                WriteLog(n + QStringLiteral(".滑屏向下翻页()"));
                PostToFront(top, keys->PAGEDOWN);
            }
            if (dx < -10 && std::abs(dy) < 10) {
                handled = true;
                WriteLog(n + QStringLiteral(".滑屏向左翻页()"));
                PostToFront(top, keys->PAGEUP);
            }
            if (dx > 10 && std::abs(dy) < 10) {
                handled = true;
                WriteLog(n + QStringLiteral(".滑屏向右翻页()"));
                PostToFront(top, keys->PAGEDOWN);
            }
        }
    }
    // 3. The player's volume report.
    if (msg.message == kMsgVolumeReport) {
        try {
            if (data) {
                data->m_bOriginalVocal = msg.lParam != 0;
                data->m_nMusicVolume = int(msg.wParam);
            }
            if (s && s->VolumeMode && main)
                main->m_nMusicLevel = LevelOfVolume(msg.wParam);
            if (main)
                main->m_nChannel = 0;
            CallHook("SelectChannel", dev.SelectChannel, 0, 0);
            if (n == QLatin1String("frmrepair") || top->windowTitle() == QLatin1String("FrmRepair")) {
                UiHooks().ReopenPlayingView();
                CallHook("RefreshRepairStatus", dev.RefreshRepairStatus);
            }
        } catch (...) {
        }
    }
    // 4. The player's play state: a locked room stays paused.
    if (msg.message == kMsgPausedReport) {
        try {
            const bool paused = msg.lParam != 0;
            if (data)
                data->m_bPlayerPaused = paused;
            if (main && main->m_bLocked && !paused)
                PostCommand(kCmdPause);
        } catch (...) {
        }
    }
    // 5. A key pressed at the player goes the way of the main window's keys.
    if (msg.message == kMsgPlayerKey) {
        WriteLog(n + QStringLiteral(".播放器按键()") + QString::number(msg.lParam));
        if (main)
            PostVkKeyDown(main, int(msg.lParam));
    }
    // 6.-7. Recording and 炫影 mode at the player.
    if (msg.message == kMsgRecordingReport) {
        WriteLog(n + QStringLiteral(".录音()") + QString::number(msg.lParam));
        if (main)
            main->m_bPlayerRecording = msg.lParam != 0;
    }
    if (msg.message == kMsgShadowReport) {
        WriteLog(n + QStringLiteral(".炫影()") + QString::number(msg.lParam));
        if (main)
            main->m_bShadowMode = msg.lParam != 0;
    }
    // 8. A right click goes back.
    if (msg.message == kWmRButtonDown) {
        WriteLog(n + QStringLiteral(".右键返回()"));
        if (keys)
            PostToFront(top, keys->RETURN);
        handled = true;
    }
    // 9. Any input ends the picture show.
    if (s && s->ShowScreen != 0 && data) {
        const bool key = msg.message == kWmKeyDown;
        const bool moved = msg.message == kWmMouseMove && (msg.x != data->m_nIdleX || msg.y != data->m_nIdleY);
        if (key || moved) {
            // A key that closes the pictures does nothing else.
            if (key && CallHook("PicShowWokenBy", dev.PicShowWokenBy, int(msg.wParam)))
                handled = true;
            CallHook("PicShowStop", dev.PicShowStop);
            data->m_nIdleX = msg.x;
            data->m_nIdleY = msg.y;
        }
    }
    // 10. Keys: the player follows the arrows and Enter.
    if (msg.message == kWmKeyDown) {
        const int key = int(msg.wParam);
        WriteLog(n + QStringLiteral(".AppMessage.KeyDown():") + QString::number(key));
        if (keys && key == keys->RETURN && main && main->m_bShadowMode) {
            PostCommand(kCmdLeaveShadowMode);
            handled = true;
        }
        if (key == 40 || key == 38 || key == 37 || key == 39 || key == 13)
            PostKey(key, false);
    }
    // 11. The add-song program has finished.
    if (msg.message == kMsgAddSongDone) {
        WriteLog(n + QStringLiteral(".前台加歌,录入歌名歌星()"));
        if (main && main->Timer2()) {
            if (main->m_bTimer2Saved)
                main->Timer2()->start();
            else
                main->Timer2()->stop();
        }
        // A catalogue or queue that fails here is logged; the station goes on.
        if (msg.wParam != 1)
            RunGuarded(n + QStringLiteral(".前台加歌"), QueueNewSongs);
    }
}

void OnAppIdle()
{
    const TSetting* s = g_pSetting;
    if (!s || s->ShowScreen == 0 || g_pLockScreen)
        return;
    TDispatchDevices& dev = DispatchDevices();
    if (CallHook("PicShowArmed", dev.PicShowArmed))
        return;
    CallHook("PicShowArm", dev.PicShowArm);
}

void DispatchKey(int k)
{
    const TSetting* s = g_pSetting;
    if (!s)
        return;
    const TKeyMap& keys = s->Keys;
    TDispatchDevices& dev = DispatchDevices();
    TKVFormManager* fm = g_pFrmManager;
    const auto channel = [&dev](int c, int step) {
        if (FrmMediaPlayer)
            FrmMediaPlayer->m_nChannel = c;
        CallHook("SelectChannel", dev.SelectChannel, c, step);
    };
    const auto toPortal = [fm] {
        if (fm)
            fm->CloseToPortal();
        return fm;
    };

    if (k == keys.BANCHANG)
        PostCommand(kCmdAccompaniment);
    if (k == keys.YUANCHANG)
        PostCommand(kCmdVocal);
    if (k == keys.STOP) {
        PostCommand(kCmdStop);
        try {
            CallHook("StopRecordingPlayback", dev.StopRecordingPlayback);
        } catch (...) {
        }
        if (FrmMediaPlayer)
            FrmMediaPlayer->m_bPlayback = false;
    }
    if (k == keys.Volume && fm)
        fm->ShowVolume(false);
    if (k == keys.VOLUME_ADD)
        channel(0, 1);
    if (k == keys.VOLUME_DEC)
        channel(0, -1);
    if (k == keys.Mic_Add)
        channel(1, 1);
    if (k == keys.Mic_Dec)
        channel(1, -1);
    if (k == keys.Key_Add)
        channel(2, 1);
    if (k == keys.Key_Dec)
        channel(2, -1);
    if (k == keys.Key_Reset)
        CallHook("ResetTone", dev.ResetTone);
    const int effects[4] = {keys.Effect_Key1, keys.Effect_Key2, keys.Effect_Key3, keys.Effect_Key4};
    for (int level = 0; level < 4; ++level) {
        if (k == effects[level])
            CallHook("SetEffectLevel", dev.SetEffectLevel, level);
    }
    if (k == keys.Applause)
        CallHook("ShowOsdPicture", dev.ShowOsdPicture, QStringLiteral("3.bmp"));
    if (k == keys.Catcall)
        CallHook("ShowOsdPicture", dev.ShowOsdPicture, QStringLiteral("2.bmp"));
    if (k == keys.RecordAudio && fm)
        fm->ShowRecord(false);
    if (k == keys.RecordVideo && s->VideoScreenCount > 1)
        PostCommand(kCmdRecordVideo);
    if (k == keys.Grade && fm)
        fm->ShowOsd();
    if (k == keys.OCR && fm)
        fm->ShowOcr();
    if (k == keys.PLAYLIST && fm)
        fm->ShowOrdered();
    if (k == keys.CALLWAITER) {
        CallHook("SendServiceCommand", dev.SendServiceCommand);
        ShowText(kShowStatus, s->Texts.ServiceVol);
        QByteArray datagram = "call";
        datagram += char(0x01);
        datagram += ToNarrow(s->Texts.Call + s->Texts.Waiter);
        const bool sent = CallHook("SendToServer", dev.SendToServer, datagram);
        CallHook("ShowMessageText", dev.ShowMessageText, sent ? s->Texts.WaiterSucceed : s->Texts.WaiterLost);
    }
    if (k == keys.MAINMENU)
        toPortal();
    if (k == keys.Song && toPortal())
        fm->ShowOrderSong();
    if (k == keys.MyLove && fm)
        fm->ShowMyLove();
    if (k == keys.Hot && toPortal())
        fm->ShowTop();
    // SELLANG and MEDIATIME: nothing.
    if (k == keys.POWEROFF && fm)
        fm->ShowShutdownLock();
    if (k == keys.DRINKWATER && toPortal())
        fm->ShowFoodType();
    if (k == keys.Singer && toPortal())
        fm->ShowSingerType();
    if (k == keys.FirstChar && toPortal())
        fm->ShowSongByPy();
    if (k == keys.Number && toPortal())
        fm->ShowNumber();
    if (k == keys.Language && toPortal())
        fm->ShowLanguage();
    if (k == keys.Type && toPortal())
        fm->ShowSongType();
    if (k == keys.Word && toPortal())
        fm->ShowWords();
    if (k == keys.Stroke && toPortal())
        fm->ShowStroke();
    if (k == keys.Movie && toPortal())
        fm->ShowMovie();
    if (k == keys.Disco && toPortal())
        fm->ShowDisco();
}

// ---- the application filter ----

bool TAppMessageFilter::eventFilter(QObject* watched, QEvent* event)
{
    TAppMessage msg;
    const QEvent::Type type = event->type();
    if (type == windowlink::WindowMessageEvent::EventType()) {
        const windowlink::WindowMessage& m = static_cast<windowlink::WindowMessageEvent*>(event)->Message();
        msg.message = m.message;
        msg.wParam = m.wParam;
        msg.lParam = m.lParam;
        // Mouse messages from another program carry the position as the
        // low and high words of lParam.
        if (msg.message >= kWmMouseMove && msg.message <= kWmRButtonDown) {
            msg.x = int(int16_t(m.lParam & 0xFFFF));
            msg.y = int(int16_t((m.lParam >> 16) & 0xFFFF));
        }
    } else if (type == TVkKeyEvent::EventType()) {
        // A key sent synchronously (a skin button's RETURN) goes straight to
        // its screen, as a sent window message bypasses the message queue.
        if (static_cast<TVkKeyEvent*>(event)->Sent())
            return false;
        msg.message = kWmKeyDown;
        msg.wParam = static_cast<TVkKeyEvent*>(event)->Vk();
    } else if (!watched->isWidgetType()) {
        return false;
    } else if (type == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        if (e == m_pLastEvent && m_nLastType == type && m_nLastStamp == e->timestamp())
            return false;
        m_pLastEvent = e;
        m_nLastType = type;
        m_nLastStamp = e->timestamp();
        const int vk = VkFromKeyEvent(e);
        if (vk == 0)
            return false;
        msg.message = kWmKeyDown;
        msg.wParam = vk;
    } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseMove) {
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint pos = e->globalPosition().toPoint();
        if (m_nLastType == type && m_nLastStamp == e->timestamp() && m_lastPos == pos)
            return false;
        m_pLastEvent = e;
        m_nLastType = type;
        m_nLastStamp = e->timestamp();
        m_lastPos = pos;
        msg.x = pos.x();
        msg.y = pos.y();
        if (type == QEvent::MouseMove)
            msg.message = kWmMouseMove;
        else if (e->button() == Qt::LeftButton)
            msg.message = type == QEvent::MouseButtonPress ? kWmLButtonDown : kWmLButtonUp;
        else if (e->button() == Qt::RightButton && type == QEvent::MouseButtonPress)
            msg.message = kWmRButtonDown;
        else
            return false;
    } else {
        return false;
    }
    bool handled = false;
    OnAppMessage(msg, handled);
    return handled;
}

void InstallInputDispatch()
{
    if (!g_pFilter) {
        g_pFilter = new TAppMessageFilter(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(g_pFilter);
    }
    // Key-downs posted to the station's window go to the main window's key
    // handler, as keys typed on it do.
    SetStationMessageHook([](const windowlink::WindowMessage& m) {
        if (m.message == windowlink::WM_KEYDOWN && FrmMediaPlayer) {
            int key = int(m.wParam);
            FrmMediaPlayer->FormKeyDown(key);
        }
        if (m.message == kMsgTestScreenshot && TestControlEnabled()) {
            // Written under another name first: a reader never sees half a file.
            const QString path = qEnvironmentVariable("VOD_SCREENSHOT_DIR") + QStringLiteral("/shot") +
                                 QString::number(m.wParam) + QStringLiteral(".png");
            if (SaveScreenshot(path + QStringLiteral(".part")))
                QFile::rename(path + QStringLiteral(".part"), path);
        }
        if (m.message == kMsgTestLabels && TestControlEnabled())
            SaveFrontLabels(qEnvironmentVariable("VOD_SCREENSHOT_DIR") + QStringLiteral("/labels") +
                            QString::number(m.wParam) + QStringLiteral(".txt"));
        if (m.message == kMsgTestKey && TestControlEnabled())
            TypeTestKey(int(m.wParam), int(m.lParam));
        if (m.message == kMsgTestCloseStation && TestControlEnabled())
            CloseStation(false);
    });
}

void InstallIdleHandler()
{
    if (g_pIdleTimer)
        return;
    // A zero timer fires when the queue is empty; the interval keeps the
    // check from spinning.
    g_pIdleTimer = new QTimer(QCoreApplication::instance());
    g_pIdleTimer->setInterval(200);
    QObject::connect(g_pIdleTimer, &QTimer::timeout, [] { OnAppIdle(); });
    g_pIdleTimer->start();
}

void RemoveInputDispatch()
{
    delete g_pFilter.data();
    delete g_pIdleTimer.data();
    SetStationMessageHook(nullptr);
}

void CreatePicShow(TFrmData& data, int intervalMs)
{
    auto* show = new TPicShow(intervalMs, &data);
    data.m_pPicShow = show;
    const QPointer<TPicShow> p(show);
    TDispatchDevices& dev = DispatchDevices();
    dev.PicShowWokenBy = [p](int key) { return p && p->KeyDown(key); };
    dev.PicShowStop = [p] {
        if (p)
            p->SetActive(false);
    };
    dev.PicShowArmed = [p] { return p && p->Active(); };
    dev.PicShowArm = [p] {
        if (p)
            p->SetActive(true);
    };
}
