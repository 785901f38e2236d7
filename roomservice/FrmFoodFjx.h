#pragma once
// TFrmFoodFjx: the additions a dish may be given (skin node frmfoodfjx:
// "加冰", "常温", ...). Choosing one writes it on the basket row chosen last
// on the basket screen, replacing an earlier one, and closes this screen.
#include "roomservice/FoodList.h"

class TFrmFoodFjx : public TFoodListForm
{
    Q_OBJECT
public:
    explicit TFrmFoodFjx(QWidget* parent = nullptr);

    // The row handler: the chosen addition goes on the basket row.
    void FoodClick();

protected:
    TFoodListLayout Layout() override;
    DataSet* Data() override;
};
