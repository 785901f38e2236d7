// Films, adult films and dance films stay out of the song categories and the
// rankings, on the demo catalogue as the station loads it from SQLite and
// from PostgreSQL.
#include "CatalogueFixture.h"
#include "catalogue/SongFilter.h"
#include "platform/db/DataSet.h"
#include "support/DemoInstall.h"
#include "support/TestPg.h"

#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace cattest;

namespace {

class SongFilterFilmsTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QStringList args = {QStringLiteral("--songs"), QStringLiteral("6000"), QStringLiteral("--photos"),
                            QStringLiteral("1")};
        QString connection =
            QStringLiteral("Provider=SQLite;Data Source=") + m_dir.path() + QStringLiteral("/data/kroom.db");
        if (GetParam()) {
            ASSERT_TRUE(testpg::Available());
            connection = testpg::ConnectionString(testpg::CreateDatabase(QStringLiteral("films")));
            args << QStringLiteral("--postgres") << connection;
        }
        const QString error = testsupport::MakeDemoInstallation(m_dir.path(), args);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        m_db.Open(connection, m_dir.path() + u'/');
        m_songs.SetConnection(&m_db);
        m_songs.SetTableName(QStringLiteral("qu_song"));
        m_songs.Open();
        m_filter = std::make_unique<TSongFilter>(&m_songs);
    }

    // Song numbers the database itself gives for a condition, sorted.
    QStringList Sql(const QString& where)
    {
        QSqlQuery q = m_db.Query(QStringLiteral("SELECT SongNo FROM qu_song WHERE ") + where);
        QStringList out;
        while (q.next())
            out.append(q.value(0).toString());
        out.sort();
        return out;
    }
    QStringList Listed()
    {
        QStringList l = Column(m_songs, QStringLiteral("SongNo"));
        l.sort();
        return l;
    }

    QTemporaryDir m_dir;
    DbConnection m_db;
    DataSet m_songs;
    std::unique_ptr<TSongFilter> m_filter;
};

TEST_P(SongFilterFilmsTest, SongTypesAndRankingsListNoFilms)
{
    // The demo catalogue has films of types 1 to 5, played in every period.
    const QString songs = QStringLiteral("Lan_Type NOT IN (0, 20, 21) AND ");
    ASSERT_FALSE(Sql(QStringLiteral("Lan_Type IN (0, 20, 21) AND Type = 5")).isEmpty());
    ASSERT_FALSE(Sql(QStringLiteral("Lan_Type IN (0, 20, 21) AND TimesWeek > 0")).isEmpty());
    for (int type = 1; type <= 9; ++type) {
        const QString t = QString::number(type);
        m_filter->SetSongType(t);
        EXPECT_EQ(Listed(), Sql(songs + QStringLiteral("Type = ") + t)) << "song type " << type;
    }
    const struct
    {
        const char *value, *counter;
    } rankings[] = {{"0", "TimesWeek"}, {"9", "TimesMonth"}, {"8", "TimesSeason"}, {"7", "TimesYear"}};
    for (const auto& r : rankings) {
        m_filter->SetRanking(QString::fromLatin1(r.value));
        EXPECT_EQ(Listed(), Sql(songs + QLatin1String(r.counter) + QStringLiteral(" > 0"))) << r.value;
    }
    // Films keep their own screens.
    m_filter->SetAdultType(QStringLiteral("3"));
    EXPECT_EQ(Listed(), Sql(QStringLiteral("Lan_Type = 20 AND Type = 3")));
}

INSTANTIATE_TEST_SUITE_P(DemoCatalogue, SongFilterFilmsTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "PostgreSQL" : "SQLite");
                         });

} // namespace
