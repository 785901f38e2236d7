#include "platform/dbase/DbfTable.h"

#include "core/Gbk.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
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

std::mutex g_hookMutex;
DbfTable::WriteHook g_writeHook;

bool HookAllows(const QString& file)
{
    DbfTable::WriteHook hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_writeHook;
    }
    if (hook && !hook(file)) {
        errno = EIO;
        return false;
    }
    return true;
}

// After a lock was waited for in vain, further attempts on that file within
// this time give up at once: a hung holder costs one wait, not one per read.
constexpr qint64 kBusyBackOffMs = 5000;
std::mutex g_busyMutex;
QHash<QString, qint64> g_busyUntil; // file -> monotonic ms

qint64 NowMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// Interrupts a blocking lock wait of this thread when the wait is up, and
// every 20 ms after that (a signal that came before the wait began is not
// lost for good). The signal's handler does nothing; without SA_RESTART the
// wait returns EINTR.
class LockTimer
{
public:
    explicit LockTimer(qint64 ms)
    {
        if (ms <= 0)
            return;
        static const int signal = [] {
            const int sig = SIGRTMIN + 7;
            struct sigaction sa
            {
            };
            sa.sa_handler = [](int) {};
            sigemptyset(&sa.sa_mask);
            sa.sa_flags = 0;
            ::sigaction(sig, &sa, nullptr);
            return sig;
        }();
        struct sigevent ev
        {
        };
        ev.sigev_notify = SIGEV_THREAD_ID;
        ev.sigev_signo = signal;
        ev._sigev_un._tid = ::gettid();
        if (::timer_create(CLOCK_MONOTONIC, &ev, &m_timer) != 0)
            return;
        m_bArmed = true;
        struct itimerspec when
        {
        };
        when.it_value.tv_sec = time_t(ms / 1000);
        when.it_value.tv_nsec = long(ms % 1000) * 1000000L;
        when.it_interval.tv_nsec = 20 * 1000000L;
        ::timer_settime(m_timer, 0, &when, nullptr);
    }
    ~LockTimer()
    {
        if (m_bArmed)
            ::timer_delete(m_timer);
    }
    LockTimer(const LockTimer&) = delete;
    LockTimer& operator=(const LockTimer&) = delete;

private:
    timer_t m_timer{};
    bool m_bArmed = false;
};

bool ReadWholeFile(const QString& path, QByteArray& out)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    out = f.readAll();
    return f.error() == QFileDevice::NoError;
}

} // namespace

void DbfTable::SetWriteHook(WriteHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_writeHook = std::move(hook);
}

bool DbfTable::WriteAt(const void* data, size_t size, qint64 at)
{
    return HookAllows(m_sPath) && PWriteAll(m_nFd, data, size, off_t(at));
}

bool DbfTable::Sync(int fd, const QString& file)
{
    return HookAllows(file) && ::fdatasync(fd) == 0;
}

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

void DbfTable::ReadStructure(bool checkCount)
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
    if (checkCount && quint64(headerLength) + quint64(count) * quint64(recordLength) > quint64(st.st_size))
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
    qint64 wait = m_nLockWaitMs;
    {
        std::lock_guard lock(g_busyMutex);
        const auto it = g_busyUntil.constFind(m_sPath);
        if (it != g_busyUntil.constEnd() && NowMs() < *it)
            wait = 0;
    }
    const qint64 start = NowMs();
    // A blocking wait keeps this process's turn among the waiters; a timer
    // of this thread interrupts it to look at the clock.
    LockTimer timer(wait);
    for (;;) {
        if (::fcntl(m_nFd, wait > 0 ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0)
            break;
        if (type == F_WRLCK && errno == EBADF)
            throw DbfError(QStringLiteral("dBASE table is read-only: ") + QDir::toNativeSeparators(m_sPath));
        if (errno != EINTR && errno != EAGAIN && errno != EACCES)
            throw DbfError(Sys(QStringLiteral("cannot lock"), m_sPath));
        const qint64 waited = NowMs() - start;
        if (errno != EINTR || waited >= wait) {
            std::lock_guard lock(g_busyMutex);
            g_busyUntil.insert(m_sPath, NowMs() + kBusyBackOffMs);
            throw DbfLockTimeout(QStringLiteral("dBASE table locked by another process for more than %1 ms: %2")
                                     .arg(waited)
                                     .arg(QDir::toNativeSeparators(m_sPath)));
        }
    }
    std::lock_guard lock(g_busyMutex);
    g_busyUntil.remove(m_sPath);
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
        // or appended, or left a series interrupted; while the lock is held,
        // nobody else can.
        ReadStructure();
        if (HasJournal())
            Recover();
        m_nCount = RecordCount();
    } catch (...) {
        Release();
        throw;
    }
    m_nLockDepth = 1;
    m_aKept.clear();
}

bool DbfTable::HasJournal() const
{
    return QFileInfo::exists(DbfJournalPath(m_sPath));
}

