#include "platform/dbase/DbfTable.h"

#include "core/Gbk.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kHeaderSize = 32;
constexpr int kDescriptorSize = 32;
constexpr unsigned char kTerminator = 0x0D;
constexpr unsigned char kEndMarker = 0x1A;
constexpr unsigned char kGbkLanguageDriver = 0x7A; // code page 936
constexpr int kCounterOffset = 16;                 // reserved multi-user bytes: our write counter

quint32 Le32(const unsigned char* p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
quint16 Le16(const unsigned char* p)
{
    return quint16(p[0] | p[1] << 8);
}
void PutLe32(unsigned char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void PutLe16(unsigned char* p, quint16 v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

QString Sys(const QString& what, const QString& path)
{
    return what + QStringLiteral(" ") + QDir::toNativeSeparators(path) + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(errno));
}

bool PWriteAll(int fd, const void* data, size_t size, off_t offset)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= size_t(n);
        offset += n;
    }
    return true;
}

ssize_t PReadAll(int fd, void* data, size_t size, off_t offset)
{
    char* p = static_cast<char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, p + done, size - done, offset + off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return ssize_t(done);
}

void StampDate(unsigned char* header)
{
    const QDate today = QDate::currentDate();
    header[1] = static_cast<unsigned char>(qBound(0, today.year() - 1900, 255));
    header[2] = static_cast<unsigned char>(today.month());
    header[3] = static_cast<unsigned char>(today.day());
}

bool ValidType(char t)
{
    return t == 'C' || t == 'N' || t == 'F' || t == 'L' || t == 'D' || t == 'M';
}

} // namespace

DbfTable::~DbfTable()
{
    Close();
}

void DbfTable::Create(const QString& path, const std::vector<DbfField>& fields)
{
    if (fields.empty() || fields.size() > 128)
        throw DbfError(QStringLiteral("a dBASE table needs 1 to 128 fields: ") + path);
    int recordLength = 1;
    QByteArray header(kHeaderSize, '\0');
    QByteArray descriptors;
    for (const DbfField& f : fields) {
        const QByteArray name = f.name.toUpper().toLatin1();
        if (name.isEmpty() || name.size() > 10 || !ValidType(f.type) || f.length < 1 || f.length > 254 ||
            f.decimals < 0 || f.decimals > 15)
            throw DbfError(QStringLiteral("invalid dBASE field ") + f.name);
        QByteArray d(kDescriptorSize, '\0');
        std::memcpy(d.data(), name.constData(), size_t(name.size()));
        d[11] = f.type;
        d[16] = char(f.length);
        d[17] = char(f.decimals);
        descriptors += d;
        recordLength += f.length;
    }
    if (recordLength > 65535)
        throw DbfError(QStringLiteral("dBASE record too long: ") + path);
    auto* h = reinterpret_cast<unsigned char*>(header.data());
    h[0] = 0x03;
    StampDate(h);
    PutLe32(h + 4, 0);
    PutLe16(h + 8, quint16(kHeaderSize + descriptors.size() + 1));
    PutLe16(h + 10, quint16(recordLength));
    h[29] = kGbkLanguageDriver;
    QByteArray file = header + descriptors;
    file += char(kTerminator);
    file += char(kEndMarker);
    const QString tmp = path + QStringLiteral(".tmp");
    QFile out(tmp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(file) != file.size() || !out.flush()) {
        out.remove();
        throw DbfError(QStringLiteral("cannot write ") + QDir::toNativeSeparators(path));
    }
    out.close();
    QFile::remove(path);
    if (!QFile::rename(tmp, path)) {
        QFile::remove(tmp);
        throw DbfError(QStringLiteral("cannot write ") + QDir::toNativeSeparators(path));
    }
}

void DbfTable::Open()
{
    Close();
    const QByteArray native = QFile::encodeName(m_sPath);
    m_nFd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (m_nFd < 0)
        m_nFd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (m_nFd < 0)
        throw DbfError(Sys(QStringLiteral("cannot open dBASE table"), m_sPath));
    try {
        Lock(F_RDLCK);
        ReadStructure();
        Release();
    } catch (...) {
        Close();
        throw;
    }
}

void DbfTable::Close()
{
    if (m_nFd >= 0)
        ::close(m_nFd); // closing the description drops its locks
    m_nFd = -1;
    m_nLockDepth = 0;
}

