#pragma once
// TFrmFoodType: the food types of the venue's menu (skin node foodtype).
// Choosing a type opens its dishes; the skin buttons select and bill open the
// room's basket and bill. The form manager opens it only while the room is
// open at the front desk.
#include "roomservice/FoodList.h"

class TFrmFoodType : public TFoodListForm
{
    Q_OBJECT
public:
    explicit TFrmFoodType(QWidget* parent = nullptr);

    void FormKeyDown(int& key) override;
    // The row handler: the dishes of the chosen type.
    virtual void FoodClick();
    void LOrderClick();
    void LBillClick();

protected:
    TFoodListLayout Layout() override;
    DataSet* Data() override;
};
