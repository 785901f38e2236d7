#pragma once
// A dBASE III+ table file (.dbf): a 32-byte header (version 0x03, date of last
// update, record count, header length, record length), 32-byte field
// descriptors, the 0x0D terminator, then fixed-length records each starting
// with a deletion flag (' ' live, '*' deleted), and the 0x1A end marker.
// Texts are GBK. Field types: C (text), N (number), F (float), L (logical),
// D (date, yyyyMMdd).
//
// Several processes use one file at once (the station and the player program).
// Every write holds an exclusive lock on the file (open-file-description
// fcntl locks, so several tables on one file in one process do not release
// each other's locks), every read a shared one: a reader never sees a
// half-written record. A lock is waited for a bounded time only (a hung
// process holding it must not hang this one): then DbfLockTimeout is raised,
// and for a few seconds further attempts on that file give up at once.
// Appends write the record and the end marker first and then the header's
// record count, so a writer killed in the middle leaves a file that opens
// with every completed append.
// Updates and deletion marks made while the lock is held are kept until the
// outermost lock is released (or Commit); a series touching more than one
// record then goes through a journal (DbfJournal.h), so that a crash or a
// refused write leaves the series whole or not at all. Whoever takes the lock
// next (this process or another one using this class) completes or drops an
// interrupted series first.
// Records are never moved or packed: a record number stays valid for the
// life of the file. The .mdx production index beside a table is not read.
#include "platform/db/DbError.h"
#include "platform/dbase/DbfJournal.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVariant>
#include <exception>
#include <functional>
#include <utility>
#include <vector>

struct DbfField
{
    QString name; // up to 10 ASCII characters, stored upper case
    char type = 'C';
    int length = 1;
    int decimals = 0;
};

class DbfTable
{
public:
    DbfTable() = default;
    explicit DbfTable(const QString& path) : m_sPath(path) {}
    ~DbfTable();
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    // Writes a new, empty table (replacing an existing file). Throws DbfError.
    static void Create(const QString& path, const std::vector<DbfField>& fields);
    // Mends, in place, a table whose header counts more records than the
    // file holds (a wrong count or a cut tail): the count becomes the number
    // of whole records, a cut last record is dropped. Gives the records the
    // table holds afterwards, or -1 when its header or field descriptors are
    // unreadable (nothing can be recovered). Throws DbfError when the file
    // cannot be opened, locked or written.
    static qint64 Mend(const QString& path);

    void SetPath(const QString& path) { m_sPath = path; }
    QString Path() const { return m_sPath; }
    // Opens the file and reads its structure. Throws DbfError when it is
    // missing, truncated or corrupt.
    void Open();
    void Close();
    bool IsOpen() const { return m_nFd >= 0; }

    const std::vector<DbfField>& Fields() const { return m_aFields; }
    int FieldIndex(const QString& name) const; // -1 when absent (any case)
    int RecordLength() const { return m_nRecordLength; }

    // One record as read: its number (0-based), deletion flag and raw bytes
    // (without the flag byte).
    struct Record
    {
        quint32 recno = 0;
        bool deleted = false;
        QByteArray data;
    };
    // Every record, read at once under a shared lock (with what this holder
    // of the exclusive lock has changed and not yet written); stamp, when
    // given, receives the change stamp read under the same lock. Completes an
    // interrupted series first. Throws DbfError when the file has become
    // corrupt.
    std::vector<Record> ReadAll(QByteArray* stamp = nullptr);
    // The record count the header holds now.
    quint32 RecordCount();
    // Something that changes with every write by any process (the header with
    // its write counter, size and modification time); equal stamps mean
    // nothing was written. Read under the lock (a shared one when none is
    // held), so a write in progress is never half seen.
    QByteArray ChangeStamp();

    // Field value of a raw record: text (trailing blanks dropped) for C, qint64
    // or double for N/F (null when blank), bool for L (null when '?'), QDate for D.
    QVariant Decode(const QByteArray& data, int field) const;
    // Raw bytes of a value for a field, padded to its width (texts truncated at
    // a character boundary, numbers right-aligned). Throws DbfError when a
    // number does not fit.
    QByteArray Encode(const QVariant& value, int field) const;

    // Appends a record; values by field index (missing or null: blank). Gives
    // the new record number.
    quint32 Append(const std::vector<QVariant>& values);
    // Writes only the given fields of a record (so two processes changing
    // different fields of one record do not undo each other).
    void Update(quint32 recno, const std::vector<std::pair<int, QVariant>>& values);
    void MarkDeleted(quint32 recno, bool deleted = true);

    // Holds the exclusive lock across several calls (nesting counted). Taking
    // it completes or drops a series another writer left interrupted, then
    // reads the structure and the record count once. Updates and deletion
    // marks made under it are written when the outermost lock is released or
    // at Commit, with one header stamp (date, write counter). Appends write
    // at once. Commit and Unlock throw DbfError when the series cannot be
    // written: when its journal could not be written nothing was changed;
    // otherwise the journal stays and the next lock completes the series.
    // Unlock releases the lock on every way out.
    void LockExclusive();
    void Commit();
    void Unlock();
    // Drops the writes kept since the outermost lock was taken and releases
    // one level of the lock (the outermost level only drops them).
    void Abandon();

    // Milliseconds a lock is waited for (default 1500).
    void SetLockWait(int ms) { m_nLockWaitMs = ms; }

    // Test support: called at every point where a table, its journal or its
    // folder is written or synced, with the file concerned. Returning false
    // makes that write fail as a refused write (EIO). Null: none.
    using WriteHook = std::function<bool(const QString& file)>;
    static void SetWriteHook(WriteHook hook);

private:
    void ReadStructure(bool checkCount = true);
    QByteArray StampNow() const;
    void Lock(short type);
    void Release();
    void WriteHeaderCount(quint32 count);
    void Keep(qint64 at, QByteArray bytes);
    void WriteKept();
    void Recover();
    bool HasJournal() const;
    bool WriteAt(const void* data, size_t size, qint64 at);
    bool Sync(int fd, const QString& file);

    QString m_sPath;
    int m_nFd = -1;
    int m_nLockDepth = 0;
    int m_nLockWaitMs = 1500;
    quint32 m_nCount = 0;          // the record count, while the lock is held
    std::vector<DbfWrite> m_aKept; // updates made under the lock, not written yet
    int m_nHeaderLength = 0;
    int m_nRecordLength = 0;
    std::vector<DbfField> m_aFields;
    std::vector<int> m_aOffsets; // byte offset of each field within a record (after the flag)
};

// RAII holder of the exclusive lock.
class DbfWriteLock
{
public:
    explicit DbfWriteLock(DbfTable& table) : m_table(table), m_nUncaught(std::uncaught_exceptions())
    {
        m_table.LockExclusive();
    }
    // Leaving by an exception drops what was kept under this lock; otherwise
    // the outermost lock writes it (a failure is then the next lock's to mend).
    ~DbfWriteLock()
    {
        if (std::uncaught_exceptions() > m_nUncaught) {
            m_table.Abandon();
            return;
        }
        try {
            m_table.Unlock();
        } catch (const DbfError&) {
        }
    }
    DbfWriteLock(const DbfWriteLock&) = delete;
    DbfWriteLock& operator=(const DbfWriteLock&) = delete;

private:
    DbfTable& m_table;
    int m_nUncaught;
};
