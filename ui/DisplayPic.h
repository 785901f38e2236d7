#pragma once
// TfrmDisplayPic: the advert picture form. It lies over the portal rectangle,
// borderless and in front of the station's screens, and shows the venue's
// advert pictures from Images/Ad/ one after the other, one every 4 seconds:
// first every JPEG picture, then every bitmap, each kind depth first (a
// folder's own pictures before those of its sub-folders). A key or a click
// closes it; closing only hides it (the form is not deleted on close, and
// the application may still quit while it shows), and the next showing goes
// on with the next picture.
//
// The folder is searched and every picture decoded on a worker thread, the
// next one while the current one shows, so a change only swaps a prepared
// picture in. A picture that can no longer be loaded when its turn comes is
// left out of that round (and logged); when none can be loaded the form
// keeps what it shows.
#include <QFutureWatcher>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QTimer;

class TfrmDisplayPic : public QWidget
{
    Q_OBJECT
public:
    // FormCreate: bounds, the search of the advert folder (the program
    // folder's Images/Ad/ unless given) and the first picture.
    explicit TfrmDisplayPic(const QString& folder = QString(), QWidget* parent = nullptr);
    ~TfrmDisplayPic() override;

    // The picture box filling the form (picture centred, not stretched) and
    // the 4-second change timer.
    QLabel* imgChange = nullptr;
    QTimer* PicTimer = nullptr;

    // Shows the form in front with the keyboard.
    void ShowPictures();
    // The change timer: nothing while hidden; otherwise the next picture and
    // the form to the front.
    void PicTimerTimer();

    // The pictures found, in showing order (empty until the search ends).
    const QStringList& Pictures() const { return m_pPictures; }
    bool PicturesReady() const { return m_bPicturesReady; }
    // The index of the next picture; the path of the picture shown (empty
    // while none is).
    int Index() const { return m_nIndex; }
    const QString& ShownPicture() const { return m_sShown; }
    // The next picture is decoded and waits for its turn.
    bool NextPrepared() const { return m_bPrepared; }

    // The pictures below a folder in showing order.
    static QStringList CollectPictures(const QString& folder);
    // The program folder's advert folder.
    static QString AdvertFolder();

signals:
    // A picture was put on the form (tests, benchmarks).
    void PictureShown(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public:
    // One prepared picture: its index in the list (-1: none could be loaded)
    // and the pictures that failed on the way.
    struct TPrepared
    {
        QStringList pictures; // the list (only from the first search)
        int index = -1;
        QString path;
        QImage image;
        QStringList failed;
    };

private:
    void Prepare();
    void OnPrepared();
    void Apply(TPrepared& prepared);

    QStringList m_pPictures;
    int m_nIndex = 0;
    QString m_sShown;
    bool m_bPicturesReady = false;
    QFutureWatcher<TPrepared> m_watcher;
    TPrepared m_prepared;
    bool m_bPrepared = false;  // m_prepared holds the next picture
    bool m_bChangeDue = false; // the timer came before the picture was ready
};
