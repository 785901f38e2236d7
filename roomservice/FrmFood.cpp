#include "roomservice/FrmFood.h"

#include "roomservice/FoodScreens.h"
#include "roomservice/FrmAdo.h"
#include "ui/KVFormManager.h"

TFrmFood::TFrmFood(QWidget* parent) : TFrmFoodType(parent)
{
    if (FrmAdo && !FrmAdo->OpenFoodsOfType())
        ReportRoomServiceFailure(QString());
}

TFoodListLayout TFrmFood::Layout()
{
    return {{QStringLiteral("cFoodName"), QStringLiteral("cUnit"), QStringLiteral("Price")},
            {QStringLiteral("name"), QStringLiteral("unit"), QStringLiteral("price")},
            [this] { FoodClick(); },
            {}};
}

DataSet* TFrmFood::Data()
{
    return FrmAdo ? FrmAdo->cp : nullptr;
}

void TFrmFood::FoodClick()
{
    if (g_pFrmManager)
        g_pFrmManager->ShowFoodCount();
}
