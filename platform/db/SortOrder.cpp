// Sort orders of a store's rows by index field lists.
#include "platform/db/SortOrder.h"

#include <QStringView>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <numeric>
#include <thread>
#include <unicode/ucol.h>

namespace dbsort {

using dbstore::Column;
using dbstore::Store;

namespace {

// Sort keys of texts in the Chinese (pinyin) collation, ignoring case, as
// one byte arena. Texts made only of ASCII letters and digits get their upper
// case bytes, which order as the collation orders them (digits before letters,
// letters alphabetically, shorter first), without asking ICU.
struct KeyArena
{
    std::vector<uint8_t> bytes;
    std::vector<quint32> offsets{0};
    void Add(const uint8_t* p, size_t n)
    {
        bytes.insert(bytes.end(), p, p + n);
        offsets.push_back(quint32(bytes.size()));
    }
};

bool IsAsciiAlnum(QStringView s)
{
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')))
            return false;
    }
    return true;
}

void MakeKeys(const dbstore::TextDict& dict, quint32 from, quint32 to, bool ascii, KeyArena& out)
{
    std::vector<uint8_t> buf(256);
    UCollator* coll = nullptr;
    if (!ascii) {
        UErrorCode status = U_ZERO_ERROR;
        coll = ucol_open("zh_CN", &status);
        if (U_FAILURE(status) || !coll)
            throw DbError(QStringLiteral("the Chinese collation is not available"));
        ucol_setStrength(coll, UCOL_SECONDARY); // ignore case
    }
    for (quint32 i = from; i < to; ++i) {
        const QStringView s = dict.View(i);
        if (ascii) {
            buf.resize(size_t(s.size()) + 1);
            for (qsizetype k = 0; k < s.size(); ++k) {
                const char16_t u = s[k].unicode();
                buf[size_t(k)] = uint8_t(u >= u'a' && u <= u'z' ? u - 32 : u);
            }
            buf[size_t(s.size())] = 0;
            out.Add(buf.data(), buf.size());
            continue;
        }
        const auto* text = reinterpret_cast<const UChar*>(s.utf16());
        int32_t n = ucol_getSortKey(coll, text, int32_t(s.size()), buf.data(), int32_t(buf.size()));
        if (n > int32_t(buf.size())) {
            buf.resize(size_t(n));
            n = ucol_getSortKey(coll, text, int32_t(s.size()), buf.data(), int32_t(buf.size()));
        }
        out.Add(buf.data(), size_t(std::max(n, 1)));
    }
    if (coll)
        ucol_close(coll);
}

// Sort ranks of a text column's distinct values; equal texts (in the
// collation) get equal ranks.
void ComputeRanks(Column& c)
{
    const quint32 n = c.dict.Size();
    if (c.rankSize == n && c.rank.size() == n)
        return;
    bool ascii = true;
    for (quint32 i = 0; i < n && ascii; ++i)
        ascii = IsAsciiAlnum(c.dict.View(i));
    KeyArena keys;
    if (n > 20000 && !ascii) {
        // Two halves on two threads.
        const quint32 half = n / 2;
        KeyArena second;
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                MakeKeys(c.dict, half, n, ascii, second);
            } catch (...) {
                failure = std::current_exception();
            }
        });
        MakeKeys(c.dict, 0, half, ascii, keys);
        worker.join();
        if (failure)
            std::rethrow_exception(failure);
        const quint32 base = quint32(keys.bytes.size());
        keys.bytes.insert(keys.bytes.end(), second.bytes.begin(), second.bytes.end());
        for (size_t i = 1; i < second.offsets.size(); ++i)
            keys.offsets.push_back(base + second.offsets[i]);
    } else {
        MakeKeys(c.dict, 0, n, ascii, keys);
    }
    // Sort by the first eight key bytes, then by the rest where those tie.
    struct Entry
    {
        quint64 prefix;
        quint32 id;
    };
    std::vector<Entry> entries(n);
    const uint8_t* base = keys.bytes.data();
    auto length = [&](quint32 id) { return keys.offsets[id + 1] - keys.offsets[id]; };
    for (quint32 i = 0; i < n; ++i) {
        quint64 p = 0;
        const quint32 len = length(i);
        for (quint32 k = 0; k < 8; ++k)
            p = (p << 8) | (k < len ? base[keys.offsets[i] + k] : 0);
        entries[i] = {p, i};
    }
    auto compareRest = [&](quint32 a, quint32 b) {
        const quint32 la = length(a), lb = length(b);
        if (la <= 8 || lb <= 8)
            return int(la) - int(lb) < 0 ? -1 : (la == lb ? 0 : 1);
        const int r = std::memcmp(base + keys.offsets[a] + 8, base + keys.offsets[b] + 8, std::min(la, lb) - 8);
        return r != 0 ? r : (la < lb ? -1 : la > lb ? 1 : 0);
    };
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int r = compareRest(a.id, b.id);
        return r != 0 ? r < 0 : a.id < b.id;
    });
    c.rank.assign(n, 0);
    quint32 rank = 0;
    for (quint32 i = 0; i < n; ++i) {
        if (i > 0 && (entries[i - 1].prefix != entries[i].prefix || compareRest(entries[i - 1].id, entries[i].id) != 0))
            ++rank;
        c.rank[entries[i].id] = rank;
    }
    c.rankSize = n;
}

