#pragma once
// TInputChars: telephone-keypad letter entry. On keypad-driven stations the
// digits 2 to 9 spell letters: pressing a digit again within a second cycles
// through its letters in place; 1 (the n1 binding) deletes the last letter.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class TInputChars
{
public:
    using TickSource = std::function<uint32_t()>;

    // tick: the millisecond clock; the system tick count when not given.
    explicit TInputChars(TickSource tick = {});
    virtual ~TInputChars() = default;

    // Handles one key-down and gives the edited text.
    QString PressKey(int key);

    uint32_t m_nLastTick;
    QString m_sSequence;
    QString m_sLastDigit;
    QStringList m_pSequences;
    QStringList m_pLetters;
    // The search text being edited; callers set it before each key.
    QString m_sText;

private:
    TickSource m_fnTick;
};
