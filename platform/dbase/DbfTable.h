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
// half-written record. Appends write the record and the end marker first and
// then the header's record count, so a writer killed in the middle leaves a
// file that opens with every completed append.
// Records are never moved or packed: a record number stays valid for the
// life of the file. The .mdx production index beside a table is not read.
#include "platform/db/DbError.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVariant>
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
    // Every record, read at once under a shared lock. Throws DbfError when the
    // file has become corrupt.
    std::vector<Record> ReadAll();
    // The record count the header holds now.
    quint32 RecordCount();
    // Something that changes with every write by any process (size and
    // modification time); equal stamps mean nothing was written.
    QByteArray ChangeStamp() const;

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
    // it reads the structure and the record count once; updates and deletion
    // marks made under it stamp the header (date, write counter) once, when
    // the outermost lock is released or at Commit. Appends write their count
    // at once. Unlock throws DbfError when that last header write fails (the
    // lock is released all the same).
    void LockExclusive();
    void Commit();
    void Unlock();

private:
    void ReadStructure();
    void Lock(short type);
    void Release();
    void WriteHeaderCount(quint32 count);
    void Wrote();

    QString m_sPath;
    int m_nFd = -1;
    int m_nLockDepth = 0;
    quint32 m_nCount = 0;        // the record count, while the lock is held
    bool m_bHeaderDirty = false; // updates made under the lock wait for their header stamp
    int m_nHeaderLength = 0;
    int m_nRecordLength = 0;
    std::vector<DbfField> m_aFields;
    std::vector<int> m_aOffsets; // byte offset of each field within a record (after the flag)
};

// RAII holder of the exclusive lock.
class DbfWriteLock
{
public:
    explicit DbfWriteLock(DbfTable& table) : m_table(table) { m_table.LockExclusive(); }
    ~DbfWriteLock()
    {
        try {
            m_table.Unlock();
        } catch (const DbfError&) {
            // Only the header's date and write counter were left unstamped:
            // the records themselves are written.
        }
    }
    DbfWriteLock(const DbfWriteLock&) = delete;
    DbfWriteLock& operator=(const DbfWriteLock&) = delete;

private:
    DbfTable& m_table;
};
