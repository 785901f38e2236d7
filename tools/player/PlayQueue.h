#pragma once
// The player's view of the play-queue table it shares with the station: the
// local order.dbf, or the hall-mode order table of the catalogue database,
// where each room's entries carry "[room]:" in front of the name.
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

class DbConnection;
class DbfTable;

struct QueueEntry
{
    QVariant key; // record number (dBASE) or the row's id (database)
    qint64 num = 0;
    QString name;
    QString filePath;
    QString singer;
};

class PlayQueue
{
public:
    virtual ~PlayQueue() = default;
    // Opens the table. Throws the data layer's errors.
    virtual void Open() = 0;
    // Takes the front entry (lowest Num whose Playing is "0") and marks it
    // "1" in one step. Nothing when the queue is empty or a move to the front
    // is under way (an entry carries Flag "1").
    virtual std::optional<QueueEntry> TakeFront() = 0;
    // Marks a playing entry "2". Does nothing when the entry is no longer
    // marked "1" (the station removed it meanwhile).
    virtual void MarkSung(const QueueEntry& entry) = 0;
    // Goes back one song: the sung entry ("2") just before the playing one
    // becomes the playing one ("1") and the playing one is queued again
    // ("0") to follow it. Nothing when no entry was sung before it.
    virtual std::optional<QueueEntry> TakePrevious(const QueueEntry& playing) = 0;
    // Marks entries left "1" by an earlier run as sung.
    virtual int FinishLeftovers() = 0;
    virtual QString Describe() const = 0;
};

std::unique_ptr<PlayQueue> OpenDbfQueue(const QString& path);
// connectionString as vod.ini holds it; room empty takes every entry.
std::unique_ptr<PlayQueue> OpenDatabaseQueue(const QString& connectionString, const QString& room,
                                             const QString& exeDir);
