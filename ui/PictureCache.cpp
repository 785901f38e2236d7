#include "ui/PictureCache.h"

#include <QFileInfo>
#include <QImage>

TPictureCache::TPictureCache(qint64 maxBytes) : m_cache(maxBytes) {}

QPixmap TPictureCache::Picture(const QString& path, const std::function<QImage(const QString&)>& decode)
{
    const QFileInfo file(path);
    const QDateTime modified = file.lastModified();
    const qint64 size = file.exists() ? file.size() : -1;
    if (const Entry* kept = m_cache.object(path); kept && kept->modified == modified && kept->size == size)
        return kept->picture;
    auto entry = std::make_unique<Entry>();
    entry->modified = modified;
    entry->size = size;
    try {
        entry->picture = QPixmap::fromImage(decode(path));
    } catch (const std::exception&) {
        entry->picture = QPixmap();
    }
    ++m_nDecodes;
    const QPixmap picture = entry->picture;
    const qint64 cost = std::max<qint64>(1, qint64(picture.width()) * picture.height() * 4);
    // A picture larger than the whole cache is not kept (insert drops it).
    m_cache.insert(path, entry.release(), cost);
    return picture;
}

void TPictureCache::Clear()
{
    m_cache.clear();
}
