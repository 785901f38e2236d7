#include "ui/HandWriteX.h"

#include "core/Log.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

// The layer over the pad that takes the pen and shows the ink. It paints
// nothing but the strokes, so the pad's own picture shows through.
class TInkLayer : public QWidget
{
public:
    TInkLayer(THandWriteX* owner, QWidget* pad) : QWidget(pad), m_pOwner(owner)
    {
        setObjectName(QStringLiteral("ink"));
        setGeometry(pad->rect());
        pad->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return false;
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || !m_pOwner->Writable())
            return;
        m_bDrawing = true;
        m_pOwner->m_aInk.append(TInkStroke{event->position()});
        UpdateAround(event->position(), event->position());
    }

    // A quick second press near the first is the next stroke's start, already
    // taken by mousePressEvent: not a second one.
    void mouseDoubleClickEvent(QMouseEvent*) override {}

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!m_bDrawing || !(event->buttons() & Qt::LeftButton))
            return;
        TInkStroke& stroke = m_pOwner->m_aInk.last();
        const QPointF at = event->position();
        if (at == stroke.last())
            return;
        const QPointF from = stroke.last();
        stroke.append(at);
        UpdateAround(from, at);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || !m_bDrawing)
            return;
        m_bDrawing = false;
        TInkStroke& stroke = m_pOwner->m_aInk.last();
        if (event->position() != stroke.last()) {
            UpdateAround(stroke.last(), event->position());
            stroke.append(event->position());
        }
        m_pOwner->StrokeDone();
    }

    void paintEvent(QPaintEvent*) override
    {
        const TInk& ink = m_pOwner->m_aInk;
        if (ink.isEmpty())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(m_pOwner->m_cBrushColor, std::max(1, m_pOwner->m_nBrushWidth), Qt::SolidLine, Qt::RoundCap,
                 Qt::RoundJoin);
        painter.setPen(pen);
        for (const TInkStroke& stroke : ink) {
            if (stroke.size() == 1) {
                painter.drawPoint(stroke.first());
                continue;
            }
            QPainterPath path(stroke.first());
            for (qsizetype i = 1; i < stroke.size(); ++i)
                path.lineTo(stroke[i]);
            painter.drawPath(path);
        }
    }

public:
    // A stroke in progress ends without recognition (the ink was erased
    // under the pen).
    void Abandon() { m_bDrawing = false; }
    ~TInkLayer() override { KeepEveryMove(false); }

    // While a pad takes ink every move of the pen is kept. By default Qt
    // merges the moves that queue up while the station is busy (drawing,
    // recognising the last stroke) into the last one, which turns the
    // guest's curves into straight lines, on the pad and for the recognizer.
    void KeepEveryMove(bool keep)
    {
        static int keepers = 0;
        static bool merged = true;
        if (keep == m_bKeepingMoves)
            return;
        m_bKeepingMoves = keep;
        if (keep && keepers++ == 0) {
            merged = QCoreApplication::testAttribute(Qt::AA_CompressHighFrequencyEvents);
            QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
        }
        if (!keep && --keepers == 0)
            QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, merged);
    }

private:
    // Repaints only the piece of the pad a new segment of ink covers.
    void UpdateAround(QPointF from, QPointF to)
    {
        const int pad = m_pOwner->m_nBrushWidth + 2;
        update(QRectF(from, to).normalized().toAlignedRect().adjusted(-pad, -pad, pad, pad));
    }

    THandWriteX* m_pOwner;
    bool m_bDrawing = false;
    bool m_bKeepingMoves = false;
};

THandWriteX::THandWriteX(QObject* parent) : QObject(parent) {}

THandWriteX::~THandWriteX()
{
    delete m_pLayer;
}

const THandwritingModel* THandWriteX::SharedModel()
{
    // One model per path for the whole run: opening takes tens of
    // milliseconds and a few megabytes, and a missing one is reported once.
    static QHash<QString, std::shared_ptr<THandwritingModel>> models;
    QString path = qEnvironmentVariable("VOD_HANDWRITING_MODEL");
    if (path.isEmpty())
        path = THandwritingModel::DefaultPath();
    auto found = models.constFind(path);
    if (found == models.constEnd()) {
        auto model = std::make_shared<THandwritingModel>();
        if (!model->Open(path))
            WriteLog(model->ErrorText() + QStringLiteral(": the writing pad takes no ink"), true);
        found = models.insert(path, model);
    }
    return found.value()->IsOpen() ? found.value().get() : nullptr;
}

void THandWriteX::SetHwnd(QWidget* pad)
{
    if (pad == m_pPad)
        return;
    delete m_pLayer;
    m_aInk.clear();
    m_pPad = pad;
    if (pad) {
        m_pLayer = new TInkLayer(this, pad);
        m_pLayer->show();
        m_pLayer->raise();
    }
    UpdateLayer();
}

void THandWriteX::SetBrushColor(const QColor& color)
{
    m_cBrushColor = color;
    UpdateLayer();
}

void THandWriteX::SetBrushWidth(int width)
{
    m_nBrushWidth = width;
    UpdateLayer();
}

void THandWriteX::SetRecognizerEnabled(bool enabled)
{
    m_bEnabled = enabled;
    // Opening the model now, not at the first stroke, keeps the first
    // stroke as quick as the others.
    if (enabled)
        SharedModel();
    UpdateLayer();
}

bool THandWriteX::Writable() const
{
    return m_pPad && m_bEnabled && SharedModel();
}

void THandWriteX::ClearStroke()
{
    m_aInk.clear();
    if (m_pLayer) {
        m_pLayer->Abandon();
        m_pLayer->update();
    }
}

void THandWriteX::UpdateLayer()
{
    if (!m_pLayer)
        return;
    // An inert pad lets touches through to whatever lies below.
    m_pLayer->setAttribute(Qt::WA_TransparentForMouseEvents, !Writable());
    m_pLayer->KeepEveryMove(Writable());
    m_pLayer->update();
}

void THandWriteX::StrokeDone()
{
    const THandwritingModel* model = SharedModel();
    if (!model || m_aInk.isEmpty())
        return;
    const QStringList candidates = model->Classify(m_aInk, kCandidates);
    if (OnRecognizerContext)
        OnRecognizerContext(this, candidates.join(QLatin1Char('\n')));
}
