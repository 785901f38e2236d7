#include "platform/db/RecordFilter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace dbfilter {

using dbstore::Column;
using dbstore::Store;

// ---------------------------------------------------------------- parsing

namespace {

class Parser
{
public:
    explicit Parser(const QString& text) : m_s(text) {}

    std::unique_ptr<Node> Run()
    {
        auto node = Expr(0);
        Blanks();
        if (m_n < m_s.size())
            Fail(QStringLiteral("unexpected text"));
        return node;
    }

private:
    [[noreturn]] void Fail(const QString& what) const
    {
        throw FilterError(QStringLiteral("invalid filter (%1 at position %2): %3").arg(what).arg(m_n + 1).arg(m_s));
    }

    void Blanks()
    {
        while (m_n < m_s.size() && m_s[m_n].isSpace())
            ++m_n;
    }

    static bool IsNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'.'; }

    // A keyword followed by a non-name character.
    bool Keyword(const char* word)
    {
        Blanks();
        const qsizetype n = qsizetype(qstrlen(word));
        if (m_n + n > m_s.size() || QStringView(m_s).mid(m_n, n).compare(QLatin1String(word), Qt::CaseInsensitive) != 0)
            return false;
        if (m_n + n < m_s.size() && IsNameChar(m_s[m_n + n]))
            return false;
        m_n += n;
        return true;
    }

    std::unique_ptr<Node> Expr(int depth)
    {
        if (depth > 200)
            Fail(QStringLiteral("nested too deeply"));
        auto left = Term(depth);
        while (Keyword("or")) {
            auto node = std::make_unique<Node>();
            node->kind = Node::Or;
            node->left = std::move(left);
            node->right = Term(depth);
            left = std::move(node);
        }
        return left;
    }

    std::unique_ptr<Node> Term(int depth)
    {
        auto left = Factor(depth);
        while (Keyword("and")) {
            auto node = std::make_unique<Node>();
            node->kind = Node::And;
            node->left = std::move(left);
            node->right = Factor(depth);
            left = std::move(node);
        }
        return left;
    }

    std::unique_ptr<Node> Factor(int depth)
    {
        Blanks();
        if (m_n < m_s.size() && m_s[m_n] == u'(') {
            ++m_n;
            auto node = Expr(depth + 1);
            Blanks();
            if (m_n >= m_s.size() || m_s[m_n] != u')')
                Fail(QStringLiteral("')' expected"));
            ++m_n;
            return node;
        }
        return Comparison();
    }

    QString FieldName()
    {
        Blanks();
        if (m_n < m_s.size() && m_s[m_n] == u'[') {
            const qsizetype end = m_s.indexOf(u']', m_n + 1);
            if (end < 0)
                Fail(QStringLiteral("']' expected"));
            QString name = m_s.mid(m_n + 1, end - m_n - 1).trimmed();
            m_n = end + 1;
            if (name.isEmpty())
                Fail(QStringLiteral("field name expected"));
            return name;
        }
        const qsizetype start = m_n;
        while (m_n < m_s.size() && IsNameChar(m_s[m_n]))
            ++m_n;
        if (m_n == start || m_s[start].isDigit())
            Fail(QStringLiteral("field name expected"));
        return m_s.mid(start, m_n - start);
    }

