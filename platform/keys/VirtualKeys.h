#pragma once
// Windows virtual-key codes at the input boundary. The station compares every
// key with the numbers of keyboard.ini, which are Windows virtual-key codes;
// Qt key events are translated once, here, so a real keyboard or a remote
// keypad produces the same numbers as on the original platform.
#include <QEvent>
#include <Qt>

class QKeyEvent;
class QObject;

// The virtual-key code of a Qt key, 0 when the key has none.
// Shift, Ctrl and Alt give 16, 17 and 18 on either side. nativeVirtualKey
// (the X11 keysym, 0 when unknown) is not needed for any key yet.
int VkFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeVirtualKey = 0);
int VkFromKeyEvent(const QKeyEvent* event);

// A key-down carrying a virtual-key code, delivered to a screen the way a
// WM_KEYDOWN message was: synchronously (SendVkKeyDown) or posted to the
// screen's queue (PostVkKeyDown). A sent key never passed through the
// message queue, so the application message handler does not see it.
class TVkKeyEvent : public QEvent
{
public:
    TVkKeyEvent(int vk, bool sent);
    static QEvent::Type EventType();
    int Vk() const { return m_nVk; }
    bool Sent() const { return m_bSent; }

private:
    int m_nVk;
    bool m_bSent;
};

bool SendVkKeyDown(QObject* target, int vk);
void PostVkKeyDown(QObject* target, int vk);

// Frequently used codes.
namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35, Home = 36,
              Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, F1 = 112;
} // namespace vk
