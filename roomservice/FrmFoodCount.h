#pragma once
// TFrmFoodCount: the quantity pad (skin node frmfoodcount), a pop-up over the
// dish list. The guest types a whole or decimal quantity (2, 1.5) with the
// digit keys and POINT; ENTER puts the dish chosen on the dish list into the
// room's basket at its price of this moment and closes the pad. Name shows
// the dish with its unit and price.
#include "ui/KVFormXML.h"

#include <QPointer>
#include <QString>

class TSubTitle;

// The most digits before and after the point a quantity may have.
constexpr int kQuantityDigits = 4;
constexpr int kQuantityDecimals = 2;

// The quantity after one key: a digit key appends its digit, POINT a point
// (once, and "0." on an empty quantity), BACKSPACE drops the last character;
// a digit beyond the allowed count, or anything else, leaves it as it is.
QString EditQuantity(const QString& quantity, int key);

class TFrmFoodCount : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmFoodCount(QWidget* parent = nullptr);

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    QString Quantity() const;

    QPointer<TSubTitle> m_pInput, m_pName;

private:
    void SetInput(const QString& text);
    // Appends the order; closes the pad; tells the guest when it failed.
    void AppendOrder();

    QString m_sInput;
};
