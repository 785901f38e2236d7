// The play queue: the room's ordered songs in the queue table shared with the
// player program (order.dbf in local mode, the order table in hall mode).
// The station appends, moves to the front, marks deleted and clears; the
// player marks entries playing ("1") and sung ("2").
#include "catalogue/EditGuards.h"
#include "catalogue/FrmData.h"
#include "core/Log.h"
#include "core/Setting.h"

#include <mutex>

namespace {

const QString kNum = QStringLiteral("Num");
const QString kPlayingField = QStringLiteral("Playing");
const QString kFlag = QStringLiteral("Flag");
const QString kSongNo = QStringLiteral("SongNo");

// The whole catalogue for one look-up: the filter off, the record
// remembered; both restored on every way out.
class UnfilteredLookup
{
public:
    explicit UnfilteredLookup(DataSet& view)
        : m_view(view), m_bookmark(view.GetBookmark()), m_bFiltered(view.Filtered())
    {
        m_view.SetFiltered(false);
    }
    ~UnfilteredLookup()
    {
        try {
            m_view.SetFiltered(m_bFiltered);
            m_view.GotoBookmark(m_bookmark);
        } catch (...) {
        }
        m_view.FreeBookmark(m_bookmark);
    }
    UnfilteredLookup(const UnfilteredLookup&) = delete;
    UnfilteredLookup& operator=(const UnfilteredLookup&) = delete;

private:
    DataSet& m_view;
    Bookmark m_bookmark;
    bool m_bFiltered;
};

} // namespace

void TFrmData::ReportQueueBusy(const DbfLockTimeout& e)
{
    ReportToGuest(g_pSetting ? g_pSetting->Texts.QueueBusy : QString(), e.Message());
}

QString TFrmData::HistoryDate() const
{
    if (m_bJet)
        return QStringLiteral("Date()");
    if (ado.Engine() == DbEngine::SqlServer)
        return QStringLiteral("GetDate()");
    return ado.Dialect().CurrentDateTime();
}

void TFrmData::OrderSong(DataSet* source)
{
    if (!QueueReady())
        return;
    DataSet& src = source ? *source : CD_Song;
    std::lock_guard<std::recursive_mutex> lock(*m_pLock);
    DataSet& queue = *m_pOrder;
    const QString songNo = src.FieldByName(kSongNo).AsString();
    try {
        // The new entry goes behind the last one the player or another
        // station may have added meanwhile.
        if (queue.DbfFile().isEmpty()) {
            queue.Refresh();
        } else {
            // A dBASE queue reloads on First when another process wrote the file.
            queue.First();
        }
        queue.Last();
        const qint64 num = queue.IsEmpty() ? 1 : queue.FieldByName(kNum).AsInteger() + 1;
        PendingEdit pending(queue);
        queue.Append();
        static const QString copied[] = {
            QStringLiteral("Disc_No"),  QStringLiteral("Name"),      kSongNo,
            QStringLiteral("FilePath"), QStringLiteral("Voice_pos"), QStringLiteral("Singer_nam"),
            QStringLiteral("Lan_Type"), QStringLiteral("Price"),     QStringLiteral("Song_Vol")};
        for (const QString& name : copied)
            queue.FieldByName(name).SetAsString(src.FieldByName(name).AsString());
        queue.FieldByName(kPlayingField).SetAsString(QStringLiteral("0"));
        queue.FieldByName(kNum).SetAsInteger(num);
        if (!m_sRoomName.isEmpty()) {
            Field name = queue.FieldByName(QStringLiteral("Name"));
            name.SetAsString(u'[' + m_sRoomName + QStringLiteral("]:") + name.AsString());
        }
        queue.Post();
    } catch (const DbfValueError& e) {
        // A catalogue value the queue file cannot hold: the song is not
        // queued, the guest is told and the log names the value.
        ReportToGuest(g_pSetting ? g_pSetting->Texts.OrderFailed : QString(),
                      QStringLiteral("点歌失败 %1: %2").arg(songNo, e.Message()));
        return;
    } catch (const DbfLockTimeout& e) {
        ReportQueueBusy(e);
        return;
    }
    // The history row, written in the background; its failure does not undo
    // the order. The values are bound: a user id or computer name cannot
    // change the statement.
    if (!m_pHistory && g_pSetting)
        m_pHistory = std::make_unique<THistoryWriter>(ado.ConnectionString(), g_pSetting->ExeDir);
    if (m_pHistory)
        m_pHistory->Add(QStringLiteral("Insert into TimesDetail(SongNo,Times,ClickTime,UserId,Ip) values(?,1,") +
                            HistoryDate() + QStringLiteral(",?,?)"),
                        QVariantList{songNo, m_sUserId, g_pSetting->ComputerName});
}

