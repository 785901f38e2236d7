#include "screens/FrmSing.h"

#include "catalogue/FrmData.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "platform/keys/VirtualKeys.h"
#include "screens/RowLabels.h"
#include "screens/SongScreens.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QTimer>
#include <mutex>

TFrmSing::TFrmSing(QWidget* parent) : TKVFormXML(parent)
{
    Timer1 = MakeScreenTimer(this, 3000, QStringLiteral("Timer1"), [this] { Timer1Timer(); });
    Timer1->start();
    TimerMsg = MakeScreenTimer(this, 2000, QStringLiteral("TimerMsg"), [this] { TimerMsgTimer(); });
}

TFrmSing::~TFrmSing()
{
    FormDestroy();
}

void TFrmSing::FormDestroy()
{
    try {
        delete m_pList;
    } catch (...) {
    }
    m_pList = nullptr;
}

void TFrmSing::BindLabels(TItemList* list)
{
    // The title keeps its skin key (a row digit); without one a click
    // chooses the row directly.
    const int rows = BindRowLabels(*this, *list, 0, QStringLiteral("songname"), {},
                                   [this](TSubTitle* label) { KeepButtonKey(*this, label); });
    if (rows < kMaxRowLabels)
        list->m_nPageItems = rows;
    BindRowLabels(*this, *list, 1, QStringLiteral("songsinger"), [this](TSubTitle* l) { SingerClick(l); });
    BindRowButtons(*this, QStringLiteral("reorder"), [this](TSubTitle* l) { ReOrderClick(l); });
    BindRowButtons(*this, QStringLiteral("mylove"), [this](TSubTitle* l) { MyloveClick(l); });
    m_pMsg = FindLabel(QStringLiteral("msg"));
    if (m_pMsg)
        m_pMsg->hide();
    list->m_pPageLabel = FindLabel(QStringLiteral("pagelabel"));
}

void TFrmSing::Build(const QDomElement& node)
{
    delete m_pList;
    m_pList = nullptr;

    TKVFormXML::Build(node);
    m_pList = new TItemList(this);
    ReadListColours(m_pList, m_pNode);
    m_pList->SetColCount(2);
    m_pList->m_aFieldName = QStringList{QStringLiteral("Name"), QStringLiteral("Singer_nam")};
    m_pList->m_aColumnClick[0] = [this](QObject*) { OnClick(); };
    m_pList->m_bNumbers = false;
    m_pList->m_bCursor = false;
    m_pList->m_bRechoose = true;
    m_pList->m_bHoverFocus = false;
    m_pList->m_bSkinLabels = true;
    m_pList->OnLayout = [this](TItemList* list) { BindLabels(list); };
    m_pList->Arrange(false);
    if (FrmData && FrmData->m_pSing)
        m_pList->SetDataSet(FrmData->m_pSing);
    m_pList->Draw();
    m_pList->SetCurFocus(0);
}

void TFrmSing::FormKeyDown(int& key)
{
    if (m_pList)
        m_pList->HandleKey(this, key);
}

void TFrmSing::OnClick()
{
    if (!FrmData || !FrmData->m_pSing || !FrmData->m_pOrder)
        return;
    DataSet& sung = *FrmData->m_pSing;
    DataSet& queue = *FrmData->m_pOrder;
    if (!sung.Active() || sung.IsEmpty() || sung.Eof() || !queue.Active())
        return;
    {
        std::lock_guard<std::recursive_mutex> lock(FrmData->Lock());
        // The entry goes behind the last one anybody queued meanwhile.
        if (queue.DbfFile().isEmpty())
            queue.Refresh();
        else
            queue.First();
        queue.Last();
        const qint64 last = queue.IsEmpty() ? 0 : queue.FieldByName(QStringLiteral("Num")).AsInteger();
        try {
            sung.Edit();
            sung.FieldByName(QStringLiteral("Num")).SetAsInteger(last + 1);
            sung.FieldByName(QStringLiteral("Playing")).SetAsString(QStringLiteral("0"));
            sung.Post();
        } catch (const std::exception& e) {
            // A queue that cannot be written keeps the entry where it was.
            if (sung.GetState() != DataSet::State::Browse)
                sung.Cancel();
            UiLog(QStringLiteral("OnClick: ") + QString::fromUtf8(e.what()));
        }
    }
    if (m_pList)
        m_pList->Refresh();
}

void TFrmSing::ReOrderClick(TSubTitle* label)
{
    if (!label || !m_pList)
        return;
    m_pList->PointAt(label->Tag);
    if (m_pList->CurFocus() != label->Tag || m_pList->m_nLastRow < label->Tag)
        return;
    OnClick();
}

void TFrmSing::MyloveClick(TSubTitle* label)
{
    if (!label || !m_pList || !FrmData)
        return;
    if (FrmData->m_sUserId.isEmpty()) {
        // The station-wide key handling opens the favourites login.
        PostVkKeyDown(this, UiKeys().MyLove);
        return;
    }
    m_pList->PointAt(label->Tag);
    if (m_pList->CurFocus() != label->Tag || m_pList->m_nLastRow < label->Tag)
        return;
    DataSet* sung = m_pList->GetDataSet();
    if (!sung || !sung->Active() || sung->Eof())
        return;
    const QString name = sung->FieldByName(QStringLiteral("Name")).AsString();
    int result = 0;
    try {
        result = SaveToFavourites(sung->FieldByName(QStringLiteral("SongNo")).AsString());
    } catch (const std::exception& e) {
        UiLog(QStringLiteral("MyloveClick: ") + QString::fromUtf8(e.what()));
    }
    if (result != 0)
        SetMessage(QStringLiteral("用户[") + FrmData->m_sUserId + QStringLiteral("]收藏私库成功:") + name);
    else
        SetMessage(QStringLiteral("收藏失败"));
    TimerMsg->stop();
    TimerMsg->start();
}

void TFrmSing::SetMessage(const QString& text)
{
    if (!m_pMsg)
        return;
    // The line is shown while it holds a text.
    m_pMsg->SetCaption(text);
    m_pMsg->setVisible(!text.isEmpty());
}

void TFrmSing::SingerClick(TSubTitle* label)
{
    if (label && !label->Caption().isEmpty() && FrmData && FrmData->m_pFilter)
        FrmData->m_pFilter->SetSinger(label->Caption());
    if (g_pFrmManager)
        g_pFrmManager->ShowSongList();
}

void TFrmSing::Timer1Timer()
{
    if (!m_pList)
        return;
    DataSet* sung = m_pList->GetDataSet();
    const TSetting* setting = UiSetting();
    if (sung && setting && setting->SaloonMode && IsShowing() && FrmData) {
        std::lock_guard<std::recursive_mutex> lock(FrmData->Lock());
        sung->Close();
        sung->Open();
    }
    m_pList->Refresh();
}

void TFrmSing::TimerMsgTimer()
{
    SetMessage(QString());
    TimerMsg->stop();
}
