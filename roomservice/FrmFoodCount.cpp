#include "roomservice/FrmFoodCount.h"

#include "core/KeyMap.h"
#include "roomservice/FoodList.h"
#include "roomservice/FoodScreens.h"
#include "roomservice/FrmAdo.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

QString EditQuantity(const QString& quantity, int key)
{
    const TKeyMap& keys = UiKeys();
    if (key == keys.BACKSPACE) {
        QString shorter = quantity;
        shorter.chop(1);
        return shorter;
    }
    const qsizetype point = quantity.indexOf(u'.');
    if (key == keys.POINT) {
        if (point >= 0)
            return quantity;
        return quantity.isEmpty() ? QStringLiteral("0.") : quantity + QLatin1Char('.');
    }
    const int digit = UiDigitOfKey(key);
    if (digit < 0)
        return quantity;
    const qsizetype used = point >= 0 ? quantity.size() - point - 1 : quantity.size();
    if (used >= (point >= 0 ? kQuantityDecimals : kQuantityDigits))
        return quantity;
    // No leading zeros: "0" then "5" is "5".
    if (quantity == QLatin1String("0"))
        return QString::number(digit);
    return quantity + QChar(u'0' + digit);
}

TFrmFoodCount::TFrmFoodCount(QWidget* parent) : TKVFormXML(parent)
{
    m_bGuide = false;
}

void TFrmFoodCount::Build(const QDomElement& node)
{
    TKVFormXML::Build(node);
    m_pInput = FindLabel(QStringLiteral("Input"));
    m_pName = FindLabel(QStringLiteral("Name"));
    SetInput(QString());
    QString dish;
    if (FrmAdo && FrmAdo->cp->Active() && !FrmAdo->cp->IsEmpty() && !FrmAdo->cp->Eof()) {
        DataSet& cp = *FrmAdo->cp;
        dish = cp.FieldByName(QStringLiteral("cFoodName")).AsString() + QStringLiteral("  ") +
               FormatMoney(FrmAdo->CpPrice()) + QLatin1Char('/') + cp.FieldByName(QStringLiteral("cUnit")).AsString();
    }
    if (m_pName)
        m_pName->SetCaption(dish);
}

QString TFrmFoodCount::Quantity() const
{
    return m_sInput;
}

void TFrmFoodCount::SetInput(const QString& text)
{
    m_sInput = text;
    if (m_pInput)
        m_pInput->SetCaption(text);
}

void TFrmFoodCount::FormKeyDown(int& key)
{
    QPointer<TFrmFoodCount> self(this);
    TKVFormXML::FormKeyDown(key);
    if (!self)
        return;
    const TKeyMap& keys = UiKeys();
    if (m_sInput == UiText(QStringLiteral("PwdError")))
        SetInput(QString());
    // RETURN: the base form's key handling has closed the pad.
    if (key == keys.RETURN)
        return;
    if (key == keys.ENTER) {
        if (!m_sInput.isEmpty())
            AppendOrder();
        return;
    }
    SetInput(EditQuantity(m_sInput, key));
}

void TFrmFoodCount::AppendOrder()
{
    const QString quantity = m_sInput;
    const bool appended = FrmAdo && FrmAdo->AppendOrder(*FrmAdo->cp, quantity, true);
    close();
    if (appended)
        return;
    ReportRoomServiceFailure(QString::fromUtf8(kOrderFailed));
    // A dish stopped or sold out meanwhile leaves the dish list.
    if (FrmAdo && FrmAdo->Connected() && FrmAdo->OpenFoodsOfType())
        RefreshOpenList(QStringLiteral("frmfood"));
}
