#pragma once
// TSubTitle: the shadow label. Every skin button, skin label and list cell is
// one. It draws its caption over whatever the screen painted below it (it
// fills nothing when transparent), optionally with an outline or an offset
// shadow in a second colour, and carries the hover-effect values Style, Alpha
// and OverJpg that the skinned base form reads.
#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QMouseEvent;
class QPainter;

// Windows colour numbers (blue * 65536 + green * 256 + red) as skins and
// settings write them.
QColor WinColor(int value);
int ToWinColor(const QColor& color);

// Makes the Windows font names used by skins resolve to the installed CJK
// font. Call once after the application object exists.
void InstallFontSubstitutions();

class TSubTitleLabel : public QWidget
{
    Q_OBJECT
public:
    enum
    {
        taLeftJustify = 0,
        taRightJustify = 1,
        taCenter = 2
    };
    enum
    {
        tlTop = 0,
        tlCenter = 1,
        tlBottom = 2
    };

    explicit TSubTitleLabel(QWidget* parent = nullptr);

    // Text and font colour.
    QString Caption() const { return m_sCaption; }
    void SetCaption(const QString& text);
    QColor FontColor() const { return m_cFontColor; }
    void SetFontColor(const QColor& color);
    QColor Color() const { return m_cColor; }
    void SetColor(const QColor& color);

    int Alignment() const { return m_nAlignment; }
    void SetAlignment(int value);
    int Layout() const { return m_nLayout; }
    void SetLayout(int value);
    bool ShowAccelChar() const { return m_bShowAccelChar; }
    void SetShowAccelChar(bool value);
    bool Transparent() const { return m_bTransparent; }
    void SetTransparent(bool value);
    bool AutoSize() const { return m_bAutoSize; }
    void SetAutoSize(bool value);
    bool WordWrap() const { return m_bWordWrap; }
    void SetWordWrap(bool value);
    QWidget* FocusControl() const { return m_pFocusControl; }
    void SetFocusControl(QWidget* control);

    int ShadowColor() const { return m_nShadowColor; }
    void SetShadowColor(int winColor);
    int ShadowWidth() const { return m_nShadowWidth; }
    void SetShadowWidth(int width);
    int ShadowStyle() const { return m_nShadowStyle; }
    void SetShadowStyle(int style);
    int Style() const { return m_nStyle; }
    void SetStyle(int style);
    int Alpha() const { return m_nAlpha; }
    void SetAlpha(int alpha);

    // Picture file (relative to the skin folder) shown while hovered.
    QString OverJpg;
    // Free number for the owner (row or cell number of list labels).
    int Tag = 0;

    // The text that is drawn.
    virtual QString GetLabelText() const { return m_sCaption; }

    // Draws the text into rect, or (measure) only gives back its extent in
    // rect. flags are Qt::TextFlag / Qt::AlignmentFlag values.
    void DoDrawText(QPainter* painter, QRect& rect, int flags, bool measure) const;
    // Resizes the label to its text when AutoSize is on.
    void AdjustBounds();
    // Called after the label was set up from stored values.
    void Loaded();
    // Accelerator handling: true when the character was the caption's
    // accelerator and the focus control took the focus.
    bool DialogChar(QChar ch);

    // Number of repaint requests made by the label itself (setters, text).
    int RepaintRequests() const { return m_nRepaints; }

    std::function<void(TSubTitleLabel*)> OnClick, OnDblClick, OnMouseEnter, OnMouseLeave;
    std::function<void(TSubTitleLabel*, QMouseEvent*)> OnMouseMove, OnMouseDown, OnMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Invalidate();
    int DrawFlags() const;

    QString m_sCaption;
    QColor m_cFontColor{Qt::black};
    QColor m_cColor;
    QPointer<QWidget> m_pFocusControl;
    int m_nAlignment = taLeftJustify;
    bool m_bAutoSize = true;
    int m_nLayout = tlTop;
    bool m_bWordWrap = false;
    bool m_bShowAccelChar = true;
    bool m_bTransparent = false;
    int m_nShadowColor = 0xFFFFFF;
    int m_nShadowWidth = 0;
    int m_nShadowStyle = 1;
    int m_nStyle = 0;
    int m_nAlpha = 255;
    bool m_bLoading = false;
    bool m_bPressed = false;
    bool m_bDoubleClicked = false;
    int m_nRepaints = 0;
};

// The published label that screens create.
class TSubTitle : public TSubTitleLabel
{
    Q_OBJECT
public:
    explicit TSubTitle(QWidget* parent = nullptr) : TSubTitleLabel(parent) {}
};
