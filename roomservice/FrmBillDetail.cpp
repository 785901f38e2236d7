#include "roomservice/FrmBillDetail.h"

#include "roomservice/FoodScreens.h"
#include "roomservice/FrmAdo.h"
#include "ui/SubTitle.h"

TFrmBillDetail::TFrmBillDetail(QWidget* parent) : TFoodListForm(parent)
{
    if (FrmAdo && !FrmAdo->OpenPlacedOrders())
        ReportRoomServiceFailure(QString());
}

TFoodListLayout TFrmBillDetail::Layout()
{
    return {{QStringLiteral("cFoodName"), QStringLiteral("fNum"), QStringLiteral("mPrice"), QStringLiteral("cAddons")},
            {QStringLiteral("name"), QStringLiteral("count"), QStringLiteral("price"), QStringLiteral("fjx")},
            {},
            {}};
}

DataSet* TFrmBillDetail::Data()
{
    return FrmAdo ? FrmAdo->dc1 : nullptr;
}

void TFrmBillDetail::BindMoreLabels()
{
    m_pSum = FindLabel(QStringLiteral("sum"));
    if (m_pSum && FrmAdo)
        m_pSum->SetCaption(FrmAdo->SumTotal(*FrmAdo->dc1));
}
