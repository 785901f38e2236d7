#include "platform/db/DbConnection.h"

#include "platform/db/ConnectionString.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>

namespace {

QAtomicInt g_nConnections;

enum class Provider
{
    SQLite,
    Jet,
    PostgreSQL,
    SqlServer,
    Unknown
};

Provider ProviderOf(const DbConnectionString& cs)
{
    const QString p = cs.Provider().trimmed().toLower();
    if (p.startsWith(QLatin1String("sqlite")))
        return Provider::SQLite;
    if (p.contains(QLatin1String("jet.oledb")) || p.contains(QLatin1String("ace.oledb")))
        return Provider::Jet;
    if (p.startsWith(QLatin1String("postgres")) || p == QLatin1String("pgsql") || p == QLatin1String("psql") ||
        p == QLatin1String("npgsql"))
        return Provider::PostgreSQL;
    if (p.startsWith(QLatin1String("sqloledb")) || p.startsWith(QLatin1String("msoledbsql")) ||
        p.startsWith(QLatin1String("sqlncli")))
        return Provider::SqlServer;
    if (p.isEmpty()) {
        const QString ds = cs.DataSource().toLower();
        if (ds.endsWith(QLatin1String(".db")) || ds.endsWith(QLatin1String(".sqlite")))
            return Provider::SQLite;
        if (ds.endsWith(QLatin1String(".mdb")))
            return Provider::Jet;
    }
    return Provider::Unknown;
}

bool IsTrue(const QString& v)
{
    const QString t = v.trimmed().toLower();
    return t == QLatin1String("1") || t == QLatin1String("true") || t == QLatin1String("yes");
}

// Functions of the Jet dialect, so statement texts written for it run here:
// now() and date() give the local date-time and date, getdate() the same as
// now(), charindex() as SQL Server's.
void LocalNow(sqlite3_context* ctx, int, sqlite3_value**)
{
    const QByteArray t = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    sqlite3_result_text(ctx, t.constData(), int(t.size()), SQLITE_TRANSIENT);
}

void LocalDate(sqlite3_context* ctx, int, sqlite3_value**)
{
    const QByteArray t = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
    sqlite3_result_text(ctx, t.constData(), int(t.size()), SQLITE_TRANSIENT);
}

// charindex(needle, haystack): 1-based position of needle, 0 when absent,
// ignoring case (as SQL Server's default collation compares).
void CharIndex(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString needle = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])));
    const QString haystack = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])));
    sqlite3_result_int64(ctx, haystack.indexOf(needle, 0, Qt::CaseInsensitive) + 1);
}

