#include "screens/FrmSelect.h"

#include "catalogue/FrmData.h"
#include "core/Guard.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "platform/keys/VirtualKeys.h"
#include "screens/RowLabels.h"
#include "screens/SongScreens.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTimer>
#include <functional>
#include <mutex>

namespace {

const QString kNum = QStringLiteral("Num");

} // namespace

TFrmSelect::TFrmSelect(QWidget* parent) : TKVFormXML(parent)
{
    Timer1 = MakeScreenTimer(this, 3000, QStringLiteral("Timer1"), [this] { Timer1Timer(); });
    Timer1->start();
    TimerMsg = MakeScreenTimer(this, 3000, QStringLiteral("TimerMsg"), [this] { TimerMsgTimer(); });
}

TFrmSelect::~TFrmSelect()
{
    FormDestroy();
}

void TFrmSelect::FormDestroy()
{
    delete m_pList;
    m_pList = nullptr;
}

void TFrmSelect::MakeDraggable(TSubTitle* label)
{
    label->installEventFilter(this);
}

void TFrmSelect::BindLabels(TItemList* list)
{
    auto draggable = [this](TSubTitle* label) { MakeDraggable(label); };
    const int rows = BindRowLabels(*this, *list, 0, QStringLiteral("songname"), {}, [&](TSubTitle* label) {
        label->OnClick = nullptr;
        draggable(label);
    });
    if (rows < kMaxRowLabels)
        list->m_nPageItems = rows;
    BindRowLabels(
        *this, *list, 1, QStringLiteral("songsinger"), [this](TSubTitle* l) { SingerClick(l); }, draggable);
    BindRowButtons(*this, QStringLiteral("first"), [this](TSubTitle* l) { FirstClick(l); });
    BindRowButtons(*this, QStringLiteral("delete"), [this](TSubTitle* l) { DeleteClick(l); });
    BindRowButtons(*this, QStringLiteral("mylove"), [this](TSubTitle* l) { MyLoveClick(l); });

    m_pMsg = FindLabel(QStringLiteral("msg"));
    list->m_pPageLabel = FindLabel(QStringLiteral("pagelabel"));
    m_pRoomName = FindLabel(QStringLiteral("RoomName"));
    if (m_pRoomName)
        m_pRoomName->SetCaption(FrmData ? FrmData->m_sRoomName : QString());
}

void TFrmSelect::Build(const QDomElement& node)
{
    delete m_pList;
    m_pList = nullptr;
    m_pDragSource = nullptr;
    m_bDragging = false;

    TKVFormXML::Build(node);
    m_pList = new TItemList(this);
    m_pList->OnDrawn = [this](TItemList*) { ShowRowButtons(); };
    ReadListColours(m_pList, m_pNode);
    m_pList->SetColCount(2);
    m_pList->m_aFieldName = QStringList{QStringLiteral("Name"), QStringLiteral("Singer_nam")};
    m_pList->m_bNumbers = false;
    m_pList->m_bCursor = false;
    m_pList->m_bRechoose = true;
    m_pList->m_bHoverFocus = false;
    m_pList->m_bFocus = true;
    m_pList->m_bSkinLabels = true;
    m_pList->OnLayout = [this](TItemList* list) { BindLabels(list); };
    m_pList->Arrange(false);
    if (FrmData && FrmData->m_pOrder)
        m_pList->SetDataSet(FrmData->m_pOrder);
    m_pList->Draw();
    m_pList->SetCurFocus(0);
}

void TFrmSelect::ShowRowButtons()
{
    // Row actions only on the rows that hold a song.
    ShowButtonsOfRows(*this, *m_pList, {QStringLiteral("first"), QStringLiteral("delete"), QStringLiteral("mylove")});
}

bool TFrmSelect::ChooseRow(int row)
{
    if (!m_pList || row < 0 || row > m_pList->m_nLastRow)
        return false;
    DataSet* queue = m_pList->GetDataSet();
    if (!queue || !queue->Active() || queue->IsEmpty())
        return false;
    m_pList->SetSelected(row);
    return m_pList->m_nSelRow == row && !queue->Eof();
}

