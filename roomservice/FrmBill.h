#pragma once
// TFrmBill: the room's running bill (skin node frmbill), computed when the
// screen is created: room charge, minimum consumption, consumption so far,
// what is missing to the minimum, minutes used, prepayment, service charge
// and the amount due. Detail opens the placed orders. It writes nothing.
#include "ui/KVFormXML.h"

#include <QPointer>

class TSubTitle;

class TFrmBill : public TKVFormXML
{
    Q_OBJECT
public:
    // Computes the bill (when that fails, the last bill computed shows).
    explicit TFrmBill(QWidget* parent = nullptr);

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;
    void LBillDetailClick();

    // Null when the skin has no label of that name.
    QPointer<TSubTitle> Room, Low, Consume, Balance, Time, TimeMoney, Service, Ought;
};
