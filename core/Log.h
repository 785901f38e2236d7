#pragma once
// The station log LogVod.txt in the program folder. It holds this run's lines
// only and is written only while the setting Debug is on (or when forced).
// Safe to call from any thread.
#include <QDateTime>
#include <QString>
#include <cstdint>

// Appends "yyyy-MM-dd HH:mm:ss: text" (the time and its blank left out at
// exactly midnight) to the log when Debug is on or force is true. A log that
// cannot be written is reported on standard error; the caller goes on.
void WriteLog(const QString& text, bool force = false);

// label + "耗时:" + milliseconds since startTicks (GetTickCount), to standard
// error and to WriteLog.
void LogElapsed(const QString& label, uint32_t startTicks);

// The text of one log line for that moment (without line end).
QString FormatLogLine(const QDateTime& when, const QString& text);

// The developer-visible output channel (standard error).
void DebugOutput(const QString& text);

// Forgets this run's lines so the next line starts a new file (tests).
void ResetLogForTests();
