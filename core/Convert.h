#pragma once
// Number conversions of the station's settings: the whole text must be a
// number, otherwise there is no result (callers use their default).
#include <QString>
#include <optional>

// Optional sign, then decimal digits or hexadecimal digits after "$" or
// "0x" (up to 32 bits, taken as a signed 32-bit value). Nothing else, not
// even blanks, may be part of the text. Out-of-range decimals give no result.
std::optional<int> TextToInt(const QString& text);
// A decimal number with '.' as separator and an optional exponent.
std::optional<double> TextToFloat(const QString& text);
