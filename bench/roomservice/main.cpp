// Benchmark of the room-service module on a large venue: 500 dishes in 25
// food types, 200 price rules, 2,000 rate rows, weekday time segments and a
// tab of 1,000 placed order lines, on SQLite and on PostgreSQL (a private
// server started with tests/support/pg.sh on a free port). Each figure is the
// median of several runs, with a baseline measured in the same run: the plain
// statements the operation stands on.
//   - the menu of one food type with its time prices (OpenFoodsOfType),
//     against reading the same dishes with one query;
//   - Checkout of the room (CheckoutRoom), against one query summing the tab;
//   - SubmitOrders of a 20-row basket (gifts, flow number, placing), against
//     updating the same 20 rows in one transaction;
//   - the screens on the demo skin, offscreen: the dish list of one food type
//     opened and drawn (rendered with grab), against the menu query; the bill
//     screen opened (room check and checkout included) and drawn, against
//     the query summing the tab.
//   bench_roomservice [--sqlite-only]
#include "core/Setting.h"
#include "platform/db/DbConnection.h"
#include "roomservice/FoodScreens.h"
#include "roomservice/FrmAdo.h"
#include "roomservice/HotelSchema.h"
#include "tools/demo/skin/DemoSkin.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <tuple>
#include <vector>

