#pragma once
// Decoded pictures kept by file, so a screen that draws the same photos again
// (a page turned back, a grid narrowed by a letter, a redraw) does not decode
// them again. A picture is kept at the size it is shown, so it is scaled once
// and each entry is small. An entry is used while its file keeps the
// modification time and size it had when decoded; a changed file is decoded
// anew. The cache holds at most a given number of bytes of pixels, dropping
// the pictures used least recently. GUI thread only.
#include <QCache>
#include <QDateTime>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <functional>

class QImage;

class TPictureCache
{
public:
    explicit TPictureCache(qint64 maxBytes);

    // The picture of the file scaled to `size` (an empty size: as decoded):
    // the kept one while the file is unchanged, otherwise what `decode` gives
    // for the file and `size` (kept for the next call; `decode` may give a
    // larger picture). A null pixmap when `decode`
    // throws (a missing file, one that is not a picture); that too is kept
    // until the file changes.
    QPixmap Picture(const QString& path, const QSize& size,
                    const std::function<QImage(const QString&, const QSize&)>& decode);

    void Clear();
    // A cache that lives as long as the application: its pixmaps are freed
    // while the application still exists. Singer photos and screen
    // backgrounds each have one.
    static TPictureCache& Photos();
    static TPictureCache& Backgrounds();
    // Pictures decoded since the cache was made (misses).
    int Decodes() const { return m_nDecodes; }
    // Bytes of pixels held now.
    qint64 Bytes() const { return m_cache.totalCost(); }

private:
    struct Entry
    {
        QDateTime modified;
        qint64 size = -1;
        QPixmap picture;
    };
    QCache<QString, Entry> m_cache;
    int m_nDecodes = 0;
};
