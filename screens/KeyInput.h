#pragma once
// Key helpers of the screens on which guests type: the letter a key stands
// for, the edit of a first-letters input by one key, the key press a pinyin
// keyboard movie's command stands for, and whether the station is driven by
// touch or by the remote keypad.
#include <QChar>
#include <QString>

class QWidget;
class TInputChars;

// Six letters are the most a first-letters input holds.
constexpr int kMaxLetters = 6;

// 'A'..'Z' for a key of the letter bindings A..Z, else a null QChar.
QChar LetterOfKey(int key);

// The first-letters input after one key: a full input (six letters) starts
// again, BACKSPACE drops the last letter, DELSONG clears it and a letter key
// appends its letter; with a keypad letter input (stations without a mouse)
// the keypad then edits the text, its digits spelling letters.
QString EditLetters(QString input, int key, TInputChars* keypad);

// A number typed digit by digit after one key: a digit key appends its
// digit while the number is shorter than maxDigits; BACKSPACE and DELSONG
// drop the last digit.
QString EditDigits(QString number, int key, int maxDigits);

// A command of the pinyin keyboard movie: its first character, upper-cased,
// is posted to the screen as a key-down. An empty command presses nothing.
void PostMovieKey(QWidget* screen, const QString& command);

// The station is driven by touch or mouse (ShowMouse on, or no settings yet);
// otherwise by the remote keypad.
bool MouseStation();
