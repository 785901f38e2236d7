#pragma once
// A guest's touches and keys as the window system delivers them: presses,
// moves and releases go to a top-level window at a position, so Qt finds the
// control under the pointer, keeps the pointer's grab on the pressed control
// and passes every event through the application's event filters; keys go
// to the window that holds the keyboard focus.
#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace guest {

// The centre of a control in its top-level window's coordinates.
inline QPoint Centre(const QWidget* control)
{
    return control->mapTo(control->window(), control->rect().center());
}

// The control a touch at a position of a top-level window reaches.
inline QWidget* ControlAt(QWidget* window, QPoint at)
{
    QWidget* hit = window->childAt(at);
    return hit ? hit : window;
}

inline QWindow* Handle(QWidget* window)
{
    return window->window()->windowHandle();
}

inline void Press(QWidget* window, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(Handle(window), button, {}, at);
}

// Moves the pointer with whatever buttons are held.
inline void Move(QWidget* window, QPoint at)
{
    QTest::mouseMove(Handle(window), at);
}

inline void Release(QWidget* window, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseRelease(Handle(window), button, {}, at);
}

inline void Tap(QWidget* window, QPoint at)
{
    Press(window, at);
    Release(window, at);
}

// Taps wherever a control of the window shows.
inline void TapOn(QWidget* control)
{
    Tap(control->window(), Centre(control));
}

// A drag in steps from one point to another of the same window.
inline void Drag(QWidget* window, QPoint from, QPoint to, int steps = 4)
{
    Press(window, from);
    for (int i = 1; i <= steps; ++i)
        Move(window, from + (to - from) * i / steps);
    Release(window, to);
}

// The window that holds the keyboard (null when none does).
inline QWindow* KeyboardWindow()
{
    return QGuiApplication::focusWindow();
}

// A key pressed on the keyboard: it reaches the focus window.
inline bool Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QWindow* target = KeyboardWindow();
    if (!target)
        return false;
    QTest::keyClick(target, key, modifiers);
    return true;
}

inline bool Key(char ch)
{
    QWindow* target = KeyboardWindow();
    if (!target)
        return false;
    QTest::keyClick(target, ch);
    return true;
}

} // namespace guest
