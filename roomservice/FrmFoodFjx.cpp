#include "roomservice/FrmFoodFjx.h"

#include "roomservice/FoodScreens.h"
#include "roomservice/FrmAdo.h"
#include "roomservice/FrmFoodOrder.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"

TFrmFoodFjx::TFrmFoodFjx(QWidget* parent) : TFoodListForm(parent) {}

TFoodListLayout TFrmFoodFjx::Layout()
{
    return {{QStringLiteral("cName")}, {QStringLiteral("name")}, [this] { FoodClick(); }, {}};
}

DataSet* TFrmFoodFjx::Data()
{
    return FrmAdo ? FrmAdo->fjx : nullptr;
}

void TFrmFoodFjx::FoodClick()
{
    if (!FrmAdo || !g_pFrmManager)
        return;
    auto* basket = qobject_cast<TFrmFoodOrder*>(
        g_pFrmManager->FindOpenScreen(g_pFrmManager->SelectNode(QStringLiteral("root/public/form/frmfoodorder"))));
    // The basket's list moved over its rows while drawing: back to the row
    // the guest chose there.
    if (basket && !basket->PointAtChosen()) {
        close();
        return;
    }
    const bool written = FrmAdo->SetAddition();
    close();
    if (!written)
        ReportRoomServiceFailure(QString::fromUtf8(kOrderFailed));
    if (basket && basket->m_pList) {
        basket->m_pList->Refresh();
        basket->ShowSum();
    }
}
