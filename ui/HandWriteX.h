#pragma once
// THandWriteX: the handwriting recognizer component. Given a writing pad
// (Hwnd) it takes the pen's strokes there, from the mouse or a touch screen,
// draws them as ink in the brush colour and width, and after each stroke
// classifies the character written so far: OnRecognizerContext then gets
// the candidates, one per line, best first.
//
// The character model is opened once per run of the station and shared by
// every pad. Without a readable model the pad stays inert (no ink, no
// candidates) and the station log says so once.
#include "platform/handwriting/HandwritingModel.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class TInkLayer;

class THandWriteX : public QObject
{
    Q_OBJECT
public:
    explicit THandWriteX(QObject* parent = nullptr);
    ~THandWriteX() override;

    // The writing pad. The ink is drawn on a layer over it that takes the
    // pen; null detaches the component from its pad.
    QWidget* Hwnd() const { return m_pPad; }
    void SetHwnd(QWidget* pad);
    QColor BrushColor() const { return m_cBrushColor; }
    void SetBrushColor(const QColor& color);
    int BrushWidth() const { return m_nBrushWidth; }
    void SetBrushWidth(int width);
    // While off, the pad takes no ink.
    bool RecognizerEnabled() const { return m_bEnabled; }
    void SetRecognizerEnabled(bool enabled);

    // Erases the ink: the next stroke starts a new character.
    void ClearStroke();

    // The ink on the pad, in the pad's coordinates.
    const TInk& Strokes() const { return m_aInk; }
    // The pad takes ink: it is set, the recognizer is on and the model is
    // open.
    bool Writable() const;

    // Raised after each stroke with the candidates, one per line, best first.
    std::function<void(QObject* sender, const QString& candidates)> OnRecognizerContext;

    // How many candidates each recognition offers.
    static constexpr int kCandidates = 10;

    // The model every pad of this run shares: opened on first use from
    // VOD_HANDWRITING_MODEL, else Debian's model. Null when it cannot be
    // read (logged once per path).
    static const THandwritingModel* SharedModel();

private:
    friend class TInkLayer;
    void StrokeDone();
    void UpdateLayer();

    QPointer<QWidget> m_pPad;
    QPointer<TInkLayer> m_pLayer;
    QColor m_cBrushColor{Qt::black};
    int m_nBrushWidth = 4;
    bool m_bEnabled = false;
    TInk m_aInk;
};
