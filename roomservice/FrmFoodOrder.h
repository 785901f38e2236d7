#pragma once
// TFrmFoodOrder: the room's basket (skin node frmfoodorder): the dishes
// ordered and not yet confirmed, with quantity, amount and addition, and the
// basket's total in `sum`. The guest chooses a row to delete it (Backspace)
// or to give it an addition (its "addfjx" label or AddFjxBtn); Enter hands
// the basket to a waiter, whose staff card on the lock screen places it.
#include "roomservice/FoodList.h"

#include <QPointer>

class TSubTitle;

class TFrmFoodOrder : public TFoodListForm
{
    Q_OBJECT
public:
    // Reads the room's basket.
    explicit TFrmFoodOrder(QWidget* parent = nullptr);

    void FormKeyDown(int& key) override;
    // Closes the basket and asks for a staff card (a basket with rows only).
    void LEnterClick();
    // An "addfjx" label: chooses its row and offers the additions.
    void P1Click(TSubTitle* label);
    // Deletes the chosen row; the row above it is chosen next.
    void LDelClick();
    void ShowAdditions();

    // The chosen row of the page shown, or -1.
    int ChosenRow() const;
    // Moves the basket to the chosen row; false when none is chosen.
    bool PointAtChosen();
    // Shows the basket's total again.
    void ShowSum();

    QPointer<TSubTitle> m_pSum;

protected:
    TFoodListLayout Layout() override;
    DataSet* Data() override;
    void BindMoreLabels() override;

private:
    void Choose(int row);

    int m_nChosen = -1;
    int m_nChosenPage = 0;
};