    std::unique_ptr<Node> Comparison()
    {
        auto node = std::make_unique<Node>();
        node->field = FieldName();
        Blanks();
        if (Keyword("like")) {
            node->op = Op::Like;
            node->value = Value();
            if (node->value.kind != Literal::Text)
                Fail(QStringLiteral("quoted pattern expected after like"));
            return node;
        }
        if (Keyword("is")) {
            const bool negate = Keyword("not");
            if (!Keyword("null"))
                Fail(QStringLiteral("null expected"));
            node->op = negate ? Op::Ne : Op::Eq;
            node->value.kind = Literal::Null;
            return node;
        }
        Blanks();
        auto at = [&](const char* t) {
            const qsizetype n = qsizetype(qstrlen(t));
            if (QStringView(m_s).mid(m_n, n) == QLatin1String(t)) {
                m_n += n;
                return true;
            }
            return false;
        };
        if (at("<>") || at("!="))
            node->op = Op::Ne;
        else if (at("<="))
            node->op = Op::Le;
        else if (at(">="))
            node->op = Op::Ge;
        else if (at("<"))
            node->op = Op::Lt;
        else if (at(">"))
            node->op = Op::Gt;
        else if (at("="))
            node->op = Op::Eq;
        else
            Fail(QStringLiteral("comparison operator expected"));
        node->value = Value();
        if (node->value.kind == Literal::Null && node->op != Op::Eq && node->op != Op::Ne)
            Fail(QStringLiteral("null can only be compared with = or <>"));
        return node;
    }

    Literal Value()
    {
        Blanks();
        Literal lit;
        if (m_n >= m_s.size())
            Fail(QStringLiteral("value expected"));
        const QChar c = m_s[m_n];
        if (c == u'\'' || c == u'"') {
            ++m_n;
            QString text;
            for (;;) {
                if (m_n >= m_s.size())
                    Fail(QStringLiteral("unterminated text"));
                if (m_s[m_n] == c) {
                    if (m_n + 1 < m_s.size() && m_s[m_n + 1] == c) {
                        text += c;
                        m_n += 2;
                        continue;
                    }
                    ++m_n;
                    break;
                }
                text += m_s[m_n++];
            }
            lit.kind = Literal::Text;
            lit.text = text;
            return lit;
        }
        if (c == u'#') {
            const qsizetype end = m_s.indexOf(u'#', m_n + 1);
            if (end < 0)
                Fail(QStringLiteral("'#' expected"));
            lit.kind = Literal::Date;
            lit.text = m_s.mid(m_n + 1, end - m_n - 1);
            qint64 v = 0;
            if (!dbstore::ParseDateTime(lit.text, v))
                Fail(QStringLiteral("invalid date"));
            m_n = end + 1;
            return lit;
        }
        if (Keyword("null")) {
            lit.kind = Literal::Null;
            return lit;
        }
        if (Keyword("true")) {
            lit.kind = Literal::Number;
            lit.number = 1;
            return lit;
        }
        if (Keyword("false")) {
            lit.kind = Literal::Number;
            lit.number = 0;
            return lit;
        }
        const qsizetype start = m_n;
        if (m_n < m_s.size() && (m_s[m_n] == u'-' || m_s[m_n] == u'+'))
            ++m_n;
        while (m_n < m_s.size() && (m_s[m_n].isDigit() || m_s[m_n] == u'.'))
            ++m_n;
        if (m_n < m_s.size() && (m_s[m_n] == u'e' || m_s[m_n] == u'E')) {
            qsizetype e = m_n + 1;
            if (e < m_s.size() && (m_s[e] == u'-' || m_s[e] == u'+'))
                ++e;
            if (e < m_s.size() && m_s[e].isDigit()) {
                m_n = e;
                while (m_n < m_s.size() && m_s[m_n].isDigit())
                    ++m_n;
            }
        }
        bool ok = false;
        const double d = QStringView(m_s).mid(start, m_n - start).toDouble(&ok);
        if (!ok || !std::isfinite(d) || (m_n < m_s.size() && IsNameChar(m_s[m_n]))) {
            m_n = start;
            Fail(QStringLiteral("value expected"));
        }
        lit.kind = Literal::Number;
        lit.number = d;
        return lit;
    }

    const QString& m_s;
    qsizetype m_n = 0;
};

} // namespace

std::unique_ptr<Node> Parse(const QString& text)
{
    return Parser(text).Run();
}

// ---------------------------------------------------------------- like

