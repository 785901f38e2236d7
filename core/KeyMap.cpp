// The key map of keyboard.ini and the command words of skin buttons.
#include "core/KeyMap.h"

#include "core/IniFile.h"
#include "core/Setting.h"

namespace {

const TKeyBinding kBindings[] = {
#define VOD_COMMAND_ENTRY(name, code, word) {#name, "key", code, word, &TKeyMap::name},
#define VOD_CHAR_ENTRY(name, code, word) {#name, "Key", code, word, &TKeyMap::name},
    VOD_COMMAND_KEYS(VOD_COMMAND_ENTRY) VOD_LETTER_KEYS(VOD_CHAR_ENTRY) VOD_DIGIT_KEYS(VOD_CHAR_ENTRY)
#undef VOD_COMMAND_ENTRY
#undef VOD_CHAR_ENTRY
};
static_assert(std::size(kBindings) == 105, "the key map has 105 bindings");

qint16 TKeyMap::*const kDigits[10] = {&TKeyMap::n0, &TKeyMap::n1, &TKeyMap::n2, &TKeyMap::n3, &TKeyMap::n4,
                                      &TKeyMap::n5, &TKeyMap::n6, &TKeyMap::n7, &TKeyMap::n8, &TKeyMap::n9};
qint16 TKeyMap::*const kLetters[26] = {
    &TKeyMap::A, &TKeyMap::B, &TKeyMap::C, &TKeyMap::D, &TKeyMap::E, &TKeyMap::F, &TKeyMap::G, &TKeyMap::H, &TKeyMap::I,
    &TKeyMap::J, &TKeyMap::K, &TKeyMap::L, &TKeyMap::M, &TKeyMap::N, &TKeyMap::O, &TKeyMap::P, &TKeyMap::Q, &TKeyMap::R,
    &TKeyMap::S, &TKeyMap::T, &TKeyMap::U, &TKeyMap::V, &TKeyMap::W, &TKeyMap::X, &TKeyMap::Y, &TKeyMap::Z};

} // namespace

std::span<const TKeyBinding> KeyBindings()
{
    return kBindings;
}

const TKeyBinding* FindKeyBinding(const QString& fileKey)
{
    for (const TKeyBinding& b : kBindings) {
        if (SameNameIgnoringAsciiCase(QString::fromLatin1(b.FileKey), fileKey))
            return &b;
    }
    return nullptr;
}

void TSetting::LoadKeyMap()
{
    // Every binding starts at 0, which matches no key; reading stops at the
    // first error and leaves the rest there.
    Keys = TKeyMap{};
    try {
        const TIniFile ini(ExeDir + QStringLiteral("keyboard.ini"));
        for (const TKeyBinding& b : kBindings) {
            // The file's number is kept in 16 bits.
            Keys.*b.Field = static_cast<qint16>(
                ini.ReadInteger(QString::fromLatin1(b.Section), QString::fromLatin1(b.FileKey), b.Default));
        }
    } catch (...) {
    }
}

void TSetting::BuildCommandWords()
{
    CommandWords.clear();
    for (const TKeyBinding& b : kBindings)
        CommandWords.append({QString::fromLatin1(b.Word), b.Field});
}

quint16 TSetting::CodeOfWord(const QString& word) const
{
    for (const auto& [w, field] : CommandWords) {
        if (w.compare(word, Qt::CaseInsensitive) == 0)
            return static_cast<quint16>(Keys.*field);
    }
    return 0;
}

int TSetting::DigitOfKey(qint16 code) const
{
    for (int d = 0; d < 10; ++d) {
        if (Keys.*kDigits[d] == code)
            return d;
    }
    return -1;
}

char TSetting::LetterOfKey(qint16 code) const
{
    for (int i = 0; i < 26; ++i) {
        if (Keys.*kLetters[i] == code)
            return static_cast<char>('A' + i);
    }
    return 0;
}

qint16 TSetting::KeyCode(const QString& fileKey) const
{
    const TKeyBinding* b = FindKeyBinding(fileKey);
    return b ? Keys.*b->Field : qint16(0);
}
