#include "ui/KVFormBase.h"

#include "core/Exception.h"
#include "platform/image/Jpeg.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

#include <QCloseEvent>
#include <QPainter>
#include <QThread>

namespace {
constexpr int kFrameWidth = 133;
constexpr int kFrameHeight = 112;
constexpr int kFrameMargin = 16;
} // namespace

TKVFormBase::TKVFormBase(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    if (g_pFrmManager) {
        m_nScreenWidth = g_pFrmManager->m_nWidth;
        m_nScreenHeight = g_pFrmManager->m_nHeight;
    }
    if (m_nScreenWidth <= 0 || m_nScreenHeight <= 0) {
        m_nScreenWidth = 800;
        m_nScreenHeight = 600;
    }
    m_pWork = QImage(m_nScreenWidth, m_nScreenHeight, QImage::Format_RGB32);
    m_pWork.fill(Qt::black);
    m_pFrame = LoadPicture(UiSkinFolder() + QStringLiteral("ico.bmp"));
}

TKVFormBase::~TKVFormBase() = default;

void TKVFormBase::SetBackground(const QImage& picture)
{
    m_pBackground = picture.convertToFormat(QImage::Format_RGB32);
    m_pCanvas = QImage();
    EnsureCanvas();
    update();
}

void TKVFormBase::EnsureCanvas()
{
    const int w = std::max({width(), m_pBackground.width(), 1});
    const int h = std::max({height(), m_pBackground.height(), 1});
    if (!m_pCanvas.isNull() && m_pCanvas.width() >= w && m_pCanvas.height() >= h)
        return;
    QImage canvas(w, h, QImage::Format_RGB32);
    canvas.fill(palette().color(QPalette::Window));
    QPainter painter(&canvas);
    if (!m_pCanvas.isNull())
        painter.drawImage(0, 0, m_pCanvas);
    else if (!m_pBackground.isNull())
        painter.drawImage(0, 0, m_pBackground);
    painter.end();
    m_pCanvas = canvas;
    if (m_pWork.width() < w || m_pWork.height() < h) {
        QImage work(std::max(m_pWork.width(), w), std::max(m_pWork.height(), h), QImage::Format_RGB32);
        work.fill(Qt::black);
        m_pWork = work;
    }
}

QPoint TKVFormBase::BlendOrigin(int left, int top, int width, int height) const
{
    int sx = std::max(left, 0);
    int sy = std::max(top, 0);
    if (sx + width > m_nScreenWidth - 1)
        sx = m_nScreenWidth - width - 1;
    if (sy + height > m_nScreenHeight - 1)
        sy = m_nScreenHeight - height - 1;
    return QPoint(sx, sy);
}

void TKVFormBase::Blend(const QRect& r, int alpha, const QPoint& origin)
{
    QPainter painter(&m_pWork);
    painter.setOpacity(std::clamp(alpha, 0, 255) / 255.0);
    painter.drawImage(r.topLeft(), m_pBackground, QRect(origin, r.size()));
}

void TKVFormBase::RestoreOutsideEllipse(const QRect& r)
{
    // The pixels of R outside the ellipse inscribed in R show the background.
    const double rx = r.width() / 2.0, ry = r.height() / 2.0;
    if (rx <= 0 || ry <= 0)
        return;
    const double cx = r.left() + rx, cy = r.top() + ry;
    const QRect bounds = r.intersected(m_pWork.rect()).intersected(m_pBackground.rect());
    for (int y = bounds.top(); y <= bounds.bottom(); ++y) {
        const double dy = (y + 0.5 - cy) / ry;
        auto* work = reinterpret_cast<QRgb*>(m_pWork.scanLine(y));
        const auto* back = reinterpret_cast<const QRgb*>(m_pBackground.constScanLine(y));
        for (int x = bounds.left(); x <= bounds.right(); ++x) {
            const double dx = (x + 0.5 - cx) / rx;
            if (dx * dx + dy * dy > 1.0)
                work[x] = back[x];
        }
    }
}

