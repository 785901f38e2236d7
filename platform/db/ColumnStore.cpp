#include "platform/db/ColumnStore.h"

#include <QDate>
#include <QTime>
#include <algorithm>
#include <cmath>

namespace dbstore {

namespace {

constexpr qint64 kMsPerDay = 86400000;

quint32 HashOf(QStringView s)
{
    // FNV-1a over UTF-16 units.
    quint32 h = 2166136261u;
    for (QChar c : s) {
        h ^= c.unicode();
        h *= 16777619u;
    }
    return h;
}

int Digits(QStringView s, qsizetype at, int n, bool& ok)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (at + i >= s.size() || !s[at + i].isDigit()) {
            ok = false;
            return 0;
        }
        v = v * 10 + (s[at + i].unicode() - '0');
    }
    return v;
}

bool TextToBool(const QString& t, bool& out)
{
    const QString v = t.trimmed().toLower();
    if (v == QLatin1String("1") || v == QLatin1String("-1") || v == QLatin1String("true") || v == QLatin1String("t") ||
        v == QLatin1String("yes") || v == QLatin1String("y")) {
        out = true;
        return true;
    }
    if (v == QLatin1String("0") || v == QLatin1String("false") || v == QLatin1String("f") || v == QLatin1String("no") ||
        v == QLatin1String("n")) {
        out = false;
        return true;
    }
    return false;
}

} // namespace

quint32 TextDict::Append(QStringView text)
{
    const quint32 id = Size();
    const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
    m_aPool.insert(m_aPool.end(), p, p + text.size());
    m_aOffsets.push_back(quint32(m_aPool.size()));
    return id;
}

quint32 TextDict::Intern(QStringView text)
{
    if (!m_bDedupe)
        return Append(text);
    if ((size_t(Size()) + 1) * 2 > m_aSlots.size())
        Rehash(m_aSlots.size() * 2);
    const quint32 h = HashOf(text);
    const size_t mask = m_aSlots.size() - 1;
    size_t i = h & mask;
    while (m_aSlots[i] != 0) {
        const quint64 slot = m_aSlots[i];
        if (quint32(slot >> 32) == h) {
            const quint32 id = quint32(slot) - 1;
            if (View(id) == text)
                return id;
        }
        i = (i + 1) & mask;
    }
    const quint32 id = Append(text);
    m_aSlots[i] = quint64(h) << 32 | (id + 1);
    return id;
}

void TextDict::Rehash(size_t minSlots)
{
    const size_t need = std::max(minSlots, (static_cast<size_t>(Size()) + 1) * 2);
    size_t n = 64;
    while (n < need)
        n *= 2;
    m_aSlots.assign(n, 0);
    const size_t mask = n - 1;
    for (quint32 id = 0; id < Size(); ++id) {
        const quint32 h = HashOf(View(id));
        size_t i = h & mask;
        while (m_aSlots[i] != 0)
            i = (i + 1) & mask;
        m_aSlots[i] = quint64(h) << 32 | (id + 1);
    }
}

void TextDict::Freeze()
{
    m_aPool.shrink_to_fit();
    m_aOffsets.shrink_to_fit();
    std::vector<quint64>().swap(m_aSlots);
}

void TextDict::StopDedupe()
{
    m_bDedupe = false;
    std::vector<quint64>().swap(m_aSlots);
}

size_t TextDict::Bytes() const
{
    return m_aPool.capacity() * 2 + m_aOffsets.capacity() * 4 + m_aSlots.capacity() * 8;
}

qint64 EncodeDate(const QDate& d)
{
    return d.toJulianDay() * kMsPerDay;
}

qint64 EncodeDateTime(const QDateTime& dt)
{
    return dt.date().toJulianDay() * kMsPerDay + dt.time().msecsSinceStartOfDay();
}

