#include "platform/keys/VirtualKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

int KeypadVk(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 96 + (qtKey - Qt::Key_0); // VK_NUMPAD0..9
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return 106; // VK_MULTIPLY
    case Qt::Key_Plus:
        return 107; // VK_ADD
    case Qt::Key_Comma:
        return 108; // VK_SEPARATOR
    case Qt::Key_Minus:
        return 109; // VK_SUBTRACT
    case Qt::Key_Period:
        return 110; // VK_DECIMAL
    case Qt::Key_Slash:
        return 111; // VK_DIVIDE
    default:
        return 0;
    }
}

} // namespace

int VkFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32)
{
    if (modifiers & Qt::KeypadModifier) {
        if (int code = KeypadVk(qtKey))
            return code;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey; // 65..90, the same numbers
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return qtKey; // 48..57
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);

    switch (qtKey) {
    // Shifted digits of a US keyboard still name their key.
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_ParenRight:
        return '0';

    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Clear:
        return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    // A key message names the generic modifier, whichever side was pressed:
    // the side-specific codes 160-165 are bound to microphone, tone and
    // effect commands.
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Select:
        return 41;
    case Qt::Key_Printer:
        return 42;
    case Qt::Key_Execute:
        return 43;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Help:
        return 47;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return 91;
    case Qt::Key_Super_R:
        return 92;
    case Qt::Key_Menu:
        return 93;
    case Qt::Key_Sleep:
        return 95;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;

    // Browser and media keys, as remote keypads send them.
    case Qt::Key_Back:
        return 166;
    case Qt::Key_Forward:
        return 167;
    case Qt::Key_Refresh:
        return 168;
    case Qt::Key_Stop:
        return 169;
    case Qt::Key_Search:
        return 170;
    case Qt::Key_Favorites:
        return 171;
    case Qt::Key_HomePage:
        return 172;
    case Qt::Key_VolumeMute:
        return 173;
    case Qt::Key_VolumeDown:
        return 174;
    case Qt::Key_VolumeUp:
        return 175;
    case Qt::Key_MediaNext:
        return 176;
    case Qt::Key_MediaPrevious:
        return 177;
    case Qt::Key_MediaStop:
        return 178;
    case Qt::Key_MediaTogglePlayPause:
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaPause:
        return 179;
    case Qt::Key_LaunchMail:
        return 180;
    case Qt::Key_LaunchMedia:
        return 181;
    case Qt::Key_Launch0:
    case Qt::Key_Explorer:
        return 182;
    case Qt::Key_Launch1:
    case Qt::Key_Calculator:
        return 183;

    // OEM punctuation of a US keyboard, shifted or not.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    default:
        return 0;
    }
}

int VkFromKeyEvent(const QKeyEvent* event)
{
    if (!event)
        return 0;
    return VkFromQtKey(event->key(), event->modifiers(), event->nativeVirtualKey());
}

TVkKeyEvent::TVkKeyEvent(int vk, bool sent) : QEvent(EventType()), m_nVk(vk), m_bSent(sent) {}

QEvent::Type TVkKeyEvent::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool SendVkKeyDown(QObject* target, int vk)
{
    if (!target)
        return false;
    TVkKeyEvent event(vk, true);
    return QCoreApplication::sendEvent(target, &event);
}

void PostVkKeyDown(QObject* target, int vk)
{
    if (target)
        QCoreApplication::postEvent(target, new TVkKeyEvent(vk, false));
}
