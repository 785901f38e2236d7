#include "platform/dbase/DbfJournal.h"

#include <QtEndian>

namespace {

const QByteArray kMagic = QByteArrayLiteral("VODJRNL1");

quint64 Fnv1a(const char* data, qsizetype size)
{
    quint64 h = 1469598103934665603ull;
    for (qsizetype i = 0; i < size; ++i) {
        h ^= static_cast<unsigned char>(data[i]);
        h *= 1099511628211ull;
    }
    return h;
}

template <typename T> void Put(QByteArray& out, T value)
{
    char b[sizeof(T)];
    qToLittleEndian(value, b);
    out.append(b, sizeof(T));
}

template <typename T> bool Take(const QByteArray& in, qsizetype& pos, T& value)
{
    if (pos + qsizetype(sizeof(T)) > in.size())
        return false;
    value = qFromLittleEndian<T>(in.constData() + pos);
    pos += qsizetype(sizeof(T));
    return true;
}

} // namespace

QString DbfJournalPath(const QString& tablePath)
{
    return tablePath + QStringLiteral("-journal");
}

QByteArray EncodeDbfJournal(const DbfJournal& journal)
{
    QByteArray out = kMagic;
    Put<quint32>(out, quint32(journal.headerLength));
    Put<quint32>(out, quint32(journal.recordLength));
    Put<quint32>(out, quint32(journal.writes.size()));
    for (const DbfWrite& w : journal.writes) {
        Put<quint64>(out, quint64(w.at));
        Put<quint32>(out, quint32(w.bytes.size()));
        out += w.bytes;
    }
    Put<quint64>(out, Fnv1a(out.constData(), out.size()));
    return out;
}

std::optional<DbfJournal> DecodeDbfJournal(const QByteArray& bytes)
{
    if (!bytes.startsWith(kMagic) || bytes.size() < kMagic.size() + 12 + 8)
        return std::nullopt;
    const qsizetype body = bytes.size() - 8;
    if (qFromLittleEndian<quint64>(bytes.constData() + body) != Fnv1a(bytes.constData(), body))
        return std::nullopt;
    const QByteArray content = bytes.left(body);
    qsizetype pos = kMagic.size();
    quint32 headerLength = 0, recordLength = 0, count = 0;
    if (!Take(content, pos, headerLength) || !Take(content, pos, recordLength) || !Take(content, pos, count))
        return std::nullopt;
    DbfJournal journal;
    journal.headerLength = int(headerLength);
    journal.recordLength = int(recordLength);
    for (quint32 i = 0; i < count; ++i) {
        quint64 at = 0;
        quint32 length = 0;
        if (!Take(content, pos, at) || !Take(content, pos, length) || pos + qsizetype(length) > content.size() ||
            at > quint64(std::numeric_limits<qint64>::max() / 2))
            return std::nullopt;
        journal.writes.push_back({qint64(at), content.mid(pos, length)});
        pos += length;
    }
    if (pos != content.size())
        return std::nullopt;
    return journal;
}