namespace {

constexpr int kTypes = 25, kDishesPerType = 20, kRules = 200, kRateRows = 2000, kTabLines = 1000, kBasket = 20;

double Median(std::function<void()> run, int times, std::function<void()> before = {})
{
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        if (before)
            before();
        QElapsedTimer t;
        t.start();
        run();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

QString No(const char* prefix, int i, int width = 3)
{
    return QLatin1String(prefix) + QStringLiteral("%1").arg(i, width, 10, QLatin1Char('0'));
}

void WriteVenue(DbConnection& db)
{
    CreateHotelSchema(db);
    db.Begin();
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    db.Execute(QStringLiteral("INSERT INTO t_sys (bTimeprice, iTimeUnit) VALUES (1, 60)"));
    db.Execute(QStringLiteral("INSERT INTO t_fj (cRoomNo, cRoomName, cRoomType, cFloor, cComputer) "
                              "VALUES ('101','V01','大包','1F','bench')"));
    db.Execute(QStringLiteral("INSERT INTO t_RoomArr (iArrId, cArrName, mRoomRate, mServiceCharge, mLowCharge, "
                              "fLowTimes, mTimePrice) VALUES (1,'大包标准',100,0,500,0,60)"));
    db.Execute(QStringLiteral("INSERT INTO t_kf (cTabNo, cRoomNo, cRoomName, cRoomType, iArrId, cArrName, cFloor, "
                              "cGuestType, dCheckINTime, iOPenRNum, mRoomRate, mLowRate, mTeaCharge, mPrepmoney, "
                              "fDiscount, mServiceRate) VALUES ('T1','101','V01','大包',1,'大包标准','1F','会员',?,6,"
                              "100,500,10,200,90,10)"),
               {QDateTime::currentDateTime().addSecs(-3 * 3600).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    db.Execute(QStringLiteral("INSERT INTO t_fwy (CEmployeeNO, CEmployeeName, CCardNO) VALUES ('E1','经理','C1')"));
    static const char* const days[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    for (const char* day : days)
        for (const auto& [from, to, price] :
             {std::tuple{"00:00:00", "12:00:00", 40}, std::tuple{"12:00:00", "18:00:00", 60},
              std::tuple{"18:00:00", "23:59:59", 120}})
            db.Execute(QStringLiteral("INSERT INTO t_fjsj (iArrId, cDate, cBeginTime, cEndTime, mPrice, fDiscount) "
                                      "VALUES (1,?,?,?,?,100)"),
                       {QString::fromUtf8(day), from, to, price});
    for (int t = 0; t < kTypes; ++t)
        db.Execute(QStringLiteral("INSERT INTO t_cl (cFoodTypeNo, cFoodTypeName, cDepartment) VALUES (?,?,'2')"),
                   {No("T", t, 2), No("类", t, 2)});
    for (int t = 0; t < kTypes; ++t)
        for (int d = 0; d < kDishesPerType; ++d) {
            const int i = t * kDishesPerType + d;
            db.Execute(QStringLiteral("INSERT INTO t_cp (cFoodNo, cFoodName, cFoodTypeNo, cFoodTypename, cUnit, mCost, "
                                      "mPrice, cDepartment) VALUES (?,?,?,?,'份',?,?,'2')"),
                       {No("D", i), No("菜", i), No("T", t, 2), No("类", t, 2), 5 + i % 7, 10 + i % 90});
            if (i % 10 == 0)
                db.Execute(QStringLiteral("INSERT INTO t_cpSend (bFlag, cBuyCpNo, dBeginTime, dEndTime, fBuyNum, "
                                          "fSendNum, cSendCpNo) VALUES (1,?,'00:00','23:59',2,1,?)"),
                           {No("D", i), No("D", (i + 1) % (kTypes * kDishesPerType))});
        }
    // Rules: every tenth for today, the rest for every day, over time windows
    // of the whole day; each names a rate type of ten rows, for single dishes
    // and for food types.
    for (int r = 0; r < kRules; ++r) {
        const int hour = r % 24;
        db.Execute(QStringLiteral("INSERT INTO t_price (bused, cDepartment, dDate, cItemType, cBeginTime, cEndTime, "
                                  "cPriceType) VALUES (1,'2',?,?,?,?,?)"),
                   {r % 10 == 0 ? today : QStringLiteral("0000-00-00"), r % 20 == 19 ? "1" : "2",
                    QStringLiteral("%1:00:00").arg(hour, 2, 10, QLatin1Char('0')),
                    QStringLiteral("%1:59:59").arg(std::min(23, hour + 6), 2, 10, QLatin1Char('0')), No("RT", r)});
    }
    for (int k = 0; k < kRateRows; ++k) {
        const int rule = k / (kRateRows / kRules);
        const bool byType = k % 5 == 4;
        const int dish = (k * 37) % (kTypes * kDishesPerType);
        db.Execute(QStringLiteral("INSERT INTO t_ratetype (cRateTypeName, cItemNo, cItemName, cRoomType, cGuestGrade, "
                                  "cArtGrade, cUnit, mRate, fDiscount) VALUES (?,?,?,?,?,'',?,?,?)"),
                   {No("RT", rule), byType ? No("T", dish % kTypes, 2) : No("D", dish),
                    byType ? No("类", dish % kTypes, 2) : No("菜", dish), k % 3 == 0 ? "大包标准" : "",
                    k % 4 == 0 ? "会员" : "", byType || k % 2 ? "" : "份", k % 6 == 0 ? 12 : 0, 70 + k % 30});
    }
    for (int l = 0; l < kTabLines; ++l)
        db.Execute(QStringLiteral("INSERT INTO t_dc (cTabNo, cDepartment, bXd, cFoodNo, fNum, mPrice, mTotal, "
                                  "bAttendLowConsume, bhaveServiceCharge, bCanDiscount, iLowDiscount, iWaterNo) "
                                  "VALUES ('T1','2',1,?,1,?,?,?,?,?,?,?)"),
                   {No("D", l % 500), 10 + l % 50, 10 + l % 50, l % 3 != 0 ? 1 : 0, l % 2, l % 4 != 0 ? 1 : 0,
                    l % 5 == 0 ? 95 : 0, l / 20});
    db.Commit();
}

void Report(const char* what, double ms, double baseline, double limit)
{
    std::printf("  %-44s %8.2f ms   baseline %7.2f ms   ratio %6.1f   limit %4.0f ms  %s\n", what, ms, baseline,
                baseline > 0 ? ms / baseline : 0.0, limit, ms <= limit ? "ok" : "OVER");
}

// Milliseconds from opening a screen to its drawn picture; the screen is
// closed afterwards, outside the time.
double OpenAndDraw(const std::function<TKVFormXML*()>& open)
{
    QElapsedTimer t;
    t.start();
    TKVFormXML* screen = open();
    if (screen) {
        [[maybe_unused]] volatile int width = screen->grab().width(); // renders the whole screen
    }
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (screen)
        screen->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return screen ? ms : -1;
}

double MedianOf(const std::function<double()>& run, int times)
{
    std::vector<double> ms;
    for (int i = 0; i < times; ++i)
        ms.push_back(run());
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

int Measure(const char* engine, const QString& hotelAdo)
{
    {
        DbConnection db;
        db.Open(hotelAdo);
        WriteVenue(db);
    }
    TFrmAdo ado;
    ado.SetMessageSink([](const QString&) {});
    ado.SetClockFollowsServer(false);
    ado.DataModuleCreate(hotelAdo, QStringLiteral("bench"));
    if (!ado.CheckRoomOpen(false) || !ado.CheckStaffCard(QStringLiteral("C1"))) {
        std::fprintf(stderr, "bench_roomservice: the venue did not open on %s\n", engine);
        return 1;
    }
    std::printf("%s: %d dishes, %d price rules, %d rate rows, a tab of %d lines\n", engine, kTypes * kDishesPerType,
                ado.m_pPrice->Rules().RuleCount(), ado.m_pPrice->Rules().RateRowCount(), kTabLines);
    DbConnection plain;
    plain.Open(hotelAdo);

    ado.cl->Locate(QStringLiteral("cFoodTypeNo"), QStringLiteral("T12"));
    const double menu = Median([&] { ado.OpenFoodsOfType(); }, 15);
    const double menuBase = Median(
        [&] {
            QSqlQuery q =
                plain.Query(QStringLiteral("select * from t_cp where cFoodTypeNo=?"), {QStringLiteral("T12")});
            while (q.next()) {
            }
        },
        15);
    Report("menu of one food type with time prices", menu, menuBase, 50);

    const double checkout = Median([&] { ado.CheckoutRoom(); }, 15);
    const double checkoutBase =
        Median([&] { plain.Scalar(QStringLiteral("select sum(mTotal) from t_dc where bXd=1 and cTabNo='T1'")); }, 15);
    Report("Checkout of a 1,000-line tab", checkout, checkoutBase, 50);

    auto fillBasket = [&] {
        for (int i = 0; i < kBasket; ++i) {
            ado.cpAll->Locate(QStringLiteral("cFoodNo"), No("D", (i * 23) % 500));
            ado.AppendOrder(*ado.cpAll, QStringLiteral("3"), true);
        }
    };
    const double submit = Median([&] { ado.SubmitOrders(); }, 9, fillBasket);
    const double submitBase = Median(
        [&] {
            plain.Begin();
            QSqlQuery q = plain.Query(QStringLiteral("select ID from t_dc where bXd=0 and cTabNo='T1'"));
            std::vector<qint64> ids;
            while (q.next())
                ids.push_back(q.value(0).toLongLong());
            for (qint64 id : ids)
                plain.Execute(QStringLiteral("UPDATE t_dc SET bXd=1, iWaterNo=0 WHERE ID=?"), {id});
            plain.Commit();
        },
        9,
        [&] {
            plain.Begin();
            for (int i = 0; i < kBasket; ++i)
                plain.Execute(
                    QStringLiteral("INSERT INTO t_dc (cTabNo, cDepartment, bXd, fNum) VALUES ('T1','2',0,1)"));
            plain.Commit();
        });
    Report("SubmitOrders of a 20-row basket", submit, submitBase, 100);

    if (!g_pFrmManager)
        return 0;
    FrmAdo = &ado;
    ado.cl->Locate(QStringLiteral("cFoodTypeNo"), QStringLiteral("T12"));
    const double dishes = MedianOf([] { return OpenAndDraw([] { return g_pFrmManager->ShowFood(); }); }, 15);
    const double bill = MedianOf([] { return OpenAndDraw([] { return g_pFrmManager->ShowBill(); }); }, 15);
    // The same skin nodes shown as plain skinned screens: what the framework
    // itself costs (background, controls, drawing) without list or data.
    for (const char* node : {"frmfood", "frmbill"})
        RegisterScreenFactory(QLatin1String(node), [] { return new TKVFormXML(); });
    const double plainDishes = MedianOf([] { return OpenAndDraw([] { return g_pFrmManager->ShowFood(); }); }, 15);
    const double plainBill = MedianOf([] { return OpenAndDraw([] { return g_pFrmManager->ShowBill(); }); }, 15);
    RegisterFoodScreens();
    Report("dish list of one type opened and drawn", dishes, menuBase, 30);
    Report("  the same node as a plain skinned screen", plainDishes, menuBase, 30);
    Report("bill screen opened (checkout) and drawn", bill, checkoutBase, 60);
    Report("  the same node as a plain skinned screen", plainBill, checkoutBase, 60);
    FrmAdo = nullptr;
    return dishes < 0 || bill < 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qputenv("VOD_KEEP_CLOCK", "1");
    QTemporaryDir dir;
    // The screens on the demo skin (Chinese, 1024 x 768).
    QString error;
    if (!WriteDemoSkin(dir.path(), 1, &error)) {
        std::fprintf(stderr, "bench_roomservice: %s\n", qPrintable(error));
        return 1;
    }
    InstallFontSubstitutions();
    TSetting setting(dir.path() + QLatin1Char('/'));
    setting.LoadKeyMap();
    setting.BuildCommandWords();
    g_pSetting = &setting;
    TKVFormManager manager;
    g_pFrmManager = &manager;
    RegisterFoodScreens();
    InstallRoomServiceHooks();
    manager.LoadSkin(dir.filePath(QStringLiteral("Images/Chinese/1024x768/buttons.xml")));
    int rc = Measure("SQLite", QStringLiteral("Provider=SQLite;Create=1;Data Source=") +
                                   dir.filePath(QStringLiteral("hotel.db")));
    if (app.arguments().contains(QStringLiteral("--sqlite-only"))) {
        manager.CloseAll();
        g_pFrmManager = nullptr;
        g_pSetting = nullptr;
        return rc;
    }
    // A private PostgreSQL server on a free port.
    QFile::setPermissions(dir.path(), QFile::Permissions(0x7755));
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    const QString script = QStringLiteral(VOD_SOURCE_DIR "/tests/support/pg.sh");
    const QString pgDir = dir.filePath(QStringLiteral("pg"));
    if (QProcess::execute(script, {QStringLiteral("start"), pgDir, QString::number(port)}) != 0) {
        std::fprintf(stderr, "bench_roomservice: no PostgreSQL server could be started\n");
        return 1;
    }
    rc |= Measure("PostgreSQL",
                  QStringLiteral("Provider=PostgreSQL;Data Source=127.0.0.1;Port=%1;Initial Catalog=postgres;"
                                 "User ID=postgres;Password=")
                      .arg(port));
    QProcess::execute(script, {QStringLiteral("stop"), pgDir, QString::number(port)});
    manager.CloseAll();
    g_pFrmManager = nullptr;
    g_pSetting = nullptr;
    return rc;
}
