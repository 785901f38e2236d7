#include "ui/DisplayPic.h"

#include "core/Exception.h"
#include "core/Log.h"
#include "platform/files/FileSearch.h"
#include "platform/image/Jpeg.h"
#include "ui/KVFormManager.h"
#include "ui/UiStation.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr int kChangeMs = 4000;

// The first picture from start on (going round once) that loads, decoded in
// the form the screen draws without converting.
TfrmDisplayPic::TPrepared LoadFrom(const QStringList& pictures, int start)
{
    TfrmDisplayPic::TPrepared out;
    const int n = int(pictures.size());
    for (int k = 0; k < n; ++k) {
        const int i = (start + k) % n;
        try {
            QImage image = LoadPicture(pictures[i]);
            if (image.isNull())
                throw Exception(QStringLiteral("empty picture"));
            out.image = image.convertToFormat(QImage::Format_RGB32);
            out.index = i;
            out.path = pictures[i];
            return out;
        } catch (const Exception&) {
            out.failed.append(pictures[i]);
        }
    }
    return out;
}

} // namespace

QString TfrmDisplayPic::AdvertFolder()
{
    return UiExeDir() + QStringLiteral("Images/Ad/");
}

QStringList TfrmDisplayPic::CollectPictures(const QString& folder)
{
    TFileSearchLimits limits;
    limits.maxFiles = 1000;
    return TFileSearch({QStringLiteral("*.Jpg"), QStringLiteral("*.bmp")}, limits).Run(folder).All();
}

TfrmDisplayPic::TfrmDisplayPic(const QString& folder, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmDisplayPic"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // Black around a picture smaller than the screen.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);

    const TKVFormManager* fm = g_pFrmManager;
    if (fm && fm->m_nWidth > 0 && fm->m_nHeight > 0)
        setGeometry(fm->m_nLeft, fm->m_nTop, fm->m_nWidth, fm->m_nHeight);
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());

    imgChange = new QLabel(this);
    imgChange->setObjectName(QStringLiteral("imgChange"));
    imgChange->setAlignment(Qt::AlignCenter);
    imgChange->setGeometry(rect());

    PicTimer = new QTimer(this);
    PicTimer->setObjectName(QStringLiteral("PicTimer"));
    PicTimer->setInterval(kChangeMs);
    connect(PicTimer, &QTimer::timeout, this, &TfrmDisplayPic::PicTimerTimer);
    PicTimer->start();
    m_nIndex = 0;

    // A screen of another program coming forward does not cover the pictures.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (isVisible() && focus != windowHandle() && QGuiApplication::platformName() != QLatin1String("offscreen"))
            raise();
    });

    connect(&m_watcher, &QFutureWatcher<TPrepared>::finished, this, &TfrmDisplayPic::OnPrepared);
    const QString dir = folder.isEmpty() ? AdvertFolder() : folder;
    m_watcher.setFuture(QtConcurrent::run([dir] {
        const QStringList pictures = CollectPictures(dir);
        TPrepared first = LoadFrom(pictures, 0);
        first.pictures = pictures;
        return first;
    }));
}

TfrmDisplayPic::~TfrmDisplayPic()
{
    // A decode still running finishes on its own; its result is dropped.
    disconnect(&m_watcher, nullptr, this, nullptr);
}

void TfrmDisplayPic::ShowPictures()
{
    show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        raise();
    activateWindow();
}

void TfrmDisplayPic::Prepare()
{
    if (m_pPictures.isEmpty() || m_watcher.isRunning())
        return;
    const QStringList pictures = m_pPictures;
    const int start = m_nIndex >= int(pictures.size()) ? 0 : m_nIndex;
    m_watcher.setFuture(QtConcurrent::run([pictures, start] { return LoadFrom(pictures, start); }));
}

void TfrmDisplayPic::OnPrepared()
{
    TPrepared result = m_watcher.result();
    for (const QString& path : std::as_const(result.failed))
        WriteLog(QStringLiteral("广告图片无法载入,跳过:") + path);
    if (!m_bPicturesReady) {
        // The search's answer with the first picture.
        m_bPicturesReady = true;
        m_pPictures = result.pictures;
        if (result.index >= 0)
            Apply(result);
        Prepare();
        return;
    }
    m_prepared = std::move(result);
    m_bPrepared = true;
    if (m_bChangeDue) {
        m_bChangeDue = false;
        PicTimerTimer();
    }
}

void TfrmDisplayPic::Apply(TPrepared& prepared)
{
    imgChange->setPixmap(QPixmap::fromImage(std::move(prepared.image)));
    m_sShown = prepared.path;
    m_nIndex = prepared.index + 1;
    WriteLog(QStringLiteral("广告图片:") + m_sShown);
    emit PictureShown(m_sShown);
}

void TfrmDisplayPic::PicTimerTimer()
{
    if (isHidden())
        return;
    if (!m_pPictures.isEmpty()) {
        if (m_bPrepared) {
            m_bPrepared = false;
            if (m_prepared.index >= 0)
                Apply(m_prepared);
            m_prepared = TPrepared();
            // The next picture is decoded a while after this change (even
            // when nothing loaded this time), so the decoding never competes
            // with the repaint of the change for the processor.
            QTimer::singleShot(PicTimer->interval() / 4, this, &TfrmDisplayPic::Prepare);
        } else {
            m_bChangeDue = true;
            Prepare();
        }
    }
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        raise();
}

void TfrmDisplayPic::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    hide();
}

void TfrmDisplayPic::mouseReleaseEvent(QMouseEvent* event)
{
    // A click on the picture or on the form.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        hide();
}

void TfrmDisplayPic::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    imgChange->setGeometry(rect());
}
