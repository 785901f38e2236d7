#pragma once
// Depth-first search for files below a folder, as the station looks for
// advert pictures and for the videos of a guest's disc. In every folder its
// own files come before its sub-folders; names are taken in name order,
// ignoring case (the order a CD or DVD file system lists them in), so a
// search gives the same list on every run.
//
//   TFileSearch search({"*.jpg", "*.bmp"});
//   const TFileSearchResult r = search.Run("/opt/vod/Images/Ad");
//   r.matches[0];   // every JPEG picture, depth first
//   r.matches[1];   // then every bitmap
//
// A search is bounded: a disc of a hundred thousand files or a folder loop
// neither freezes nor exhausts the station. It may run on any thread.
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>

struct TFileSearchLimits
{
    // Folder levels below the start folder that are still searched (a CD
    // holds at most 8; deeper trees are data, not videos).
    int maxDepth = 16;
    // Matching files collected over all masks; the search stops there.
    int maxFiles = 5000;
    // Folder entries looked at; the search stops there.
    int maxEntries = 200000;
};

struct TFileSearchResult
{
    // Per mask, in the order of the masks: full paths in search order.
    QList<QStringList> matches;
    // A limit ended the search early (or it was cancelled).
    bool truncated = false;
    // All matches, mask after mask.
    QStringList All() const;
};

class TFileSearch
{
public:
    // Masks with the wildcards * and ?, compared ignoring case.
    explicit TFileSearch(const QStringList& masks, const TFileSearchLimits& limits = TFileSearchLimits());

    // Searches below folder (nothing for an empty or missing folder). Folder
    // links are not followed. cancel, when given, is checked per folder.
    TFileSearchResult Run(const QString& folder, const std::atomic<bool>* cancel = nullptr) const;

    // Whether a file name matches the mask (wildcards, case ignored).
    static bool Matches(const QString& name, const QString& mask);

private:
    struct Walk;
    QStringList m_masks;
    TFileSearchLimits m_limits;
};
