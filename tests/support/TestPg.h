#pragma once
// Access to the private PostgreSQL server that CTest starts for the test run.
#include <QSqlDatabase>
#include <QString>

namespace testpg {

// True when the test run's server is reachable (VOD_TEST_PG_PORT is set).
bool Available();
QString Host();
int Port();

// Creates a new, empty database with a unique name and returns its name.
// Each test that writes to PostgreSQL uses a database of its own, so tests
// may run in parallel.
QString CreateDatabase(const QString& prefix = QStringLiteral("t"));

// A QtSql connection (QPSQL) to the named database under a unique
// connection name. The caller removes it with QSqlDatabase::removeDatabase.
QSqlDatabase Connect(const QString& database);

// The OLE-DB-style connection string the station reads from vod.ini.
QString ConnectionString(const QString& database);

} // namespace testpg
