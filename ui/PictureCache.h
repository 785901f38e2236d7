#pragma once
// Decoded pictures kept by file, so a screen that draws the same photos again
// (a page turned back, a grid narrowed by a letter, a redraw) does not decode
// them again. An entry is used while its file keeps the modification time and
// size it had when decoded; a changed file is decoded anew. The cache holds
// at most a given number of bytes of decoded pixels, dropping the pictures
// used least recently. GUI thread only.
#include <QCache>
#include <QDateTime>
#include <QPixmap>
#include <QString>
#include <functional>

class QImage;

class TPictureCache
{
public:
    explicit TPictureCache(qint64 maxBytes);

    // The picture of the file: the kept one while the file is unchanged,
    // otherwise what `decode` gives for it (kept for the next call). A null
    // pixmap when `decode` throws (a missing file, one that is not a
    // picture); that too is kept until the file changes.
    QPixmap Picture(const QString& path, const std::function<QImage(const QString&)>& decode);

    void Clear();
    // Pictures decoded since the cache was made (misses).
    int Decodes() const { return m_nDecodes; }
    // Bytes of decoded pixels held now.
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
