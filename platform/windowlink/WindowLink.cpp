#include "platform/windowlink/WindowLink.h"

#include "core/Gbk.h"
#include "platform/windowlink/LinkDatagram.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QList>
#include <QMutex>
#include <QSocketNotifier>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace windowlink {

namespace {

// sun_path holds 108 bytes including the terminating zero.
constexpr int kMaxSocketPath = int(sizeof(sockaddr_un::sun_path)) - 1;
// A hashed socket name ("h-" and 40 hex digits) must always fit behind the
// folder, so the folder may not be longer than this.
constexpr int kMaxFolderLength = kMaxSocketPath - 43;
// Largest datagram read: header and the largest copy-data record.
constexpr int kReceiveBuffer = kDatagramHeaderSize + kMaxCopyDataBytes;

std::atomic<uint32_t> g_nSequence{1};

// The registered windows of this process, so that a program waiting on a
// send can take in the messages arriving for its own windows.
QMutex g_registryLock;
QList<LinkWindow*> g_registry;

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool FillAddress(const QByteArray& path, sockaddr_un& address, socklen_t& length)
{
    if (path.isEmpty() || path.size() > kMaxSocketPath)
        return false;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    length = socklen_t(offsetof(sockaddr_un, sun_path) + size_t(path.size()) + 1);
    return true;
}

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Checks a folder for holding window sockets: a real folder (no link) of
// this user that nobody else may enter.
bool FolderIsSafe(const QByteArray& folder, bool create, QString* error)
{
    struct stat st;
    if (::lstat(folder.constData(), &st) != 0) {
        if (errno != ENOENT || !create) {
            if (error)
                *error = QStringLiteral("window folder %1: %2").arg(QString::fromLocal8Bit(folder), strerror(errno));
            return false;
        }
        if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST) {
            if (error)
                *error = QStringLiteral("cannot create window folder %1: %2")
                             .arg(QString::fromLocal8Bit(folder), strerror(errno));
            return false;
        }
        if (::lstat(folder.constData(), &st) != 0) {
            if (error)
                *error = QStringLiteral("window folder %1: %2").arg(QString::fromLocal8Bit(folder), strerror(errno));
            return false;
        }
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        if (error)
            *error =
                QStringLiteral("window folder %1 is not a folder of this user").arg(QString::fromLocal8Bit(folder));
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        // Ours but open to others (made by hand, or by an older umask):
        // close it rather than refuse to work.
        if (::chmod(folder.constData(), 0700) != 0) {
            if (error)
                *error = QStringLiteral("window folder %1 is open to other users").arg(QString::fromLocal8Bit(folder));
            return false;
        }
    }
    return true;
}

// Reads one datagram with the sender's credentials. Gives the byte count, 0
// for a datagram that must be ignored (no credentials or another user's),
// -1 when nothing is waiting or on error.
qsizetype ReceiveOne(int fd, char* buffer, qsizetype capacity, QByteArray* senderPath)
{
    sockaddr_un from;
    std::memset(&from, 0, sizeof from);
    iovec iov{buffer, size_t(capacity)};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    msghdr msg;
    std::memset(&msg, 0, sizeof msg);
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd, &msg, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    if (n < 0)
        return -1;
    if (msg.msg_flags & (MSG_TRUNC | MSG_CTRUNC))
        return 0;
    bool sameUser = false;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS && c->cmsg_len >= CMSG_LEN(sizeof(ucred))) {
            ucred cred;
            std::memcpy(&cred, CMSG_DATA(c), sizeof cred);
            sameUser = cred.uid == ::getuid();
        }
    }
    if (!sameUser)
        return 0;
    if (senderPath) {
        senderPath->clear();
        const qsizetype offset = qsizetype(offsetof(sockaddr_un, sun_path));
        if (qsizetype(msg.msg_namelen) > offset && from.sun_path[0] != '\0')
            *senderPath = QByteArray(from.sun_path, qstrnlen(from.sun_path, size_t(msg.msg_namelen) - offset));
    }
    return qsizetype(n);
}

