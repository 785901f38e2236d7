#include "HotelFixture.h"

#include "roomservice/HotelSchema.h"
#include "support/ChildProcess.h"
#include "support/TestPg.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTcpServer>

namespace hoteltest {

QDateTime Evening()
{
    return At(QStringLiteral("2026-03-04 20:00:00"));
}

QDateTime At(const QString& text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

namespace {

struct Table
{
    const char* insert;
    std::vector<QVariantList> rows;
};

QString Weekday(int i)
{
    static const char* const names[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    return QString::fromUtf8(names[i]);
}

} // namespace

Venue::Venue(bool postgres, const QString& connection) : m_bPostgres(postgres)
{
    // The station's clock is never set from a test database.
    qputenv("VOD_KEEP_CLOCK", "1");
    if (!connection.isEmpty())
        m_sHotelAdo = connection;
    else if (postgres)
        m_sHotelAdo = testpg::ConnectionString(testpg::CreateDatabase(QStringLiteral("hotel")));
    else
        m_sHotelAdo =
            QStringLiteral("Provider=SQLite;Create=1;Data Source=") + m_dir.filePath(QStringLiteral("hotel.db"));
    m_db.Open(m_sHotelAdo);
    CreateHotelSchema(m_db);
    const QVariant null;
    const Table tables[] = {
        {"INSERT INTO t_sys (bTimeprice, iTimeUnit) VALUES (?,?)", {{1, 60}}},
        {"INSERT INTO t_fj (cRoomNo, cRoomName, cRoomType, cFloor, cComputer) VALUES (?,?,?,?,?)",
         {{"101", "V01", "大包", "1F", "station-a"},
          {"102", "V02", "小包", "1F", "station-b"},
          {"103", "V03", "小包", "2F", "station-c"}}},
        {"INSERT INTO t_kf (cTabNo, cRoomNo, cRoomName, cRoomType, iArrId, cArrName, cFloor, cGuestType, "
         "dCheckINTime, iOPenRNum, mRoomRate, mLowRate, mTeaCharge, mPrepmoney, fDiscount, mServiceRate) "
         "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
         {{"T0001", "101", "V01", "大包", 1, "大包标准", "1F", "会员", "2026-03-04 19:00:00", 4, 100, 300, 10, 50, 90,
           10},
          {"T0002", "102", "V02", "小包", 2, "小包夜场", "1F", "散客", "2026-03-04 19:00:00", 2, 0, 0, 0, 0, 100, 0}}},
        {"INSERT INTO t_cl (cFoodTypeNo, cFoodTypeName, cDepartment) VALUES (?,?,?)",
         {{"01", "啤酒", "2"}, {"02", "小吃", "2"}, {"03", "厨房", "1"}}},
        {"INSERT INTO t_cp (cFoodNo, cFoodName, cFoodTypeNo, cFoodTypename, cUnit, mCost, mPrice, bCanDiscount, "
         "iLowDiscount, bAttendLowconsume, bHaveServiceCharge, cKitch, bStop, bLack, cDepartment) "
         "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
         {{"P001", "青岛啤酒", "01", "啤酒", "瓶", 5, 15, 1, 0, 1, 1, "BAR", 0, 0, "2"},
          {"P002", "百威啤酒", "01", "啤酒", "瓶", 8, 20, 1, 0, 1, 1, "BAR", 0, null, "2"},
          {"S001", "爆米花", "02", "小吃", "份", 4, 18, 1, 0, 1, 1, "K1", null, 0, "2"},
          {"S002", "果盘", "02", "小吃", "份", 20, 68, 0, 0, 0, 0, "K1", 0, 0, "2"},
          {"S003", "薯条", "02", "小吃", "份", 5, 22, 1, 0, 1, 1, "K1", 1, 0, "2"},
          {"S004", "鸡翅", "02", "小吃", "份", 9, 38, 1, 0, 1, 1, "K1", 0, 1, "2"},
          {"G001", "花生", "02", "小吃", "碟", 2, 10, 1, 0, 1, 1, "K1", 0, 0, "2"},
          {"K001", "炒饭", "03", "厨房", "份", 6, 25, 1, 0, 1, 1, "K2", 0, 0, "1"}}},
        {"INSERT INTO t_metadata (ctype, cName) VALUES (?,?)", {{"PZ", "加冰"}, {"PZ", "常温"}, {"XX", "其他"}}},
        {"INSERT INTO t_fwy (CEmployeeNO, CEmployeeName, CCardNO) VALUES (?,?,?)",
         {{"E01", "张经理", "CARD123"}, {"E02", "李领班", "CARD456"}}},
        {"INSERT INTO t_cpSend (bFlag, cBuyCpNo, dBeginTime, dEndTime, fBuyNum, fSendNum, cSendCpNo) "
         "VALUES (?,?,?,?,?,?,?)",
         {{1, "P001", "00:00", "23:59", 3, 1, "G001"},
          {1, "P002", "00:00", "23:59", 2, 1, "P002"},
          {1, "P002", "00:00", "23:59", 5, 2, "P002"},
          {1, "S001", "00:00", "23:59", 0, 1, "G001"},
          {1, "S002", "14:00", "16:00", 1, 1, "G001"},
          {0, "G001", "00:00", "23:59", 1, 1, "G001"}}},
        {"INSERT INTO t_price (bused, cDepartment, dDate, cItemType, cBeginTime, cEndTime, cPriceType) "
         "VALUES (?,?,?,?,?,?,?)",
         {{1, "2", "2026-03-04", "2", "18:00:00", "23:59:59", "HAPPY"},
          {1, "2", "0000-00-00", "2", "00:00:00", "23:59:59", "DISH_ALL"},
          {1, "2", "2026-03-05", "2", "00:00:00", "23:59:59", "TOMORROW"},
          {0, "2", "0000-00-00", "2", "00:00:00", "23:59:59", "UNUSED"},
          {1, "2", "0000-00-00", "1", "00:00:00", "23:59:59", " ROOM_STD "}}},
        {"INSERT INTO t_ratetype (cRateTypeName, cItemNo, cItemName, cRoomType, cGuestGrade, cArtGrade, cUnit, "
         "mRate, fDiscount, mSerRate, mSurRate, mLowFree, fLowTimes, mTimePrice) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
         {// The evening of 4 March: beer P001 by room arrangement, guest grade and unit.
          {"HAPPY", "P001", "青岛啤酒", "大包标准", "会员", "", "瓶", 10, 100, 0, 0, 0, 0, 0},
          {"HAPPY", "P001", "青岛啤酒", "", "", "", "", 11, 100, 0, 0, 0, 0, 0},
          // Every day: P001 at 80 %, the fruit plate at 12 × 50 %, snacks half price.
          {"DISH_ALL", "P001", "青岛啤酒", "", "", "", "", 0, 80, 0, 0, 0, 0, 0},
          {"DISH_ALL", "S002", "果盘", "", "", "", "", 12, 50, 0, 0, 0, 0, 0},
          {"DISH_ALL", "02", "小吃", "", "", "", "", 0, 50, 0, 0, 0, 0, 0},
          {"TOMORROW", "P002", "百威啤酒", "", "", "", "", 1, 100, 0, 0, 0, 0, 0},
          {"UNUSED", "P002", "百威啤酒", "", "", "", "", 2, 100, 0, 0, 0, 0, 0},
          // Room time: members of arrangement 1 pay 150 and 90 a unit.
          {"ROOM_STD", "1", "大包标准", "", "会员", "", "", 150, 100, 5, 0, 200, 0, 90}}},
        {"INSERT INTO t_RoomArr (iArrId, cArrName, mRoomRate, mServiceCharge, mLowCharge, fLowTimes, mTimePrice) "
         "VALUES (?,?,?,?,?,?,?)",
         {{1, "大包标准", 100, 0, 300, 0, 60}, {2, "小包夜场", 50, 0, 0, 0, 30}}},
    };
    m_db.Begin();
    for (const Table& t : tables)
        for (const QVariantList& row : t.rows)
            m_db.Execute(QString::fromUtf8(t.insert), row);
    // Arrangement 1: 60 a unit until 18:00 and 120 after, but 40 before
    // 18:00 on Thursdays. Arrangement 2 has no segments.
    for (int day = 0; day < 7; ++day) {
        const char* insert = "INSERT INTO t_fjsj (iArrId, cDate, cBeginTime, cEndTime, mPrice, fDiscount) "
                             "VALUES (?,?,?,?,?,?)";
        m_db.Execute(QString::fromUtf8(insert), {1, Weekday(day), "00:00:00", "18:00:00", day == 4 ? 40 : 60, 100});
        m_db.Execute(QString::fromUtf8(insert), {1, Weekday(day), "18:00:00", "23:59:59", 120, 100});
    }
    m_db.Commit();
}

Venue::~Venue() = default;

void Venue::Exec(const QString& sql, const QVariantList& params)
{
    m_db.Execute(sql, params);
}

QVariant Venue::Scalar(const QString& sql, const QVariantList& params)
{
    return m_db.Scalar(sql, params);
}

QStringList Venue::Rows(const QString& sql, const QVariantList& params)
{
    QStringList rows;
    QSqlQuery q = m_db.Query(sql, params);
    while (q.next()) {
        QStringList cols;
        for (int i = 0; i < q.record().count(); ++i) {
            const QVariant v = q.value(i);
            // Numbers the same on every engine ("2" and "2.5", not "2.0000").
            bool ok = false;
            const double d = v.toString().toDouble(&ok);
            cols << (v.isNull() ? QStringLiteral("null") : ok ? QString::number(d, 'g', 12) : v.toString());
        }
        rows << cols.join(u'|');
    }
    return rows;
}

void Venue::AddPlacedLine(double total, bool countsToMinimum, bool serviceCharge, bool discountable, int lowestDiscount)
{
    Exec(QStringLiteral("INSERT INTO t_dc (cTabNo, cDepartment, bXd, cFoodNo, fNum, mPrice, mTotal, "
                        "bAttendLowConsume, bhaveServiceCharge, bCanDiscount, iLowDiscount) "
                        "VALUES ('T0001','2',1,'X',1,?,?,?,?,?,?)"),
         {total, total, countsToMinimum ? 1 : 0, serviceCharge ? 1 : 0, discountable ? 1 : 0, lowestDiscount});
}

void Venue::CheckIn(const QDateTime& when)
{
    Exec(QStringLiteral("UPDATE t_kf SET dCheckINTime=? WHERE cRoomName='V01'"),
         {when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
}

std::unique_ptr<TFrmAdo> Venue::Station(const QString& computer, const QDateTime& now)
{
    auto ado = std::make_unique<TFrmAdo>();
    ado->SetMessageSink([this](const QString& text) { m_aMessages << text; });
    ado->SetClockFollowsServer(false);
    ado->DataModuleCreate(m_sHotelAdo, computer);
    if (ado->m_pPrice)
        ado->m_pPrice->SetNow(now);
    return ado;
}

ProgramRun RunProgram(const QString& name, const QStringList& args)
{
    QProcess p;
    p.start(testsupport::ExeDir() + QLatin1Char('/') + name, args);
    ProgramRun r;
    if (!p.waitForFinished(120000))
        return r;
    r.code = p.exitCode();
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    r.errors = QString::fromUtf8(p.readAllStandardError());
    return r;
}

OwnServer::OwnServer()
{
    QFile::setPermissions(m_dir.path(), QFile::Permissions(0x7755));
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    m_nPort = probe.serverPort();
    probe.close();
    m_bStarted = Run(QStringLiteral("start"));
}

OwnServer::~OwnServer()
{
    Run(QStringLiteral("stop"));
}

bool OwnServer::Run(const QString& command)
{
    QProcess p;
    p.start(qEnvironmentVariable("VOD_SOURCE_DIR") + QStringLiteral("/tests/support/pg.sh"),
            {command, m_dir.path() + QStringLiteral("/pg"), QString::number(m_nPort)});
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

QString OwnServer::HotelAdo() const
{
    return QStringLiteral("Provider=PostgreSQL;Data Source=127.0.0.1;Port=%1;Initial Catalog=postgres;"
                          "User ID=postgres;Password=")
        .arg(m_nPort);
}

void EngineTest::SetUp()
{
    if (GetParam() && !testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    m_pVenue = std::make_unique<Venue>(GetParam());
}

std::string EngineName(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "PostgreSQL" : "SQLite";
}

} // namespace hoteltest
