#include "screens/RowLabels.h"

#include "core/Guard.h"
#include "ui/ItemList.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"

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

QTimer* MakeScreenTimer(QObject* owner, int milliseconds, const QString& name, std::function<void()> tick)
{
    auto* timer = new QTimer(owner);
    timer->setInterval(milliseconds);
    QObject::connect(timer, &QTimer::timeout, owner, [name, tick = std::move(tick)] { RunGuarded(name, tick); });
    return timer;
}
