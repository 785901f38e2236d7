#pragma once
// TKVFormBase: the skinned screen's base. One frameless top-level window per
// screen. It paints the background picture and draws the hover, focus and
// press effects around the skin buttons (shadow labels) straight onto the
// screen's surface, and frees the screen when it is closed.
//
// The surface (m_pCanvas) is what the screen shows below its labels: the
// background plus whatever effect was drawn last. Effects are computed on the
// off-screen work bitmap m_pWork from m_pBackground and copied onto it.
#include <QImage>
#include <QPointer>
#include <QWidget>

class TSubTitle;

class TKVFormBase : public QWidget
{
    Q_OBJECT
public:
    // Loads the focus frame "ico.bmp" from the skin folder; throws Exception
    // (the picture loader's error) when it is missing.
    explicit TKVFormBase(QWidget* parent = nullptr);
    ~TKVFormBase() override;

    // The screen's background picture; the surface is redrawn from it.
    void SetBackground(const QImage& picture);

    void HoverControl(TSubTitle* control); // throws Exception when OverJpg cannot be read
    void UnhoverControl();
    void PressControl(TSubTitle* control);

    // What the screen shows below its controls.
    const QImage& Canvas() const { return m_pCanvas; }

    bool m_bPaintBackground = true;
    QPointer<TSubTitle> m_pHover;
    QPointer<TSubTitle> m_pFocus;
    QImage m_pBackground;
    QImage m_pWork;
    QImage m_pFrame;
    QImage m_pOver;
    int m_nScreenWidth = 0;
    int m_nScreenHeight = 0;

protected:
    // Handlers; derived screens extend them.
    virtual void FormPaint(QPainter& painter);
    virtual void FormClose();
    virtual void FormMouseMove();

    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // Source origin of a blend for a rectangle whose origin is (left, top),
    // kept inside the background.
    QPoint BlendOrigin(int left, int top, int width, int height) const;

private:
    void EnsureCanvas();
    void Blend(const QRect& r, int alpha, const QPoint& origin);
    void RestoreOutsideEllipse(const QRect& r);
    void CopyWorkToCanvas(const QRect& r);
    void CopyBackgroundToCanvas(const QRect& r);
    void DrawFrame(const QRect& r);
    void Pause(int ms);

    QImage m_pCanvas;
};