void DbfTable::Recover()
{
    const QString path = DbfJournalPath(m_sPath);
    const QString native = QDir::toNativeSeparators(path);
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes)) {
        if (!QFileInfo::exists(path))
            return;
        throw DbfError(QStringLiteral("cannot read ") + native);
    }
    auto drop = [&] {
        if (!HookAllows(path) || !QFile::remove(path))
            throw DbfError(QStringLiteral("cannot remove ") + native);
    };
    const std::optional<DbfJournal> journal = DecodeDbfJournal(bytes);
    // A journal cut short was being written when its writer stopped: the
    // table itself was not touched yet. One that does not fit this table
    // belongs to a file that has been replaced since.
    if (!journal || journal->headerLength != m_nHeaderLength || journal->recordLength != m_nRecordLength) {
        drop();
        return;
    }
    struct stat st
    {
    };
    if (::fstat(m_nFd, &st) != 0)
        throw DbfError(Sys(QStringLiteral("cannot read"), m_sPath));
    for (const DbfWrite& w : journal->writes)
        if (w.at < m_nHeaderLength || w.at + w.bytes.size() > st.st_size) {
            drop();
            return;
        }
    // The journal is whole: the series is completed.
    for (const DbfWrite& w : journal->writes)
        if (!WriteAt(w.bytes.constData(), size_t(w.bytes.size()), w.at))
            throw DbfError(Sys(QStringLiteral("cannot write"), m_sPath));
    WriteHeaderCount(RecordCount());
    if (!Sync(m_nFd, m_sPath))
        throw DbfError(Sys(QStringLiteral("cannot sync"), m_sPath));
    drop();
}

void DbfTable::Keep(qint64 at, QByteArray bytes)
{
    m_aKept.push_back({at, std::move(bytes)});
}

void DbfTable::Commit()
{
    if (m_nFd < 0 || m_aKept.empty())
        return;
    std::vector<DbfWrite> kept;
    kept.swap(m_aKept);
    const auto recordOf = [this](const DbfWrite& w) { return (w.at - m_nHeaderLength) / m_nRecordLength; };
    bool oneRecord = true;
    for (const DbfWrite& w : kept)
        oneRecord = oneRecord && recordOf(w) == recordOf(kept.front());
    if (oneRecord) {
        // One write for the record: it is changed whole or not at all.
        qint64 from = kept.front().at, to = from;
        for (const DbfWrite& w : kept) {
            from = qMin(from, w.at);
            to = qMax(to, w.at + w.bytes.size());
        }
        QByteArray span(to - from, '\0');
        if (PReadAll(m_nFd, span.data(), size_t(span.size()), off_t(from)) != span.size())
            throw DbfError(Sys(QStringLiteral("cannot read"), m_sPath));
        for (const DbfWrite& w : kept)
            std::memcpy(span.data() + (w.at - from), w.bytes.constData(), size_t(w.bytes.size()));
        if (!WriteAt(span.constData(), size_t(span.size()), from))
            throw DbfError(Sys(QStringLiteral("cannot write"), m_sPath));
        WriteHeaderCount(m_nCount);
        return;
    }
    // Several records: the journal first, durable, then the table.
    const QString path = DbfJournalPath(m_sPath);
    const QByteArray bytes = EncodeDbfJournal({m_nHeaderLength, m_nRecordLength, kept});
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok =
        fd >= 0 && HookAllows(path) && PWriteAll(fd, bytes.constData(), size_t(bytes.size()), 0) && Sync(fd, path);
    const int err = errno;
    if (fd >= 0)
        ::close(fd);
    if (ok) {
        const QString folder = QFileInfo(path).absolutePath();
        const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ok = dir >= 0 && HookAllows(folder) && ::fsync(dir) == 0;
        if (dir >= 0)
            ::close(dir);
    }
    if (!ok) {
        QFile::remove(path);
        errno = err;
        throw DbfError(Sys(QStringLiteral("cannot write the journal, nothing was changed:"), path));
    }
    for (const DbfWrite& w : kept)
        if (!WriteAt(w.bytes.constData(), size_t(w.bytes.size()), w.at))
            throw DbfError(Sys(QStringLiteral("cannot write"), m_sPath));
    WriteHeaderCount(m_nCount);
    if (!Sync(m_nFd, m_sPath))
        throw DbfError(Sys(QStringLiteral("cannot sync"), m_sPath));
    if (!HookAllows(path) || !QFile::remove(path))
        throw DbfError(QStringLiteral("cannot remove ") + QDir::toNativeSeparators(path));
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
            m_aKept.clear();
            Release();
            throw;
        }
    }
    if (--m_nLockDepth == 0)
        Release();
}

void DbfTable::Abandon()
{
    if (m_nLockDepth <= 0 || m_nFd < 0) {
        m_nLockDepth = 0;
        m_aKept.clear();
        return;
    }
    if (--m_nLockDepth == 0) {
        m_aKept.clear();
        Release();
    }
}

