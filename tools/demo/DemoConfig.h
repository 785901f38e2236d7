#pragma once
// The configuration files of the demo installation: vod.ini, Language.ini
// (English and Chinese sections) and keyboard.ini, all GBK with CR LF lines.
#include <QString>

// Writes the three files into folder (which must exist). False with a
// message when a file cannot be written.
bool WriteDemoConfig(const QString& folder, QString& error);
