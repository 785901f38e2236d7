#include "screens/RowLabels.h"

#include "core/Guard.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"

#include <QPointer>
#include <QTimer>

int BindRowLabels(TKVFormXML& form, TItemList& list, int column, const QString& prefix,
                  const std::function<void(TSubTitle*)>& click, const std::function<void(TSubTitle*)>& each)
{
    for (int i = 0; i < kMaxRowLabels; ++i) {
        TSubTitle* label = form.FindLabel(prefix + QString::number(i));
        if (!label)
            return i;
        list.BindLabel(column, label, i, click);
        if (each)
            each(label);
    }
    return kMaxRowLabels;
}

bool KeepButtonKey(TKVFormXML& form, TSubTitle* label)
{
    if (!label || !g_pFrmManager ||
        g_pFrmManager->ButtonKey(g_pFrmManager->FindButton(form.m_pNode, label->objectName()), false) == 0)
        return false;
    QPointer<TKVFormXML> owner(&form);
    label->OnClick = [owner](TSubTitleLabel* sender) {
        if (owner)
            owner->ControlClick(static_cast<TSubTitle*>(sender));
    };
    return true;
}

void BindRowButtons(TKVFormXML& form, const QString& prefix, const std::function<void(TSubTitle*)>& click)
{
    for (int i = 0; i < kMaxRowLabels; ++i) {
        TSubTitle* label = form.FindLabel(prefix + QString::number(i));
        if (!label)
            break;
        label->Tag = i;
        label->OnClick = [click](TSubTitleLabel* sender) { click(static_cast<TSubTitle*>(sender)); };
    }
}

bool IsButtonKey(const TKVFormXML& form, const QString& button, int key)
{
    return key != 0 && g_pFrmManager &&
           g_pFrmManager->ButtonKey(g_pFrmManager->FindButton(form.m_pNode, button), false) == key;
}

void ShowButtonsOfRows(TKVFormXML& form, const TItemList& list, const QStringList& prefixes)
{
    const int rows = list.m_nLastRow + 1;
    for (const QString& prefix : prefixes)
        for (int i = 0; i < kMaxRowLabels; ++i) {
            TSubTitle* button = form.FindLabel(prefix + QString::number(i));
            if (!button)
                break;
            button->setVisible(i < rows);
        }
    if (list.m_nPageCount == 0 && list.m_pPageLabel)
        list.m_pPageLabel->SetCaption(QStringLiteral("1/1"));
}

QTimer* MakeScreenTimer(QObject* owner, int milliseconds, const QString& name, std::function<void()> tick)
{
    auto* timer = new QTimer(owner);
    timer->setInterval(milliseconds);
    QObject::connect(timer, &QTimer::timeout, owner, [name, tick = std::move(tick)] { RunGuarded(name, tick); });
    return timer;
}
