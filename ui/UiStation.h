#pragma once
// The framework's access to the station core: settings, key bindings,
// interface texts, the skin folder and the log, each safe to use before the
// settings object exists (then the documented defaults apply).
#include "core/KeyMap.h"

#include <QString>

class TSetting;

// The key bindings in force (keyboard.ini, or the defaults without settings).
const TKeyMap& UiKeys();
// Code of a skin command word; 0 when unknown.
int UiCodeOfWord(const QString& word);
// 0..9 for the digit bindings n0..n9, else -1.
int UiDigitOfKey(int code);
// Interface text of a Language.ini key in the current language.
QString UiText(const QString& key);
// The current skin folder, ending with '/': the folder of the skin file the
// form manager loaded, else the settings' skin folder.
QString UiSkinFolder();
// The program folder, ending with '/'.
QString UiExeDir();
// The settings object, or null before it exists.
TSetting* UiSetting();
// Writes one line to the station log.
void UiLog(const QString& text);