// The windows of this process registered on the calling thread.
std::vector<QPointer<LinkWindow>> OwnWindows()
{
    std::vector<QPointer<LinkWindow>> own;
    QMutexLocker lock(&g_registryLock);
    for (LinkWindow* w : std::as_const(g_registry))
        if (w->thread() == QThread::currentThread() && w->IsRegistered())
            own.emplace_back(w);
    return own;
}

// Waits until fd is ready for events or the deadline passes, taking in the
// messages of this thread's own windows meanwhile. Gives true when ready.
bool WaitReady(int fd, short events, int64_t deadline)
{
    for (;;) {
        const std::vector<QPointer<LinkWindow>> own = OwnWindows();
        std::vector<pollfd> fds;
        fds.push_back({fd, events, 0});
        for (const QPointer<LinkWindow>& w : own)
            fds.push_back({w->SocketDescriptor(), POLLIN, 0});
        const int64_t left = deadline - NowMs();
        if (left < 0)
            return false;
        const int r = ::poll(fds.data(), nfds_t(fds.size()), int(std::min<int64_t>(left, 1000)));
        if (r < 0 && errno != EINTR)
            return false;
        if (r <= 0)
            continue;
        if (fds[0].revents & (events | POLLERR | POLLHUP))
            return (fds[0].revents & events) != 0;
        for (size_t i = 0; i < own.size(); ++i)
            if ((fds[i + 1].revents & POLLIN) && own[i])
                own[i]->TakeIncoming(true);
    }
}

// Sends one datagram on fd (connected, or to the path when given), waiting
// for room in the receiver's queue until the deadline.
bool SendDatagram(int fd, const QByteArray& bytes, const QByteArray& toPath, int64_t deadline)
{
    sockaddr_un address;
    socklen_t length = 0;
    const bool addressed = !toPath.isEmpty();
    if (addressed && !FillAddress(toPath, address, length))
        return false;
    for (;;) {
        const ssize_t n = addressed ? ::sendto(fd, bytes.constData(), size_t(bytes.size()), MSG_DONTWAIT | MSG_NOSIGNAL,
                                               reinterpret_cast<sockaddr*>(&address), length)
                                    : ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n == bytes.size())
            return true;
        if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return false;
        if (errno == EINTR)
            continue;
        if (addressed) {
            // An unconnected socket cannot wait for room at the receiver:
            // look again shortly, taking in our own messages meanwhile.
            const int64_t next = std::min(deadline, NowMs() + 2);
            WaitReady(-1, 0, next);
            if (NowMs() >= deadline)
                return false;
        } else if (!WaitReady(fd, POLLOUT, deadline)) {
            return false;
        }
    }
}

