#pragma once
// The key map: every configurable function key of the station, held as the
// Windows virtual-key code that keyboard.ini binds to it. Screens compare an
// incoming key code with a binding, never with a fixed number.
#include <QString>
#include <QtGlobal>
#include <span>

// Command bindings: field (= file key), default code, command word.
#define VOD_COMMAND_KEYS(F_)                                                                                           \
    F_(PAUSE, 112, "pause")                                                                                            \
    F_(REPEATSONG, 115, "repeat")                                                                                      \
    F_(STOP, 116, "stop")                                                                                              \
    F_(BANCHANG, 114, "banchang")                                                                                      \
    F_(VOLUME_ADD, 118, "volumeadd")                                                                                   \
    F_(VOLUME_DEC, 119, "volumedec")                                                                                   \
    F_(VOLMUTE, 120, "volmute")                                                                                        \
    F_(TOVGA, 103, "tovga")                                                                                            \
    F_(TOPAL, 104, "topal")                                                                                            \
    F_(TONTSC, 105, "tontsc")                                                                                          \
    F_(SELOUTPUT, 121, "seloutput")                                                                                    \
    F_(PLAYLIST, 32, "playlist")                                                                                       \
    F_(POWEROFF, 106, "poweroff")                                                                                      \
    F_(CALLWAITER, 107, "callwaiter")                                                                                  \
    F_(RETURN, 27, "return")                                                                                           \
    F_(DELSONG, 46, "delsong")                                                                                         \
    F_(FIRSTPLAY, 45, "firstplay")                                                                                     \
    F_(BACKSPACE, 8, "backspace")                                                                                      \
    F_(PAGEUP, 33, "pageup")                                                                                           \
    F_(PAGEUP1, 36, "pageup1")                                                                                         \
    F_(PAGEDOWN, 34, "pagedown")                                                                                       \
    F_(PAGEDOWN1, 35, "pagedown1")                                                                                     \
    F_(Left, 37, "left")                                                                                               \
    F_(Right, 39, "right")                                                                                             \
    F_(UP, 38, "up")                                                                                                   \
    F_(DOWN, 40, "down")                                                                                               \
    F_(ENTER, 13, "enter")                                                                                             \
    F_(DRINKWATER, 117, "drinkwater")                                                                                  \
    F_(POINT, 46, ".")                                                                                                 \
    F_(MAINMENU, 109, "mainmenu")                                                                                      \
    F_(SELLANG, 122, "sellang")                                                                                        \
    F_(FASTPRIOR, 113, "fastprior")                                                                                    \
    F_(MEDIATIME, 123, "mediatime")                                                                                    \
    F_(Singer, 186, "singer")                                                                                          \
    F_(FirstChar, 187, "firstchar")                                                                                    \
    F_(Hot, 188, "hot")                                                                                                \
    F_(Number, 189, "number")                                                                                          \
    F_(Word, 221, "word")                                                                                              \
    F_(MyLove, 111, "mylove")                                                                                          \
    F_(Language, 190, "language")                                                                                      \
    F_(Type, 191, "type")                                                                                              \
    F_(RecordAudio, 192, "recordaudio")                                                                                \
    F_(RecordVideo, 219, "recordvideo")                                                                                \
    F_(Playback, 220, "playback")                                                                                      \
    F_(Movie, 222, "movie")                                                                                            \
    F_(Sex, 223, "sex")                                                                                                \
    F_(Disco, 225, "disco")                                                                                            \
    F_(Miss, 224, "miss")                                                                                              \
    F_(Stroke, 220, "stroke")                                                                                          \
    F_(Game, 219, "game")                                                                                              \
    F_(YUANCHANG, 155, "yuanchang")                                                                                    \
    F_(PLAY, 156, "play")                                                                                              \
    F_(Grade, 193, "grade")                                                                                            \
    F_(Song, 226, "Song")                                                                                              \
    F_(OCR, 227, "ocr")                                                                                                \
    F_(Volume, 228, "volume")                                                                                          \
    F_(FASTBACK, 157, "fastback")                                                                                      \
    F_(GUIDE, 154, "guide")                                                                                            \
    F_(Mic_Add, 160, "mic_add")                                                                                        \
    F_(Mic_Dec, 161, "mic_dec")                                                                                        \
    F_(Key_Add, 162, "key_add")                                                                                        \
    F_(Key_Dec, 163, "key_dec")                                                                                        \
    F_(Key_Reset, 164, "key_reset")                                                                                    \
    F_(Effect_Key1, 165, "effect_key1")                                                                                \
    F_(Effect_Key2, 166, "effect_key2")                                                                                \
    F_(Effect_Key3, 167, "effect_key3")                                                                                \
    F_(Effect_Key4, 168, "effect_key4")                                                                                \
    F_(Applause, 169, "applause")                                                                                      \
    F_(Catcall, 170, "catcall")

