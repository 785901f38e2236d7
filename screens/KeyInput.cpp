#include "screens/KeyInput.h"

#include "core/Gbk.h"
#include "core/KeyMap.h"
#include "core/Setting.h"
#include "platform/keys/VirtualKeys.h"
#include "ui/InputChars.h"
#include "ui/UiStation.h"

#include <QWidget>

QChar LetterOfKey(int key)
{
    const TKeyMap& keys = UiKeys();
    for (const TKeyBinding& b : KeyBindings()) {
        if (qstrlen(b.FileKey) == 1 && b.FileKey[0] >= 'A' && b.FileKey[0] <= 'Z' && keys.*b.Field == key)
            return QLatin1Char(b.FileKey[0]);
    }
    return QChar();
}

QString EditLetters(QString input, int key, TInputChars* keypad)
{
    const TKeyMap& keys = UiKeys();
    if (input.size() >= kMaxLetters)
        input.clear();
    if (key == keys.BACKSPACE)
        input.chop(1);
    if (key == keys.DELSONG)
        input.clear();
    const QChar letter = LetterOfKey(key);
    if (!letter.isNull())
        input += letter;
    if (keypad && !MouseStation()) {
        keypad->m_sText = input;
        input = keypad->PressKey(key);
    }
    return input;
}

QString EditDigits(QString number, int key, int maxDigits)
{
    const TKeyMap& keys = UiKeys();
    const int digit = UiDigitOfKey(key);
    if (digit >= 0 && number.size() < maxDigits)
        number += QString::number(digit);
    if (key == keys.BACKSPACE || key == keys.DELSONG)
        number.chop(1);
    return number;
}

void PostMovieKey(QWidget* screen, const QString& command)
{
    const QString upper = command.toUpper();
    if (!screen || upper.isEmpty())
        return;
    const QByteArray narrow = ToNarrow(upper.left(1));
    const int code = static_cast<signed char>(narrow.isEmpty() ? 0 : narrow.at(0));
    if (code != 0)
        PostVkKeyDown(screen, code);
}

bool MouseStation()
{
    const TSetting* setting = UiSetting();
    return !setting || setting->ShowMouse;
}