bool TFrmData::OrderSongByNumber(const QString& songNo)
{
    if (!CD_Song.Active())
        return false;
    std::lock_guard<std::recursive_mutex> lock(*m_pLock);
    UnfilteredLookup whole(CD_Song);
    const bool found = CD_Song.Locate(kSongNo, songNo);
    if (found)
        OrderSong(&CD_Song);
    return found;
}

bool TFrmData::IsQueued(const QString& songNo)
{
    if (!m_pOrder || !m_pOrder->Active())
        return false;
    std::lock_guard<std::recursive_mutex> lock(*m_pLock);
    return m_pOrder->Locate(kSongNo, songNo);
}

// The cursor is on the entry being moved, already marked and numbered 0 in
// the open series: every other entry is renumbered from the back keeping
// its order (and loses a mark an interrupted move left on it), then the
// moved one becomes the front with number 1.
static void FinishMove(DataSet& queue)
{
    const Bookmark moved = queue.GetBookmark();
    queue.Last();
    qint64 n = qMax<qint64>(queue.FieldByName(kNum).AsInteger(), queue.RecordCount());
    while (!queue.Bof()) {
        if (queue.GetBookmark().row != moved.row) {
            const bool marked = queue.FieldByName(kFlag).AsString() == QLatin1String("1");
            if (queue.FieldByName(kNum).AsInteger() != n || marked) {
                queue.Edit();
                queue.FieldByName(kNum).SetAsInteger(n);
                if (marked)
                    queue.FieldByName(kFlag).SetAsString(QString());
                queue.Post();
            }
            --n;
        }
        queue.Prior();
    }
    queue.GotoBookmark(moved);
    queue.Edit();
    queue.FieldByName(kFlag).SetAsString(QString());
    queue.FieldByName(kNum).SetAsInteger(1);
    queue.Post();
}

void TFrmData::MoveToFront()
{
    try {
        MoveCurrentToFront();
    } catch (const DbfLockTimeout& e) {
        ReportQueueBusy(e);
    }
}

void TFrmData::MoveCurrentToFront()
{
    if (!m_pOrder || !m_pOrder->Active())
        return;
    DataSet& queue = *m_pOrder;
    if (queue.RecordCount() < 2 || queue.IsEmpty())
        return;
    if (queue.FieldByName(kNum).AsInteger() == 1)
        return;
    std::lock_guard<std::recursive_mutex> lock(*m_pLock);
    QuietView quiet(queue);
    // One series of writes: the player and a restart see the old order or
    // the new one, never a mix; an error half-way drops the whole series.
    UpdateSeries series(queue);
    PendingEdit pending(queue);
    // The entry as the file holds it now: the player may have taken it.
    if (!queue.Refresh() || queue.RecordCount() < 2 || queue.FieldByName(kNum).AsInteger() == 1) {
        series.Finish();
        return;
    }
    // Mark the entry and put it in front of every other.
    queue.Edit();
    queue.FieldByName(kFlag).SetAsString(QStringLiteral("1"));
    queue.FieldByName(kNum).SetAsInteger(0);
    queue.Post();
    FinishMove(queue);
    series.Finish();
}

