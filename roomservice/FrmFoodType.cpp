#include "roomservice/FrmFoodType.h"

#include "roomservice/FrmAdo.h"
#include "screens/RowLabels.h"
#include "ui/KVFormManager.h"

#include <QPointer>

TFrmFoodType::TFrmFoodType(QWidget* parent) : TFoodListForm(parent) {}

TFoodListLayout TFrmFoodType::Layout()
{
    return {{QStringLiteral("cFoodTypeName")}, {QStringLiteral("name")}, [this] { FoodClick(); }, {}};
}

DataSet* TFrmFoodType::Data()
{
    return FrmAdo ? FrmAdo->cl : nullptr;
}

void TFrmFoodType::FormKeyDown(int& key)
{
    QPointer<TFrmFoodType> self(this);
    TFoodListForm::FormKeyDown(key);
    if (!self)
        return;
    if (IsButtonKey(*this, QStringLiteral("select"), key))
        LOrderClick();
    else if (IsButtonKey(*this, QStringLiteral("bill"), key))
        LBillClick();
}

void TFrmFoodType::FoodClick()
{
    if (g_pFrmManager)
        g_pFrmManager->ShowFood();
}

void TFrmFoodType::LOrderClick()
{
    if (g_pFrmManager)
        g_pFrmManager->ShowFoodOrder();
}

void TFrmFoodType::LBillClick()
{
    if (g_pFrmManager)
        g_pFrmManager->ShowBill();
}
