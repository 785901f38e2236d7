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
// nativeVirtualKey is the X11 keysym when known (0 otherwise); it tells the
// left and right Shift, Ctrl and Alt keys apart.
int VkFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeVirtualKey = 0);
int VkFromKeyEvent(const QKeyEvent* event);

// A key-down carrying a virtual-key code, delivered to a screen the way a
// WM_KEYDOWN message was: synchronously (SendVkKeyDown) or posted to the
// screen's queue (PostVkKeyDown).
class TVkKeyEvent : public QEvent
{
public:
    explicit TVkKeyEvent(int vk);
    static QEvent::Type EventType();
    int Vk() const { return m_nVk; }

private:
    int m_nVk;
};

bool SendVkKeyDown(QObject* target, int vk);
void PostVkKeyDown(QObject* target, int vk);

// Frequently used codes.
namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35, Home = 36,
              Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, F1 = 112;
} // namespace vk
