#include "roomservice/FrmBill.h"

#include "roomservice/FrmAdo.h"
#include "screens/RowLabels.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"

TFrmBill::TFrmBill(QWidget* parent) : TKVFormXML(parent)
{
    if (FrmAdo)
        FrmAdo->CheckoutRoom();
}

void TFrmBill::Build(const QDomElement& node)
{
    TKVFormXML::Build(node);
    const TCheckoutResults results = FrmAdo && FrmAdo->m_pPrice ? FrmAdo->m_pPrice->Results : TCheckoutResults();
    const std::pair<QPointer<TSubTitle>*, const QString*> figures[] = {
        {&Room, &results.RoomCharge},       {&Low, &results.LowRate},      {&Consume, &results.Consumed},
        {&Balance, &results.LowConsume},    {&Time, &results.StayMinutes}, {&TimeMoney, &results.Prepaid},
        {&Service, &results.ServiceCharge}, {&Ought, &results.AmountDue},
    };
    static const char* const names[] = {"Room", "Low", "Consume", "Balance", "Time", "TimeMoney", "Service", "Ought"};
    for (size_t i = 0; i < std::size(figures); ++i) {
        *figures[i].first = FindLabel(QLatin1String(names[i]));
        if (TSubTitle* label = *figures[i].first)
            label->SetCaption(*figures[i].second);
    }
}

void TFrmBill::FormKeyDown(int& key)
{
    QPointer<TFrmBill> self(this);
    TKVFormXML::FormKeyDown(key);
    if (self && IsButtonKey(*this, QStringLiteral("Detail"), key))
        LBillDetailClick();
}

void TFrmBill::LBillDetailClick()
{
    if (g_pFrmManager)
        g_pFrmManager->ShowBillDetail();
}