void TFrmSelect::FormKeyDown(int& key)
{
    if (!m_pList)
        return;
    const TKeyMap& keys = UiKeys();
    QPointer<TFrmSelect> self(this);
    if (key != keys.FIRSTPLAY && key != keys.DELSONG) {
        m_pList->HandleKey(this, key);
        if (!self || !m_pList)
            return;
        if (key == keys.ENTER)
            PostVkKeyDown(this, keys.FIRSTPLAY);
    }
    // One key, one action: with the default bindings DELSONG and POINT share
    // a code, and deleting wins.
    if (key == keys.DELSONG)
        DeleteFocused();
    else if (key == keys.FIRSTPLAY)
        MoveFocusedToFront();
    else if (key == keys.POINT)
        SaveFocused();
}

void TFrmSelect::DeleteFocused()
{
    const int row = m_pList->CurFocus();
    if (!ChooseRow(row) || !FrmData)
        return;
    // The now-playing refresh pauses while the queue changes and resumes
    // also when the change fails.
    TimerPlaying->stop();
    const auto resume = qScopeGuard([this] { TimerPlaying->start(); });
    FrmData->DeleteCurrent();
    m_pList->Refresh();
    m_pList->SetCurFocus(std::max(row - 1, 0));
}

void TFrmSelect::MoveFocusedToFront()
{
    const int row = m_pList->CurFocus();
    if (!ChooseRow(row) || !FrmData)
        return;
    TimerPlaying->stop();
    const auto resume = qScopeGuard([this] { TimerPlaying->start(); });
    FrmData->MoveToFront();
    m_pList->Refresh();
    m_pList->SetCurFocus(row);
}

void TFrmSelect::SaveFocused()
{
    if (!FrmData)
        return;
    const bool chosen = ChooseRow(m_pList->CurFocus());
    if (FrmData->m_sUserId.isEmpty()) {
        // The station-wide key handling opens the favourites login.
        PostVkKeyDown(this, UiKeys().MyLove);
        return;
    }
    if (!chosen)
        return;
    DataSet& queue = *m_pList->GetDataSet();
    const QString name = queue.FieldByName(QStringLiteral("Name")).AsString();
    int result = 0;
    try {
        result = SaveToFavourites(queue.FieldByName(QStringLiteral("SongNo")).AsString());
    } catch (const std::exception& e) {
        UiLog(QStringLiteral("SaveToFavourites: ") + QString::fromUtf8(e.what()));
    }
    const QString user = u'[' + FrmData->m_sUserId + u']';
    QString text;
    if (result == 1)
        text = user + UiText(QStringLiteral("SaveMyLoveOK")) + name;
    else if (result == 2)
        text = user + UiText(QStringLiteral("SaveMyLoveExists")) + name;
    else
        text = user + UiText(QStringLiteral("SaveMyLoveNo"));
    if (m_pMsg)
        m_pMsg->SetCaption(text);
    TimerMsg->stop();
    TimerMsg->start();
}

void TFrmSelect::RowButton(TSubTitle* label, void (TFrmSelect::*action)())
{
    if (!label || !ChooseRow(label->Tag))
        return;
    // The action runs after the click, as a key of the screen would, under
    // the same guard as the screen's keys.
    QPointer<TFrmSelect> self(this);
    QTimer::singleShot(0, this, [self, action] {
        if (self && self->m_pList)
            RunGuarded(QStringLiteral("FrmSelect.RowButton"), [&self, action] { (self.data()->*action)(); });
    });
}

void TFrmSelect::FirstClick(TSubTitle* label)
{
    RowButton(label, &TFrmSelect::MoveFocusedToFront);
}

void TFrmSelect::DeleteClick(TSubTitle* label)
{
    RowButton(label, &TFrmSelect::DeleteFocused);
}

void TFrmSelect::MyLoveClick(TSubTitle* label)
{
    RowButton(label, &TFrmSelect::SaveFocused);
}

