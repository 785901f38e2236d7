#pragma once
// Where the settings object reads its Setting rows from. The catalogue
// installs a factory that opens its "Set" query; until then (and in tools
// run without a catalogue) the rows are an empty table held in memory, which
// gives every setting its default. For trials and tests, the environment
// variable VOD_SETTING_ROWS adds rows to that table: one "type.name=value"
// per line (for example "vod.Debug=1").
#include "core/ReadSetting.h"

#include <functional>
#include <memory>

class TSetting;

using TSettingSourceFactory = std::function<std::unique_ptr<ISettingRows>(const TSetting&)>;
// Installs the factory; an empty one restores the empty in-memory table.
void SetSettingSourceFactory(TSettingSourceFactory factory);
// Opens the Setting rows for these settings (ExeDir, KroomAdo are known).
// May throw Exception when the source cannot be opened.
std::unique_ptr<ISettingRows> OpenSettingSource(const TSetting& setting);
// The rows of a VOD_SETTING_ROWS text; lines without "." before "=" are skipped.
std::unique_ptr<TMemorySettingRows> ParseSettingRows(const QString& text);