quint32 DbfTable::RecordCount()
{
    unsigned char h[8];
    if (m_nFd < 0 || PReadAll(m_nFd, h, 8, 0) != 8)
        throw DbfError(QStringLiteral("cannot read ") + QDir::toNativeSeparators(m_sPath));
    return Le32(h + 4);
}

QByteArray DbfTable::ChangeStamp()
{
    if (m_nFd < 0)
        return QByteArray();
    const bool lock = m_nLockDepth == 0;
    if (lock)
        Lock(F_RDLCK);
    QByteArray stamp = StampNow();
    if (lock)
        Release();
    return stamp;
}

QByteArray DbfTable::StampNow() const
{
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

std::vector<DbfTable::Record> DbfTable::ReadAll(QByteArray* stamp)
{
    if (m_nLockDepth == 0 && HasJournal()) {
        // A series was interrupted: it is completed (or dropped) first.
        DbfWriteLock lock(*this);
        return ReadAll(stamp);
    }
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
        // What this lock holder changed and has not written yet.
        for (const DbfWrite& w : m_aKept) {
            const qint64 rel = w.at - m_nHeaderLength;
            if (rel >= 0 && rel < all.size())
                std::memcpy(all.data() + rel, w.bytes.constData(),
                            size_t(qMin<qint64>(w.bytes.size(), all.size() - rel)));
        }
        records.reserve(count);
        for (quint32 i = 0; i < count; ++i) {
            const char* r = all.constData() + qsizetype(i) * m_nRecordLength;
            Record rec;
            rec.recno = i;
            rec.deleted = r[0] == '*';
            rec.data = QByteArray(r + 1, m_nRecordLength - 1);
            records.push_back(std::move(rec));
        }
        if (stamp)
            *stamp = StampNow();
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
            throw DbfValueError(QStringLiteral("not a number for field %1: %2").arg(f.name, value.toString()));
        QByteArray t = QByteArray::number(d, 'f', f.decimals);
        if (t.size() > f.length)
            throw DbfValueError(QStringLiteral("number too wide for field %1 (%2 characters): %3")
                                    .arg(f.name)
                                    .arg(f.length)
                                    .arg(QString::fromLatin1(t)));
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
    if (!WriteAt(h, kHeaderSize, 0))
        throw DbfError(Sys(QStringLiteral("cannot write"), m_sPath));
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
    if (!WriteAt(record.constData(), size_t(record.size()), at))
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
    const qint64 base = qint64(m_nHeaderLength) + qint64(recno) * m_nRecordLength + 1;
    for (const auto& [field, bytes] : encoded)
        if (field < 0 || size_t(field) >= m_aFields.size() || bytes.size() != m_aFields[size_t(field)].length)
            throw DbfError(QStringLiteral("dBASE table changed its structure: ") + QDir::toNativeSeparators(m_sPath));
    for (const auto& [field, bytes] : encoded)
        Keep(base + m_aOffsets[size_t(field)], bytes);
    if (m_nLockDepth == 1)
        Commit(); // alone: written now, its failure reported
}

void DbfTable::MarkDeleted(quint32 recno, bool deleted)
{
    DbfWriteLock lock(*this);
    if (recno >= m_nCount)
        throw DbfError(QStringLiteral("no record %1 in %2").arg(recno).arg(QDir::toNativeSeparators(m_sPath)));
    Keep(qint64(m_nHeaderLength) + qint64(recno) * m_nRecordLength, QByteArray(1, deleted ? '*' : ' '));
    if (m_nLockDepth == 1)
        Commit();
}

qint64 DbfTable::Mend(const QString& path)
{
    DbfTable t(path);
    t.m_nFd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (t.m_nFd < 0)
        throw DbfError(Sys(QStringLiteral("cannot open dBASE table"), path));
    t.Lock(F_WRLCK);
    try {
        t.ReadStructure(/*checkCount=*/false);
    } catch (const DbfError&) {
        return -1; // the header or the field descriptors themselves are unreadable
    }
    struct stat st
    {
    };
    if (::fstat(t.m_nFd, &st) != 0)
        throw DbfError(Sys(QStringLiteral("cannot read"), path));
    const quint32 counted = t.RecordCount();
    const quint64 whole = (quint64(st.st_size) - quint64(t.m_nHeaderLength)) / quint64(t.m_nRecordLength);
    if (quint64(counted) <= whole)
        return counted; // nothing to mend
    // A cut last record is dropped; the end marker follows the last whole one.
    const off_t end = off_t(t.m_nHeaderLength) + off_t(whole) * t.m_nRecordLength;
    const char marker = char(kEndMarker);
    if (!t.WriteAt(&marker, 1, end) || ::ftruncate(t.m_nFd, end + 1) != 0)
        throw DbfError(Sys(QStringLiteral("cannot write"), path));
    t.WriteHeaderCount(quint32(whole));
    if (!t.Sync(t.m_nFd, path))
        throw DbfError(Sys(QStringLiteral("cannot sync"), path));
    return qint64(whole);
}
