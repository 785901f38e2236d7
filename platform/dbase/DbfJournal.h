#pragma once
// The journal of a series of writes to a dBASE table: the series' bytes,
// written beside the table (<table>-journal) and made durable before any of
// them touches the table. A series whose journal is complete is replayed
// whole after a crash; a journal cut short means the table was not touched
// yet and is dropped. Either way a reader sees the series whole or not at all.
//
// Layout: "VODJRNL1", header length (u32), record length (u32), entry count
// (u32), then per entry its file offset (u64), length (u32) and bytes, and a
// 64-bit FNV-1a checksum of everything before it. Little-endian.
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

struct DbfWrite
{
    qint64 at = 0;
    QByteArray bytes;
};

struct DbfJournal
{
    int headerLength = 0;
    int recordLength = 0;
    std::vector<DbfWrite> writes;
};

// The journal's file name for a table.
QString DbfJournalPath(const QString& tablePath);

QByteArray EncodeDbfJournal(const DbfJournal& journal);
// Nothing when the bytes are not a whole, intact journal.
std::optional<DbfJournal> DecodeDbfJournal(const QByteArray& bytes);