QDateTime DecodeDateTime(qint64 v)
{
    qint64 day = v / kMsPerDay;
    qint64 ms = v % kMsPerDay;
    if (ms < 0) {
        ms += kMsPerDay;
        --day;
    }
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

bool ParseDateTime(QStringView s, qint64& out)
{
    s = s.trimmed();
    bool ok = true;
    if (s.size() < 8)
        return false;
    const int y = Digits(s, 0, 4, ok);
    if (!ok || (s[4] != u'-' && s[4] != u'/'))
        return false;
    // Month and day may have one or two digits.
    qsizetype at = 5;
    auto number = [&](int& v) {
        v = 0;
        const qsizetype start = at;
        while (at < s.size() && s[at].isDigit() && at - start < 2)
            v = v * 10 + (s[at++].unicode() - '0');
        return at > start;
    };
    int m = 0, d = 0;
    if (!number(m) || at >= s.size() || (s[at] != u'-' && s[at] != u'/'))
        return false;
    ++at;
    if (!number(d))
        return false;
    const QDate date(y, m, d);
    if (!date.isValid())
        return false;
    int hh = 0, mm = 0, ss = 0, ms = 0;
    if (at < s.size()) {
        if (s[at] != u' ' && s[at] != u'T')
            return false;
        ++at;
        while (at < s.size() && s[at] == u' ')
            ++at;
        if (at < s.size()) {
            if (!number(hh) || at >= s.size() || s[at] != u':')
                return false;
            ++at;
            if (!number(mm))
                return false;
            if (at < s.size() && s[at] == u':') {
                ++at;
                if (!number(ss))
                    return false;
                if (at < s.size() && s[at] == u'.') {
                    ++at;
                    int scale = 100;
                    while (at < s.size() && s[at].isDigit()) {
                        ms += (s[at++].unicode() - '0') * scale;
                        scale /= 10;
                    }
                }
            }
            // A zone suffix (Z, +08:00) is ignored: the station's times are local.
            if (at < s.size() && s[at] != u'Z' && s[at] != u'+' && s[at] != u'-')
                return false;
            if (hh > 23 || mm > 59 || ss > 59)
                return false;
        }
    }
    out = EncodeDate(date) + ((hh * 60 + mm) * 60 + ss) * 1000LL + ms;
    return true;
}

QString FormatDateTime(qint64 v)
{
    const QDateTime dt = DecodeDateTime(v);
    if (dt.time().msecsSinceStartOfDay() == 0)
        return dt.date().toString(QStringLiteral("yyyy-MM-dd"));
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void Column::PushNull()
{
    nulls.push_back(1);
    if (IsText())
        texts.push_back(0);
    else if (IsFloat())
        floats.push_back(0);
    else
        ints.push_back(0);
}

void Column::PushInt(qint64 v)
{
    nulls.push_back(0);
    ints.push_back(v);
}

void Column::PushFloat(double v)
{
    nulls.push_back(0);
    floats.push_back(v);
}

void Column::PushText(QStringView v)
{
    nulls.push_back(0);
    texts.push_back(dict.Intern(v));
    // A column of mostly distinct texts (numbers, paths, names) is not worth
    // the look-ups: its texts are kept as they come.
    if (texts.size() == 16384 && dict.Dedupes() && dict.Size() > 14700)
        dict.StopDedupe();
}

QVariant Column::Convert(const QVariant& v) const
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    const int t = v.typeId();
    switch (type) {
    case FieldType::String:
        if (t == QMetaType::Bool)
            return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        if (t == QMetaType::Double || t == QMetaType::Float)
            return QString::number(v.toDouble(), 'g', 15);
        if (t == QMetaType::QDateTime)
            return FormatDateTime(EncodeDateTime(v.toDateTime()));
        if (t == QMetaType::QDate)
            return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        return v.toString();
    case FieldType::Float: {
        if (t == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            bool ok = false;
            const double d = s.toDouble(&ok);
            if (!ok)
                throw DbError(QStringLiteral("'%1' is not a valid number for field %2").arg(s, name));
            return d;
        }
        return v.toDouble();
    }
    case FieldType::Boolean: {
        if (t == QMetaType::QString) {
            if (v.toString().trimmed().isEmpty())
                return QVariant();
            bool b = false;
            if (!TextToBool(v.toString(), b))
                throw DbError(QStringLiteral("'%1' is not a valid boolean for field %2").arg(v.toString(), name));
            return b;
        }
        return v.toBool();
    }
    case FieldType::DateTime: {
        if (t == QMetaType::QString) {
            if (v.toString().trimmed().isEmpty())
                return QVariant();
            qint64 e = 0;
            if (!ParseDateTime(v.toString(), e))
                throw DbError(QStringLiteral("'%1' is not a valid date for field %2").arg(v.toString(), name));
            return DecodeDateTime(e);
        }
        if (t == QMetaType::QDate)
            return QDateTime(v.toDate(), QTime(0, 0));
        return v.toDateTime();
    }
    case FieldType::SmallInt:
    case FieldType::Integer: {
        if (t == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            bool ok = false;
            qlonglong i = s.toLongLong(&ok);
            if (!ok) {
                const double d = s.toDouble(&ok);
                if (!ok || !std::isfinite(d))
                    throw DbError(QStringLiteral("'%1' is not a valid integer for field %2").arg(s, name));
                i = qlonglong(std::llround(d));
            }
            return i;
        }
        if (t == QMetaType::Double || t == QMetaType::Float)
            return qlonglong(std::llround(v.toDouble()));
        return v.toLongLong();
    }
    }
    return v;
}

void Column::Push(const QVariant& raw)
{
    const QVariant v = Convert(raw);
    if (v.isNull()) {
        PushNull();
        return;
    }
    switch (type) {
    case FieldType::String:
        PushText(v.toString());
        break;
    case FieldType::Float:
        PushFloat(v.toDouble());
        break;
    case FieldType::DateTime:
        PushInt(EncodeDateTime(v.toDateTime()));
        break;
    case FieldType::Boolean:
        PushInt(v.toBool() ? 1 : 0);
        break;
    default:
        PushInt(v.toLongLong());
    }
}

const ValueIndex& Column::Index() const
{
    if (!valueIndex) {
        std::vector<std::pair<qint64, quint32>> pairs;
        pairs.reserve(ints.size());
        for (size_t r = 0; r < ints.size(); ++r)
            if (!nulls[r])
                pairs.emplace_back(ints[r], quint32(r));
        std::sort(pairs.begin(), pairs.end());
        auto index = std::make_shared<ValueIndex>();
        index->values.reserve(pairs.size());
        index->rows.reserve(pairs.size());
        for (const auto& [v, r] : pairs) {
            index->values.push_back(v);
            index->rows.push_back(r);
        }
        valueIndex = std::move(index);
    }
    return *valueIndex;
}

void Column::Set(size_t row, const QVariant& raw)
{
    valueIndex.reset();
    const QVariant v = Convert(raw);
    nulls[row] = v.isNull() ? 1 : 0;
    if (v.isNull())
        return;
    switch (type) {
    case FieldType::String:
        texts[row] = dict.Intern(v.toString());
        break;
    case FieldType::Float:
        floats[row] = v.toDouble();
        break;
    case FieldType::DateTime:
        ints[row] = EncodeDateTime(v.toDateTime());
        break;
    case FieldType::Boolean:
        ints[row] = v.toBool() ? 1 : 0;
        break;
    default:
        ints[row] = v.toLongLong();
    }
}

QVariant Column::Get(size_t row) const
{
    if (row >= nulls.size() || nulls[row])
        return QVariant();
    switch (type) {
    case FieldType::String:
        return dict.View(texts[row]).toString();
    case FieldType::Float:
        return floats[row];
    case FieldType::DateTime:
        return DecodeDateTime(ints[row]);
    case FieldType::Boolean:
        return ints[row] != 0;
    default:
        return qlonglong(ints[row]);
    }
}

void Column::Reserve(size_t rows)
{
    nulls.reserve(rows);
    if (IsText())
        texts.reserve(rows);
    else if (IsFloat())
        floats.reserve(rows);
    else
        ints.reserve(rows);
}

void Column::Shrink()
{
    nulls.shrink_to_fit();
    ints.shrink_to_fit();
    floats.shrink_to_fit();
    texts.shrink_to_fit();
    dict.Freeze();
}

size_t Column::Bytes() const
{
    return nulls.capacity() + ints.capacity() * 8 + floats.capacity() * 8 + texts.capacity() * 4 + dict.Bytes() +
           rank.capacity() * 4 + (valueIndex ? valueIndex->values.capacity() * 8 + valueIndex->rows.capacity() * 4 : 0);
}

int Store::FindColumn(const QString& name) const
{
    for (size_t i = 0; i < cols.size(); ++i) // names as written first: no case folding
        if (cols[i].name == name)
            return int(i);
    for (size_t i = 0; i < cols.size(); ++i)
        if (cols[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void Store::AddRow(const std::vector<QVariant>& values, qint64 rowId)
{
    for (Column& c : cols)
        c.valueIndex.reset();
    for (size_t c = 0; c < cols.size(); ++c)
        cols[c].Push(c < values.size() ? values[c] : QVariant());
    deleted.push_back(0);
    if (!rowIds.empty() || rowId >= 0)
        rowIds.resize(rows, -1), rowIds.push_back(rowId);
    ++rows;
}

} // namespace dbstore
