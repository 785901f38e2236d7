#include "core/StartupStandIns.h"

#include "catalogue/FrmData.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "core/Station.h"
#include "net/UDP.h"
#include "phone/PhoneRemote.h"
#include "playback/FrmMediaPlayer.h"
#include "playback/FrmOther.h"
#include "playback/InputDispatch.h"
#include "playback/PlaybackScreens.h"
#include "playback/PlayerLink.h"
#include "playback/RoomDevices.h"
#include "roomservice/FoodScreens.h"
#include "roomservice/FrmAdo.h"
#include "screens/FrmRepair.h"
#include "screens/SongScreens.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/StationScreens.h"
#include "ui/UiHooks.h"
#include "utilities/UtilityScreens.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

// The framework reaches the catalogue through its hooks.
void WireCatalogueHooks()
{
    TUiHooks& h = UiHooks();
    h.LoaderRunning = [] { return FrmData && FrmData->LoaderRunning(); };
    h.ReopenQueueView = [] {
        if (FrmData && FrmData->m_pOrder) {
            FrmData->m_pOrder->Close();
            FrmData->m_pOrder->Open();
        }
    };
    h.ReopenPlayingView = [] {
        if (FrmData && FrmData->m_pPlaying) {
            FrmData->m_pPlaying->Close();
            FrmData->m_pPlaying->Open();
        }
    };
    // First() takes in what the player changed in the queue file meanwhile.
    // A queue file another process holds locked shows as an empty queue.
    const auto count = [](DataSet* set) {
        if (!set || !set->Active())
            return 0;
        try {
            set->First();
        } catch (const DbfLockTimeout&) {
            return 0;
        }
        return set->RecordCount();
    };
    const auto firstName = [](DataSet* set) {
        if (!set || !set->Active())
            return QString();
        try {
            set->First();
        } catch (const DbfLockTimeout&) {
            return QString();
        }
        if (set->IsEmpty())
            return QString();
        const Field f = set->FindField(QStringLiteral("Name"));
        return f.IsValid() ? f.AsString() : QString();
    };
    h.QueueCount = [count] { return FrmData ? count(FrmData->m_pOrder) : 0; };
    h.QueueFirstName = [firstName] { return FrmData ? firstName(FrmData->m_pOrder) : QString(); };
    h.PlayingFirstName = [firstName] { return FrmData ? firstName(FrmData->m_pPlaying) : QString(); };
    h.IsQueued = [](const QString& songNo) { return FrmData && FrmData->IsQueued(songNo); };
    h.FavouritesUserSignedIn = [] { return FrmData && !FrmData->m_sUserId.isEmpty(); };
    const auto filter = [] { return FrmData ? FrmData->m_pFilter.get() : nullptr; };
    h.ClearCriteria = [filter] {
        if (TSongFilter* f = filter())
            f->ClearCriteria();
    };
    h.SetSingerClass = [filter](int n) {
        if (TSongFilter* f = filter())
            f->SetSingerClass(n);
    };
    h.SetSongCount = [filter](int n) {
        if (TSongFilter* f = filter())
            f->SetSongCount(n);
    };
    using Setter = void (TSongFilter::*)(const QString&);
    const auto text = [filter](Setter setter) {
        return [filter, setter](const QString& value) {
            if (TSongFilter* f = filter())
                (f->*setter)(value);
        };
    };
    h.SetLanguage = text(&TSongFilter::SetLanguage);
    h.SetSongType = text(&TSongFilter::SetSongType);
    h.SetRanking = text(&TSongFilter::SetRanking);
    h.SetFilmType = text(&TSongFilter::SetFilmType);
    h.SetAdultType = text(&TSongFilter::SetAdultType);
    h.SetDanceType = text(&TSongFilter::SetDanceType);
    h.SetNewSongs = text(&TSongFilter::SetNewSongs);
}

} // namespace

void CreateCatalogueModule()
{
    TFrmDataHooks hooks;
    hooks.installMessageHandler = [](TFrmData&) { InstallInputDispatch(); };
    hooks.installIdleHandler = [](TFrmData&) { InstallIdleHandler(); };
    hooks.createPicShow = [](TFrmData& data, int intervalMs) { CreatePicShow(data, intervalMs); };
    hooks.showMessage = [](const QString& text) { ShowMessageText(text); };
    hooks.openSerialPorts = OpenSerialPorts;
    SetFrmDataHooks(std::move(hooks));
    FrmData = new TFrmData();
    if (!g_pSetting->FirstInstance)
        return;
    // The player link finds the player and the station by the captions of
    // this installation.
    playerlink::SetPlayerCaption(g_pSetting->Player_Caption);
    playerlink::SetClientCaption(g_pSetting->Client_Caption);
    playerlink::SetPlayerPath(g_pSetting->PlayerPath);
    WireCatalogueHooks();
}

void FreeCatalogueModule()
{
    ResetUiHooks();
    delete FrmData;
    FrmData = nullptr;
}

void CreateRoomServiceModule()
{
    FrmAdo = new TFrmAdo();
    FrmAdo->DataModuleCreate(g_pSetting->HotelAdo, g_pSetting->ComputerName, g_pSetting->ExeDir);
    InstallRoomServiceHooks();
}

void FreeRoomServiceModule()
{
    RemoveRoomServiceHooks();
    delete FrmAdo;
    FrmAdo = nullptr;
}

