#include "platform/files/FileSearch.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

QStringList TFileSearchResult::All() const
{
    QStringList all;
    for (const QStringList& list : matches)
        all += list;
    return all;
}

namespace {

QRegularExpression MaskExpression(const QString& mask)
{
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(mask.trimmed()),
                              QRegularExpression::CaseInsensitiveOption);
}

} // namespace

struct TFileSearch::Walk
{
    const TFileSearchLimits& limits;
    const std::atomic<bool>* cancel;
    QList<QRegularExpression> masks;
    TFileSearchResult result;
    int found = 0;
    int entries = 0;

    bool Stopped()
    {
        if (!result.truncated && cancel && cancel->load(std::memory_order_relaxed))
            result.truncated = true;
        return result.truncated;
    }

    void Folder(const QString& path, int depth)
    {
        if (Stopped())
            return;
        const QDir dir(path);
        const QFileInfoList list = dir.entryInfoList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
        entries += int(list.size());
        if (entries > limits.maxEntries) {
            result.truncated = true;
            return;
        }
        for (const QFileInfo& info : list) {
            if (info.isDir())
                continue;
            const QString name = info.fileName();
            for (qsizetype m = 0; m < masks.size(); ++m) {
                if (!masks[m].match(name).hasMatch())
                    continue;
                if (found >= limits.maxFiles) {
                    result.truncated = true;
                    return;
                }
                result.matches[m].append(info.absoluteFilePath());
                ++found;
            }
        }
        if (depth >= limits.maxDepth) {
            // Sub-folders below the deepest level searched are left out.
            for (const QFileInfo& info : list) {
                if (info.isDir() && !info.isSymLink()) {
                    result.truncated = true;
                    break;
                }
            }
            return;
        }
        for (const QFileInfo& info : list) {
            if (!info.isDir() || info.isSymLink())
                continue;
            Folder(info.absoluteFilePath(), depth + 1);
            if (Stopped())
                return;
        }
    }
};

TFileSearch::TFileSearch(const QStringList& masks, const TFileSearchLimits& limits) : m_masks(masks), m_limits(limits)
{
}

bool TFileSearch::Matches(const QString& name, const QString& mask)
{
    return MaskExpression(mask).match(name).hasMatch();
}

TFileSearchResult TFileSearch::Run(const QString& folder, const std::atomic<bool>* cancel) const
{
    Walk walk{m_limits, cancel, {}, {}};
    for (const QString& mask : m_masks)
        walk.masks.append(MaskExpression(mask));
    walk.result.matches.resize(m_masks.size());
    const QString root = folder.trimmed();
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return walk.result;
    walk.Folder(QDir(root).absolutePath(), 0);
    return walk.result;
}