void RegisterSqliteFunctions(QSqlDatabase& db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return;
    sqlite3* handle = *static_cast<sqlite3* const*>(v.data());
    if (!handle)
        return;
    sqlite3_create_function_v2(handle, "now", 0, SQLITE_UTF8, nullptr, LocalNow, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "getdate", 0, SQLITE_UTF8, nullptr, LocalNow, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "date", 0, SQLITE_UTF8, nullptr, LocalDate, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(handle, "charindex", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, CharIndex, nullptr,
                               nullptr, nullptr);
}

bool IsJetFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(32);
    return head.size() >= 19 && (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

QString ErrorText(const QSqlError& e, const QString& sql)
{
    QString text = e.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("database error");
    return sql.isEmpty() ? text : text + QStringLiteral(" [") + sql.left(300) + QLatin1Char(']');
}

} // namespace

DbConnection::DbConnection() : m_sName(QStringLiteral("vod_db_%1").arg(g_nConnections.fetchAndAddRelaxed(1) + 1)) {}

DbConnection::~DbConnection()
{
    Close();
}

DbEngine DbConnection::EngineOf(const QString& connectionString)
{
    switch (ProviderOf(DbConnectionString::Parse(connectionString))) {
    case Provider::PostgreSQL:
        return DbEngine::PostgreSQL;
    case Provider::SqlServer:
        return DbEngine::SqlServer;
    case Provider::SQLite:
    case Provider::Jet:
        return DbEngine::SQLite;
    case Provider::Unknown:
        break;
    }
    throw DbError(QStringLiteral("unknown database provider in connection string: ") +
                  DbConnectionString::Parse(connectionString).Provider());
}

QString DbConnection::ResolveSqliteFile(const QString& connectionString, const QString& exeDir)
{
    const DbConnectionString cs = DbConnectionString::Parse(connectionString);
    QString source = cs.DataSource().trimmed();
    if (source.isEmpty())
        throw DbError(QStringLiteral("connection string names no Data Source: ") + connectionString);
    source.replace(u'\\', u'/');
    const QString base = exeDir.isEmpty() ? QCoreApplication::applicationDirPath() : exeDir;
    QString path = QDir::isAbsolutePath(source) ? source : QDir(base).filePath(source);
    path = QDir::cleanPath(path);
    QFileInfo info(path);
    if (info.exists()) {
        if (IsJetFile(path))
            throw DbError(QStringLiteral("%1 is a Microsoft Access (Jet) database, which this system cannot open; "
                                         "convert it to an SQLite database (data/kroom.db)")
                              .arg(QDir::toNativeSeparators(path)));
        return path;
    }
    if (info.suffix().compare(QLatin1String("mdb"), Qt::CaseInsensitive) == 0) {
        const QDir dir = info.dir();
        for (const QString& name : {info.completeBaseName() + QStringLiteral(".db"), QStringLiteral("kroom.db")})
            if (QFileInfo::exists(dir.filePath(name)))
                return dir.filePath(name);
    }
    return path; // missing: Open decides whether it may be created
}

QString DbConnection::OdbcString(const QString& connectionString)
{
    const DbConnectionString cs = DbConnectionString::Parse(connectionString);
    QString server = cs.DataSource().trimmed();
    int port = cs.Port(1433);
    // "host,port" and "tcp:host" forms of the SQL Server providers.
    if (server.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        server = server.mid(4);
    const qsizetype comma = server.indexOf(u',');
    if (comma >= 0) {
        bool ok = false;
        const int p = server.mid(comma + 1).trimmed().toInt(&ok);
        if (ok)
            port = p;
        server = server.left(comma).trimmed();
    }
    if (server.isEmpty() || server == QLatin1String(".") ||
        server.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0)
        server = QStringLiteral("127.0.0.1");
    auto braced = [](const QString& v) {
        // ODBC values with ';', '{' or '}' are wrapped in braces, '}' doubled.
        if (v.contains(u';') || v.contains(u'{') || v.contains(u'}') || v.contains(u'=') || v != v.trimmed())
            return QLatin1Char('{') + QString(v).replace(u'}', QStringLiteral("}}")) + QLatin1Char('}');
        return v;
    };
    QString odbc = QStringLiteral("DRIVER={FreeTDS};SERVER=") + braced(server);
    if (!server.contains(u'\\'))
        odbc += QStringLiteral(";PORT=") + QString::number(port);
    if (!cs.Catalog().isEmpty())
        odbc += QStringLiteral(";DATABASE=") + braced(cs.Catalog());
    if (!cs.UserId().isEmpty())
        odbc += QStringLiteral(";UID=") + braced(cs.UserId());
    if (cs.Has(QStringLiteral("Password")) || cs.Has(QStringLiteral("PWD")))
        odbc += QStringLiteral(";PWD=") + braced(cs.Password());
    odbc += QStringLiteral(";TDS_Version=7.3;ClientCharset=UTF-8");
    return odbc;
}

void DbConnection::Open(const QString& connectionString, const QString& exeDir)
{
    Close();
    const DbConnectionString cs = DbConnectionString::Parse(connectionString);
    m_eEngine = EngineOf(connectionString);
    m_sConnectionString = connectionString;
    m_sFilePath.clear();
    QSqlDatabase db;
    switch (m_eEngine) {
    case DbEngine::SQLite: {
        const QString path = ResolveSqliteFile(connectionString, exeDir);
        if (!QFileInfo::exists(path) && !IsTrue(cs.Value(QStringLiteral("Create"))))
            throw DbError(QStringLiteral("database file not found: ") + QDir::toNativeSeparators(path));
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_sName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        m_sFilePath = path;
        break;
    }
    case DbEngine::PostgreSQL: {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_sName);
        QString host = cs.DataSource().trimmed();
        int port = cs.Port(5432);
        const qsizetype sep = host.lastIndexOf(host.contains(u',') ? u',' : u':');
        if (sep > 0 && !host.contains(u'/')) {
            bool ok = false;
            const int p = host.mid(sep + 1).toInt(&ok);
            if (ok) {
                port = p;
                host = host.left(sep);
            }
        }
        db.setHostName(host.isEmpty() ? QStringLiteral("127.0.0.1") : host);
        db.setPort(port);
        db.setDatabaseName(cs.Catalog());
        db.setUserName(cs.UserId());
        db.setPassword(cs.Password());
        db.setConnectOptions(QStringLiteral("connect_timeout=6"));
        break;
    }
    case DbEngine::SqlServer:
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_sName);
        db.setDatabaseName(OdbcString(connectionString));
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=6;SQL_ATTR_CONNECTION_TIMEOUT=6"));
        break;
    }
    if (!db.isValid()) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_sName);
        throw DbError(QStringLiteral("the database driver for this connection is not available: ") + cs.Provider());
    }
    if (!db.open()) {
        const QString error = db.lastError().text().trimmed();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_sName);
        throw DbError(
            QStringLiteral("cannot connect to the database") +
            (m_sFilePath.isEmpty() ? QString() : QStringLiteral(" ") + QDir::toNativeSeparators(m_sFilePath)) +
            QStringLiteral(": ") + error);
    }
    if (m_eEngine == DbEngine::SQLite) {
        RegisterSqliteFunctions(db);
        // Read the file through a memory map and keep a larger page cache: the
        // catalogue views read every page of the song tables at start-up.
        QSqlQuery(db).exec(QStringLiteral("PRAGMA mmap_size=536870912"));
        QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size=-16384"));
    }
}

