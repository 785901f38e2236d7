#pragma once
// TFrmBillDetail: the food and drink orders already placed for the room
// (skin node frmbilldetail), read when the screen is created, with their
// total in `sum`; choosing a row does nothing. Basket rows not yet confirmed by a waiter never show here.
#include "roomservice/FoodList.h"

#include <QPointer>

class TSubTitle;

class TFrmBillDetail : public TFoodListForm
{
    Q_OBJECT
public:
    explicit TFrmBillDetail(QWidget* parent = nullptr);

    QPointer<TSubTitle> m_pSum;

protected:
    TFoodListLayout Layout() override;
    DataSet* Data() override;
    void BindMoreLabels() override;
};
