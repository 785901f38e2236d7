#pragma once
// The catalogue data module: the one object through which the station reaches
// its song catalogue. It owns the connection to the catalogue database, the
// catalogue views CD_Song and CD_Singer, the three data sets of the play
// queue, the statement runner, the favourites and statistics queries, the
// station-wide lock and the song filter. Its construction creates the settings
// object and decides whether this start-up may go on; its create handler
// brings the data up and leaves the sort indexes to a background loader.
//
//   FrmData = new TFrmData();          // construction, then the create handler
//   if (!g_pSetting->FirstInstance) ... // another station runs
//   FrmData->m_pFilter->SetLanguage("1");
//   FrmData->OrderSong();              // the current row of CD_Song
#include "catalogue/HistoryWriter.h"
#include "catalogue/SettingRows.h"
#include "catalogue/SongFilter.h"
#include "platform/db/DataSet.h"
#include "platform/db/DbConnection.h"

#include <QObject>
#include <QString>
#include <QVariantList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TSetting;
class TFrmData;

// How the construction finds another running station: a top-level window
// captioned Client_Caption, which is then restored.
class IInstanceWindows
{
public:
    virtual ~IInstanceWindows() = default;
    // True when a window with that caption exists; it is then shown in its
    // restored size and position.
    virtual bool FindAndRestore(const QString& caption) = 0;
};

// The window link's answer (the station's default): a start that finds no
// other station claims the caption at once, so that a second start during
// this one's loading meets it.
class TLinkInstanceWindows : public IInstanceWindows
{
public:
    bool FindAndRestore(const QString& caption) override;
};

// Station hooks of the create handler, filled by the input dispatch, the
// serial devices and the picture show when they are part of the station.
// One that nobody installed does nothing and is reported once (CallHook) when
// the create handler needs it. Install before the data
// module is created. The picture show is created as a child of the module
// (so the module frees it) and stored in m_pPicShow.
struct TFrmDataHooks
{
    std::function<void(TFrmData&)> installMessageHandler;
    std::function<void(TFrmData&, int intervalMs)> createPicShow;
    std::function<void(TFrmData&)> installIdleHandler; // only when ShowScreen is not 0
    std::function<void(TFrmData&)> openSerialPorts;    // an error is logged; the start-up goes on
    // Shows the guest a message (the message screen); empty: none.
    std::function<void(const QString&)> showMessage;
};
void SetFrmDataHooks(TFrmDataHooks hooks);
const TFrmDataHooks& FrmDataHooks();

struct TFrmDataOptions
{
    // Program folder; empty: the settings object's default.
    QString exeDir;
    // Second-instance check; null: the window link.
    IInstanceWindows* instances = nullptr;
    // Starts the player program when it is not running; empty: the player
    // link (window captioned Player_Caption, program PlayerPath).
    std::function<void()> runProgram;
    // Shows an error that ended the create handler; empty: a message box where
    // there is a display, standard error otherwise.
    std::function<void(const QString&)> showError;
};

// The catalogue loader: prepares the sort indexes of CD_Song and CD_Singer in
// the background, then clears FrmData's m_pLoader.
class TLoadThread
{
public:
    explicit TLoadThread(TFrmData& module);
    ~TLoadThread(); // stops and waits for the work to end
    TLoadThread(const TLoadThread&) = delete;
    TLoadThread& operator=(const TLoadThread&) = delete;
    bool Finished() const { return m_bFinished.load(); }
    // True when every index was prepared (valid once finished).
    bool Succeeded() const { return m_bSucceeded.load(); }
    // Asks the work to end after the index it is preparing.
    void Stop() { m_bStop.store(true); }
    void Join();

private:
    void Execute();
    TFrmData& m_module;
    const bool m_bSongs, m_bSingers; // the views were active when it started
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bSucceeded{false};
    std::atomic<bool> m_bFinished{false};
    std::thread m_thread;
};

class TFrmData : public QObject
{
    Q_OBJECT
public:
    // Construction and, when it succeeded, the create handler. A catalogue
    // that cannot be opened throws (DbError) out of the construction; errors
    // of the create handler are shown and end only the create handler.
    explicit TFrmData(const TFrmDataOptions& options = TFrmDataOptions(), QObject* parent = nullptr);
    ~TFrmData() override;

    // Process-wide date and time formats of the station.
    static const QString ShortDateFormat; // "yyyy-MM-dd"
    static const QString LongTimeFormat;  // "HH:mm:ss"

    // ---- statements ----
    // Runs a statement without a result set; false when it raised an error.
    bool RunSql(const QString& sql);
    bool RunSql(const QString& sql, const QVariantList& params);
    // Closes CD_Song and CD_Singer and opens them again; an error leaves them
    // closed. A loader at work is stopped first and, when the station had
    // started one, a new one prepares the reopened views' indexes.
    void ReopenCatalogue();

    // ---- play queue ----
    // Appends the source's current row (null: CD_Song) to the queue and
    // records a history row.
    void OrderSong(DataSet* source = nullptr);
    bool OrderSongByNumber(const QString& songNo);
    // Positions the queue view on the entry with that song number.
    bool IsQueued(const QString& songNo);
    void MoveToFront();
    // Marks the current entry deleted when it is still waiting (read again
    // under the file's lock); false when it has left the queue meanwhile.
    bool DeleteCurrent();
    void ClearQueue(bool filmsOnly);
    // One field of a song of the whole catalogue; empty when not found.
    QString LookupSongField(const QString& songNo, const QString& fieldName);