int OpenSocket()
{
    return ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

// Connects a new socket to a window's path. Gives -1 when nobody holds it.
int ConnectTo(const QByteArray& path)
{
    sockaddr_un address;
    socklen_t length = 0;
    if (!FillAddress(path, address, length))
        return -1;
    const int fd = OpenSocket();
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool PostDatagram(const WindowHandle& window, const Datagram& d)
{
    if (window.IsNull())
        return false;
    Fd fd(ConnectTo(window.SocketPath()));
    if (fd.get() < 0)
        return false;
    return SendDatagram(fd.get(), EncodeDatagram(d), {}, NowMs() + kPostTimeoutMs);
}

} // namespace

QByteArray RuntimeFolder(bool create, QString* error)
{
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && xdg.startsWith('/')) {
        QByteArray folder = xdg;
        while (folder.size() > 1 && folder.endsWith('/'))
            folder.chop(1);
        folder += "/vod-windows";
        struct stat st;
        if (folder.size() <= kMaxFolderLength && ::stat(xdg.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            if (FolderIsSafe(folder, create, error))
                return folder;
            return {};
        }
    }
    const QByteArray folder = "/tmp/vod-" + QByteArray::number(qulonglong(::getuid()));
    if (FolderIsSafe(folder, create, error))
        return folder;
    return {};
}

QByteArray SocketPathFor(const QByteArray& folder, const QByteArray& gbkCaption)
{
    QByteArray path = folder + "/w-" + gbkCaption.toHex();
    if (path.size() <= kMaxSocketPath)
        return path;
    return folder + "/h-" + QCryptographicHash::hash(gbkCaption, QCryptographicHash::Sha1).toHex();
}

WindowHandle FindWindowGbk(const QByteArray& caption)
{
    const QByteArray folder = RuntimeFolder(false);
    if (folder.isEmpty())
        return {};
    const QByteArray path = SocketPathFor(folder, caption);
    Fd fd(ConnectTo(path));
    if (fd.get() < 0)
        return {};
    return WindowHandle(caption, path);
}

WindowHandle FindWindow(const QString& caption)
{
    return FindWindowGbk(ToNarrow(caption));
}

bool PostMessage(const WindowHandle& window, uint32_t message, int64_t wParam, int64_t lParam)
{
    Datagram d;
    d.kind = DatagramKind::Post;
    d.sequence = g_nSequence++;
    d.message = message;
    d.wParam = wParam;
    d.lParam = lParam;
    return PostDatagram(window, d);
}

bool PostKeyDown(const WindowHandle& window, int keyCode, int64_t lParam)
{
    return PostMessage(window, WM_KEYDOWN, keyCode, lParam);
}

bool PostClose(const WindowHandle& window)
{
    return PostMessage(window, WM_CLOSE, 0, 0);
}
bool RestoreWindow(const WindowHandle& window)
{
    return PostMessage(window, kRestoreRequest, 0, 0);
}
bool BringToFront(const WindowHandle& window)
{
    return PostMessage(window, kFrontRequest, 0, 0);
}

std::optional<int64_t> SendCopyData(const WindowHandle& window, int64_t wParam, uint64_t dwData, const QByteArray& data,
                                    int timeoutMs)
{
    if (window.IsNull() || data.size() > kMaxCopyDataBytes)
        return std::nullopt;
    const QByteArray folder = RuntimeFolder(false);
    if (folder.isEmpty())
        return std::nullopt;
    const uint32_t sequence = g_nSequence++;
    // The answer comes back to a socket bound for this one send.
    const QByteArray replyPath =
        folder + "/r-" + QByteArray::number(qlonglong(::getpid())) + "-" + QByteArray::number(sequence);
    sockaddr_un address;
    socklen_t length = 0;
    if (!FillAddress(replyPath, address, length))
        return std::nullopt;
    Fd fd(OpenSocket());
    if (fd.get() < 0)
        return std::nullopt;
    ::unlink(replyPath.constData());
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), length) != 0)
        return std::nullopt;
    struct Unlinker
    {
        const QByteArray& path;
        ~Unlinker() { ::unlink(path.constData()); }
    } unlinker{replyPath};
    const int on = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_PASSCRED, &on, sizeof on);

    Datagram request;
    request.kind = DatagramKind::CopyData;
    request.sequence = sequence;
    request.wParam = wParam;
    request.lParam = int64_t(dwData);
    request.data = data;
    const int64_t deadline = NowMs() + std::max(timeoutMs, 0);
    if (!SendDatagram(fd.get(), EncodeDatagram(request), window.SocketPath(), deadline))
        return std::nullopt;

    std::vector<char> buffer(kDatagramHeaderSize + 16);
    for (;;) {
        if (!WaitReady(fd.get(), POLLIN, deadline))
            return std::nullopt;
        for (;;) {
            const qsizetype n = ReceiveOne(fd.get(), buffer.data(), qsizetype(buffer.size()), nullptr);
            if (n < 0)
                break;
            const std::optional<Datagram> reply = DecodeDatagram(buffer.data(), n);
            if (reply && reply->kind == DatagramKind::Reply && reply->sequence == sequence)
                return reply->lParam;
        }
    }
}

