#include "support/TestPg.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <stdexcept>

namespace testpg {

bool Available() { return !qEnvironmentVariableIsEmpty("VOD_TEST_PG_PORT"); }

QString Host()
{
    const QString h = qEnvironmentVariable("VOD_TEST_PG_HOST");
    return h.isEmpty() ? QStringLiteral("127.0.0.1") : h;
}

int Port() { return qEnvironmentVariableIntValue("VOD_TEST_PG_PORT"); }

static QString UniqueName(const QString& prefix)
{
    return prefix + QLatin1Char('_') + QUuid::createUuid().toString(QUuid::Id128).left(16);
}

QSqlDatabase Connect(const QString& database)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), UniqueName(QStringLiteral("conn")));
    db.setHostName(Host());
    db.setPort(Port());
    db.setUserName(QStringLiteral("postgres"));
    db.setDatabaseName(database);
    if (!db.open())
        throw std::runtime_error(("cannot connect to test PostgreSQL: " + db.lastError().text()).toStdString());
    return db;
}

QString CreateDatabase(const QString& prefix)
{
    const QString name = UniqueName(prefix).toLower();
    QString connName;
    {
        QSqlDatabase admin = Connect(QStringLiteral("postgres"));
        connName = admin.connectionName();
        QSqlQuery q(admin);
        if (!q.exec(QStringLiteral("CREATE DATABASE \"%1\" ENCODING 'UTF8' TEMPLATE template0").arg(name)))
            throw std::runtime_error(("CREATE DATABASE failed: " + q.lastError().text()).toStdString());
        admin.close();
    }
    QSqlDatabase::removeDatabase(connName);
    return name;
}

QString ConnectionString(const QString& database)
{
    return QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;User ID=postgres;Password=")
        .arg(Host())
        .arg(Port())
        .arg(database);
}

} // namespace testpg
