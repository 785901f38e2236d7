#pragma once
// TReadDisc: a guest's disc. It finds the station's optical drive, looks for
// a DVD's title file to hand straight to the player, and otherwise collects
// every video file on the disc and appends them to the play queue as
// numbered disc titles ("光盘歌曲或电影1", "...2", ...).
//
//   TReadDisc disc;
//   const QString dvd = disc.FindDvdTitle();     // a DVD: play it
//   int n = disc.ImportDisc(QString(), *FrmData->m_pOrder);
//
// The search (FindDvdTitle, SearchDisc) touches only the file system and may
// run on a worker thread; the import into the queue (AppendTitles) runs
// where the queue's data set lives, in slices when the station must keep
// answering meanwhile. The search is bounded (TFileSearchLimits:
// 16 folder levels, 5,000 videos, 200,000 entries looked at).
#include "platform/files/FileSearch.h"

#include <QString>
#include <QStringList>
#include <atomic>

class DataSet;

class TReadDisc
{
public:
    // The video file masks, searched in this order, and the DVD title mask.
    static const QStringList& VideoMasks();
    static const QString& DvdTitleMask();

    // The first optical drive's folder (ending with '/'), or empty.
    static QString FirstOpticalDrive();
    // The label of the medium in the drive; empty without a medium or label.
    static QString VolumeLabel(const QString& driveRoot);

    // Adds every file below the folder that matches the mask to the list,
    // depth first (a folder's own files before its sub-folders).
    void FindFiles(const QString& folder, const QString& mask);
    // The first DVD title file of the disc in the drive, or empty. Leaves the
    // list empty.
    QString FindDvdTitle();
    // Fills the list with the videos below the folder, mask after mask; with
    // an empty folder, below the drive when its medium has a label. False
    // when an empty folder was given and there is no optical drive.
    bool SearchDisc(const QString& folder);
    // Appends the listed videos to the queue data set as disc titles, each
    // call under the station-wide lock and as one series of writes, from
    // where the last call stopped until every video is queued or budgetMs
    // has passed (0: no limit), so the station can answer a guest between
    // two calls; gives the number of titles queued so far. A path the queue
    // cannot hold whole is left out (logged). Queue errors (a file locked
    // elsewhere) are thrown; that call's titles are then not queued.
    int AppendTitles(DataSet& queue, int budgetMs = 0);
    // Every listed video has been queued (or left out).
    bool AppendDone() const { return m_nNext >= m_pFiles.size(); }
    // SearchDisc, then AppendTitles when anything was found (0 otherwise).
    int ImportDisc(const QString& folder, DataSet& queue);

    const QStringList& Files() const { return m_pFiles; }
    // A search limit cut the last search short.
    bool Truncated() const { return m_bTruncated; }
    // Stops a search running on another thread at its next folder.
    void Cancel() { m_bCancel.store(true); }

    // The queue's Disc_No of a title file: "23" for ".VOB" files, else "2".
    static QString DiscNumber(const QString& path);

private:
    QStringList m_pFiles;
    qsizetype m_nNext = 0; // the next video to queue
    int m_nAdded = 0;      // titles queued so far
    bool m_bTruncated = false;
    std::atomic<bool> m_bCancel{false};
};
