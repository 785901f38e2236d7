#include "platform/db/Dialect.h"

namespace {

class SqliteDialect final : public SqlDialect
{
public:
    DbEngine Engine() const override { return DbEngine::SQLite; }
    QString CurrentDate() const override { return QStringLiteral("date('now','localtime')"); }
    QString CurrentDateTime() const override { return QStringLiteral("datetime('now','localtime')"); }
    QString DaysSince(const QString& expr) const override
    {
        return QStringLiteral("CAST(julianday(date('now','localtime')) - julianday(date(%1)) AS INTEGER)").arg(expr);
    }
    QString AddDays(const QString& expr, int days) const override
    {
        return QStringLiteral("date(%1,'%2%3 days')").arg(expr, days < 0 ? QString() : QStringLiteral("+")).arg(days);
    }
    QString MinutesBetween(const QString& from, const QString& to) const override
    {
        // Written so that `from` comes first in the text (placeholders bind in text order).
        return QStringLiteral("(0 - CAST(strftime('%s',%1) AS INTEGER)/60 + CAST(strftime('%s',%2) AS INTEGER)/60)")
            .arg(from, to);
    }
    QString Contains(const QString& needle, const QString& haystack) const override
    {
        // charindex() is registered on every SQLite connection (DbConnection).
        return QStringLiteral("charindex(%1,%2)>0").arg(needle, haystack);
    }
    QString FlowNumberCall() const override
    {
        return QStringLiteral("UPDATE t_WaterId SET iWaterId=iWaterId+1, cLastId=? WHERE cKey='dc' RETURNING iWaterId");
    }
    QString QuoteName(const QString& name) const override
    {
        return QLatin1Char('"') + QString(name).replace(u'"', QStringLiteral("\"\"")) + QLatin1Char('"');
    }
    QString Limit(const QString& select, int n) const override
    {
        return select + QStringLiteral(" LIMIT ") + QString::number(n);
    }
};

class PostgresDialect final : public SqlDialect
{
public:
    DbEngine Engine() const override { return DbEngine::PostgreSQL; }
    QString CurrentDate() const override { return QStringLiteral("CURRENT_DATE"); }
    QString CurrentDateTime() const override { return QStringLiteral("LOCALTIMESTAMP(0)"); }
    QString DaysSince(const QString& expr) const override
    {
        return QStringLiteral("(CURRENT_DATE - CAST(%1 AS DATE))").arg(expr);
    }
    QString AddDays(const QString& expr, int days) const override
    {
        return QStringLiteral("(CAST(%1 AS DATE) + (%2))").arg(expr).arg(days);
    }
    QString MinutesBetween(const QString& from, const QString& to) const override
    {
        return QStringLiteral("CAST(0 - floor(extract(epoch from CAST(%1 AS timestamp))/60) + "
                              "floor(extract(epoch from CAST(%2 AS timestamp))/60) AS INTEGER)")
            .arg(from, to);
    }
    QString Contains(const QString& needle, const QString& haystack) const override
    {
        return QStringLiteral("position(lower(%1) in lower(%2))>0").arg(needle, haystack);
    }
    QString FlowNumberCall() const override { return QStringLiteral("SELECT sp_getwaterid(?) AS waterid"); }
    QString QuoteName(const QString& name) const override
    {
        return QLatin1Char('"') + name.toLower().replace(u'"', QStringLiteral("\"\"")) + QLatin1Char('"');
    }
    QString Limit(const QString& select, int n) const override
    {
        return select + QStringLiteral(" LIMIT ") + QString::number(n);
    }
};

class SqlServerDialect final : public SqlDialect
{
public:
    DbEngine Engine() const override { return DbEngine::SqlServer; }
    QString CurrentDate() const override { return QStringLiteral("CAST(GETDATE() AS DATE)"); }
    QString CurrentDateTime() const override { return QStringLiteral("CAST(GETDATE() AS DATETIME2(0))"); }
    QString DaysSince(const QString& expr) const override
    {
        return QStringLiteral("DATEDIFF(day,%1,GETDATE())").arg(expr);
    }
    QString AddDays(const QString& expr, int days) const override
    {
        return QStringLiteral("DATEADD(day,%2,CAST(%1 AS DATE))").arg(expr).arg(days);
    }
    QString MinutesBetween(const QString& from, const QString& to) const override
    {
        return QStringLiteral("DATEDIFF(Mi,%1,%2)").arg(from, to);
    }
    QString Contains(const QString& needle, const QString& haystack) const override
    {
        return QStringLiteral("CHARINDEX(%1,%2)>0").arg(needle, haystack);
    }
    QString FlowNumberCall() const override { return QStringLiteral("{? = CALL sp_GetWaterId(?, ?)}"); }
    QString QuoteName(const QString& name) const override
    {
        return QLatin1Char('[') + QString(name).replace(u']', QStringLiteral("]]")) + QLatin1Char(']');
    }
    QString Limit(const QString& select, int n) const override
    {
        QString s = select;
        const qsizetype at = s.indexOf(QStringLiteral("select"), 0, Qt::CaseInsensitive);
        if (at >= 0)
            s.insert(at + 6, QStringLiteral(" TOP ") + QString::number(n));
        return s;
    }
};

} // namespace

const SqlDialect& SqlDialect::For(DbEngine engine)
{
    static const SqliteDialect sqlite;
    static const PostgresDialect postgres;
    static const SqlServerDialect sqlServer;
    switch (engine) {
    case DbEngine::PostgreSQL:
        return postgres;
    case DbEngine::SqlServer:
        return sqlServer;
    case DbEngine::SQLite:
        break;
    }
    return sqlite;
}