namespace {

inline char16_t Fold(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    if (c >= 0xD800 && c < 0xE000)
        return c;
    return QChar(c).toCaseFolded().unicode();
}

inline bool EqualAt(QStringView text, qsizetype at, const std::u16string& part)
{
    const char16_t* t = reinterpret_cast<const char16_t*>(text.utf16()) + at;
    for (size_t k = 0; k < part.size(); ++k)
        if (t[k] != part[k] && Fold(t[k]) != part[k])
            return false;
    return true;
}

inline qsizetype Find(QStringView text, qsizetype from, const std::u16string& part)
{
    const qsizetype m = qsizetype(part.size());
    const char16_t* t = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t first = part[0];
    for (qsizetype i = from; i + m <= text.size(); ++i)
        if ((t[i] == first || Fold(t[i]) == first) && EqualAt(text, i, part))
            return i;
    return -1;
}

} // namespace

LikePattern::LikePattern(const QString& pattern)
{
    std::u16string part;
    m_bAnchorStart = !(pattern.startsWith(u'%') || pattern.startsWith(u'*'));
    m_bAnchorEnd = !(pattern.endsWith(u'%') || pattern.endsWith(u'*'));
    for (QChar c : pattern) {
        if (c == u'%' || c == u'*') {
            if (!part.empty())
                m_aParts.push_back(part);
            part.clear();
        } else {
            part += Fold(c.unicode());
        }
    }
    if (!part.empty())
        m_aParts.push_back(part);
    if (m_aParts.empty())
        m_bAnchorStart = m_bAnchorEnd = pattern.isEmpty();
}

bool LikePattern::Match(QStringView text) const
{
    if (m_aParts.empty())
        return !m_bAnchorStart || text.isEmpty();
    qsizetype at = 0;
    qsizetype end = text.size();
    size_t first = 0, last = m_aParts.size();
    if (m_bAnchorStart) {
        const auto& head = m_aParts[0];
        if (end < qsizetype(head.size()) || !EqualAt(text, 0, head))
            return false;
        at = qsizetype(head.size());
        first = 1;
        if (m_bAnchorEnd && last == 1)
            return end == at;
    }
    if (m_bAnchorEnd && last > first) {
        const auto& tail = m_aParts[last - 1];
        if (end - at < qsizetype(tail.size()) || !EqualAt(text, end - qsizetype(tail.size()), tail))
            return false;
        end -= qsizetype(tail.size());
        --last;
    }
    const QStringView inner = text.left(end);
    for (size_t i = first; i < last; ++i) {
        const qsizetype found = Find(inner, at, m_aParts[i]);
        if (found < 0)
            return false;
        at = found + qsizetype(m_aParts[i].size());
    }
    return at <= end;
}

// ---------------------------------------------------------------- predicates

void Predicate::Keep(const Store& s, std::vector<quint32>& rows) const
{
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&](quint32 r) { return !Match(s, r); }), rows.end());
}