void CreateFormManager()
{
    g_pFrmManager = new TKVFormManager();
    RegisterUiScreens();
    RegisterSongScreens();
    RegisterUtilityScreens();
    RegisterFoodScreens();
    RegisterPlaybackScreens();
    UiHooks().DispatchKey = [](int key) { DispatchKey(key); };
    UiHooks().SwitchLanguage = [](int index) { SwitchLanguage(index); };
    DispatchDevices().ShowMessageText = [](const QString& text) { ShowMessageText(text); };
    // A player report while the maintenance screen is in front: it shows the
    // song that plays now.
    DispatchDevices().RefreshRepairStatus = [] { RefreshRepairScreen(); };
}

void CreateMediaPlayerForm()
{
    FrmMediaPlayer = new TFrmMediaPlayer();
    // The main window owns the link to the control server.
    FrmMediaPlayer->SetServerLink(new TUDP(g_pSetting->UDPPort, g_pSetting->ControlServerIP));
    DispatchDevices().SendToServer = [](const QByteArray& text) {
        IStationServerLink* link = FrmMediaPlayer ? FrmMediaPlayer->ServerLink() : nullptr;
        return link && link->Send(text);
    };
    InstallRoomDevices();
    UiHooks().MainForm = [] { return static_cast<QWidget*>(FrmMediaPlayer); };
    // RETURN on the portal of a small screen: the player's window comes to the front.
    UiHooks().ShowPlayerWindow = [] { playerlink::PostKey(0, true); };
    TRepairLink& repair = RepairLink();
    repair.SendSongRecord = [](int direction, const QStringList& fields) {
        return playerlink::SendSongRecord(direction, playerlink::BuildSongRecord(fields));
    };
    repair.SendVocalCheck = [](bool vocal) { return playerlink::SendVocalCheck(vocal); };
    repair.KeepInFront = [](bool on) {
        QTimer* timer = FrmMediaPlayer ? FrmMediaPlayer->Timer2() : nullptr;
        if (timer && on)
            timer->start();
        else if (timer)
            timer->stop();
    };
    UiHooks().ShowPicturesOnVideo = [] { playerlink::PostCommand(playerlink::kCmdPictureShow); };
    SetLevelNamesRefresher([] {
        if (FrmMediaPlayer)
            FrmMediaPlayer->RefreshLevelNames();
    });
    TStationClosers closers;
    closers.CloseAllScreens = [] {
        if (g_pFrmManager)
            g_pFrmManager->CloseAll();
    };
    closers.CloseQueue = [] {
        if (!FrmData)
            return;
        for (DataSet* set : {FrmData->m_pPlaying, FrmData->m_pOrder, FrmData->m_pSing}) {
            if (set)
                set->Close();
        }
    };
    closers.CloseMainForm = [] {
        if (FrmMediaPlayer)
            FrmMediaPlayer->close();
        else
            QCoreApplication::quit();
    };
    SetStationClosers(std::move(closers));
}

void LoadSkinAndShowPortal()
{
    // Loading the skin shows the portal (and the login screen when asked).
    g_pFrmManager->LoadSkin(g_pSetting->SkinDir() + QStringLiteral("buttons.xml"));
    if (!g_pFrmManager->TopScreen())
        g_pFrmManager->ShowPortal();
    // A serial device that could not be opened is told once, over the portal.
    ShowDeviceErrors();
}

void SendLogin()
{
    if (FrmMediaPlayer && FrmMediaPlayer->ServerLink())
        FrmMediaPlayer->ServerLink()->SendLogin();
}

QStringList MissingStartupHooks()
{
    QStringList missing;
    const auto check = [&missing](const char* name, bool installed) {
        if (!installed)
            missing.append(QLatin1String(name));
    };
    const TFrmDataHooks& data = FrmDataHooks();
    check("installMessageHandler", bool(data.installMessageHandler));
    check("createPicShow", bool(data.createPicShow));
    check("installIdleHandler", bool(data.installIdleHandler));
    check("openSerialPorts", bool(data.openSerialPorts));
    const TUiHooks& ui = UiHooks();
    check("RoomServiceConnects", bool(ui.RoomServiceConnects));
    check("ShowPlayerWindow", bool(ui.ShowPlayerWindow));
    check("ShowPicturesOnVideo", bool(ui.ShowPicturesOnVideo));
    const TDispatchDevices& dev = DispatchDevices();
    check("SelectChannel", bool(dev.SelectChannel));
    check("ResetTone", bool(dev.ResetTone));
    check("SetEffectLevel", bool(dev.SetEffectLevel));
    check("ShowOsdPicture", bool(dev.ShowOsdPicture));
    check("StopRecordingPlayback", bool(dev.StopRecordingPlayback));
    check("SendServiceCommand", bool(dev.SendServiceCommand));
    check("SendToServer", bool(dev.SendToServer));
    check("PicShowWokenBy", bool(dev.PicShowWokenBy));
    check("PicShowStop", bool(dev.PicShowStop));
    check("PicShowArmed", bool(dev.PicShowArmed));
    check("PicShowArm", bool(dev.PicShowArm));
    check("RefreshRepairStatus", bool(dev.RefreshRepairStatus));
    check("ShowMessageText", bool(dev.ShowMessageText));
    return missing;
}

void LogMissingStartupHooks()
{
    const QStringList missing = MissingStartupHooks();
    if (missing.isEmpty())
        return;
    const QString text = QStringLiteral("启动后未安装的接口:") + missing.join(u',');
    DebugOutput(text);
    WriteLog(text);
}

void FreeForms()
{
    // The phone remote goes first: it reaches into the queue and the main window.
    StopPhoneRemote();
    SetStationClosers(TStationClosers());
    if (g_pFrmManager)
        g_pFrmManager->CloseAll();
    delete FrmMediaPlayer;
    FrmMediaPlayer = nullptr;
    RemoveInputDispatch();
    RemoveRoomDevices();
    delete g_pFrmManager;
    g_pFrmManager = nullptr;
}
