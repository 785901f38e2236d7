#pragma once
// TFoodListForm: the base of the room-service screens that show one data set
// of the room-service module as a paged list on the skin's row labels (food
// types, dishes, the basket, additions, placed orders). Each showing builds
// the list anew: colours from the skin node, the columns and their label
// names from the screen, and page 1 of the data set.
#include "ui/KVFormXML.h"

#include <QStringList>
#include <functional>

class DataSet;
class TItemList;

struct TFoodListLayout
{
    // One column per field; the labels of column c are named labels[c]
    // followed by the row (0 to 11). Column 0's first missing label ends the
    // page.
    QStringList fields;
    QStringList labels;
    // Runs when a row is chosen, the data set on its record (null: nothing).
    std::function<void()> onChoose;
    // Row buttons (prefix of their labels) shown only on rows with an item.
    QStringList rowButtons;
};

class TFoodListForm : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFoodListForm(QWidget* parent = nullptr);
    ~TFoodListForm() override;

    void Build(const QDomElement& node = QDomElement()) override;
    // The list's keys: global keys, RETURN closes, ENTER chooses the focused
    // row, arrows, pages and digits.
    void FormKeyDown(int& key) override;
    void FormDestroy();

    TItemList* m_pList = nullptr;

protected:
    virtual TFoodListLayout Layout() = 0;
    // The data set the list shows (null: an empty list).
    virtual DataSet* Data() = 0;
    // After the labels are bound: the screen's further labels.
    virtual void BindMoreLabels() {}
};
