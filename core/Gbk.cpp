#include "core/Gbk.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <vector>

// ICU's windows-936 table matches Windows' code page 936 for every valid byte
// pair (glibc's GBK does not). Converters are stateful, so each call makes
// its own: they are cheap and this keeps the functions thread-safe.
static const char* const kCodePage = "windows-936";

namespace {

struct BestFit
{
    char16_t code;
    quint16 bytes; // one byte when below 0x100
};

// Characters without a GBK form that Windows writes as a look-alike.
constexpr BestFit kBestFit[] = {
#include "GbkBestFit.inc"
};

constexpr bool SortedByCode()
{
    for (size_t i = 1; i < std::size(kBestFit); ++i) {
        if (kBestFit[i - 1].code >= kBestFit[i].code)
            return false;
    }
    return true;
}
static_assert(SortedByCode(), "the look-alike table must be sorted by code point");

bool IsLead(uchar b)
{
    return b >= 0x81 && b <= 0xFE;
}

bool IsTrail(uchar b)
{
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// The GBK form of every BMP character (0: none; below 0x100: one byte). It is
// read off the decoder: every single byte and every lead/trail pair of the
// code page decodes to exactly one character, and no character twice, so
// inverting the decoder gives the encoder without a second table to keep.
std::vector<quint16> BuildEncodeTable()
{
    std::vector<quint16> table(0x10000, 0);
    QByteArray bytes;
    std::vector<quint16> forms;
    for (int b = 0; b < 0x100; ++b) {
        if (IsLead(uchar(b)))
            continue;
        bytes.append(char(b));
        forms.push_back(quint16(b));
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (!IsTrail(uchar(trail)))
                continue;
            bytes.append(char(lead));
            bytes.append(char(trail));
            forms.push_back(quint16(lead << 8 | trail));
        }
    }
    QStringDecoder decoder(kCodePage, QStringDecoder::Flag::Stateless);
    if (decoder.isValid()) {
        const QString chars = decoder.decode(bytes);
        // One character per form, or the decoder is not the one this relies on.
        if (size_t(chars.size()) == forms.size()) {
            for (size_t i = 0; i < forms.size(); ++i) {
                const char16_t c = chars[qsizetype(i)].unicode();
                if (c != 0xFFFD && table[c] == 0)
                    table[c] = forms[i];
            }
        }
    }
    for (const BestFit& f : kBestFit) {
        if (table[f.code] == 0)
            table[f.code] = f.bytes;
    }
    return table;
}

const std::vector<quint16>& EncodeTable()
{
    static const std::vector<quint16> table = BuildEncodeTable();
    return table;
}

// Whether the bytes end with a lead byte whose trail byte is missing. A byte
// outside 0x81..0xFE never starts a pair, so the bytes after the last such
// one pair up from the start of their run: an odd run ends in a lone lead.
bool EndsInLoneLead(const char* gbk, qsizetype length)
{
    qsizetype run = 0;
    while (run < length && IsLead(uchar(gbk[length - 1 - run])))
        ++run;
    return run % 2 == 1;
}

} // namespace

QString ToWide(const QByteArray& gbk)
{
    return ToWide(gbk.constData(), gbk.size());
}

QString ToWide(const char* gbk, qsizetype length)
{
    if (length <= 0)
        return {};
    QStringDecoder decoder(kCodePage, QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return QString::fromLatin1(gbk, length);
    // The decoder drops a lead byte cut off at the end; it is a bad byte like any other.
    if (EndsInLoneLead(gbk, length))
        return decoder.decode(QByteArrayView(gbk, length - 1)) + QChar(QChar::ReplacementCharacter);
    return decoder.decode(QByteArrayView(gbk, length));
}

QByteArray ToNarrow(const QString& text)
{
    if (text.isEmpty())
        return {};
    const std::vector<quint16>& table = EncodeTable();
    const qsizetype n = text.size();
    const char16_t* in = reinterpret_cast<const char16_t*>(text.constData());
    // At most two bytes per UTF-16 unit; written through a pointer, cut to size at the end.
    QByteArray out(n * 2, Qt::Uninitialized);
    char* o = out.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (c < 0x80) {
            *o++ = char(c);
            continue;
        }
        if (QChar::isSurrogate(c)) {
            // A character beyond the BMP (both halves) or a lone half: one '?'.
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(in[i + 1]))
                ++i;
            *o++ = '?';
            continue;
        }
        const quint16 form = table[c];
        if (form == 0) {
            *o++ = '?';
        } else if (form < 0x100) {
            *o++ = char(form);
        } else {
            *o++ = char(form >> 8);
            *o++ = char(form & 0xFF);
        }
    }
    out.truncate(o - out.constData());
    return out;
}