void DbfTable::ReadStructure()
{
    struct stat st
    {
    };
    if (::fstat(m_nFd, &st) != 0)
        throw DbfError(Sys(QStringLiteral("cannot read"), m_sPath));
    unsigned char h[kHeaderSize];
    if (st.st_size < kHeaderSize + 1 || PReadAll(m_nFd, h, kHeaderSize, 0) != kHeaderSize)
        throw DbfError(QStringLiteral("dBASE table truncated: ") + QDir::toNativeSeparators(m_sPath));
    const int version = h[0] & 0x07;
    const int headerLength = Le16(h + 8);
    const int recordLength = Le16(h + 10);
    const quint32 count = Le32(h + 4);
    if (version != 3 || headerLength < kHeaderSize + kDescriptorSize + 1 || recordLength < 2 ||
        headerLength > st.st_size)
        throw DbfError(QStringLiteral("not a dBASE table or corrupt header: ") + QDir::toNativeSeparators(m_sPath));
    QByteArray desc(headerLength - kHeaderSize, '\0');
    if (PReadAll(m_nFd, desc.data(), size_t(desc.size()), kHeaderSize) != desc.size())
        throw DbfError(QStringLiteral("dBASE table truncated: ") + QDir::toNativeSeparators(m_sPath));
    std::vector<DbfField> fields;
    std::vector<int> offsets;
    int offset = 0;
    int pos = 0;
    bool terminated = false;
    while (pos < desc.size()) {
        if (static_cast<unsigned char>(desc[pos]) == kTerminator) {
            terminated = true;
            break;
        }
        if (pos + kDescriptorSize > desc.size())
            break;
        const char* d = desc.constData() + pos;
        DbfField f;
        const int nameLength = int(qstrnlen(d, 11));
        f.name = QString::fromLatin1(d, nameLength).trimmed().toUpper();
        f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(d[11])));
        f.length = static_cast<unsigned char>(d[16]);
        f.decimals = static_cast<unsigned char>(d[17]);
        if (f.name.isEmpty() || !ValidType(f.type) || f.length < 1)
            throw DbfError(QStringLiteral("corrupt field descriptor in ") + QDir::toNativeSeparators(m_sPath));
        fields.push_back(f);
        offsets.push_back(offset);
        offset += f.length;
        pos += kDescriptorSize;
    }
    if (!terminated || fields.empty() || offset + 1 != recordLength)
        throw DbfError(QStringLiteral("corrupt field descriptors in ") + QDir::toNativeSeparators(m_sPath));
    if (quint64(headerLength) + quint64(count) * quint64(recordLength) > quint64(st.st_size))
        throw DbfError(QStringLiteral("dBASE table truncated (fewer records than its header counts): ") +
                       QDir::toNativeSeparators(m_sPath));
    m_nHeaderLength = headerLength;
    m_nRecordLength = recordLength;
    m_aFields = std::move(fields);
    m_aOffsets = std::move(offsets);
}