// Letter bindings A..Z (default: the letter's own code, word: lower case).
#define VOD_LETTER_KEYS(F_)                                                                                            \
    F_(A, 65, "a")                                                                                                     \
    F_(B, 66, "b")                                                                                                     \
    F_(C, 67, "c")                                                                                                     \
    F_(D, 68, "d")                                                                                                     \
    F_(E, 69, "e")                                                                                                     \
    F_(F, 70, "f")                                                                                                     \
    F_(G, 71, "g")                                                                                                     \
    F_(H, 72, "h")                                                                                                     \
    F_(I, 73, "i")                                                                                                     \
    F_(J, 74, "j")                                                                                                     \
    F_(K, 75, "k")                                                                                                     \
    F_(L, 76, "l")                                                                                                     \
    F_(M, 77, "m")                                                                                                     \
    F_(N, 78, "n")                                                                                                     \
    F_(O, 79, "o")                                                                                                     \
    F_(P, 80, "p")                                                                                                     \
    F_(Q, 81, "q")                                                                                                     \
    F_(R, 82, "r")                                                                                                     \
    F_(S, 83, "s")                                                                                                     \
    F_(T, 84, "t")                                                                                                     \
    F_(U, 85, "u")                                                                                                     \
    F_(V, 86, "v")                                                                                                     \
    F_(W, 87, "w")                                                                                                     \
    F_(X, 88, "x")                                                                                                     \
    F_(Y, 89, "y")                                                                                                     \
    F_(Z, 90, "z")

// Digit bindings n0..n9 (default 48..57, words "0".."9").
#define VOD_DIGIT_KEYS(F_)                                                                                             \
    F_(n0, 48, "0")                                                                                                    \
    F_(n1, 49, "1")                                                                                                    \
    F_(n2, 50, "2")                                                                                                    \
    F_(n3, 51, "3")                                                                                                    \
    F_(n4, 52, "4")                                                                                                    \
    F_(n5, 53, "5")                                                                                                    \
    F_(n6, 54, "6")                                                                                                    \
    F_(n7, 55, "7")                                                                                                    \
    F_(n8, 56, "8")                                                                                                    \
    F_(n9, 57, "9")

// The 105 key codes, one field per binding, named by its keyboard.ini key.
struct TKeyMap
{
#define VOD_KEY_FIELD(name, code, word) qint16 name = 0;
    VOD_COMMAND_KEYS(VOD_KEY_FIELD)
    VOD_LETTER_KEYS(VOD_KEY_FIELD)
    VOD_DIGIT_KEYS(VOD_KEY_FIELD)
#undef VOD_KEY_FIELD
};

// One binding: where keyboard.ini holds it, its default and its command word.
struct TKeyBinding
{
    const char* FileKey; // key in keyboard.ini (also the field name)
    const char* Section; // "key" for commands, "Key" for letters and digits (the same section)
    qint16 Default;
    const char* Word; // command word used by skin buttons
    qint16 TKeyMap::*Field;
};

// All 105 bindings in file order: commands, letters, digits.
std::span<const TKeyBinding> KeyBindings();
// The binding whose file key equals the given text (ASCII case ignored), or null.
const TKeyBinding* FindKeyBinding(const QString& fileKey);