void TFrmSelect::SingerClick(TSubTitle* label)
{
    if (label && !label->Caption().isEmpty() && FrmData && FrmData->m_pFilter)
        FrmData->m_pFilter->SetSinger(label->Caption());
    if (g_pFrmManager)
        g_pFrmManager->ShowSongList();
}

bool TFrmSelect::LabelDragOver(TSubTitle*, TSubTitle*)
{
    return true;
}

void TFrmSelect::LabelDragDrop(TSubTitle* target, TSubTitle* source)
{
    if (!m_pList || !target || !source || !FrmData)
        return;
    DataSet* queue = m_pList->GetDataSet();
    if (!queue)
        return;
    std::lock_guard<std::recursive_mutex> lock(FrmData->Lock());
    if (!ChooseRow(source->Tag))
        return;
    const qint64 draggedNum = queue->FieldByName(kNum).AsInteger();
    Bookmark dragged = queue->GetBookmark();
    if (!ChooseRow(target->Tag))
        return;
    const qint64 targetNum = queue->FieldByName(kNum).AsInteger();
    Bookmark dropped = queue->GetBookmark();
    auto write = [queue](const Bookmark& at, qint64 num) {
        if (!queue->GotoBookmark(at))
            return false;
        try {
            queue->Edit();
            queue->FieldByName(kNum).SetAsInteger(num);
            queue->Post();
        } catch (...) {
            if (queue->GetState() != DataSet::State::Browse)
                queue->Cancel();
            throw;
        }
        return true;
    };
    try {
        // Both entries or neither: a half swap would give two entries one place.
        if (write(dragged, targetNum) && !write(dropped, draggedNum))
            write(dragged, draggedNum);
    } catch (const std::exception& e) {
        UiLog(QStringLiteral("LabelDragDrop: ") + QString::fromUtf8(e.what()));
    }
    queue->FreeBookmark(dragged);
    queue->FreeBookmark(dropped);
    m_pList->Refresh();
    ChooseRow(0);
}

bool TFrmSelect::eventFilter(QObject* watched, QEvent* event)
{
    auto* label = qobject_cast<TSubTitle*>(watched);
    if (label && m_pList) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                m_pDragSource = label;
                m_pDragStart = mouse->position().toPoint();
                m_bDragging = false;
            }
            break;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (m_pDragSource == label && (mouse->buttons() & Qt::LeftButton) &&
                (mouse->position().toPoint() - m_pDragStart).manhattanLength() >= QApplication::startDragDistance())
                m_bDragging = true;
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const bool dropped = m_bDragging && m_pDragSource == label;
            m_bDragging = false;
            m_pDragSource = nullptr;
            if (!dropped || mouse->button() != Qt::LeftButton)
                break;
            // A drag ends on the queue label under the pointer; it is not a click.
            const QPoint at = label->mapTo(this, mouse->position().toPoint());
            TSubTitle* target = nullptr;
            for (const auto& column : std::as_const(m_pList->m_aColumnLabels)) {
                for (const QPointer<TSubTitle>& cell : column) {
                    if (cell && !cell->isHidden() && cell->geometry().contains(at))
                        target = cell;
                }
            }
            if (target && LabelDragOver(target, label))
                LabelDragDrop(target, label);
            return true;
        }
        default:
            break;
        }
    }
    return TKVFormXML::eventFilter(watched, event);
}

void TFrmSelect::Timer1Timer()
{
    if (!m_pList)
        return;
    DataSet* queue = m_pList->GetDataSet();
    const TSetting* setting = UiSetting();
    if (queue && setting && setting->SaloonMode && IsShowing() && FrmData) {
        // The hall's queue table is shared by every station: read it anew.
        std::lock_guard<std::recursive_mutex> lock(FrmData->Lock());
        queue->Close();
        queue->Open();
    }
    m_pList->Refresh();
}

void TFrmSelect::TimerMsgTimer()
{
    if (m_pMsg)
        m_pMsg->SetCaption(QString());
    TimerMsg->stop();
}