namespace {

// Keeps the rows for which pass(row) holds, in their order.
template <typename F> void KeepIf(std::vector<quint32>& rows, F pass)
{
    size_t kept = 0;
    for (quint32 r : rows)
        if (pass(r))
            rows[kept++] = r;
    rows.resize(kept);
}

// Reused work buffers: large temporary vectors would otherwise be mapped and
// unmapped by the allocator (and their pages faulted in) at every evaluation.
template <typename T> class Scratch
{
public:
    explicit Scratch(size_t n)
    {
        auto& pool = Pool();
        if (!pool.empty()) {
            m_v = std::move(pool.back());
            pool.pop_back();
        }
        m_v.resize(n);
    }
    ~Scratch()
    {
        if (Pool().size() < 16)
            Pool().push_back(std::move(m_v));
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::vector<T>& operator*() { return m_v; }

private:
    static std::vector<std::vector<T>>& Pool()
    {
        thread_local std::vector<std::vector<T>> pool;
        return pool;
    }
    std::vector<T> m_v;
};

// An empty (null) value differs from every value: it passes "<>" and nothing else.
template <Op O> inline uint8_t Pass(uint8_t isNull, bool result)
{
    if constexpr (O == Op::Ne)
        return isNull | uint8_t(result);
    else
        return uint8_t(isNull == 0) & uint8_t(result);
}

template <typename T> bool Compare(Op op, T a, T b)
{
    switch (op) {
    case Op::Eq:
        return a == b;
    case Op::Ne:
        return a != b;
    case Op::Lt:
        return a < b;
    case Op::Gt:
        return a > b;
    case Op::Le:
        return a <= b;
    case Op::Ge:
        return a >= b;
    case Op::Like:
        break;
    }
    return false;
}

bool CompareText(Op op, QStringView a, QStringView b)
{
    if (op == Op::Eq)
        return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
    if (op == Op::Ne)
        return !(a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0);
    const int c = a.compare(b, Qt::CaseInsensitive);
    return Compare(op, c, 0);
}

class ConstPredicate final : public Predicate
{
public:
    explicit ConstPredicate(bool v) : m_b(v) {}
    void Eval(const Store& s, uint8_t* mask) const override { std::fill(mask, mask + s.rows, uint8_t(m_b)); }
    bool Match(const Store&, size_t) const override { return m_b; }

private:
    bool m_b;
};

class NullPredicate final : public Predicate
{
public:
    NullPredicate(int col, bool wantNull) : m_nCol(col), m_bNull(wantNull) {}
    void Eval(const Store& s, uint8_t* mask) const override
    {
        const uint8_t* n = s.cols[size_t(m_nCol)].nulls.data();
        const uint8_t want = m_bNull ? 1 : 0;
        for (size_t r = 0; r < s.rows; ++r)
            mask[r] = n[r] == want;
    }
    bool Match(const Store& s, size_t row) const override
    {
        return (s.cols[size_t(m_nCol)].nulls[row] != 0) == m_bNull;
    }
    void Keep(const Store& s, std::vector<quint32>& rows) const override
    {
        const uint8_t* n = s.cols[size_t(m_nCol)].nulls.data();
        const bool want = m_bNull;
        KeepIf(rows, [&](quint32 r) { return (n[r] != 0) == want; });
    }

private:
    int m_nCol;
    bool m_bNull;
};

// Integer-kept column (integers, booleans, date-times) against a number.
// Selective comparisons read the column's value index instead of every row.
template <Op O> class IntPredicate final : public Predicate
{
public:
    IntPredicate(int col, double v) : m_nCol(col), m_d(v) {}
    void Eval(const Store& s, uint8_t* mask) const override
    {
        const qint64 estimate = Estimate(s);
        if (estimate >= 0 && size_t(estimate) * 8 < s.rows) {
            std::fill(mask, mask + s.rows, uint8_t(0));
            const auto [lo, hi] = Range(s);
            const quint32* rows = s.cols[size_t(m_nCol)].Index().rows.data();
            for (size_t i = lo; i < hi; ++i)
                mask[rows[i]] = 1;
            return;
        }
        const Column& c = s.cols[size_t(m_nCol)];
        const qint64* v = c.ints.data();
        const uint8_t* n = c.nulls.data();
        // An integral literal compares exactly as an integer.
        if (m_d == std::floor(m_d) && std::fabs(m_d) < 9e15) {
            const qint64 k = qint64(m_d);
            for (size_t r = 0; r < s.rows; ++r)
                mask[r] = Pass<O>(n[r], Compare(O, v[r], k));
        } else {
            for (size_t r = 0; r < s.rows; ++r)
                mask[r] = Pass<O>(n[r], Compare(O, double(v[r]), m_d));
        }
    }
    bool Match(const Store& s, size_t row) const override
    {
        const Column& c = s.cols[size_t(m_nCol)];
        return Pass<O>(c.nulls[row], Compare(O, double(c.ints[row]), m_d));
    }
    qint64 Estimate(const Store& s) const override
    {
        if constexpr (O == Op::Ne)
            return -1; // nearly every row
        const auto [lo, hi] = Range(s);
        return qint64(hi - lo);
    }
    void Collect(const Store& s, std::vector<quint32>& out) const override
    {
        const auto [lo, hi] = Range(s);
        const auto& rows = s.cols[size_t(m_nCol)].Index().rows;
        out.insert(out.end(), rows.begin() + qsizetype(lo), rows.begin() + qsizetype(hi));
    }
    bool Rows(const Store& s, std::vector<quint32>& out) const override
    {
        const qint64 estimate = Estimate(s);
        if (estimate < 0 || size_t(estimate) * kSparseShare > s.rows)
            return false;
        out.clear();
        Collect(s, out);
        return true;
    }
    void Keep(const Store& s, std::vector<quint32>& rows) const override
    {
        const Column& c = s.cols[size_t(m_nCol)];
        const qint64* v = c.ints.data();
        const uint8_t* n = c.nulls.data();
        if (m_d == std::floor(m_d) && std::fabs(m_d) < 9e15) {
            const qint64 k = qint64(m_d);
            KeepIf(rows, [&](quint32 r) { return Pass<O>(n[r], Compare(O, v[r], k)) != 0; });
        } else {
            KeepIf(rows, [&](quint32 r) { return Pass<O>(n[r], Compare(O, double(v[r]), m_d)) != 0; });
        }
    }
    bool Interval(int& col, qint64& lo, qint64& hi) const override
    {
        if constexpr (O == Op::Ne || O == Op::Like) {
            return false;
        } else {
            // Beyond this the integers a double holds are no longer exact.
            if (!(std::fabs(m_d) < 9e15))
                return false;
            const double below = std::floor(m_d), above = std::ceil(m_d);
            lo = std::numeric_limits<qint64>::min();
            hi = std::numeric_limits<qint64>::max();
            if constexpr (O == Op::Eq) {
                lo = qint64(above);
                hi = qint64(below); // empty when the number is not whole
            } else if constexpr (O == Op::Gt) {
                lo = qint64(below) + 1;
            } else if constexpr (O == Op::Ge) {
                lo = qint64(above);
            } else if constexpr (O == Op::Lt) {
                hi = qint64(above) - 1;
            } else {
                hi = qint64(below);
            }
            col = m_nCol;
            return true;
        }
    }

private:
    // Positions in the value index of the matching values.
    std::pair<size_t, size_t> Range(const Store& s) const
    {
        const auto& values = s.cols[size_t(m_nCol)].Index().values;
        const double d = m_d;
        auto lower = [&] { // first value >= d
            return size_t(
                std::lower_bound(values.begin(), values.end(), d, [](qint64 v, double x) { return double(v) < x; }) -
                values.begin());
        };
        auto upper = [&] { // first value > d
            return size_t(
                std::upper_bound(values.begin(), values.end(), d, [](double x, qint64 v) { return x < double(v); }) -
                values.begin());
        };
        switch (O) {
        case Op::Eq:
            return {lower(), upper()};
        case Op::Gt:
            return {upper(), values.size()};
        case Op::Ge:
            return {lower(), values.size()};
        case Op::Lt:
            return {0, lower()};
        case Op::Le:
            return {0, upper()};
        default:
            return {0, 0};
        }
    }

    int m_nCol;
    double m_d;
};

template <Op O> class FloatPredicate final : public Predicate
{
public:
    FloatPredicate(int col, double v) : m_nCol(col), m_d(v) {}
    void Eval(const Store& s, uint8_t* mask) const override
    {
        const Column& c = s.cols[size_t(m_nCol)];
        const double* v = c.floats.data();
        const uint8_t* n = c.nulls.data();
        for (size_t r = 0; r < s.rows; ++r)
            mask[r] = Pass<O>(n[r], Compare(O, v[r], m_d));
    }
    bool Match(const Store& s, size_t row) const override
    {
        const Column& c = s.cols[size_t(m_nCol)];
        return Pass<O>(c.nulls[row], Compare(O, c.floats[row], m_d));
    }

private:
    int m_nCol;
    double m_d;
};

// A text column: the test runs once per distinct value, then per row a look-up.
class TextPredicate : public Predicate
{
public:
    explicit TextPredicate(int col) : m_nCol(col) {}
    virtual bool Test(QStringView text) const = 0;
    void Eval(const Store& s, uint8_t* mask) const override
    {
        const Column& c = s.cols[size_t(m_nCol)];
        const quint32 n = c.dict.Size();
        Scratch<uint8_t> scratch(n);
        std::vector<uint8_t>& hit = *scratch;
        for (quint32 i = 0; i < n; ++i)
            hit[i] = Test(c.dict.View(i));
        const quint32* t = c.texts.data();
        const uint8_t* nulls = c.nulls.data();
        const uint8_t* h = hit.data();
        for (size_t r = 0; r < s.rows; ++r)
            mask[r] = nulls[r] ? m_bNullPasses : h[t[r]];
    }
    bool Match(const Store& s, size_t row) const override
    {
        const Column& c = s.cols[size_t(m_nCol)];
        return c.nulls[row] ? m_bNullPasses : Test(c.dict.View(c.texts[row]));
    }
    void Keep(const Store& s, std::vector<quint32>& rows) const override
    {
        const Column& c = s.cols[size_t(m_nCol)];
        const quint32* t = c.texts.data();
        const uint8_t* nulls = c.nulls.data();
        const quint32 n = c.dict.Size();
        if (rows.size() < n) {
            KeepIf(rows, [&](quint32 r) { return nulls[r] ? m_bNullPasses : Test(c.dict.View(t[r])); });
            return;
        }
        // Fewer distinct values than rows: each value tested once.
        Scratch<uint8_t> scratch(n);
        std::vector<uint8_t>& hit = *scratch;
        for (quint32 i = 0; i < n; ++i)
            hit[i] = Test(c.dict.View(i));
        KeepIf(rows, [&](quint32 r) { return nulls[r] ? m_bNullPasses : hit[t[r]] != 0; });
    }

protected:
    int m_nCol;
    bool m_bNullPasses = false;
};

class TextComparePredicate final : public TextPredicate
{
public:
    TextComparePredicate(int col, Op op, QString v) : TextPredicate(col), m_op(op), m_s(std::move(v))
    {
        m_bNullPasses = op == Op::Ne;
    }
    bool Test(QStringView text) const override { return CompareText(m_op, text, m_s); }

private:
    Op m_op;
    QString m_s;
};

// A text column compared with a number: the text read as a number; texts that
// are not numbers never match.
class TextNumberPredicate final : public TextPredicate
{
public:
    TextNumberPredicate(int col, Op op, double v) : TextPredicate(col), m_op(op), m_d(v)
    {
        m_bNullPasses = op == Op::Ne;
    }
    bool Test(QStringView text) const override
    {
        bool ok = false;
        const double d = text.trimmed().toDouble(&ok);
        return ok && Compare(m_op, d, m_d);
    }

private:
    Op m_op;
    double m_d;
};

class TextLikePredicate final : public TextPredicate
{
public:
    TextLikePredicate(int col, const QString& pattern) : TextPredicate(col), m_like(pattern) {}
    bool Test(QStringView text) const override { return m_like.Match(text); }

private:
    LikePattern m_like;
};

// like on a column that is not text: the value's text is matched.
class ValueLikePredicate final : public Predicate
{
public:
    ValueLikePredicate(int col, const QString& pattern) : m_nCol(col), m_like(pattern) {}
    void Eval(const Store& s, uint8_t* mask) const override
    {
        for (size_t r = 0; r < s.rows; ++r)
            mask[r] = Match(s, r);
    }
    bool Match(const Store& s, size_t row) const override
    {
        const Column& c = s.cols[size_t(m_nCol)];
        if (c.nulls[row])
            return false;
        QString text;
        if (c.type == FieldType::DateTime)
            text = dbstore::FormatDateTime(c.ints[row]);
        else if (c.IsFloat())
            text = QString::number(c.floats[row], 'g', 15);
        else if (c.type == FieldType::Boolean)
            text = c.ints[row] ? QStringLiteral("True") : QStringLiteral("False");
        else
            text = QString::number(c.ints[row]);
        return m_like.Match(text);
    }

private:
    int m_nCol;
    LikePattern m_like;
};

class AndOrPredicate final : public Predicate
{
public:
    AndOrPredicate(bool isAnd, std::unique_ptr<Predicate> a, std::unique_ptr<Predicate> b)
        : m_bAnd(isAnd), m_pA(std::move(a)), m_pB(std::move(b))
    {
    }
    void Eval(const Store& s, uint8_t* mask) const override
    {
        if (m_bAnd) {
            // When one part is selective and indexed, test the others on its rows only.
            std::vector<const Predicate*> parts;
            qint64 count = 0;
            const Predicate* best = MostSelective(s, parts, count);
            // Testing a row found by the index costs about as much as scanning
            // some sixty rows of a column: only a small candidate list pays.
            if (best && size_t(count) * 64 < s.rows) {
                Scratch<quint32> scratch(0);
                std::vector<quint32>& rows = *scratch;
                rows.clear();
                best->Collect(s, rows);
                for (const Predicate* p : parts)
                    if (p != best && !rows.empty())
                        p->Keep(s, rows);
                std::fill(mask, mask + s.rows, uint8_t(0));
                for (quint32 r : rows)
                    mask[r] = 1;
                return;
            }
        }
        m_pA->Eval(s, mask);
        Scratch<uint8_t> scratch(s.rows);
        std::vector<uint8_t>& other = *scratch;
        m_pB->Eval(s, other.data());
        const uint8_t* o = other.data();
        if (m_bAnd)
            for (size_t r = 0; r < s.rows; ++r)
                mask[r] &= o[r];
        else
            for (size_t r = 0; r < s.rows; ++r)
                mask[r] |= o[r];
    }
    bool Match(const Store& s, size_t row) const override
    {
        return m_bAnd ? (m_pA->Match(s, row) && m_pB->Match(s, row)) : (m_pA->Match(s, row) || m_pB->Match(s, row));
    }
    bool Rows(const Store& s, std::vector<quint32>& out) const override
    {
        if (!m_bAnd)
            return false;
        // The candidates of the most selective indexed part, tested against the others.
        std::vector<const Predicate*> parts;
        qint64 bestCount = 0;
        const Predicate* best = MostSelective(s, parts, bestCount);
        if (!best || size_t(bestCount) * kSparseShare > s.rows)
            return false;
        out.clear();
        best->Collect(s, out);
        for (const Predicate* p : parts)
            if (p != best && !out.empty())
                p->Keep(s, out);
        return true;
    }
    void Keep(const Store& s, std::vector<quint32>& rows) const override
    {
        if (!m_bAnd) {
            Predicate::Keep(s, rows);
            return;
        }
        m_pA->Keep(s, rows);
        if (!rows.empty())
            m_pB->Keep(s, rows);
    }

private:
    // The parts of this chain of "and", and the one whose value index leaves
    // the fewest candidates (null when none has an index).
    const Predicate* MostSelective(const Store& s, std::vector<const Predicate*>& parts, qint64& count) const
    {
        Flatten(parts);
        const Predicate* best = nullptr;
        count = -1;
        for (const Predicate* p : parts) {
            const qint64 e = p->Estimate(s);
            if (e >= 0 && (count < 0 || e < count)) {
                best = p;
                count = e;
            }
        }
        return best;
    }

    // The parts of a chain of "and".
    void Flatten(std::vector<const Predicate*>& out) const
    {
        for (const Predicate* p : {m_pA.get(), m_pB.get()}) {
            const auto* node = dynamic_cast<const AndOrPredicate*>(p);
            if (node && node->m_bAnd)
                node->Flatten(out);
            else
                out.push_back(p);
        }
    }

    bool m_bAnd;
    std::unique_ptr<Predicate> m_pA, m_pB;
};

template <template <Op> class P> std::unique_ptr<Predicate> MakeNumeric(Op op, int col, double v)
{
    switch (op) {
    case Op::Eq:
        return std::make_unique<P<Op::Eq>>(col, v);
    case Op::Ne:
        return std::make_unique<P<Op::Ne>>(col, v);
    case Op::Lt:
        return std::make_unique<P<Op::Lt>>(col, v);
    case Op::Gt:
        return std::make_unique<P<Op::Gt>>(col, v);
    case Op::Le:
        return std::make_unique<P<Op::Le>>(col, v);
    case Op::Ge:
        return std::make_unique<P<Op::Ge>>(col, v);
    case Op::Like:
        break;
    }
    return std::make_unique<ConstPredicate>(false);
}

[[noreturn]] void Mismatch(const Node& n, const QString& why)
{
    throw FilterError(QStringLiteral("invalid filter: %1 cannot be compared with '%2' (%3)")
                          .arg(n.field, n.value.text.isEmpty() ? QString::number(n.value.number) : n.value.text, why));
}

std::unique_ptr<Predicate> BindCompare(const Node& n, const Store& store)
{
    const int col = store.FindColumn(n.field);
    if (col < 0)
        throw FilterError(QStringLiteral("invalid filter: unknown field %1").arg(n.field));
    const Column& c = store.cols[size_t(col)];
    const Literal& v = n.value;
    if (v.kind == Literal::Null)
        return std::make_unique<NullPredicate>(col, n.op == Op::Eq);
    if (n.op == Op::Like) {
        if (c.IsText())
            return std::make_unique<TextLikePredicate>(col, v.text);
        return std::make_unique<ValueLikePredicate>(col, v.text);
    }
    switch (c.type) {
    case FieldType::String:
        if (v.kind == Literal::Number)
            return std::make_unique<TextNumberPredicate>(col, n.op, v.number);
        return std::make_unique<TextComparePredicate>(col, n.op, v.text);
    case FieldType::Float:
    case FieldType::SmallInt:
    case FieldType::Integer: {
        double d = v.number;
        if (v.kind != Literal::Number) {
            bool ok = false;
            d = v.text.trimmed().toDouble(&ok);
            if (!ok)
                Mismatch(n, QStringLiteral("not a number"));
        }
        if (c.IsFloat())
            return MakeNumeric<FloatPredicate>(n.op, col, d);
        return MakeNumeric<IntPredicate>(n.op, col, d);
    }
    case FieldType::Boolean: {
        double d = v.number;
        if (v.kind != Literal::Number) {
            const QString t = v.text.trimmed().toLower();
            if (t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("-1") ||
                t == QLatin1String("yes"))
                d = 1;
            else if (t == QLatin1String("false") || t == QLatin1String("0") || t == QLatin1String("no"))
                d = 0;
            else
                Mismatch(n, QStringLiteral("not a boolean"));
        }
        if (n.op != Op::Eq && n.op != Op::Ne)
            Mismatch(n, QStringLiteral("booleans compare with = or <> only"));
        return MakeNumeric<IntPredicate>(n.op, col, d != 0 ? 1 : 0);
    }
    case FieldType::DateTime: {
        qint64 e = 0;
        if (v.kind == Literal::Number || !dbstore::ParseDateTime(v.text, e)) {
            // A text that names no date (such as "0000-00-00") matches no date.
            if (v.kind == Literal::Number)
                Mismatch(n, QStringLiteral("not a date"));
            return std::make_unique<ConstPredicate>(n.op == Op::Ne); // "<> '0000-00-00'": every row
        }
        return MakeNumeric<IntPredicate>(n.op, col, double(e));
    }
    }
    return std::make_unique<ConstPredicate>(false);
}

} // namespace

std::unique_ptr<Predicate> Bind(const Node& tree, const Store& store)
{
    if (tree.kind == Node::Compare)
        return BindCompare(tree, store);
    return std::make_unique<AndOrPredicate>(tree.kind == Node::And, Bind(*tree.left, store), Bind(*tree.right, store));
}

} // namespace dbfilter
