#include "core/Convert.h"

#include <cmath>

std::optional<int> TextToInt(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == u'$') {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    quint64 value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (hex) {
        // Hexadecimal covers the full 32 bits: $FFFFFFFF is -1.
        qint32 v = static_cast<qint32>(static_cast<quint32>(value));
        return negative ? static_cast<int>(0u - static_cast<quint32>(v)) : v;
    }
    if (negative) {
        if (value > 2147483648ull)
            return std::nullopt;
        return static_cast<int>(-static_cast<qint64>(value));
    }
    if (value > 2147483647ull)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<double> TextToFloat(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    for (QChar c : text) {
        // Only the characters of a plain decimal number: no blanks, no "inf"/"nan".
        if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'+' || c == u'-' || c == u'e' || c == u'E'))
            return std::nullopt;
    }
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}
