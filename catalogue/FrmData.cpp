#include "catalogue/FrmData.h"

#include "core/Exception.h"
#include "core/Guard.h"
#include "core/Helpers.h"
#include "core/Hooks.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "platform/Tick.h"
#include "platform/dbase/DbfTable.h"
#include "playback/PlayerLink.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <cstdio>

TFrmData* FrmData = nullptr;

const QString TFrmData::ShortDateFormat = QStringLiteral("yyyy-MM-dd");
const QString TFrmData::LongTimeFormat = QStringLiteral("HH:mm:ss");

namespace {

TFrmDataHooks g_hooks;

const QString kPlaying = QStringLiteral("PLAYING");

bool HasDisplay()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace

void SetFrmDataHooks(TFrmDataHooks hooks)
{
    g_hooks = std::move(hooks);
}

const TFrmDataHooks& FrmDataHooks()
{
    return g_hooks;
}

bool TLinkInstanceWindows::FindAndRestore(const QString& caption)
{
    return !playerlink::ClaimStationCaption(caption);
}

// ---------------------------------------------------------------- loader

TLoadThread::TLoadThread(TFrmData& module)
    : m_module(module), m_bSongs(module.CD_Song.Active()), m_bSingers(module.CD_Singer.Active())
{
    m_thread = std::thread([this] { Execute(); });
}

TLoadThread::~TLoadThread()
{
    Stop();
    Join();
}

void TLoadThread::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void TLoadThread::Execute()
{
    // The views were opened by the create handler on the GUI thread; here only
    // the sort indexes are built (PrepareIndex is safe against the GUI thread
    // using the same views). Making a list current happens on the GUI thread.
    // A stop (a reopen of the catalogue, the module going) ends the work
    // between two indexes.
    bool ok = false;
    try {
        uint32_t start = GetTickCount();
        LogElapsed(QStringLiteral("装载歌表数据cd_song"), start);
        start = GetTickCount();
        const auto prepare = [this](DataSet& view, const QStringList& lists) {
            for (const QString& list : lists) {
                if (m_bStop.load())
                    return false;
                view.PrepareIndex(list);
            }
            return true;
        };
        ok = (!m_bSongs || prepare(m_module.CD_Song, TFrmData::SongIndexLists())) &&
             (!m_bSingers || prepare(m_module.CD_Singer, TFrmData::SingerIndexLists()));
        if (ok)
            LogElapsed(QStringLiteral("装载索引"), start);
    } catch (const std::exception& e) {
        DebugOutput(QStringLiteral("loader: ") + QString::fromUtf8(e.what()));
    } catch (...) {
    }
    m_bSucceeded.store(ok);
    m_bFinished.store(true);
    if (ok) {
        TFrmData* module = &m_module;
        TLoadThread* self = this;
        QMetaObject::invokeMethod(
            module, [module, self] { module->LoaderDone(self); }, Qt::QueuedConnection);
    }
}

const QStringList& TFrmData::SongIndexLists()
{
    // The lists of the catalogue's prepared orders, then the exact lists the
    // song filter sets, so every later sort is a prepared one. The last one
    // becomes current.
    static const QStringList lists = {
        QStringLiteral("Lan_type"),         QStringLiteral("Type"),
        QStringLiteral("STR_LEN;Name"),     QStringLiteral("Name"),
        QStringLiteral("First_Char"),       QStringLiteral("SongNo"),
        QStringLiteral("Strokes"),          QStringLiteral("TimesYear"),
        QStringLiteral("TimesSeason"),      QStringLiteral("TimesMonth"),
        QStringLiteral("TimesWeek"),        QStringLiteral("TimesDay"),
        QStringLiteral("TotalTimes"),       QStringLiteral("STR_LEN ASC;Name"),
        QStringLiteral("TotalTimes DESC"),  QStringLiteral("TimesYear DESC"),
        QStringLiteral("TimesSeason DESC"), QStringLiteral("TimesMonth DESC"),
        QStringLiteral("TimesWeek DESC"),   QStringLiteral("Name;Singer_nam"),
    };
    return lists;
}

const QStringList& TFrmData::SingerIndexLists()
{
    static const QStringList lists = {QStringLiteral("SingerName"), QStringLiteral("Times DESC"),
                                      QStringLiteral("Times")};
    return lists;
}

void TFrmData::LoaderDone(TLoadThread* loader)
{
    // A hand-over of a loader that was stopped and replaced arrives late:
    // only the current one may clear the loader state.
    if (!loader || loader != m_pLoader.load() || loader != m_pLoaderThread.get() || !loader->Succeeded())
        return;
    try {
        if (CD_Song.Active() && CD_Song.IndexFieldNames().isEmpty())
            CD_Song.SetIndexFieldNames(QStringLiteral("Name;Singer_nam"));
        if (CD_Singer.Active() && CD_Singer.IndexFieldNames().isEmpty())
            CD_Singer.SetIndexFieldNames(QStringLiteral("Times"));
    } catch (...) {
        return; // the loader failed: the screens that need it stay closed
    }
    m_pLoader.store(nullptr);
}

void TFrmData::WaitForLoader()
{
    if (!m_pLoaderThread)
        return;
    m_pLoaderThread->Join();
    LoaderDone(m_pLoaderThread.get());
}

void TFrmData::StartLoader()
{
    StopLoader();
    auto* thread = new TLoadThread(*this);
    m_pLoader.store(thread);
    m_pLoaderThread.reset(thread);
}

void TFrmData::StopLoader()
{
    if (!m_pLoaderThread)
        return;
    m_pLoaderThread->Stop();
    m_pLoaderThread->Join();
}

// ---------------------------------------------------------------- construction

TFrmData::TFrmData(const TFrmDataOptions& options, QObject* parent) : QObject(parent), m_options(options)
{
    setObjectName(QStringLiteral("FrmData"));
    const struct
    {
        DataSet* set;
        const char* name;
    } names[] = {{&Set, "Set"},
                 {&CD_Song, "CD_Song"},
                 {&CD_Singer, "CD_Singer"},
                 {&Times, "Times"},
                 {&MyLove, "MyLove"},
                 {&MyLoveDetail, "MyLoveDetail"},
                 {&ADOQuery1, "ADOQuery1"},
                 {&Room, "Room"},
                 {&ado_Order, "ado_Order"},
                 {&ado_Playing, "ado_Playing"},
                 {&ado_Sing, "ado_Sing"},
                 {&dbf_Order, "dbf_Order"},
                 {&dbf_Playing, "dbf_Playing"},
                 {&dbf_Sing, "dbf_Sing"}};
    for (const auto& n : names)
        n.set->setObjectName(QString::fromLatin1(n.name));

    try {
        Construct();
    } catch (...) {
        if (g_pSetting == m_pSetting.get())
            g_pSetting = nullptr;
        throw;
    }
    FrmData = this;
    FormCreate();
}

TFrmData::~TFrmData()
{
    // The loader touches the views: it ends before they go.
    StopLoader();
    m_pLoaderThread.reset();
    m_pLoader.store(nullptr);
    m_pHistory.reset(); // writes what is still waiting
    if (FrmData == this)
        FrmData = nullptr;
    m_pFilter.reset();
    if (m_pSetting) {
        m_pSetting->ReadSetting->SetDataSet(nullptr);
        if (g_pSetting == m_pSetting.get())
            g_pSetting = nullptr;
        m_pSetting.reset();
    }
    m_pLock.reset();
}

void TFrmData::Construct()
{
    // 1. The station's date and time formats are ShortDateFormat and
    // LongTimeFormat; every date text of the station is written with them.
    // 2. Start tick and the player-reported states.
    const uint32_t start = GetTickCount();
    m_sUserId.clear();
    m_bPlayerPaused = false;
    m_bOriginalVocal = true;
    m_nMusicVolume = 50;
    // 3. The station-wide lock.
    m_pLock = std::make_unique<std::recursive_mutex>();
    // 4. The settings object.
    m_pSetting = std::make_unique<TSetting>(m_options.exeDir);
    g_pSetting = m_pSetting.get();
    // 5. The catalogue, the Setting rows, every setting.
    ado.Open(g_pSetting->KroomAdo, g_pSetting->ExeDir);
    for (DataSet* s : {&Set, &CD_Song, &CD_Singer, &Times, &MyLove, &MyLoveDetail, &ADOQuery1, &Room, &ado_Order,
                       &ado_Playing, &ado_Sing})
        s->SetConnection(&ado);
    Set.SetCommandText(QStringLiteral("Select type,name,value from Setting order by type,name "));
    Set.Open();
    g_pSetting->Load(&m_settingRows);
    // 6. Another station running?
    TLinkInstanceWindows link;
    IInstanceWindows* instances = m_options.instances ? m_options.instances : &link;
    if (instances->FindAndRestore(g_pSetting->Client_Caption)) {
        g_pSetting->FirstInstance = false;
        return;
    }
    g_pSetting->FirstInstance = true;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::setApplicationDisplayName(g_pSetting->Client_Caption);
    // The embedded catalogue takes the Jet dialect ("Date()"), the servers the
    // server dialect. A Jet provider string always leads to the embedded engine.
    m_bJet = g_pSetting->KroomAdo.contains(QLatin1String(".Jet.OLEDB.")) || ado.Dialect().IsJetRole();
    LogElapsed(QStringLiteral("装载ADO"), start);
}

void TFrmData::ShowError(const QString& message)
{
    if (m_options.showError) {
        m_options.showError(message);
        return;
    }
    if (HasDisplay()) {
        QMessageBox::critical(nullptr, QGuiApplication::applicationDisplayName(), message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
}

void TFrmData::RequestTerminate()
{
    m_bTerminate = true;
    // Ends the message loop as soon as it runs.
    if (QCoreApplication::instance())
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

void TFrmData::FormCreate()
{
    if (!g_pSetting->FirstInstance)
        return;
    try {
        // 1. Station hooks.
        if (g_hooks.installMessageHandler)
            g_hooks.installMessageHandler(*this);
        CallHook("createPicShow", g_hooks.createPicShow, *this, g_pSetting->ShowScreen * 1000);
        if (g_pSetting->ShowScreen != 0 && g_hooks.installIdleHandler)
            g_hooks.installIdleHandler(*this);
        // A device that cannot be opened costs the station that device only,
        // never its queue and catalogue.
        RunGuarded(QStringLiteral("FrmData.OpenSerialPorts"),
                   [this] { CallHook("openSerialPorts", g_hooks.openSerialPorts, *this); });
        // 2. The data.
        LoadData();
        if (m_bTerminate)
            return; // the run ends at once: no player, no loader
        // 3. The player program.
        if (g_pSetting->StartsPlayerProgram()) {
            if (m_options.runProgram)
                m_options.runProgram();
            else
                playerlink::RunPlayerProgram(g_pSetting->Player_Caption, g_pSetting->PlayerPath);
        }
        // 4. The catalogue loader.
        StartLoader();
    } catch (const std::exception& e) {
        m_sCreateError = QString::fromUtf8(e.what());
        if (const auto* ex = dynamic_cast<const Exception*>(&e))
            m_sCreateError = ex->Message();
        ShowError(m_sCreateError);
    }
}

void TFrmData::LoadData()
{
    const uint32_t start = GetTickCount();
    const TSetting& s = *g_pSetting;
    // Music and Remark only for the maintenance screen.
    CD_Song.SetTableName(QStringLiteral("qu_song"));
    CD_Song.SetReadOnly(true);
    if (s.Test == 0) {
        CD_Song.RemoveField(QStringLiteral("Music"));
        CD_Song.RemoveField(QStringLiteral("Remark"));
    }
    CD_Singer.SetTableName(QStringLiteral("qu_Singer"));
    CD_Singer.SetReadOnly(true);

    if (s.SaloonMode)
        OpenHallQueue();
    else
        OpenLocalQueue();
    if (m_bTerminate)
        return;

    CD_Song.Open();
    CD_Singer.Open();
    m_pFilter = std::make_unique<TSongFilter>(&CD_Song, &CD_Singer);
    LogElapsed(QStringLiteral("装载歌表数据Song"), start);
}

void TFrmData::OpenHallQueue()
{
    const QString order = QStringLiteral("order");
    const struct
    {
        DataSet* set;
        QString filter;
    } views[] = {{&ado_Order, QStringLiteral("PLAYING = '0'")},
                 {&ado_Sing, QStringLiteral("PLAYING = '2' and (Lan_Type<>'20' and Lan_Type<>'21')")},
                 {&ado_Playing, QStringLiteral("PLAYING = '1'")}};
    for (const auto& v : views) {
        v.set->SetTableName(order);
        v.set->Open();
        v.set->SetIndexFieldNames(QStringLiteral("NUM"));
        v.set->SetFilter(v.filter);
        v.set->SetFiltered(true);
    }
    m_pOrder = &ado_Order;
    m_pSing = &ado_Sing;
    m_pPlaying = &ado_Playing;

    Room.SetTableName(QStringLiteral("Room"));
    Room.Open();
    m_sRoomName.clear();
    // The whole name must match; the computer name is lower case while the
    // room table may be written in any case, so case is ignored.
    if (Room.Locate(QStringLiteral("RoomComputer"), g_pSetting->ComputerName))
        m_sRoomName = Room.FieldByName(QStringLiteral("RoomName")).AsString();
}

void TFrmData::OpenLocalTables()
{
    const QString file = m_sQueueFolder + QStringLiteral("order.dbf");
    const struct
    {
        DataSet* set;
        QString filter;
    } views[] = {{&dbf_Order, QStringLiteral("PLAYING = '0'")},
                 {&dbf_Sing, QStringLiteral("PLAYING = '2' and Lan_Type<>'20'")},
                 {&dbf_Playing, QStringLiteral("PLAYING = '1' ")}};
    for (const auto& v : views) {
        v.set->Close();
        v.set->SetDbfFile(file);
        v.set->SetAutoRefresh(true);
        v.set->Open();
        v.set->SetIndexFieldNames(QStringLiteral("NUM"));
        v.set->SetFilter(v.filter);
        v.set->SetFiltered(true);
    }
    // A song that was playing when the station last stopped is dropped.
    dbf_Playing.First();
    while (!dbf_Playing.IsEmpty())
        dbf_Playing.Delete();
    SettleInterruptedMove(dbf_Order);
}

void TFrmData::CloseLocalTables()
{
    for (DataSet* t : {&dbf_Order, &dbf_Sing, &dbf_Playing})
        t->Close();
}

bool TFrmData::MendQueueFile(const QString& file, const QString& error)
{
    if (!QFileInfo::exists(file))
        return false;
    // The damaged file is kept beside the queue for the venue to look at.
    const QString kept = m_sQueueFolder + QStringLiteral("order.damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                         QStringLiteral(".dbf");
    QFile::remove(kept);
    const bool copied = QFile::copy(file, kept);
    qint64 records = -1;
    try {
        records = DbfTable::Mend(file);
    } catch (const DbError& e) {
        WriteLog(QStringLiteral("队列文件无法修复: ") + e.Message(), true);
    }
    const QString where = copied ? QStringLiteral(", 原文件另存为 ") + QDir::toNativeSeparators(kept)
                                 : QStringLiteral(", 原文件无法另存");
    if (records < 0) {
        WriteLog(QStringLiteral("队列文件损坏, 无可读记录, 改用备份 (%1)%2").arg(error, where), true);
        return false;
    }
    WriteLog(QStringLiteral("队列文件损坏, 已修复, 保留 %1 条记录 (%2)%3").arg(records).arg(error, where), true);
    return true;
}

void TFrmData::OpenLocalQueue()
{
    const TSetting& s = *g_pSetting;
    m_sQueueFolder = WithSeparator(s.DataDir);
    const QString bak = m_sQueueFolder + QStringLiteral("bak/");
    if (s.NoDiskMode) {
        m_sQueueFolder = WithSeparator(m_sQueueFolder + s.ComputerName);
        if (!QFileInfo(m_sQueueFolder).isDir()) {
            // One level only: the data folder must exist.
            if (!QDir().mkdir(m_sQueueFolder)) {
                WriteLog(QStringLiteral("无盘模式下,建立目录失败:") + m_sQueueFolder);
                RequestTerminate();
                return;
            }
            CopyReplacing(bak + QStringLiteral("order.dbf"), m_sQueueFolder + QStringLiteral("order.dbf"));
            CopyReplacing(bak + QStringLiteral("order.mdx"), m_sQueueFolder + QStringLiteral("order.mdx"));
        }
    }
    m_pOrder = &dbf_Order;
    m_pSing = &dbf_Sing;
    m_pPlaying = &dbf_Playing;
    const QString file = m_sQueueFolder + QStringLiteral("order.dbf");
    try {
        try {
            OpenLocalTables();
        } catch (const DbfLockTimeout&) {
            throw;
        } catch (const std::exception& e) {
            if (s.Test != 0)
                return; // kept as they are for the maintainer to look at
            CloseLocalTables();
            const QString error = e.what() ? QString::fromUtf8(e.what()) : QString();
            bool open = false;
            if (MendQueueFile(file, error)) {
                try {
                    OpenLocalTables();
                    open = true;
                } catch (const DbfLockTimeout&) {
                    throw;
                } catch (const std::exception&) {
                    CloseLocalTables();
                }
            }
            if (!open) {
                // Nothing readable: the backup, without the old file's journal.
                QFile::remove(DbfJournalPath(file));
                CopyReplacing(bak + QStringLiteral("order.dbf"), file);
                CopyReplacing(bak + QStringLiteral("order.mdx"), m_sQueueFolder + QStringLiteral("order.mdx"));
                OpenLocalTables(); // a second failure ends the create handler
            }
        }
    } catch (const DbfLockTimeout& e) {
        // Another process (a hung player) holds the file: the queue stays
        // closed and shows as unavailable; the rest of the station comes up,
        // and ordering tries the file again.
        CloseLocalTables();
        WriteLog(QStringLiteral("队列文件被占用, 已点歌曲暂不可用: ") + e.Message(), true);
    }
}

bool TFrmData::QueueReady()
{
    if (m_pOrder && m_pOrder->Active())
        return true;
    if (!m_pOrder || m_pOrder != &dbf_Order || m_sQueueFolder.isEmpty() || m_bTerminate)
        return false;
    // The local queue stayed closed at start-up (its file was locked): try again.
    try {
        OpenLocalTables();
        return true;
    } catch (const DbfLockTimeout& e) {
        CloseLocalTables();
        ReportToGuest(g_pSetting->Texts.QueueBusy, e.Message());
    } catch (const DbError& e) {
        CloseLocalTables();
        WriteLog(QStringLiteral("队列文件无法打开: ") + e.Message(), true);
    }
    return false;
}

void TFrmData::ReportToGuest(const QString& text, const QString& cause)
{
    WriteLog(cause, true);
    if (g_hooks.showMessage && !text.isEmpty())
        g_hooks.showMessage(text);
}

// ---------------------------------------------------------------- statements

bool TFrmData::RunSql(const QString& sql)
{
    return ado.RunSql(sql);
}

bool TFrmData::RunSql(const QString& sql, const QVariantList& params)
{
    return ado.RunSql(sql, params);
}

void TFrmData::ReopenCatalogue()
{
    // The loader works on these views: it ends before they close, and the
    // reopened views get their indexes prepared anew (the screens that need
    // them wait for it, as at start-up).
    const bool loaderStarted = m_pLoaderThread != nullptr;
    StopLoader();
    CD_Song.Close();
    CD_Singer.Close();
    try {
        CD_Song.Open();
        CD_Singer.Open();
    } catch (...) {
        CD_Song.Close();
        CD_Singer.Close();
    }
    if (loaderStarted)
        StartLoader();
    emit CatalogueReopened();
}

void TFrmData::FlushHistory()
{
    if (m_pHistory)
        m_pHistory->Flush();
}

void TFrmData::UpdatePlayStatistics()
{
    try {
        FlushHistory();
        if (m_bJet)
            UpdatePlayStatisticsRowByRow(ado);
        else
            UpdatePlayStatisticsSetBased(ado);
    } catch (...) {
        // Whatever was updated before the error stays.
    }
}