// Ordinals of a key column per row: 0 for null, then 1, 2, ... in the order
// of the values (equal values, equal ordinals). Gives the largest ordinal.
quint32 Ordinals(const Column& c, size_t rows, std::vector<quint32>& out)
{
    out.resize(rows);
    quint32 top = 0;
    if (c.IsText()) {
        for (size_t r = 0; r < rows; ++r) {
            out[r] = c.nulls[r] ? 0 : c.rank[c.texts[r]] + 1;
            top = std::max(top, out[r]);
        }
        return top;
    }
    if (!c.IsFloat()) {
        qint64 lo = std::numeric_limits<qint64>::max(), hi = std::numeric_limits<qint64>::min();
        for (size_t r = 0; r < rows; ++r)
            if (!c.nulls[r]) {
                lo = std::min(lo, c.ints[r]);
                hi = std::max(hi, c.ints[r]);
            }
        if (lo > hi) {
            std::fill(out.begin(), out.end(), 0u);
            return 0;
        }
        if (quint64(hi) - quint64(lo) < (1u << 24)) {
            // A small range (counters, codes, lengths): the offset is the ordinal.
            for (size_t r = 0; r < rows; ++r)
                out[r] = c.nulls[r] ? 0 : quint32(c.ints[r] - lo) + 1;
            return quint32(hi - lo) + 1;
        }
        std::vector<qint64> values;
        values.reserve(rows);
        for (size_t r = 0; r < rows; ++r)
            if (!c.nulls[r])
                values.push_back(c.ints[r]);
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        for (size_t r = 0; r < rows; ++r)
            out[r] = c.nulls[r]
                         ? 0
                         : quint32(std::lower_bound(values.begin(), values.end(), c.ints[r]) - values.begin()) + 1;
        return quint32(values.size());
    }
    std::vector<double> values;
    values.reserve(rows);
    for (size_t r = 0; r < rows; ++r)
        if (!c.nulls[r] && !std::isnan(c.floats[r]))
            values.push_back(c.floats[r] == 0 ? 0.0 : c.floats[r]);
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    const quint32 nan = quint32(values.size()) + 1; // NaN after every number
    for (size_t r = 0; r < rows; ++r) {
        if (c.nulls[r])
            out[r] = 0;
        else if (std::isnan(c.floats[r]))
            out[r] = nan;
        else
            out[r] = quint32(std::lower_bound(values.begin(), values.end(), c.floats[r] == 0 ? 0.0 : c.floats[r]) -
                             values.begin()) +
                     1;
    }
    return nan;
}

int BitsFor(quint64 v)
{
    int bits = 0;
    while (v) {
        ++bits;
        v >>= 1;
    }
    return bits;
}

