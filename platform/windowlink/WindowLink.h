#pragma once
// The window link: how the programs of the installation (the station, the
// player program, the add-song program) find each other's top-level window by
// caption and exchange window messages.
//
// Each registered window owns a Unix-domain datagram socket in a per-user
// runtime folder (mode 0700). Finding a window means connecting to the socket
// named after its caption; posting a message sends one datagram; a copy-data
// record is a datagram answered by a reply datagram, waited for with a
// timeout. The receiver checks the sender's user id on every datagram, so
// only programs of the same user reach a window.
//
// Messages reach the receiving program on the thread that registered the
// window, in the order they were sent, through the event loop: each one is
// posted as a WindowMessageEvent (or CopyDataEvent) to the LinkWindow object.
// An application-wide event filter sees them on the way (the station's
// message hook), and the LinkWindow turns those it receives into the signals
// MessageReceived and CopyDataReceived.
#include <QByteArray>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

class QSocketNotifier;

namespace windowlink {

// Message numbers the link gives a meaning of its own.
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_COPYDATA = 0x004A;
constexpr uint32_t WM_KEYDOWN = 0x0100;
// Requests standing in for calls another program makes on a window: show it
// in its restored size and position, and bring it to the front.
constexpr uint32_t kRestoreRequest = 0x8001;
constexpr uint32_t kFrontRequest = 0x8002;

// How long a synchronous copy-data send waits for the receiver's answer.
constexpr int kDefaultSendTimeoutMs = 2000;
// How long a post waits when the receiver's queue is full.
constexpr int kPostTimeoutMs = 500;

struct WindowMessage
{
    uint32_t message = 0;
    int64_t wParam = 0;
    int64_t lParam = 0;
};

struct CopyDataRecord
{
    int64_t wParam = 0;
    uint64_t dwData = 0;
    QByteArray data;
};

// A found window: its caption (GBK) and the socket that reaches it. A window
// may go away at any time; every operation on a handle then fails quietly.
class WindowHandle
{
public:
    WindowHandle() = default;
    bool IsNull() const { return m_sPath.isEmpty(); }
    explicit operator bool() const { return !IsNull(); }
    const QByteArray& Caption() const { return m_sCaption; }
    const QByteArray& SocketPath() const { return m_sPath; }
    friend bool operator==(const WindowHandle& a, const WindowHandle& b) { return a.m_sPath == b.m_sPath; }

private:
    friend class LinkWindow;
    friend WindowHandle FindWindowGbk(const QByteArray& caption);
    WindowHandle(QByteArray caption, QByteArray path) : m_sCaption(std::move(caption)), m_sPath(std::move(path)) {}
    QByteArray m_sCaption;
    QByteArray m_sPath;
};

// The folder holding the window sockets: $XDG_RUNTIME_DIR/vod-windows, or
// /tmp/vod-<uid> when that variable is unset, unusable or too long for a
// socket address. Created with mode 0700 when create is set. Gives an empty
// text (and the reason in *error) when the folder is missing, is not a
// folder, belongs to another user or is open to others.
QByteArray RuntimeFolder(bool create, QString* error = nullptr);
// The socket path of a caption: the hex digits of its GBK bytes, or a hash of
// them when the caption is too long for a socket address.
QByteArray SocketPathFor(const QByteArray& folder, const QByteArray& gbkCaption);

// Finds the window registered under the caption. Never waits: a caption that
// nobody holds, or whose holder has died, gives a null handle at once.
WindowHandle FindWindow(const QString& caption);
WindowHandle FindWindowGbk(const QByteArray& caption);

// Posts a message; false when the window is gone or its queue stays full for
// kPostTimeoutMs.
bool PostMessage(const WindowHandle& window, uint32_t message, int64_t wParam, int64_t lParam);
bool PostKeyDown(const WindowHandle& window, int keyCode, int64_t lParam = 0);
bool PostClose(const WindowHandle& window);
bool RestoreWindow(const WindowHandle& window);
bool BringToFront(const WindowHandle& window);

// Sends a copy-data record and waits for the receiver to handle it. Gives the
// receiver's result, or nothing when the window is gone, the record is too
// large (kMaxCopyDataBytes) or no answer came within the timeout. While it
// waits, messages arriving at this program's own windows are taken in:
// posted ones are queued for the event loop, copy-data records are handled
// at once, so two programs sending to each other do not block each other.
std::optional<int64_t> SendCopyData(const WindowHandle& window, int64_t wParam, uint64_t dwData, const QByteArray& data,
                                    int timeoutMs = kDefaultSendTimeoutMs);

// The second-start check: when a window holds the caption, asks it to restore
// itself and come to the front, and gives true (this start should then end).
bool RestoreExistingInstance(const QString& caption);

// A posted message on its way to a registered window.
class WindowMessageEvent : public QEvent
{
public:
    explicit WindowMessageEvent(const WindowMessage& message) : QEvent(EventType()), m_message(message) {}
    static QEvent::Type EventType();
    const WindowMessage& Message() const { return m_message; }

private:
    WindowMessage m_message;
};

// A copy-data record on its way to a registered window. The sender waits
// until the record has been handled: the answer goes back when Reply is
// called or, at the latest, when the event is deleted after delivery (with
// the result 0), also when an event filter took the event.
class CopyDataEvent : public QEvent
{
public:
    CopyDataEvent(CopyDataRecord record, QByteArray replyPath, uint32_t sequence);
    ~CopyDataEvent() override;
    static QEvent::Type EventType();
    const CopyDataRecord& Record() const { return m_record; }
    void Reply(int64_t result);
    bool Replied() const { return m_bReplied; }

private:
    CopyDataRecord m_record;
    QByteArray m_sReplyPath;
    uint32_t m_nSequence;
    bool m_bReplied = false;
};

// A registered top-level window. While it exists, FindWindow(caption) finds
// it. With a target widget, close, restore and front requests act on that
// widget; the messages are delivered to the signals either way.
class LinkWindow : public QObject
{
    Q_OBJECT
public:
    // Registers the caption. The object becomes a child of the target when no
    // parent is given. Registration fails (IsRegistered false, ErrorText says
    // why) when a live window already holds the caption or the runtime folder
    // is unusable; a socket left behind by a program that died is replaced.
    explicit LinkWindow(const QString& caption, QWidget* target = nullptr, QObject* parent = nullptr);
    ~LinkWindow() override;