    // Waits until every history row of the orders so far is in timesDetail.
    void FlushHistory();

    // ---- statistics ----
    // Folds timesDetail into the play counters; every error is swallowed.
    void UpdatePlayStatistics();

    // ---- state ----
    bool LoaderRunning() const { return m_pLoader.load() != nullptr; }
    // Waits for the loader and completes its hand-over on this thread
    // (tests, benchmarks, shutdown).
    void WaitForLoader();
    // True when loading asked the application to end (a diskless station
    // without its queue folder).
    bool TerminateRequested() const { return m_bTerminate; }
    // The message of the error that ended the create handler (empty: none).
    const QString& CreateError() const { return m_sCreateError; }
    // The queue folder of local mode (ends with '/').
    const QString& QueueFolder() const { return m_sQueueFolder; }
    std::recursive_mutex& Lock() { return *m_pLock; }

    // ---- components ----
    DbConnection ado;
    DataSet Set;
    DataSet CD_Song;
    DataSet CD_Singer;
    DataSet Times;
    DataSet MyLove;
    DataSet MyLoveDetail;
    DataSet ADOQuery1;
    DataSet Room;
    DataSet ado_Order, ado_Playing, ado_Sing;
    DataSet dbf_Order, dbf_Playing, dbf_Sing;

    // ---- members ----
    std::unique_ptr<TSongFilter> m_pFilter;
    std::unique_ptr<std::recursive_mutex> m_pLock;
    int m_nMusicVolume = 50;
    bool m_bPlayerPaused = false;
    bool m_bOriginalVocal = true;
    bool m_bJet = false;
    std::atomic<TLoadThread*> m_pLoader{nullptr};
    QString m_sUserId;
    QString m_sRoomName;
    QObject* m_pPicShow = nullptr; // set by the picture show's hook
    int m_nIdleX = 0, m_nIdleY = 0;
    DataSet* m_pOrder = nullptr;
    DataSet* m_pPlaying = nullptr;
    DataSet* m_pSing = nullptr;
    int m_nDownX = 0, m_nDownY = 0;

    // The index field lists the loader prepares, in order.
    static const QStringList& SongIndexLists();
    static const QStringList& SingerIndexLists();

signals:
    // ReopenCatalogue has read the catalogue anew (copies kept elsewhere,
    // such as the phone remote's, read it again).
    void CatalogueReopened();

private:
    friend class TLoadThread;
    void Construct();
    void FormCreate();
    void LoadData();
    void OpenLocalQueue();
    void OpenLocalTables();
    void OpenHallQueue();
    void CloseLocalTables();
    // Completes a move to the front that a station stopped half-way left
    // marked in the queue file, and clears marks on entries no longer queued.
    void SettleInterruptedMove(DataSet& queue);
    // The queue view is open (a local queue closed at start-up is tried
    // again); otherwise the guest has been told.
    bool QueueReady();
    // Keeps a damaged queue file beside it and mends it in place; false when
    // nothing of it is readable.
    bool MendQueueFile(const QString& file, const QString& error);
    // Tells the guest something went wrong, and logs the cause.
    void ReportToGuest(const QString& text, const QString& cause);
    void ReportQueueBusy(const DbfLockTimeout& e);
    // The queue operations; a queue file held locked by another process
    // throws DbfLockTimeout out of them.
    void MoveCurrentToFront();
    bool DeleteCurrentIfWaiting();
    void ClearQueueEntries(bool filmsOnly);
    void RequestTerminate();
    void ShowError(const QString& message);
    // Starts a loader on the views as they are and makes it m_pLoader.
    void StartLoader();
    // Stops the loader at work and waits for it (m_pLoader stays as it is).
    void StopLoader();
    // Called on the GUI thread when a loader has finished; only the loader
    // that is m_pLoader hands over.
    void LoaderDone(TLoadThread* loader);
    // The date of a history row in the catalogue's dialect.
    QString HistoryDate() const;

    TFrmDataOptions m_options;
    std::unique_ptr<TSetting> m_pSetting;
    TDataSetSettingRows m_settingRows{&Set};
    std::unique_ptr<TLoadThread> m_pLoaderThread;
    std::unique_ptr<THistoryWriter> m_pHistory;
    bool m_bTerminate = false;
    QString m_sCreateError;
    QString m_sQueueFolder;
};

// The one catalogue data module (null before it is created and after it is destroyed).
extern TFrmData* FrmData;

// The play statistics on a catalogue connection: row by row for the embedded
// catalogue (counting history rows, exact singer names), set-based for the
// servers (summing Times, singer names contained). Throws DbError; the data
// module's UpdatePlayStatistics swallows it.
void UpdatePlayStatisticsRowByRow(DbConnection& connection);
void UpdatePlayStatisticsSetBased(DbConnection& connection);
// The two statements of the set-based variant for an engine.
QStringList SetBasedStatisticsStatements(DbEngine engine);