void TKVFormBase::CopyWorkToCanvas(const QRect& r)
{
    EnsureCanvas();
    QPainter painter(&m_pCanvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(r.topLeft(), m_pWork, r);
    painter.end();
    update(r);
}

void TKVFormBase::CopyBackgroundToCanvas(const QRect& r)
{
    EnsureCanvas();
    QPainter painter(&m_pCanvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect source = r.intersected(m_pBackground.rect());
    if (!source.isEmpty())
        painter.drawImage(source.topLeft(), m_pBackground, source);
    painter.end();
    update(r);
}

void TKVFormBase::DrawFrame(const QRect& r)
{
    if (m_pFrame.isNull())
        return;
    const QRect target(r.left() - kFrameMargin, r.top() - kFrameMargin, r.width() + 2 * kFrameMargin,
                       r.height() + 2 * kFrameMargin);
    if (target.width() <= 0 || target.height() <= 0)
        return;
    // The bitmap's transparent colour is that of its bottom-left pixel.
    const QRgb key = m_pFrame.pixel(0, m_pFrame.height() - 1) | 0xFF000000u;
    QImage area = m_pFrame.copy(0, 0, kFrameWidth, kFrameHeight).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < area.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(area.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
        }
    }
    const QImage scaled = area.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    EnsureCanvas();
    QPainter painter(&m_pCanvas);
    painter.drawImage(target.topLeft(), scaled);
    painter.end();
    update(target);
}

void TKVFormBase::Pause(int ms)
{
    repaint();
    if (UiHooks().Pause)
        UiHooks().Pause(ms);
    else
        QThread::msleep(ms);
}

void TKVFormBase::HoverControl(TSubTitle* control)
{
    if (!control || !isEnabled() || control == m_pHover)
        return;
    UnhoverControl();
    EnsureCanvas();
    const QRect r = control->geometry();
    if (!control->OverJpg.isEmpty()) {
        const QImage picture = LoadJpeg(UiSkinFolder() + control->OverJpg);
        // Cropped or extended to the control, never scaled.
        QImage over(r.size(), QImage::Format_RGB32);
        over.fill(Qt::black);
        QPainter overPainter(&over);
        overPainter.drawImage(0, 0, picture);
        overPainter.end();
        m_pOver = over;
        EnsureCanvas();
        QPainter painter(&m_pCanvas);
        painter.drawImage(r.topLeft(), m_pOver);
        painter.end();
        update(r);
    } else {
        const QPoint origin = BlendOrigin(r.left(), r.top(), r.width(), r.height());
        QPainter work;
        switch (control->Style()) {
        case 1:
            work.begin(&m_pWork);
            work.setCompositionMode(QPainter::CompositionMode_Source);
            work.drawImage(r.topLeft(), m_pBackground, r);
            work.fillRect(r, Qt::black);
            work.end();
            Blend(r, control->Alpha(), origin);
            CopyWorkToCanvas(r);
            break;
        case 2:
            work.begin(&m_pWork);
            work.fillRect(r, Qt::black);
            work.end();
            Blend(r, control->Alpha(), origin);
            RestoreOutsideEllipse(r);
            CopyWorkToCanvas(r);
            break;
        case 3:
            work.begin(&m_pWork);
            work.setCompositionMode(QPainter::CompositionMode_Source);
            work.drawImage(r.topLeft(), m_pBackground, r);
            work.end();
            Blend(r, control->Alpha(), origin);
            CopyWorkToCanvas(r);
            DrawFrame(r);
            break;
        default:
            control->update();
            break;
        }
    }
    m_pHover = control;
    m_pFocus = control;
}

void TKVFormBase::UnhoverControl()
{
    if (!m_pHover)
        return;
    const QRect r = m_pHover->geometry();
    if (m_pHover->Style() != 0) {
        CopyBackgroundToCanvas(r.adjusted(-kFrameMargin, -kFrameMargin, kFrameMargin, kFrameMargin));
    } else {
        // Repainting a windowless label repaints the background below it,
        // which also removes a hover picture.
        CopyBackgroundToCanvas(r);
        m_pHover->update();
    }
    m_pHover = nullptr;
}

void TKVFormBase::PressControl(TSubTitle* control)
{
    if (!control || !isEnabled())
        return;
    const int style = control->Style();
    if (style != 2 && style != 3)
        return;
    EnsureCanvas();
    const QRect r = control->geometry();
    const QPoint origin = BlendOrigin(r.left() - 2, r.top() - 2, r.width(), r.height());
    QPainter work(&m_pWork);
    if (style == 2) {
        work.fillRect(r, Qt::black);
        work.end();
        Blend(r, control->Alpha(), origin);
        RestoreOutsideEllipse(r);
    } else {
        work.setCompositionMode(QPainter::CompositionMode_Source);
        work.drawImage(r.topLeft(), m_pBackground, r);
        work.fillRect(r, Qt::black);
        work.end();
        Blend(r, control->Alpha(), origin);
    }
    CopyWorkToCanvas(r);
    Pause(50);
}

void TKVFormBase::FormPaint(QPainter& painter)
{
    if (!m_bPaintBackground)
        return;
    EnsureCanvas();
    painter.drawImage(0, 0, m_pCanvas);
}

void TKVFormBase::FormClose() {}

void TKVFormBase::FormMouseMove()
{
    UnhoverControl();
}

void TKVFormBase::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    FormPaint(painter);
}

void TKVFormBase::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TKVFormBase::mouseMoveEvent(QMouseEvent*)
{
    FormMouseMove();
}

void TKVFormBase::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    EnsureCanvas();
}