    bool IsRegistered() const { return m_nSocket >= 0; }
    const QString& ErrorText() const { return m_sError; }
    const QString& Caption() const { return m_sCaption; }
    QWidget* Target() const { return m_pTarget; }
    // Hands the registration to a window (a caption claimed before its
    // window existed): requests then act on it and it owns the link.
    void SetTarget(QWidget* target);
    WindowHandle Handle() const;

    // Computes the answer of a copy-data record; without one the answer is 0.
    void SetCopyDataHandler(std::function<int64_t(const CopyDataRecord&)> handler);

    // Reads whatever datagrams are waiting. Posted messages are queued as
    // events; copy-data records are queued, or handled at once when
    // handleSentNow is set (used while this program waits on a send).
    void TakeIncoming(bool handleSentNow);
    int SocketDescriptor() const { return m_nSocket; }

signals:
    void MessageReceived(const windowlink::WindowMessage& message);
    void CopyDataReceived(const windowlink::CopyDataRecord& record);

protected:
    bool event(QEvent* e) override;

private:
    bool Register();
    void HandleMessage(const WindowMessage& message);
    void HandleCopyData(CopyDataEvent* e);

    QString m_sCaption;
    QByteArray m_sPath;
    QPointer<QWidget> m_pTarget;
    QString m_sError;
    int m_nSocket = -1;
    QSocketNotifier* m_pNotifier = nullptr;
    std::function<int64_t(const CopyDataRecord&)> m_copyDataHandler;
};

// Registers the caption for a program's main window (for the station: its
// hidden main window under Client_Caption). The link object is owned by the
// window. Gives the object even when registration failed; check IsRegistered.
LinkWindow* RegisterWindow(QWidget* window, const QString& caption);

} // namespace windowlink

Q_DECLARE_METATYPE(windowlink::WindowMessage)
Q_DECLARE_METATYPE(windowlink::CopyDataRecord)