int DbfTable::FieldIndex(const QString& name) const
{
    for (size_t i = 0; i < m_aFields.size(); ++i)
        if (m_aFields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void DbfTable::Lock(short type)
{
    if (m_nFd < 0)
        throw DbfError(QStringLiteral("dBASE table is not open: ") + QDir::toNativeSeparators(m_sPath));
    struct flock fl
    {
    };
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    while (::fcntl(m_nFd, F_OFD_SETLKW, &fl) != 0) {
        if (errno == EINTR)
            continue;
        if (type == F_WRLCK && errno == EBADF)
            throw DbfError(QStringLiteral("dBASE table is read-only: ") + QDir::toNativeSeparators(m_sPath));
        throw DbfError(Sys(QStringLiteral("cannot lock"), m_sPath));
    }
}

void DbfTable::Release()
{
    struct flock fl
    {
    };
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    ::fcntl(m_nFd, F_OFD_SETLK, &fl);
}

void DbfTable::LockExclusive()
{
    if (m_nLockDepth > 0) {
        ++m_nLockDepth;
        return;
    }
    Lock(F_WRLCK);
    try {
        // Another process may have changed the structure (a restored backup)
        // or appended; while the lock is held, nobody else can.
        ReadStructure();
        m_nCount = RecordCount();
    } catch (...) {
        Release();
        throw;
    }
    m_nLockDepth = 1;
    m_bHeaderDirty = false;
}

void DbfTable::Commit()
{
    if (m_bHeaderDirty && m_nFd >= 0)
        WriteHeaderCount(m_nCount);
}

void DbfTable::Unlock()
{
    if (m_nLockDepth <= 0 || m_nFd < 0) {
        m_nLockDepth = 0;
        return;
    }
    if (m_nLockDepth == 1) {
        try {
            Commit();
        } catch (...) {
            m_nLockDepth = 0;
            m_bHeaderDirty = false;
            Release();
            throw;
        }
    }
    if (--m_nLockDepth == 0)
        Release();
}

void DbfTable::Wrote()
{
    // Alone, a write stamps the header at once; inside a held lock, once when
    // the lock is released.
    if (m_nLockDepth > 1)
        m_bHeaderDirty = true;
    else
        WriteHeaderCount(m_nCount);
}

quint32 DbfTable::RecordCount()
{
    unsigned char h[8];
    if (m_nFd < 0 || PReadAll(m_nFd, h, 8, 0) != 8)
        throw DbfError(QStringLiteral("cannot read ") + QDir::toNativeSeparators(m_sPath));
    return Le32(h + 4);
}

QByteArray DbfTable::ChangeStamp() const
{
    if (m_nFd < 0)
        return QByteArray();
    QByteArray stamp(kHeaderSize + 24, '\0');
    struct stat st
    {
    };
    ::fstat(m_nFd, &st);
    PReadAll(m_nFd, stamp.data(), kHeaderSize, 0);
    qint64 extra[3] = {qint64(st.st_size), qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec)};
    std::memcpy(stamp.data() + kHeaderSize, extra, sizeof extra);
    return stamp;
}

std::vector<DbfTable::Record> DbfTable::ReadAll()
{
    const bool lock = m_nLockDepth == 0;
    if (lock)
        Lock(F_RDLCK);
    std::vector<Record> records;
    try {
        // Another process may have changed the structure (a restored backup).
        ReadStructure();
        const quint32 count = RecordCount();
        QByteArray all(qsizetype(count) * m_nRecordLength, '\0');
        if (PReadAll(m_nFd, all.data(), size_t(all.size()), m_nHeaderLength) != all.size())
            throw DbfError(QStringLiteral("dBASE table truncated: ") + QDir::toNativeSeparators(m_sPath));
        records.reserve(count);
        for (quint32 i = 0; i < count; ++i) {
            const char* r = all.constData() + qsizetype(i) * m_nRecordLength;
            Record rec;
            rec.recno = i;
            rec.deleted = r[0] == '*';
            rec.data = QByteArray(r + 1, m_nRecordLength - 1);
            records.push_back(std::move(rec));
        }
    } catch (...) {
        if (lock)
            Release();
        throw;
    }
    if (lock)
        Release();
    return records;
}

QVariant DbfTable::Decode(const QByteArray& data, int field) const
{
    if (field < 0 || size_t(field) >= m_aFields.size() || data.size() < m_nRecordLength - 1)
        return QVariant();
    const DbfField& f = m_aFields[size_t(field)];
    const char* p = data.constData() + m_aOffsets[size_t(field)];
    int n = f.length;
    switch (f.type) {
    case 'C':
    case 'M': {
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
            --n;
        return ToWide(p, n);
    }
    case 'N':
    case 'F': {
        const QByteArray t = QByteArray(p, n).trimmed();
        if (t.isEmpty())
            return QVariant();
        bool ok = false;
        if (f.decimals == 0) {
            const qlonglong v = t.toLongLong(&ok);
            if (ok)
                return v;
        }
        const double d = t.toDouble(&ok);
        if (ok && std::isfinite(d))
            return d;
        return QVariant();
    }
    case 'L': {
        const char c = p[0];
        if (c == 'T' || c == 't' || c == 'Y' || c == 'y')
            return true;
        if (c == 'F' || c == 'f' || c == 'N' || c == 'n')
            return false;
        return QVariant();
    }
    case 'D': {
        const QDate d = QDate::fromString(QString::fromLatin1(p, qMin(n, 8)), QStringLiteral("yyyyMMdd"));
        return d.isValid() ? QVariant(d) : QVariant();
    }
    default:
        return QVariant();
    }
}

QByteArray DbfTable::Encode(const QVariant& value, int field) const
{
    if (field < 0 || size_t(field) >= m_aFields.size())
        throw DbfError(QStringLiteral("no such dBASE field"));
    const DbfField& f = m_aFields[size_t(field)];
    QByteArray out(f.length, ' ');
    if (!value.isValid() || value.isNull())
        return f.type == 'L' ? QByteArray(1, '?') : out;
    switch (f.type) {
    case 'C':
    case 'M': {
        QByteArray bytes =
            ToNarrow(value.typeId() == QMetaType::Bool ? (value.toBool() ? QStringLiteral("1") : QStringLiteral("0"))
                                                       : value.toString());
        if (bytes.size() > f.length) {
            // Cut at a character boundary: a GBK lead byte (0x81..0xFE) starts two bytes.
            int keep = 0;
            while (keep < f.length) {
                const int step = static_cast<unsigned char>(bytes[keep]) >= 0x81 ? 2 : 1;
                if (keep + step > f.length)
                    break;
                keep += step;
            }
            bytes.truncate(keep);
        }
        std::memcpy(out.data(), bytes.constData(), size_t(bytes.size()));
        return out;
    }
    case 'N':
    case 'F': {
        bool ok = true;
        double d = 0;
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return out;
            d = t.toDouble(&ok);
        } else if (value.typeId() == QMetaType::Bool) {
            d = value.toBool() ? 1 : 0;
        } else {
            d = value.toDouble(&ok);
        }
        if (!ok || !std::isfinite(d))
            throw DbfError(QStringLiteral("not a number for field %1: %2").arg(f.name, value.toString()));
        QByteArray t = QByteArray::number(d, 'f', f.decimals);
        if (t.size() > f.length)
            throw DbfError(QStringLiteral("number too wide for field %1: %2").arg(f.name, QString::fromLatin1(t)));
        std::memcpy(out.data() + (f.length - t.size()), t.constData(), size_t(t.size()));
        return out;
    }
    case 'L': {
        bool b;
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed().toLower();
            if (t.isEmpty())
                return QByteArray(1, '?');
            b = t == QLatin1String("1") || t == QLatin1String("t") || t == QLatin1String("true") ||
                t == QLatin1String("y") || t == QLatin1String("-1");
        } else {
            b = value.toBool();
        }
        out[0] = b ? 'T' : 'F';
        return out;
    }
    case 'D': {
        QDate d = value.typeId() == QMetaType::QString ? QDate::fromString(value.toString().left(10), Qt::ISODate)
                                                       : value.toDate();
        if (!d.isValid())
            return out;
        const QByteArray t = d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        std::memcpy(out.data(), t.constData(), size_t(qMin<qsizetype>(t.size(), f.length)));
        return out;
    }
    }
    return out;
}

