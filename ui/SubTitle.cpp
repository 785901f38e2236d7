#include "ui/SubTitle.h"

#include "core/Guard.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

// The label's click handlers run under the station's handler guard: an error
// in the database or device work a click starts is logged and goes no further.
template <typename Work> void GuardHandler(const TSubTitleLabel* label, const char* handler, Work&& work)
{
    const QWidget* screen = label->window();
    RunGuarded((screen ? screen->objectName() : QString()) + u'.' + label->objectName() + u'.' + QLatin1String(handler),
               std::forward<Work>(work));
}

} // namespace

QColor WinColor(int value)
{
    const unsigned v = unsigned(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

int ToWinColor(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

void InstallFontSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QString target = QStringLiteral("WenQuanYi Zen Hei");
    for (const QString& name :
         {QStringLiteral("黑体"), QStringLiteral("宋体"), QStringLiteral("SimHei"), QStringLiteral("SimSun")})
        QFont::insertSubstitution(name, target);
}

// The system colours of the disabled (embossed) text.
static const QColor kBtnHighlight(255, 255, 255);
static const QColor kBtnShadow(160, 160, 160);
// Laid over a skin button that is out of use.
static const QColor kDisabledVeil(0, 0, 0, 140);

TSubTitleLabel::TSubTitleLabel(QWidget* parent) : QWidget(parent)
{
    m_cColor = palette().color(QPalette::Window);
    resize(65, 17);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
}

void TSubTitleLabel::Invalidate()
{
    ++m_nRepaints;
    update();
}

void TSubTitleLabel::SetCaption(const QString& text)
{
    if (text == m_sCaption)
        return;
    m_sCaption = text;
    Invalidate();
    AdjustBounds();
}

void TSubTitleLabel::SetFontColor(const QColor& color)
{
    if (color == m_cFontColor)
        return;
    m_cFontColor = color;
    Invalidate();
}

void TSubTitleLabel::SetColor(const QColor& color)
{
    if (color == m_cColor)
        return;
    m_cColor = color;
    Invalidate();
}

void TSubTitleLabel::SetAlignment(int value)
{
    if (value == m_nAlignment)
        return;
    m_nAlignment = value;
    Invalidate();
}

void TSubTitleLabel::SetLayout(int value)
{
    if (value == m_nLayout)
        return;
    m_nLayout = value;
    Invalidate();
}

void TSubTitleLabel::SetShowAccelChar(bool value)
{
    if (value == m_bShowAccelChar)
        return;
    m_bShowAccelChar = value;
    Invalidate();
}

void TSubTitleLabel::SetTransparent(bool value)
{
    if (value == m_bTransparent)
        return;
    m_bTransparent = value;
    Invalidate();
}

void TSubTitleLabel::SetAutoSize(bool value)
{
    if (value == m_bAutoSize)
        return;
    m_bAutoSize = value;
    AdjustBounds();
}

void TSubTitleLabel::SetWordWrap(bool value)
{
    if (value == m_bWordWrap)
        return;
    m_bWordWrap = value;
    AdjustBounds();
    Invalidate();
}

void TSubTitleLabel::SetFocusControl(QWidget* control)
{
    m_pFocusControl = control;
}

// These setters repaint even when the value does not change.
void TSubTitleLabel::SetShadowColor(int winColor)
{
    m_nShadowColor = winColor;
    Invalidate();
}

void TSubTitleLabel::SetShadowWidth(int width)
{
    m_nShadowWidth = width;
    Invalidate();
}

void TSubTitleLabel::SetShadowStyle(int style)
{
    m_nShadowStyle = style;
    Invalidate();
}

void TSubTitleLabel::SetStyle(int style)
{
    m_nStyle = style;
    Invalidate();
}

void TSubTitleLabel::SetAlpha(int alpha)
{
    m_nAlpha = alpha;
    Invalidate();
}

int TSubTitleLabel::DrawFlags() const
{
    int flags = Qt::TextExpandTabs | Qt::AlignTop;
    if (m_bWordWrap)
        flags |= Qt::TextWordWrap;
    int alignment = m_nAlignment;
    if (layoutDirection() == Qt::RightToLeft) {
        if (alignment == taLeftJustify)
            alignment = taRightJustify;
        else if (alignment == taRightJustify)
            alignment = taLeftJustify;
    }
    switch (alignment) {
    case taRightJustify:
        flags |= Qt::AlignRight;
        break;
    case taCenter:
        flags |= Qt::AlignHCenter;
        break;
    default:
        flags |= Qt::AlignLeft;
        break;
    }
    return flags;
}

void TSubTitleLabel::DoDrawText(QPainter* painter, QRect& rect, int flags, bool measure) const
{
    QString text = GetLabelText();
    if (measure && (text.isEmpty() || (m_bShowAccelChar && text == QLatin1String("&"))))
        text += QLatin1Char(' ');
    // Without the accelerator every "&" is drawn as it is.
    if (m_bShowAccelChar)
        flags |= Qt::TextShowMnemonic;

    const QFont& drawFont = font();
    if (measure) {
        const QFontMetrics metrics(drawFont);
        const QRect bounds = metrics.boundingRect(rect, flags, text);
        rect.setWidth(bounds.width());
        rect.setHeight(bounds.height());
        return;
    }
    if (!painter)
        return;
    painter->setFont(drawFont);
    painter->setBrush(Qt::NoBrush);
    if (!isEnabled()) {
        painter->setPen(kBtnHighlight);
        painter->drawText(rect.translated(1, 1), flags, text);
        painter->setPen(kBtnShadow);
        painter->drawText(rect, flags, text);
        return;
    }
    if (m_nShadowWidth > 0) {
        const int w = m_nShadowWidth;
        static const int kOutline[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
        painter->setPen(WinColor(m_nShadowColor));
        switch (m_nShadowStyle) {
        case 1:
            for (const auto& offset : kOutline)
                painter->drawText(rect.translated(offset[0] * w, offset[1] * w), flags, text);
            break;
        case 2:
            painter->drawText(rect.translated(w, w), flags, text);
            break;
        case 3:
            painter->drawText(rect.translated(w, -w), flags, text);
            break;
        case 4:
            painter->drawText(rect.translated(-w, w), flags, text);
            break;
        case 5:
            painter->drawText(rect.translated(-w, -w), flags, text);
            break;
        default:
            break;
        }
    }
    painter->setPen(m_cFontColor);
    painter->drawText(rect, flags, text);
}

void TSubTitleLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect client = rect();
    if (!m_bTransparent)
        painter.fillRect(client, m_cColor);
    // A button drawn by the skin's background (no caption of its own) that
    // cannot be used now is dimmed, so that guests see it is out of use.
    if (!isEnabled() && m_bTransparent && m_sCaption.isEmpty())
        painter.fillRect(client, kDisabledVeil);
    const int flags = DrawFlags();
    QRect drawRect = client;
    if (m_nLayout != tlTop) {
        QRect measured = client;
        DoDrawText(nullptr, measured, flags, true);
        const int difference = height() - measured.bottom() - 1; // QRect::bottom() is inclusive
        drawRect.translate(0, m_nLayout == tlBottom ? difference : difference / 2);
    }
    DoDrawText(&painter, drawRect, flags, false);
}

void TSubTitleLabel::AdjustBounds()
{
    if (m_bLoading || !m_bAutoSize)
        return;
    QRect measured = rect();
    int flags = Qt::TextExpandTabs | Qt::AlignLeft | Qt::AlignTop;
    if (m_bWordWrap)
        flags |= Qt::TextWordWrap;
    DoDrawText(nullptr, measured, flags, true);
    int x = this->x();
    const bool right = (m_nAlignment == taRightJustify) != (layoutDirection() == Qt::RightToLeft);
    if (right)
        x += width() - measured.width();
    // The label keeps its place; it grows by two pixels so that a one-pixel
    // outline fits.
    setGeometry(x, y(), measured.width() + 2, measured.height() + 2);
}

void TSubTitleLabel::Loaded()
{
    m_bLoading = false;
    AdjustBounds();
}

bool TSubTitleLabel::DialogChar(QChar ch)
{
    if (!m_pFocusControl || !isEnabled() || !m_bShowAccelChar)
        return false;
    const QString text = GetLabelText();
    QChar accel;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        accel = text[i + 1];
        break;
    }
    if (accel.isNull() || accel.toUpper() != ch.toUpper())
        return false;
    if (m_pFocusControl->isEnabled() && m_pFocusControl->isVisible() && m_pFocusControl->focusPolicy() != Qt::NoFocus)
        m_pFocusControl->setFocus(Qt::ShortcutFocusReason);
    return true;
}

void TSubTitleLabel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        AdjustBounds();
    else if (event->type() == QEvent::EnabledChange)
        update();
}

