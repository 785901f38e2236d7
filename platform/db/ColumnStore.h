#pragma once
// Internal storage of DataSet: one typed vector per column, texts interned
// per column in a UTF-16 pool (a catalogue column repeats few values: singers,
// languages, first letters), so a 300,000-row view holds no QVariant and no
// QString per cell.
#include "platform/db/DataSet.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <vector>

namespace dbstore {

class TextDict
{
public:
    TextDict() { m_aOffsets.push_back(0); }
    quint32 Intern(QStringView text);
    QStringView View(quint32 id) const
    {
        return QStringView(m_aPool.data() + m_aOffsets[id], qsizetype(m_aOffsets[id + 1] - m_aOffsets[id]));
    }
    quint32 Size() const { return quint32(m_aOffsets.size() - 1); }
    // Drops the look-up table (rebuilt on the next Intern).
    void Freeze();
    // For columns of mostly distinct texts: from now on every text is simply
    // appended (equal texts may then have several entries).
    void StopDedupe();
    bool Dedupes() const { return m_bDedupe; }
    size_t Bytes() const;

private:
    void Rehash(size_t minSlots);
    std::vector<char16_t> m_aPool;
    std::vector<quint32> m_aOffsets;
    quint32 Append(QStringView text);
    std::vector<quint64> m_aSlots; // open addressing: hash << 32 | (entry + 1), 0 empty
    bool m_bDedupe = true;
};

// Date-times are kept naive (no time zone): Julian day * 86400000 + ms of day.
qint64 EncodeDateTime(const QDateTime& dt);
qint64 EncodeDate(const QDate& d);
QDateTime DecodeDateTime(qint64 v);
// Parses "yyyy-MM-dd", "yyyy/MM/dd", optionally followed by " HH:mm[:ss[.zzz]]"
// or "THH:mm..."; false when the text is none of these.
bool ParseDateTime(QStringView text, qint64& out);
QString FormatDateTime(qint64 v);

// The non-null rows of an integer-kept column sorted by value (equal values
// in row order): a range of values is a range of this list.
struct ValueIndex
{
    std::vector<qint64> values;
    std::vector<quint32> rows;
};

struct Column
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0;
    int decimals = 0;
    bool typeKnown = true; // false while a query column's type is still inferred

    std::vector<qint64> ints;   // SmallInt, Integer, Boolean, DateTime
    std::vector<double> floats; // Float
    std::vector<quint32> texts; // String: dictionary ids
    TextDict dict;
    std::vector<uint8_t> nulls; // 1: null

    // Sort ranks of the dictionary entries (pinyin collation); valid for
    // rankSize entries.
    std::vector<quint32> rank;
    quint32 rankSize = 0;

    // Built on first use by the record filter; dropped when a value changes.
    mutable std::shared_ptr<const ValueIndex> valueIndex;
    const ValueIndex& Index() const;

    bool IsText() const { return type == FieldType::String; }
    bool IsFloat() const { return type == FieldType::Float; }
    bool IsInt() const { return !IsText() && !IsFloat(); }

    void PushNull();
    void PushInt(qint64 v);
    void PushFloat(double v);
    void PushText(QStringView v);
    // Converting setters used by the loaders and by Post.
    void Push(const QVariant& v);
    void Set(size_t row, const QVariant& v);
    QVariant Get(size_t row) const;
    // Converts a value to this column's type: a null QVariant for null. Throws
    // DbError when a text cannot be read as the type.
    QVariant Convert(const QVariant& v) const;
    void Reserve(size_t rows);
    // Gives back the spare capacity of the vectors after a load.
    void Shrink();
    size_t Bytes() const;
};

struct Store
{
    std::vector<Column> cols;
    size_t rows = 0;
    std::vector<uint8_t> deleted; // rows removed by Delete
    size_t deletedRows = 0;       // how many
    std::vector<qint64> rowIds;   // dBASE record numbers (empty for SQL sources)
    int FindColumn(const QString& name) const;
    void AddRow(const std::vector<QVariant>& values, qint64 rowId);
};

} // namespace dbstore
