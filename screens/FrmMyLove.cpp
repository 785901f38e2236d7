#include "screens/FrmMyLove.h"

#include "catalogue/FrmData.h"
#include "platform/db/DataSet.h"
#include "screens/Favourites.h"
#include "screens/RowLabels.h"
#include "screens/SongScreens.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QTimer>

TFrmMyLove::TFrmMyLove(QWidget* parent) : TKVFormXML(parent)
{
    TimerMsg = MakeScreenTimer(this, 3000, QStringLiteral("TimerMsg"), [this] { TimerMsgTimer(); });
    TimerMsg->start();
}

TFrmMyLove::~TFrmMyLove()
{
    FormDestroy();
}

void TFrmMyLove::FormDestroy()
{
    delete m_pList;
    m_pList = nullptr;
}

void TFrmMyLove::BindLabels(TItemList* list)
{
    const int rows = BindRowLabels(*this, *list, 0, QStringLiteral("songname"));
    if (rows < kMaxRowLabels)
        list->m_nPageItems = rows;
    BindRowLabels(*this, *list, 1, QStringLiteral("songsinger"));
    BindRowButtons(*this, QStringLiteral("delete"), [this](TSubTitle* label) { DeleteClick(label); });
    m_pTitle = FindLabel(QStringLiteral("title"));
    m_pRoomName = FindLabel(QStringLiteral("RoomName"));
    if (m_pRoomName)
        m_pRoomName->SetCaption(FrmData ? FrmData->m_sRoomName : QString());
    list->m_pPageLabel = FindLabel(QStringLiteral("pagelabel"));
}

void TFrmMyLove::Build(const QDomElement& node)
{
    delete m_pList;
    m_pList = nullptr;

    TKVFormXML::Build(node);
    m_pList = new TItemList(this);
    ReadListColours(m_pList, m_pNode);
    m_pList->SetColCount(2);
    m_pList->m_aFieldName = QStringList{kFavouriteName, QStringLiteral("Singer_nam")};
    m_pList->m_aColumnClick[0] = [this](QObject*) { OrderClick(); };
    m_pList->m_aColumnClick[1] = [this](QObject*) { OrderClick(); };
    m_pList->m_bNumbers = false;
    m_pList->m_bRechoose = false;
    m_pList->m_bFocus = true;
    m_pList->m_bDblClickPlays = false;
    m_pList->m_bHoverFocus = false;
    m_pList->m_bCursor = false;
    m_pList->m_bSkinLabels = true;
    m_pList->OnLayout = [this](TItemList* list) { BindLabels(list); };
    m_pList->Arrange(false);
    if (FrmData) {
        LoadList();
        m_pList->SetDataSet(&FrmData->MyLoveDetail);
    }
    m_pList->Draw();
    m_pList->SetCurFocus(0);
}

void TFrmMyLove::LoadList()
{
    if (!FrmData)
        return;
    DataSet& detail = FrmData->MyLoveDetail;
    try {
        LoadFavourites(detail, FrmData->m_sUserId);
    } catch (const std::exception& e) {
        // The list stays empty until the catalogue answers again.
        UiLog(QStringLiteral("MyLoveDetail: ") + QString::fromUtf8(e.what()));
    }
    if (m_pTitle)
        m_pTitle->SetCaption(u'[' + FrmData->m_sUserId + u']' + UiText(QStringLiteral("LoginMyLoveOK")) +
                             QString::number(detail.Active() ? detail.RecordCount() : 0));
}

void TFrmMyLove::OrderClick()
{
    if (FrmData)
        OrderChosenSong(FrmData->MyLoveDetail, m_pList);
}

void TFrmMyLove::DeleteClick(TSubTitle* label)
{
    if (label)
        DeleteRow(label->Tag);
}

void TFrmMyLove::DeleteRow(int row)
{
    if (!m_pList || !FrmData)
        return;
    DataSet& detail = FrmData->MyLoveDetail;
    // Only a row that shows a song: an empty row, or one past the last,
    // deletes nothing (not the song of a row chosen earlier).
    if (row < 0 || row > m_pList->m_nLastRow || !detail.Active() || detail.IsEmpty())
        return;
    // Choose the row without ordering it, even when it carries the queued mark.
    const auto order = m_pList->m_aColumnClick[0];
    m_pList->m_aColumnClick[0] = nullptr;
    m_pList->m_bRechoose = true;
    m_pList->m_nSelRow = -1;
    m_pList->SetSelected(row);
    m_pList->m_aColumnClick[0] = order;
    m_pList->m_bRechoose = false;
    if (m_pList->m_nSelRow != row || detail.Eof())
        return;
    const int page = m_pList->SelPage();
    DeleteFavourite(FrmData->ado, FrmData->m_sUserId, detail.FieldByName(kFavouriteSongNo).AsString());
    LoadList();
    m_pList->SetDataSet(&detail);
    m_pList->SetSelPage(std::min(page, m_pList->m_nPageCount));
    m_pList->Draw();
    m_pList->SetCurFocus(std::max(row - 1, 0));
}

void TFrmMyLove::SignOut()
{
    if (FrmData)
        FrmData->m_sUserId.clear();
    close();
}

void TFrmMyLove::FormKeyDown(int& key)
{
    if (!m_pList)
        return;
    const TKeyMap& keys = UiKeys();
    // With the default bindings DELSONG and POINT share a code. One key, one
    // action, and the one that loses nothing: signing out (the row buttons
    // still delete).
    if (key == keys.POINT) {
        SignOut();
        return;
    }
    if (key == keys.DELSONG) {
        // The focused row's delete button; a skin without it deletes nothing.
        if (FindLabel(QStringLiteral("delete%1").arg(m_pList->CurFocus())))
            DeleteRow(m_pList->CurFocus());
        return;
    }
    m_pList->HandleKey(this, key);
}

void TFrmMyLove::TimerMsgTimer()
{
    if (!m_pList || !FrmData)
        return;
    LoadList();
    m_pList->Refresh();
}