bool RestoreExistingInstance(const QString& caption)
{
    const WindowHandle window = FindWindow(caption);
    if (!window)
        return false;
    RestoreWindow(window);
    BringToFront(window);
    return true;
}

QEvent::Type WindowMessageEvent::EventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QEvent::Type CopyDataEvent::EventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

CopyDataEvent::CopyDataEvent(CopyDataRecord record, QByteArray replyPath, uint32_t sequence)
    : QEvent(EventType()), m_record(std::move(record)), m_sReplyPath(std::move(replyPath)), m_nSequence(sequence)
{
}

CopyDataEvent::~CopyDataEvent()
{
    if (!m_bReplied)
        Reply(0);
}

void CopyDataEvent::Reply(int64_t result)
{
    if (m_bReplied)
        return;
    m_bReplied = true;
    if (m_sReplyPath.isEmpty())
        return;
    Datagram reply;
    reply.kind = DatagramKind::Reply;
    reply.sequence = m_nSequence;
    reply.lParam = result;
    sockaddr_un address;
    socklen_t length = 0;
    if (!FillAddress(m_sReplyPath, address, length))
        return;
    Fd fd(OpenSocket());
    if (fd.get() < 0)
        return;
    const QByteArray bytes = EncodeDatagram(reply);
    // The sender is waiting on its own socket, which is empty: no need to
    // wait for room.
    ::sendto(fd.get(), bytes.constData(), size_t(bytes.size()), MSG_DONTWAIT | MSG_NOSIGNAL,
             reinterpret_cast<sockaddr*>(&address), length);
}

LinkWindow::LinkWindow(const QString& caption, QWidget* target, QObject* parent)
    : QObject(parent ? parent : target), m_sCaption(caption), m_pTarget(target)
{
    qRegisterMetaType<windowlink::WindowMessage>();
    qRegisterMetaType<windowlink::CopyDataRecord>();
    if (!Register())
        return;
    m_pNotifier = new QSocketNotifier(qintptr(m_nSocket), QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, [this] { TakeIncoming(false); });
    QMutexLocker lock(&g_registryLock);
    g_registry.append(this);
}

LinkWindow::~LinkWindow()
{
    {
        QMutexLocker lock(&g_registryLock);
        g_registry.removeAll(this);
    }
    // Answer the copy-data records still queued while the socket is open.
    QCoreApplication::removePostedEvents(this, CopyDataEvent::EventType());
    if (m_nSocket >= 0) {
        delete m_pNotifier;
        m_pNotifier = nullptr;
        ::unlink(m_sPath.constData());
        ::close(m_nSocket);
        m_nSocket = -1;
    }
}

bool LinkWindow::Register()
{
    const QByteArray folder = RuntimeFolder(true, &m_sError);
    if (folder.isEmpty())
        return false;
    m_sPath = SocketPathFor(folder, ToNarrow(m_sCaption));
    sockaddr_un address;
    socklen_t length = 0;
    if (!FillAddress(m_sPath, address, length)) {
        m_sError = QStringLiteral("window socket path too long: %1").arg(QString::fromLocal8Bit(m_sPath));
        return false;
    }
    // Replacing a dead program's socket is done under a lock, so that two
    // programs starting at once cannot remove each other's new socket.
    const QByteArray lockPath = folder + "/.lock";
    Fd lockFd(::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lockFd.get() >= 0)
        ::flock(lockFd.get(), LOCK_EX);
    const int fd = OpenSocket();
    if (fd < 0) {
        m_sError = QStringLiteral("cannot create window socket: %1").arg(strerror(errno));
        return false;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        if (errno != EADDRINUSE) {
            m_sError = QStringLiteral("cannot register window \"%1\": %2").arg(m_sCaption, strerror(errno));
            ::close(fd);
            return false;
        }
        const int probe = ConnectTo(m_sPath);
        if (probe >= 0) {
            ::close(probe);
            m_sError = QStringLiteral("a window \"%1\" is already registered").arg(m_sCaption);
            ::close(fd);
            return false;
        }
        // Nobody answers at the socket: its program has died.
        ::unlink(m_sPath.constData());
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
            m_sError = QStringLiteral("cannot register window \"%1\": %2").arg(m_sCaption, strerror(errno));
            ::close(fd);
            return false;
        }
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
    m_nSocket = fd;
    m_sError.clear();
    return true;
}

