#include "ui/FlashControl.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

TFlashPlayerControl::TFlashPlayerControl(QWidget* parent) : QWidget(parent)
{
    // Nothing is drawn where there is no picture.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void TFlashPlayerControl::PutAlignMode(int mode)
{
    m_nAlignMode = mode;
    update();
}

void TFlashPlayerControl::PutScaleMode(int mode)
{
    m_nScaleMode = mode;
    update();
}

QString TFlashPlayerControl::StillPathFor(const QString& moviePath)
{
    if (moviePath.isEmpty())
        return {};
    const QFileInfo movie(QString(moviePath).replace(QLatin1Char('\\'), QLatin1Char('/')));
    const QString stem = movie.path() + QLatin1Char('/') + movie.completeBaseName();
    for (const char* ext : {".png", ".jpg", ".PNG", ".JPG", ".jpeg"}) {
        const QString candidate = stem + QLatin1String(ext);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

void TFlashPlayerControl::PutMovie(const QString& path)
{
    m_sMovie = path;
    m_still = QImage();
    const QString still = StillPathFor(path);
    if (!still.isEmpty()) {
        QImageReader reader(still);
        reader.setDecideFormatFromContent(true);
        // A damaged picture shows nothing, like a missing one.
        m_still = reader.read();
    }
    update();
}

void TFlashPlayerControl::PutMakeParentTransparent(bool transparent)
{
    m_bMakeParentTransparent = transparent;
    setAttribute(Qt::WA_TranslucentBackground, transparent);
    update();
}

QRectF TFlashPlayerControl::StillRect() const
{
    if (m_still.isNull() || width() <= 0 || height() <= 0)
        return {};
    const QSizeF box(width(), height());
    const QSizeF natural(m_still.width(), m_still.height());
    QSizeF size;
    switch (m_nScaleMode) {
    case 1:
        size = natural.scaled(box, Qt::KeepAspectRatioByExpanding);
        break;
    case 2:
        size = box;
        break;
    case 3:
        size = natural;
        break;
    default:
        size = natural.scaled(box, Qt::KeepAspectRatio);
        break;
    }
    qreal x = (box.width() - size.width()) / 2;
    qreal y = (box.height() - size.height()) / 2;
    if (m_nAlignMode & 1)
        x = 0;
    else if (m_nAlignMode & 2)
        x = box.width() - size.width();
    if (m_nAlignMode & 4)
        y = 0;
    else if (m_nAlignMode & 8)
        y = box.height() - size.height();
    return QRectF(QPointF(x, y), size);
}

void TFlashPlayerControl::RaiseFSCommand(const QString& command, const QString& args)
{
    if (OnFSCommand)
        OnFSCommand(this, command, args);
    emit FSCommand(command, args);
}

void TFlashPlayerControl::paintEvent(QPaintEvent*)
{
    if (m_still.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_nQuality != 0);
    painter.drawImage(StillRect(), m_still);
}

TTransparentFlashPlayerControl::TTransparentFlashPlayerControl(QWidget* parent) : TFlashPlayerControl(parent)
{
    PutPlaying(false);
    PutQuality(1);
    PutScaleMode(2);
    PutAlignMode(0);
    PutMenu(true);
    PutEmbedMovie(false);
}
