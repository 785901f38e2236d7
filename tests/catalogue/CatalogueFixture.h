#pragma once
// A station installation in a temporary folder: vod.ini naming a catalogue
// (an SQLite file of its own or a PostgreSQL database of the test server),
// Language.ini, the data folder with order.dbf and its backups.
#include "catalogue/FrmData.h"
#include "platform/db/DbConnection.h"
#include "support/QtPrint.h"
#include "tools/demo/CatalogueGenerator.h"

#include <QList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace cattest {

// The station's computer name as the settings object reads it.
QString ComputerName();

// Inserts singers and songs (one transaction, prepared statements).
void InsertCatalogue(DbConnection& c, const std::vector<DemoSinger>& singers, const std::vector<DemoSong>& songs);
// A plain song with the given attributes; the rest filled in.
DemoSong MakeSong(const QString& no, const QString& name, const QString& singer, int lanType, int type = 1);

// A generated catalogue, deterministic.
struct Generated
{
    std::vector<DemoSinger> singers;
    std::vector<DemoSong> songs;
};
Generated Generate(int singers, int songs, quint32 seed = 11);

class Installation
{
public:
    // postgres: the catalogue is a new database of the test server.
    explicit Installation(bool postgres = false);
    ~Installation();

    QString ExeDir() const { return m_dir.path() + QLatin1Char('/'); }
    QString DataDir() const { return ExeDir() + QStringLiteral("data/"); }
    DbConnection& Db() { return *m_pDb; }
    bool Postgres() const { return m_bPostgres; }
    QString KroomAdo() const { return m_sKroomAdo; }
    // Rewrites vod.ini with another catalogue connection string.
    void SetKroomAdo(const QString& connectionString);

    // Replaces a row of the Setting table (type "vod" unless given).
    void SetSetting(const QString& name, const QString& value, const QString& type = QStringLiteral("vod"));
    // A queue row appended to the given order.dbf (DataDir()/order.dbf by default).
    void AddQueueRow(const QString& songNo, const QString& name, int num, const QString& playing,
                     const QString& lanType = QStringLiteral("1"), const QString& dbf = QString());

    // The data module on this installation with a stand-in instance check.
    std::unique_ptr<TFrmData> Open(bool otherInstanceRuns = false);
    int PlayerStarts() const { return m_nPlayerStarts; }
    QStringList Errors() const { return m_aErrors; }

private:
    QTemporaryDir m_dir;
    bool m_bPostgres = false;
    QString m_sKroomAdo;
    std::unique_ptr<DbConnection> m_pDb;
    int m_nPlayerStarts = 0;
    QStringList m_aErrors;
    class FakeInstances;
    std::unique_ptr<FakeInstances> m_pInstances;
};

// The data module on an existing installation folder, as a second start of
// the station would open it (tests running as a child process).
std::unique_ptr<TFrmData> OpenInstallation(const QString& exeDir);

// The song numbers of a view in its order (the view's cursor moves).
QStringList Column(DataSet& view, const QString& field);

} // namespace cattest
