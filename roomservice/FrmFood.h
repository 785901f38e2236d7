#pragma once
// TFrmFood: the dishes of the food type just chosen (skin node frmfood), with
// unit and price (the price of this moment when the venue prices dishes by
// time). Choosing a dish opens the quantity pad; select and bill work as on
// the food types.
#include "roomservice/FrmFoodType.h"

class TFrmFood : public TFrmFoodType
{
    Q_OBJECT
public:
    // Reads the dishes of the food type that is current on the food types.
    explicit TFrmFood(QWidget* parent = nullptr);

    void FoodClick() override;

protected:
    TFoodListLayout Layout() override;
    DataSet* Data() override;
};