void DbfTable::WriteHeaderCount(quint32 count)
{
    unsigned char h[kHeaderSize];
    if (PReadAll(m_nFd, h, kHeaderSize, 0) != kHeaderSize)
        throw DbfError(Sys(QStringLiteral("cannot read"), m_sPath));
    StampDate(h);
    PutLe32(h + 4, count);
    PutLe32(h + kCounterOffset, Le32(h + kCounterOffset) + 1);
    if (!PWriteAll(m_nFd, h, kHeaderSize, 0))
        throw DbfError(Sys(QStringLiteral("cannot write"), m_sPath));
    m_bHeaderDirty = false;
}

quint32 DbfTable::Append(const std::vector<QVariant>& values)
{
    QByteArray record(m_nRecordLength, ' ');
    for (size_t i = 0; i < m_aFields.size(); ++i) {
        const QByteArray bytes = Encode(i < values.size() ? values[i] : QVariant(), int(i));
        std::memcpy(record.data() + 1 + m_aOffsets[i], bytes.constData(), size_t(bytes.size()));
    }
    record += char(kEndMarker);
    DbfWriteLock lock(*this);
    if (m_nRecordLength + 1 != record.size())
        throw DbfError(QStringLiteral("dBASE table changed its structure: ") + QDir::toNativeSeparators(m_sPath));
    const quint32 count = m_nCount;
    const off_t at = off_t(m_nHeaderLength) + off_t(count) * m_nRecordLength;
    // The record and the end marker first, then the count, at once even
    // inside a held lock: a writer stopped in between leaves the old count
    // and a file that still opens with every completed append.
    if (!PWriteAll(m_nFd, record.constData(), size_t(record.size()), at))
        throw DbfError(Sys(QStringLiteral("cannot write"), m_sPath));
    m_nCount = count + 1;
    WriteHeaderCount(m_nCount);
    return count;
}

void DbfTable::Update(quint32 recno, const std::vector<std::pair<int, QVariant>>& values)
{
    std::vector<std::pair<int, QByteArray>> encoded;
    for (const auto& [field, value] : values)
        encoded.emplace_back(field, Encode(value, field));
    DbfWriteLock lock(*this);
    if (recno >= m_nCount)
        throw DbfError(QStringLiteral("no record %1 in %2").arg(recno).arg(QDir::toNativeSeparators(m_sPath)));
    const off_t base = off_t(m_nHeaderLength) + off_t(recno) * m_nRecordLength + 1;
    for (const auto& [field, bytes] : encoded) {
        if (field < 0 || size_t(field) >= m_aFields.size() || bytes.size() != m_aFields[size_t(field)].length)
            throw DbfError(QStringLiteral("dBASE table changed its structure: ") + QDir::toNativeSeparators(m_sPath));
        if (!PWriteAll(m_nFd, bytes.constData(), size_t(bytes.size()), base + m_aOffsets[size_t(field)]))
            throw DbfError(Sys(QStringLiteral("cannot write"), m_sPath));
    }
    Wrote();
}

void DbfTable::MarkDeleted(quint32 recno, bool deleted)
{
    DbfWriteLock lock(*this);
    if (recno >= m_nCount)
        throw DbfError(QStringLiteral("no record %1 in %2").arg(recno).arg(QDir::toNativeSeparators(m_sPath)));
    const char flag = deleted ? '*' : ' ';
    if (!PWriteAll(m_nFd, &flag, 1, off_t(m_nHeaderLength) + off_t(recno) * m_nRecordLength))
        throw DbfError(Sys(QStringLiteral("cannot write"), m_sPath));
    Wrote();
}
