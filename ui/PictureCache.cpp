#include "ui/PictureCache.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>

TPictureCache::TPictureCache(qint64 maxBytes) : m_cache(maxBytes) {}

QPixmap TPictureCache::Picture(const QString& path, const QSize& size,
                               const std::function<QImage(const QString&, const QSize&)>& decode)
{
    const QString key = path + QStringLiteral("|%1x%2").arg(size.width()).arg(size.height());
    const QFileInfo file(path);
    const QDateTime modified = file.lastModified();
    const qint64 bytes = file.exists() ? file.size() : -1;
    if (const Entry* kept = m_cache.object(key); kept && kept->modified == modified && kept->size == bytes)
        return kept->picture;
    auto entry = std::make_unique<Entry>();
    entry->modified = modified;
    entry->size = bytes;
    try {
        QImage image = decode(path, size);
        if (!size.isEmpty() && image.size() != size)
            image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        entry->picture = QPixmap::fromImage(std::move(image));
    } catch (const std::exception&) {
        entry->picture = QPixmap();
    }
    ++m_nDecodes;
    const QPixmap picture = entry->picture;
    const qint64 cost = std::max<qint64>(1, qint64(picture.width()) * picture.height() * 4);
    // A picture larger than the whole cache is not kept (insert drops it).
    m_cache.insert(key, entry.release(), cost);
    return picture;
}

void TPictureCache::Clear()
{
    m_cache.clear();
}

TPictureCache& TPictureCache::Photos()
{
    static TPictureCache cache(32 * 1024 * 1024);
    static const bool once = (qAddPostRoutine([] { cache.Clear(); }), true);
    (void)once;
    return cache;
}

TPictureCache& TPictureCache::Backgrounds()
{
    // Full-screen pictures: room for the backgrounds of a dozen screens at 1024 x 768.
    static TPictureCache cache(48 * 1024 * 1024);
    static const bool once = (qAddPostRoutine([] { cache.Clear(); }), true);
    (void)once;
    return cache;
}
