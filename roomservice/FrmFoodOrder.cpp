#include "roomservice/FrmFoodOrder.h"

#include "roomservice/FoodScreens.h"
#include "roomservice/FrmAdo.h"
#include "screens/RowLabels.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

TFrmFoodOrder::TFrmFoodOrder(QWidget* parent) : TFoodListForm(parent)
{
    if (FrmAdo && !FrmAdo->OpenPendingOrders())
        ReportRoomServiceFailure(QString());
}

TFoodListLayout TFrmFoodOrder::Layout()
{
    // Choosing a row only marks it for Backspace and the additions.
    return {{QStringLiteral("cFoodName"), QStringLiteral("fNum"), QStringLiteral("mPrice"), QStringLiteral("cAddons")},
            {QStringLiteral("name"), QStringLiteral("count"), QStringLiteral("price"), QStringLiteral("fjx")},
            [this] { Choose(m_pList ? m_pList->m_nSelRow : -1); },
            {QStringLiteral("addfjx")}};
}

DataSet* TFrmFoodOrder::Data()
{
    return FrmAdo ? FrmAdo->dc : nullptr;
}

void TFrmFoodOrder::BindMoreLabels()
{
    BindRowButtons(*this, QStringLiteral("addfjx"), [this](TSubTitle* label) { P1Click(label); });
    m_pSum = FindLabel(QStringLiteral("sum"));
    m_nChosen = -1;
    ShowSum();
}

void TFrmFoodOrder::ShowSum()
{
    if (m_pSum && FrmAdo)
        m_pSum->SetCaption(FrmAdo->SumTotal(*FrmAdo->dc));
}

void TFrmFoodOrder::Choose(int row)
{
    m_nChosen = row;
    m_nChosenPage = m_pList ? m_pList->SelPage() : 0;
}

int TFrmFoodOrder::ChosenRow() const
{
    // A choice belongs to the page it was made on.
    if (!m_pList || m_nChosen < 0 || m_nChosenPage != m_pList->SelPage() || m_nChosen > m_pList->m_nLastRow)
        return -1;
    return m_nChosen;
}

bool TFrmFoodOrder::PointAtChosen()
{
    const int row = ChosenRow();
    if (row < 0)
        return false;
    m_pList->m_nSelIndex = row;
    m_pList->GetSelected();
    return true;
}

void TFrmFoodOrder::FormKeyDown(int& key)
{
    QPointer<TFrmFoodOrder> self(this);
    TFoodListForm::FormKeyDown(key);
    if (!self)
        return;
    if (IsButtonKey(*this, QStringLiteral("Enter"), key))
        LEnterClick();
    else if (IsButtonKey(*this, QStringLiteral("Backspace"), key))
        LDelClick();
    else if (IsButtonKey(*this, QStringLiteral("AddFjxBtn"), key))
        ShowAdditions();
}

void TFrmFoodOrder::ShowAdditions()
{
    if (ChosenRow() >= 0 && g_pFrmManager)
        g_pFrmManager->ShowFoodFjx();
}

void TFrmFoodOrder::P1Click(TSubTitle* label)
{
    if (!label || !m_pList)
        return;
    m_pList->SetSelected(label->Tag);
    if (ChosenRow() == label->Tag)
        ShowAdditions();
}

void TFrmFoodOrder::LDelClick()
{
    const int row = ChosenRow();
    if (row < 0 || !FrmAdo || !PointAtChosen())
        return;
    if (!FrmAdo->DeleteOrder()) {
        ReportRoomServiceFailure(QString::fromUtf8(kOrderFailed));
        if (!FrmAdo->dc->Active())
            return;
    }
    ShowSum();
    m_pList->Refresh();
    m_nChosen = -1;
    if (row > 0)
        m_pList->SetSelected(row - 1);
}

void TFrmFoodOrder::LEnterClick()
{
    // An empty basket has nothing for a waiter to confirm.
    if (!FrmAdo || !FrmAdo->dc->Active() || FrmAdo->dc->IsEmpty())
        return;
    close();
    FrmAdo->m_sStaffNo.clear();
    if (g_pFrmManager)
        g_pFrmManager->OpenLock(
            [](ILockScreen& lock) {
                lock.InputAllowed = true;
                lock.DrinkMode = true;
                lock.LockMode = true;
            },
            UiText(QStringLiteral("LockForDrinkPwd")));
}
