#pragma once
// The effective settings as "key=value" lines, the first thing a technician
// checks on an installation: settings by their keys, blocks as
// "Block.Key", interface texts as "Text.<key>", key codes as "Key.<key>".
#include <QStringList>

class TSetting;

QStringList DumpSettings(const TSetting& setting);
