#pragma once
// Record filter texts of DataSet: parsing into a syntax tree (once per text)
// and binding the tree to a store's columns as a predicate that evaluates a
// whole column at a time. See DataSet.h for the syntax.
#include "platform/db/ColumnStore.h"

#include <memory>
#include <string>

namespace dbfilter {

enum class Op
{
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Like
};

struct Literal
{
    enum Kind
    {
        Number,
        Text,
        Date,
        Null
    } kind = Null;
    double number = 0;
    QString text;
};

struct Node
{
    enum Kind
    {
        And,
        Or,
        Compare
    } kind = Compare;
    std::unique_ptr<Node> left, right;
    QString field;
    Op op = Op::Eq;
    Literal value;
};

// Throws FilterError with the position of the fault.
std::unique_ptr<Node> Parse(const QString& text);

class Predicate
{
public:
    virtual ~Predicate() = default;
    // mask[r] = 1 for rows 0..rows-1 that pass.
    virtual void Eval(const dbstore::Store& store, uint8_t* mask) const = 0;
    virtual bool Match(const dbstore::Store& store, size_t row) const = 0;
    // The number of matching rows when an index tells it at once, else -1;
    // then Collect gives those rows.
    virtual qint64 Estimate(const dbstore::Store&) const { return -1; }
    virtual void Collect(const dbstore::Store&, std::vector<quint32>&) const {}
    // Every passing row, in no particular order, when a value index narrows
    // the candidates to a small part of the rows (see kSparseShare); else
    // false and `out` is left alone.
    virtual bool Rows(const dbstore::Store&, std::vector<quint32>&) const { return false; }
    // Keeps the passing rows of a list, in their order.
    virtual void Keep(const dbstore::Store& store, std::vector<quint32>& rows) const;
    // For a comparison of an integer-kept column with a number: the column
    // and the inclusive range of values that pass (nulls never pass).
    virtual bool Interval(int& /*col*/, qint64& /*lo*/, qint64& /*hi*/) const { return false; }
};

// A filter answers from its value indexes when they leave at most one row in
// this many as candidates.
constexpr size_t kSparseShare = 8;

// Binds to the store's columns; throws FilterError for an unknown field or a
// value that cannot be compared with the field's type.
std::unique_ptr<Predicate> Bind(const Node& tree, const dbstore::Store& store);

// Like-pattern matching with % and * (any run), ignoring case.
class LikePattern
{
public:
    explicit LikePattern(const QString& pattern);
    bool Match(QStringView text) const;

private:
    std::vector<std::u16string> m_aParts; // case-folded
    bool m_bAnchorStart = true;
    bool m_bAnchorEnd = true;
};

} // namespace dbfilter
