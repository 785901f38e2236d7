#pragma once
// A connection to one database, opened from an OLE-DB-style connection string
// (see ConnectionString.h):
//   Provider=SQLite;Data Source=data/kroom.db          embedded SQLite file
//   Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data\kroom.mdb
//        a Jet provider whose source is an SQLite file; when the named .mdb
//        does not exist but kroom.db beside it does, that file is used; a real
//        Jet file is refused with an error that names it
//   Provider=PostgreSQL;Data Source=host;Port=5432;Initial Catalog=db;User ID=u;Password=p
//   Provider=SQLOLEDB (or MSOLEDBSQL, SQLNCLI): SQL Server through ODBC/FreeTDS
// Relative data sources are taken from the program folder (ExeDir); either
// path separator is accepted. A missing SQLite file is an error, unless the
// string carries Create=1 (the demo generator and the tests create catalogues).
//
// Statements that carry outside input (guest ids, song numbers, card numbers,
// room and computer names) bind their values: write '?' in the text and pass
// the values in `params`.
#include "platform/db/DbError.h"
#include "platform/db/Dialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

class DbConnection
{
public:
    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // Opens the engine the string names. Throws DbError with the driver's
    // message (and the file name for file engines) on failure.
    void Open(const QString& connectionString, const QString& exeDir = QString());
    void Close();
    bool IsOpen() const;

    QString ConnectionString() const { return m_sConnectionString; }
    DbEngine Engine() const { return m_eEngine; }
    const SqlDialect& Dialect() const { return SqlDialect::For(m_eEngine); }
    // The SQLite file in use (empty for server engines).
    QString FilePath() const { return m_sFilePath; }
    QSqlDatabase Database() const;

    // Runs a statement without a result set. Throws DbError.
    void Execute(const QString& sql, const QVariantList& params = {});
    // The same, swallowing every error: true when it ran.
    bool RunSql(const QString& sql, const QVariantList& params = {}) noexcept;
    // Runs a query (forward only) and gives it positioned before its first row.
    QSqlQuery Query(const QString& sql, const QVariantList& params = {});
    // First column of the first row; an invalid QVariant when there is none.
    QVariant Scalar(const QString& sql, const QVariantList& params = {});
    // Runs a script of statements separated by ';' at line ends.
    void ExecuteScript(const QString& script);
    // The same in one transaction: on failure nothing of it stays.
    void ExecuteScriptInTransaction(const QString& script);

    // Transactions (nesting is not supported).
    void Begin();
    void Commit();
    void Rollback();
    // True between Begin and Commit/Rollback on this object.
    bool InTransaction() const { return m_bInTransaction; }

    // The ODBC connection string for a SQL Server provider string (FreeTDS,
    // DSN-less). Exposed for tests.
    static QString OdbcString(const QString& connectionString);
    // The engine a connection string selects, without opening it.
    static DbEngine EngineOf(const QString& connectionString);
    // The SQLite file a SQLite or Jet connection string leads to, after the
    // .mdb fallback; throws DbError for a real Jet file.
    static QString ResolveSqliteFile(const QString& connectionString, const QString& exeDir);

private:
    QString m_sName; // QtSql connection name (unique per object)
    QString m_sConnectionString;
    QString m_sFilePath;
    DbEngine m_eEngine = DbEngine::SQLite;
    bool m_bInTransaction = false;
};