void TFrmData::SettleInterruptedMove(DataSet& queue)
{
    std::lock_guard<std::recursive_mutex> lock(*m_pLock);
    QuietView quiet(queue);
    UpdateSeries series(queue);
    PendingEdit pending(queue);
    // A mark on an entry that is no longer queued would come back with it.
    queue.SetFiltered(false);
    for (queue.First(); !queue.Eof(); queue.Next()) {
        if (queue.FieldByName(kFlag).AsString() == QLatin1String("1") &&
            queue.FieldByName(kPlayingField).AsString() != QLatin1String("0")) {
            queue.Edit();
            queue.FieldByName(kFlag).SetAsString(QString());
            queue.Post();
        }
    }
    queue.SetFiltered(true);
    // The first marked entry was being moved to the front: the move is completed.
    if (queue.Locate(kFlag, QStringLiteral("1"))) {
        WriteLog(QStringLiteral("队列: 完成中断的置顶 ") + queue.FieldByName(kSongNo).AsString());
        queue.Edit();
        queue.FieldByName(kNum).SetAsInteger(0);
        queue.Post();
        FinishMove(queue);
    }
    series.Finish();
    queue.First();
}

bool TFrmData::DeleteCurrent()
{
    try {
        return DeleteCurrentIfWaiting();
    } catch (const DbfLockTimeout& e) {
        ReportQueueBusy(e);
        return false;
    }
}

bool TFrmData::DeleteCurrentIfWaiting()
{
    if (!m_pOrder || !m_pOrder->Active() || m_pOrder->IsEmpty())
        return false;
    std::lock_guard<std::recursive_mutex> lock(*m_pLock);
    DataSet& queue = *m_pOrder;
    UpdateSeries series(queue);
    PendingEdit pending(queue);
    // Read again under the file's lock: an entry the player has started (or
    // anyone removed) since the view was read is no longer waiting and keeps
    // its state.
    if (!queue.Refresh()) {
        series.Finish();
        return false;
    }
    queue.Edit();
    queue.FieldByName(kPlayingField).SetAsString(QStringLiteral("5"));
    queue.Post();
    series.Finish();
    return true;
}

void TFrmData::ClearQueue(bool filmsOnly)
{
    try {
        ClearQueueEntries(filmsOnly);
    } catch (const DbfLockTimeout& e) {
        ReportQueueBusy(e);
    }
}

void TFrmData::ClearQueueEntries(bool filmsOnly)
{
    if (!m_pOrder || !m_pOrder->Active())
        return;
    std::lock_guard<std::recursive_mutex> lock(*m_pLock);
    DataSet& queue = *m_pOrder;
    QuietView quiet(queue);
    // All entries or none: an error half-way drops the whole series.
    UpdateSeries series(queue);
    PendingEdit pending(queue);
    queue.First(); // takes in what the player changed before the lock
    while (!queue.Eof() && !queue.IsEmpty()) {
        const QString lanType = queue.FieldByName(QStringLiteral("Lan_Type")).AsString();
        const bool remove = queue.FieldByName(kPlayingField).AsString() != QLatin1String("1") &&
                            (!filmsOnly || lanType == QLatin1String("20") || lanType == QLatin1String("21"));
        if (remove) {
            // The entry leaves the view; the cursor rests on the next one.
            queue.Edit();
            queue.FieldByName(kPlayingField).SetAsString(QStringLiteral("5"));
            queue.FieldByName(kFlag).SetAsString(QString());
            queue.Post();
        } else {
            queue.Next();
        }
    }
    series.Finish();
}

QString TFrmData::LookupSongField(const QString& songNo, const QString& fieldName)
{
    if (!CD_Song.Active())
        return QString();
    std::lock_guard<std::recursive_mutex> lock(*m_pLock);
    UnfilteredLookup whole(CD_Song);
    if (!CD_Song.Locate(kSongNo, songNo))
        return QString();
    const Field field = CD_Song.FindField(fieldName);
    return field.IsValid() ? field.AsString() : QString();
}