void LinkWindow::SetTarget(QWidget* target)
{
    m_pTarget = target;
    setParent(target);
}

WindowHandle LinkWindow::Handle() const
{
    if (!IsRegistered())
        return {};
    return WindowHandle(ToNarrow(m_sCaption), m_sPath);
}

void LinkWindow::SetCopyDataHandler(std::function<int64_t(const CopyDataRecord&)> handler)
{
    m_copyDataHandler = std::move(handler);
}

void LinkWindow::TakeIncoming(bool handleSentNow)
{
    if (m_nSocket < 0)
        return;
    std::vector<char> buffer(kReceiveBuffer);
    QPointer<LinkWindow> self(this);
    // A bounded batch, so that a flood cannot starve the event loop; the
    // notifier fires again for the rest.
    for (int i = 0; i < 256 && self && m_nSocket >= 0; ++i) {
        QByteArray sender;
        const qsizetype n = ReceiveOne(m_nSocket, buffer.data(), qsizetype(buffer.size()), &sender);
        if (n < 0)
            break;
        const std::optional<Datagram> d = DecodeDatagram(buffer.data(), n);
        if (!d) {
            std::fprintf(stderr, "window link: dropped a malformed datagram for \"%s\"\n", qPrintable(m_sCaption));
            continue;
        }
        if (d->kind == DatagramKind::Post) {
            QCoreApplication::postEvent(this, new WindowMessageEvent({d->message, d->wParam, d->lParam}));
        } else if (d->kind == DatagramKind::CopyData) {
            auto* e = new CopyDataEvent({d->wParam, uint64_t(d->lParam), d->data}, sender, d->sequence);
            if (handleSentNow) {
                QCoreApplication::sendEvent(this, e);
                delete e;
            } else {
                QCoreApplication::postEvent(this, e);
            }
        }
    }
}

bool LinkWindow::event(QEvent* e)
{
    if (e->type() == WindowMessageEvent::EventType()) {
        HandleMessage(static_cast<WindowMessageEvent*>(e)->Message());
        return true;
    }
    if (e->type() == CopyDataEvent::EventType()) {
        HandleCopyData(static_cast<CopyDataEvent*>(e));
        return true;
    }
    return QObject::event(e);
}

void LinkWindow::HandleMessage(const WindowMessage& message)
{
    // The window acts first, so that a receiver of the signal sees the
    // window as the request left it.
    QPointer<LinkWindow> self(this);
    if (QWidget* target = m_pTarget.data()) {
        switch (message.message) {
        case WM_CLOSE:
            target->close();
            break;
        case kRestoreRequest:
            target->showNormal();
            target->raise();
            break;
        case kFrontRequest:
            // As the switch-to-window call does, a minimised window is
            // restored on the way.
            if (target->isMinimized())
                target->showNormal();
            target->raise();
            target->activateWindow();
            break;
        default:
            break;
        }
    }
    if (self)
        emit MessageReceived(message);
}

void LinkWindow::HandleCopyData(CopyDataEvent* e)
{
    QPointer<LinkWindow> self(this);
    emit CopyDataReceived(e->Record());
    if (self && m_copyDataHandler)
        e->Reply(m_copyDataHandler(e->Record()));
    else
        e->Reply(0);
}

LinkWindow* RegisterWindow(QWidget* window, const QString& caption)
{
    return new LinkWindow(caption, window);
}

} // namespace windowlink
