#pragma once
// A small venue's room-service database on SQLite (a file of its own) or on
// the test run's PostgreSQL server (a database of its own): three rooms, two
// of them open, a menu with stopped and missing dishes, staff, gift rules,
// price rules of a date and of every day, rate types, two room arrangements
// (one with weekday time segments, one without) and the time settings.
// Prices are computed at fixed moments (SetNow), so results do not depend on
// the day the tests run.
#include "platform/db/DbConnection.h"
#include "roomservice/FrmAdo.h"
#include "support/QtPrint.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace hoteltest {

// Wednesday 4 March 2026, 20:00: the evening rule of that date applies.
QDateTime Evening();
QDateTime At(const QString& text); // "yyyy-MM-dd HH:mm:ss"

class Venue
{
public:
    // postgres: a new database of the test server (the caller skips when it
    // is not available), or the database the connection string names.
    explicit Venue(bool postgres, const QString& connection = QString());
    ~Venue();

    bool Postgres() const { return m_bPostgres; }
    QString HotelAdo() const { return m_sHotelAdo; }
    QString Dir() const { return m_dir.path(); }
    DbConnection& Db() { return m_db; }

    void Exec(const QString& sql, const QVariantList& params = {});
    QVariant Scalar(const QString& sql, const QVariantList& params = {});
    // Rows of a query, each row's columns joined by '|'.
    QStringList Rows(const QString& sql, const QVariantList& params = {});
    // A placed order line of tab T0001 with the given flags.
    void AddPlacedLine(double total, bool countsToMinimum, bool serviceCharge, bool discountable,
                       int lowestDiscount = 0);
    // Sets the check-in time of room V01.
    void CheckIn(const QDateTime& when);

    // The data module for a computer, with messages collected and the
    // price engine's clocks fixed at `now`.
    std::unique_ptr<TFrmAdo> Station(const QString& computer, const QDateTime& now = Evening());
    QStringList Messages() const { return m_aMessages; }
    void ClearMessages() { m_aMessages.clear(); }

private:
    bool m_bPostgres;
    QTemporaryDir m_dir;
    QString m_sHotelAdo;
    DbConnection m_db;
    QStringList m_aMessages;
};

// A program of the installation folder (vod-frontdesk, vod-bill) run to its
// end: exit code, standard output lines and error output.
struct ProgramRun
{
    int code = -1;
    QStringList lines;
    QString errors;
};
ProgramRun RunProgram(const QString& name, const QStringList& args);

// A PostgreSQL server of one test alone, which it stops and starts again
// (the database server gone in the middle of a session).
class OwnServer
{
public:
    OwnServer();
    ~OwnServer();
    bool Started() const { return m_bStarted; }
    // pg.sh's command: stop, start, restart. True when it succeeded.
    bool Run(const QString& command);
    QString HotelAdo() const;

private:
    QTemporaryDir m_dir;
    int m_nPort = 0;
    bool m_bStarted = false;
};

// Runs every test of a suite on SQLite and on PostgreSQL.
class EngineTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override;
    Venue& V() { return *m_pVenue; }
    std::unique_ptr<Venue> m_pVenue;
};

std::string EngineName(const ::testing::TestParamInfo<bool>& info);

} // namespace hoteltest
