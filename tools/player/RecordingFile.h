#pragma once
// The recording file the player writes for the station: a WAVE sound (PCM,
// 8 kHz, mono, 16 bits) of a soft tone standing in for the room's singing,
// as long as the recording lasted, so that the station can open and play it
// back. Written under whatever name the station gives (its folder is made
// when missing).
#include <QString>

// Writes ms milliseconds of sound; false with the reason when it cannot.
bool WriteRecordingFile(const QString& path, int ms, QString& error);