void TSubTitleLabel::mousePressEvent(QMouseEvent* event)
{
    m_bPressed = event->button() == Qt::LeftButton;
    m_bDoubleClicked = false;
    QPointer<TSubTitleLabel> self(this);
    if (OnMouseDown)
        GuardHandler(this, "OnMouseDown", [&] { OnMouseDown(this, event); });
    if (self)
        event->accept();
}

void TSubTitleLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click: no second click, the double-click
    // event instead.
    m_bPressed = false;
    m_bDoubleClicked = true;
    QPointer<TSubTitleLabel> self(this);
    if (OnMouseDown)
        GuardHandler(this, "OnMouseDown", [&] { OnMouseDown(this, event); });
    if (self && OnDblClick)
        GuardHandler(this, "OnDblClick", [&] { OnDblClick(this); });
}

void TSubTitleLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_bPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_bPressed = false;
    QPointer<TSubTitleLabel> self(this);
    if (OnMouseUp)
        GuardHandler(this, "OnMouseUp", [&] { OnMouseUp(this, event); });
    if (self && click && OnClick)
        GuardHandler(this, "OnClick", [&] { OnClick(this); });
}

void TSubTitleLabel::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove)
        OnMouseMove(this, event);
    else
        QWidget::mouseMoveEvent(event);
}

void TSubTitleLabel::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TSubTitleLabel::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (OnMouseLeave)
        OnMouseLeave(this);
}
