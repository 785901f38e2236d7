#pragma once
// One object per database engine that yields the text of every statement that
// differs between engines. SQLite plays the role of the Jet catalogue
// (IsJetRole), SQL Server and PostgreSQL the role of the SQL Server databases.
// Every text below gives the same result on every engine, and each names its
// arguments in the order of its parameters, so '?' placeholders bind in that
// order.
#include <QString>

enum class DbEngine
{
    SQLite,
    PostgreSQL,
    SqlServer
};

class SqlDialect
{
public:
    virtual ~SqlDialect() = default;
    static const SqlDialect& For(DbEngine engine);

    virtual DbEngine Engine() const = 0;
    // True for the engine that stands in for the Jet catalogue (SQLite).
    bool IsJetRole() const { return Engine() == DbEngine::SQLite; }

    // Today's local date, without a time ("Date()" on Jet).
    virtual QString CurrentDate() const = 0;
    // The local date and time, to the second ("GetDate()", "now()").
    virtual QString CurrentDateTime() const = 0;
    // Whole calendar days from the date of `expr` to today (today: 0,
    // yesterday: 1); stands for "date()-clickTime".
    virtual QString DaysSince(const QString& expr) const = 0;
    // The date `days` days after the date of `expr` (negative: before).
    virtual QString AddDays(const QString& expr, int days) const = 0;
    // Minutes between two moments counted as minute boundaries crossed, as
    // "datediff(Mi, from, to)" counts them.
    virtual QString MinutesBetween(const QString& from, const QString& to) const = 0;
    // True when `needle` occurs inside `haystack`, ignoring ASCII case
    // (CHARINDEX(needle, haystack) > 0).
    virtual QString Contains(const QString& needle, const QString& haystack) const = 0;
    // The statement that takes the next flow number (sp_GetWaterId) for one
    // bound parameter, the tab number. SQL Server: an ODBC call with the
    // return value, @ID and the output @waterid bound as ?, ?, ? in this order
    // (FlowNumberIsOutput); PostgreSQL: a function that gives @waterid as its
    // one column; SQLite, which has no procedures: the same counter row
    // advanced by an UPDATE ... RETURNING, which holds the database's write
    // lock until the transaction ends.
    virtual QString FlowNumberCall() const = 0;
    // True when FlowNumberCall gives the number in an output parameter
    // rather than as a result row.
    bool FlowNumberIsOutput() const { return Engine() == DbEngine::SqlServer; }
    // A table or column name quoted for this engine (reserved words such as
    // order and user). PostgreSQL names are folded to lower case, as the
    // schema creates them unquoted.
    virtual QString QuoteName(const QString& name) const = 0;
    // "LIMIT n" style: the statement `select` limited to n rows.
    virtual QString Limit(const QString& select, int n) const = 0;
};