// Stable least-significant-digit radix sort of rows by a 64-bit key of `bits` bits.
void RadixSort(std::vector<quint64>& keys, std::vector<quint32>& perm, int bits)
{
    const size_t n = keys.size();
    std::vector<quint64> keys2(n);
    std::vector<quint32> perm2(n);
    constexpr int kDigit = 11;
    constexpr size_t kBuckets = size_t(1) << kDigit;
    std::vector<size_t> count(kBuckets);
    for (int shift = 0; shift < bits; shift += kDigit) {
        std::fill(count.begin(), count.end(), 0);
        for (size_t i = 0; i < n; ++i)
            ++count[(keys[i] >> shift) & (kBuckets - 1)];
        size_t sum = 0;
        for (size_t& c : count) {
            const size_t here = c;
            c = sum;
            sum += here;
        }
        for (size_t i = 0; i < n; ++i) {
            const size_t at = count[(keys[i] >> shift) & (kBuckets - 1)]++;
            keys2[at] = keys[i];
            perm2[at] = perm[i];
        }
        keys.swap(keys2);
        perm.swap(perm2);
    }
}

} // namespace

std::vector<quint32> Sort(Store& store, const std::vector<SortKey>& keys)
{
    const size_t n = store.rows;
    for (const SortKey& k : keys)
        if (store.cols[size_t(k.col)].IsText())
            ComputeRanks(store.cols[size_t(k.col)]);
    // Each key becomes an ordinal per row (reversed for DESC); the ordinals
    // are packed into one 64-bit key when they fit, most significant first.
    std::vector<std::vector<quint32>> ords(keys.size());
    std::vector<int> widths;
    int total = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        const quint32 top = Ordinals(store.cols[size_t(keys[i].col)], n, ords[i]);
        if (keys[i].desc)
            for (quint32& o : ords[i])
                o = top - o;
        widths.push_back(std::max(1, BitsFor(top)));
        total += widths.back();
    }
    std::vector<quint32> perm(n);
    std::iota(perm.begin(), perm.end(), 0u);
    if (total <= 64) {
        std::vector<quint64> packed(n, 0);
        for (size_t i = 0; i < keys.size(); ++i) {
            const quint32* o = ords[i].data();
            const int w = widths[i];
            for (size_t r = 0; r < n; ++r)
                packed[r] = (w == 64 ? 0 : packed[r] << w) | o[r];
        }
        RadixSort(packed, perm, total);
        return perm;
    }
    std::stable_sort(perm.begin(), perm.end(), [&](quint32 a, quint32 b) {
        for (const auto& o : ords)
            if (o[a] != o[b])
                return o[a] < o[b];
        return false;
    });
    return perm;
}

int CompareRows(const Column& c, quint32 a, quint32 b)
{
    const bool na = c.nulls[a] != 0, nb = c.nulls[b] != 0;
    if (na || nb)
        return int(nb) - int(na); // nulls first
    if (c.IsText()) {
        const quint32 ra = c.rank[c.texts[a]], rb = c.rank[c.texts[b]];
        return ra < rb ? -1 : ra > rb;
    }
    if (c.IsFloat()) {
        const double x = c.floats[a], y = c.floats[b];
        const bool nx = std::isnan(x), ny = std::isnan(y);
        if (nx || ny)
            return int(nx) - int(ny); // NaN after every number
        return x < y ? -1 : x > y;
    }
    const qint64 x = c.ints[a], y = c.ints[b];
    return x < y ? -1 : x > y;
}

bool RowOrder::Usable(const Store& store, const std::vector<SortKey>& keys)
{
    for (const SortKey& k : keys) {
        if (k.col < 0 || size_t(k.col) >= store.cols.size())
            return false;
        const Column& c = store.cols[size_t(k.col)];
        if (c.IsText() && (c.rankSize != c.dict.Size() || c.rank.size() != c.dict.Size()))
            return false;
    }
    return true;
}

bool RowOrder::operator()(quint32 a, quint32 b) const
{
    for (const SortKey& k : m_keys) {
        const int c = CompareRows(m_store.cols[size_t(k.col)], a, b);
        if (c != 0)
            return k.desc ? c > 0 : c < 0;
    }
    return a < b;
}

} // namespace dbsort
