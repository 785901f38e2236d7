#pragma once
// Reader of the catalogue's Setting table (columns type, name, value): turns
// rows into typed values with defaults, the row's type acting as the section
// and its name as the key.
#include <QList>
#include <QString>

// The rows the reader looks in. The catalogue binds this to its "Set" query;
// tests bind it to rows held in memory. Errors of the underlying data set
// (a lost connection, ...) are thrown as Exception.
class ISettingRows
{
public:
    virtual ~ISettingRows() = default;
    // Moves to the row whose type and name equal the given texts (the data
    // source's own text comparison, whole texts). False when there is none.
    virtual bool Locate(const QString& type, const QString& name) = 0;
    // The value column of the row found by the last successful Locate.
    virtual QString Value() = 0;
};

// Setting rows held in memory. Type and name are compared ignoring ASCII
// case, as the catalogue engines' default collations do.
class TMemorySettingRows : public ISettingRows
{
public:
    struct Row
    {
        QString Type, Name, Value;
    };
    TMemorySettingRows() = default;
    explicit TMemorySettingRows(QList<Row> rows) : m_aRows(std::move(rows)) {}
    void Add(const QString& type, const QString& name, const QString& value) { m_aRows.append({type, name, value}); }
    const QList<Row>& Rows() const { return m_aRows; }

    bool Locate(const QString& type, const QString& name) override;
    QString Value() override;

private:
    QList<Row> m_aRows;
    qsizetype m_nCurrent = -1;
};

class TReadSetting
{
public:
    // Binds the rows to read (not owned); null unbinds.
    void SetDataSet(ISettingRows* rows) { m_pDataSet = rows; }
    ISettingRows* DataSet() const { return m_pDataSet; }

    // The row's value, the default when the row is missing, the empty text
    // when no rows are bound. Data-set errors reach the caller.
    QString ReadString(const QString& type, const QString& name, const QString& def);
    // The value as a whole number (optional sign, decimal or hexadecimal
    // after "$" or "0x"); the default when the row is missing or its value is
    // no number.
    int ReadInteger(const QString& type, const QString& name, int def);
    // True exactly when the value text is "1".
    bool ReadBool(const QString& type, const QString& name, bool def);
    // The value as a decimal number ('.' as separator); the default when it is none.
    double ReadFloat(const QString& type, const QString& name, double def);

private:
    ISettingRows* m_pDataSet = nullptr;
};
