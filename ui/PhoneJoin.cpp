#include "ui/PhoneJoin.h"

#include "ui/SubTitle.h"

#include <QLabel>
#include <QPixmap>
#include <algorithm>

namespace {

// The address as a guest types it: a browser adds the scheme itself, and the
// token goes on a line of its own so the text fits under the code.
QString TypedAddress(const QString& address)
{
    QString text = address;
    if (text.startsWith(QLatin1String("http://")))
        text = text.mid(7);
    const qsizetype query = text.indexOf(QLatin1String("/?"));
    if (query > 0)
        text.insert(query, u'\n');
    return text;
}

} // namespace

TPhoneJoin& TPhoneJoin::Instance()
{
    static TPhoneJoin join;
    return join;
}

void TPhoneJoin::Set(const QString& address, const QImage& code)
{
    m_sAddress = address;
    m_code = code;
    emit Changed();
}

void TPhoneJoin::Bind(QWidget* control)
{
    if (!control)
        return;
    const QString name = control->objectName();
    TPhoneJoin& join = Instance();
    if (name == QLatin1String("PhoneCode")) {
        auto* image = qobject_cast<QLabel*>(control);
        if (!image)
            return;
        const auto show = [image, &join] {
            // Every module the same whole number of pixels, never smoothed,
            // so a camera reads the code at any skin size.
            image->setScaledContents(false);
            image->setAlignment(Qt::AlignCenter);
            const QImage code = join.Code();
            if (code.isNull()) {
                image->setPixmap(QPixmap());
                image->hide();
                return;
            }
            const int side = std::min(image->width(), image->height());
            const int factor = std::max(1, side / std::max(1, code.width()));
            image->setPixmap(QPixmap::fromImage(code.scaled(code.width() * factor, code.height() * factor)));
            image->show();
        };
        show();
        connect(&join, &TPhoneJoin::Changed, image, show);
    } else if (name == QLatin1String("PhoneAddress") || name == QLatin1String("PhoneHint")) {
        auto* label = qobject_cast<TSubTitle*>(control);
        if (!label)
            return;
        const bool address = name == QLatin1String("PhoneAddress");
        const auto show = [label, address, &join] {
            if (address)
                label->SetCaption(TypedAddress(join.Address()));
            label->setVisible(!join.Address().isEmpty());
        };
        show();
        connect(&join, &TPhoneJoin::Changed, label, show);
    }
}
