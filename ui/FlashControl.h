#pragma once
// The Flash movie control of the skins. No movie player exists on this
// platform: the control shows the still picture stored beside the movie under
// the same name with ".png" or ".jpg" (volume.swf -> volume.png), placed by
// the scale and alignment modes, and nothing when there is none. Everything
// else a skin sets (menu, quality, embedding, playing, the overlay's design
// settings) is kept and can be read back.
//
// Scale modes: 0 show all (fit, keep proportions), 1 no border (fill, keep
// proportions, crop), 2 exact fit (stretch), 3 no scale (natural size).
// Alignment mode: bits 1 left, 2 right, 4 top, 8 bottom; 0 centres.
//
// The movie's commands to its host arrive as the OnFSCommand event (and the
// FSCommand signal) on the GUI thread; RaiseFSCommand delivers one, as the
// movie would.
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>

class TFlashPlayerControl : public QWidget
{
    Q_OBJECT
public:
    explicit TFlashPlayerControl(QWidget* parent = nullptr);

    void PutMenu(bool menu) { m_bMenu = menu; }
    void PutAlignMode(int mode);
    void PutEmbedMovie(bool embed) { m_bEmbedMovie = embed; }
    void PutPlaying(bool playing) { m_bPlaying = playing; }
    void PutQuality(int quality) { m_nQuality = quality; }
    void PutScaleMode(int mode);
    // Loads a movie (full path as wide text; either separator), replacing the
    // one shown before.
    void PutMovie(const QString& path);
    void PutMakeParentTransparent(bool transparent);
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

    bool GetMenu() const { return m_bMenu; }
    int GetAlignMode() const { return m_nAlignMode; }
    bool GetEmbedMovie() const { return m_bEmbedMovie; }
    bool GetPlaying() const { return m_bPlaying; }
    int GetQuality() const { return m_nQuality; }
    int GetScaleMode() const { return m_nScaleMode; }
    const QString& GetMovie() const { return m_sMovie; }
    bool GetMakeParentTransparent() const { return m_bMakeParentTransparent; }
    // The still picture shown for the movie (null when there is none).
    const QImage& Still() const { return m_still; }
    // The still picture beside a movie file, or an empty text.
    static QString StillPathFor(const QString& moviePath);
    // Where the still picture lands inside the control.
    QRectF StillRect() const;

    // The event of the movie's commands: sender, command, arguments.
    std::function<void(QObject* sender, const QString& command, const QString& args)> OnFSCommand;
    void RaiseFSCommand(const QString& command, const QString& args);

signals:
    void FSCommand(const QString& command, const QString& args);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool m_bMenu = true;
    int m_nAlignMode = 0;
    bool m_bEmbedMovie = false;
    bool m_bPlaying = true;
    int m_nQuality = 1;
    int m_nScaleMode = 0;
    bool m_bMakeParentTransparent = false;
    QString m_sMovie;
    QImage m_still;
};

// The variant that draws over its parent: where the picture is transparent,
// or where there is no picture, the parent shows through. Created with the
// overlay's design settings: frame -1, not playing, quality 1, scale mode 2,
// alignment 0, background colour -1, loop on, window mode "Transparent",
// menu on, scale "ExactFit", device font off, embedding off, quality "High".
class TTransparentFlashPlayerControl : public TFlashPlayerControl
{
    Q_OBJECT
public:
    explicit TTransparentFlashPlayerControl(QWidget* parent = nullptr);

    int FrameNum = -1;
    int BackgroundColor = -1;
    bool Loop = true;
    QString WMode = QStringLiteral("Transparent");
    QString Scale = QStringLiteral("ExactFit");
    bool DeviceFont = false;
    QString QualityText = QStringLiteral("High");
};
