#include "CoreTestUtil.h"

#include "support/DemoInstall.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

namespace coretest {

QString Program(const char* name)
{
    return qEnvironmentVariable("VOD_EXE_DIR") + u'/' + QLatin1String(name);
}

TRun RunProgram(const QString& program, const QStringList& args, const QMap<QString, QString>& env)
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("QT_QPA_PLATFORM", "offscreen");
    for (auto it = env.begin(); it != env.end(); ++it)
        e.insert(it.key(), it.value());
    p.setProcessEnvironment(e);
    p.start(program, args);
    TRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.Err = "timed out";
        return r;
    }
    r.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void MakeDemo(const TInstall& dir)
{
    // A small catalogue keeps the run short.
    const QString error = testsupport::MakeDemoInstallation(dir.Dir(), {"--songs", "50", "--photos", "1"});
    ASSERT_TRUE(error.isEmpty()) << qPrintable(error);
    // A window caption of its own: other tests run demo stations at the same
    // time, and a station does not start beside another of the same caption.
    SetCatalogueSetting(dir, "vod", "Client_Caption",
                        QStringLiteral("core-station-") + QUuid::createUuid().toString(QUuid::Id128));
}

// Sets one row of the demo catalogue's Setting table (data/kroom.db).
void SetCatalogueSetting(const TInstall& dir, const QString& type, const QString& name, const QString& value)
{
    const QString connection = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection);
        db.setDatabaseName(dir.Path("data/kroom.db"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        q.prepare("DELETE FROM Setting WHERE type=? AND name=?");
        q.addBindValue(type);
        q.addBindValue(name);
        ASSERT_TRUE(q.exec());
        q.prepare("INSERT INTO Setting (type, name, value) VALUES (?,?,?)");
        q.addBindValue(type);
        q.addBindValue(name);
        q.addBindValue(value);
        ASSERT_TRUE(q.exec());
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace coretest