void DbConnection::Close()
{
    m_bInTransaction = false;
    if (!QSqlDatabase::contains(m_sName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_sName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_sName);
}

bool DbConnection::IsOpen() const
{
    return QSqlDatabase::contains(m_sName) && QSqlDatabase::database(m_sName, false).isOpen();
}

QSqlDatabase DbConnection::Database() const
{
    if (!QSqlDatabase::contains(m_sName))
        throw DbError(QStringLiteral("the database connection is not open"));
    return QSqlDatabase::database(m_sName, false);
}

static void Bind(QSqlQuery& q, const QVariantList& params)
{
    for (qsizetype i = 0; i < params.size(); ++i)
        q.bindValue(int(i), params[i]);
}

QSqlQuery DbConnection::Query(const QString& sql, const QVariantList& params)
{
    QSqlQuery q(Database());
    q.setForwardOnly(true);
    bool ok;
    if (params.isEmpty()) {
        ok = q.exec(sql);
    } else {
        ok = q.prepare(sql);
        if (ok) {
            Bind(q, params);
            ok = q.exec();
        }
    }
    if (!ok)
        throw DbError(ErrorText(q.lastError(), sql));
    return q;
}

void DbConnection::Execute(const QString& sql, const QVariantList& params)
{
    Query(sql, params);
}

bool DbConnection::RunSql(const QString& sql, const QVariantList& params) noexcept
{
    try {
        Execute(sql, params);
        return true;
    } catch (...) {
        return false;
    }
}

QVariant DbConnection::Scalar(const QString& sql, const QVariantList& params)
{
    QSqlQuery q = Query(sql, params);
    if (q.next())
        return q.value(0);
    return QVariant();
}

void DbConnection::ExecuteScript(const QString& script)
{
    // Statements end with ';' at the end of a line; lines starting with "--" are comments.
    QString current;
    const QStringList lines = script.split(u'\n');
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1String("--")))
            continue;
        current += raw + QLatin1Char('\n');
        if (line.endsWith(u';')) {
            QString stmt = current.trimmed();
            stmt.chop(1);
            if (!stmt.trimmed().isEmpty())
                Execute(stmt);
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        Execute(current.trimmed());
}

void DbConnection::ExecuteScriptInTransaction(const QString& script)
{
    Begin();
    try {
        ExecuteScript(script);
        Commit();
    } catch (...) {
        Rollback();
        throw;
    }
}

void DbConnection::Begin()
{
    QSqlDatabase db = Database();
    if (!db.transaction())
        throw DbError(ErrorText(db.lastError(), QStringLiteral("BEGIN")));
    m_bInTransaction = true;
}

void DbConnection::Commit()
{
    QSqlDatabase db = Database();
    if (!db.commit())
        throw DbError(ErrorText(db.lastError(), QStringLiteral("COMMIT")));
    m_bInTransaction = false;
}

void DbConnection::Rollback()
{
    QSqlDatabase db = Database();
    db.rollback();
    m_bInTransaction = false;
}
