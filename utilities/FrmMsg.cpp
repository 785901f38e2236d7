#include "utilities/FrmMsg.h"

#include "ui/SubTitle.h"

#include <QMouseEvent>
#include <QTimer>

TFrmMsg::TFrmMsg(QWidget* parent) : TKVFormXML(parent)
{
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(kMessageShowMs);
    connect(Timer1, &QTimer::timeout, this, [this] { close(); });
    Timer1->start();
}

void TFrmMsg::Build(const QDomElement& node)
{
    TKVFormXML::Build(node);
    m_pMsg = FindLabel(QStringLiteral("Msg"));
    // A click on any of its controls closes the screen as well.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TFrmMsg::SetMessage(const QString& text)
{
    if (m_pMsg)
        m_pMsg->SetCaption(text);
    Timer1->start();
}

void TFrmMsg::FormKeyDown(int& key)
{
    key = 0;
    close();
}

void TFrmMsg::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    close();
}

bool TFrmMsg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched != this) {
        close();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && watched != this)
        return true;
    return TKVFormXML::eventFilter(watched, event);
}
