#include "tools/demo/HotelDemo.h"

#include "core/Exception.h"
#include "platform/db/DbConnection.h"
#include "roomservice/HotelSchema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <unistd.h>

namespace {

QString ThisComputer()
{
    char name[256] = {};
    if (gethostname(name, sizeof(name) - 1) != 0)
        return QString();
    return QString::fromLocal8Bit(name).toLower();
}

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

struct Dish
{
    const char *no, *name, *type, *typeName, *unit;
    double cost, price;
    int discountable, lowest, counts, service, stop, lack;
};

const Dish kDishes[] = {
    {"B01", "青岛啤酒", "01", "啤酒", "瓶", 4, 15, 1, 0, 1, 1, 0, 0},
    {"B02", "百威啤酒", "01", "啤酒", "瓶", 6, 20, 1, 0, 1, 1, 0, 0},
    {"B03", "喜力啤酒", "01", "啤酒", "瓶", 7, 22, 1, 0, 1, 1, 0, 0},
    {"B04", "科罗娜", "01", "啤酒", "瓶", 8, 25, 1, 0, 1, 1, 0, 1},
    {"B05", "青岛啤酒(打)", "01", "啤酒", "打", 45, 160, 1, 80, 1, 1, 0, 0},
    {"W01", "芝华士12年", "02", "洋酒", "瓶", 180, 680, 1, 90, 1, 1, 0, 0},
    {"W02", "轩尼诗VSOP", "02", "洋酒", "瓶", 380, 1280, 1, 90, 1, 1, 0, 0},
    {"W03", "杰克丹尼", "02", "洋酒", "瓶", 150, 580, 1, 90, 1, 1, 0, 0},
    {"W04", "红酒(长城干红)", "02", "洋酒", "瓶", 60, 280, 1, 0, 1, 1, 1, 0},
    {"D01", "可乐", "03", "饮料", "罐", 2, 10, 1, 0, 1, 1, 0, 0},
    {"D02", "雪碧", "03", "饮料", "罐", 2, 10, 1, 0, 1, 1, 0, 0},
    {"D03", "王老吉", "03", "饮料", "罐", 3, 12, 1, 0, 1, 1, 0, 0},
    {"D04", "鲜榨橙汁", "03", "饮料", "扎", 12, 58, 1, 0, 1, 1, 0, 0},
    {"D05", "矿泉水", "03", "饮料", "瓶", 1, 8, 0, 0, 0, 1, 0, 0},
    {"D06", "柠檬红茶", "03", "饮料", "壶", 6, 48, 1, 0, 1, 1, 0, 0},
    {"S01", "爆米花", "04", "小吃", "份", 3, 18, 1, 0, 1, 1, 0, 0},
    {"S02", "开心果", "04", "小吃", "碟", 8, 28, 1, 0, 1, 1, 0, 0},
    {"S03", "牛肉干", "04", "小吃", "碟", 10, 32, 1, 0, 1, 1, 0, 0},
    {"S04", "薯条", "04", "小吃", "份", 4, 22, 1, 0, 1, 1, 0, 0},
    {"S05", "鸡米花", "04", "小吃", "份", 6, 26, 1, 0, 1, 1, 0, 1},
    {"S06", "花生米", "04", "小吃", "碟", 2, 12, 1, 0, 1, 1, 0, 0},
    {"S07", "鸭脖", "04", "小吃", "份", 9, 36, 1, 0, 1, 1, 0, 0},
    {"F01", "精品果盘(小)", "05", "果盘", "份", 20, 68, 0, 0, 1, 1, 0, 0},
    {"F02", "精品果盘(中)", "05", "果盘", "份", 30, 98, 0, 0, 1, 1, 0, 0},
    {"F03", "精品果盘(大)", "05", "果盘", "份", 40, 128, 0, 0, 1, 1, 0, 0},
    {"T01", "欢唱啤酒套餐", "06", "套餐", "套", 80, 298, 0, 0, 0, 0, 0, 0},
    {"T02", "洋酒畅饮套餐", "06", "套餐", "套", 300, 988, 0, 0, 0, 0, 0, 0},
    {"K01", "扬州炒饭", "07", "厨房", "份", 6, 28, 1, 0, 1, 1, 0, 0},
};

void Insert(DbConnection& db, const char* sql, const std::vector<QVariantList>& rows)
{
    for (const QVariantList& row : rows)
        db.Execute(QString::fromUtf8(sql), row);
}

void WriteVenue(DbConnection& db)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString today = now.date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString computer = ThisComputer();
    Insert(db, "INSERT INTO t_sys (bTimeprice, iTimeUnit) VALUES (?,?)", {{1, 60}});
    std::vector<QVariantList> rooms;
    for (int i = 1; i <= 12; ++i) {
        const QString type = i <= 4 ? U("小包") : i <= 9 ? U("中包") : U("大包");
        rooms.push_back({QStringLiteral("%1").arg(100 + i), QStringLiteral("V%1").arg(i, 2, 10, QLatin1Char('0')), type,
                         i <= 6 ? QStringLiteral("1F") : QStringLiteral("2F"),
                         i == 1 ? computer : QStringLiteral("ktv-room-%1").arg(i, 2, 10, QLatin1Char('0'))});
    }
    Insert(db, "INSERT INTO t_fj (cRoomNo, cRoomName, cRoomType, cFloor, cComputer) VALUES (?,?,?,?,?)", rooms);
    Insert(db, "INSERT INTO t_cl (cFoodTypeNo, cFoodTypeName, cDepartment) VALUES (?,?,?)",
           {{"01", U("啤酒"), "2"},
            {"02", U("洋酒"), "2"},
            {"03", U("饮料"), "2"},
            {"04", U("小吃"), "2"},
            {"05", U("果盘"), "2"},
            {"06", U("套餐"), "2"},
            {"07", U("厨房"), "1"}});
    std::vector<QVariantList> dishes;
    for (const Dish& d : kDishes)
        dishes.push_back({d.no, U(d.name), d.type, U(d.typeName), U(d.unit), d.cost, d.price, d.discountable, d.lowest,
                          d.counts, d.service, qstrcmp(d.type, "07") == 0 ? "KIT" : "BAR", d.stop, d.lack,
                          qstrcmp(d.type, "07") == 0 ? "1" : "2"});
    Insert(db,
           "INSERT INTO t_cp (cFoodNo, cFoodName, cFoodTypeNo, cFoodTypename, cUnit, mCost, mPrice, bCanDiscount, "
           "iLowDiscount, bAttendLowconsume, bHaveServiceCharge, cKitch, bStop, bLack, cDepartment) "
           "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
           dishes);
    Insert(db, "INSERT INTO t_metadata (ctype, cName) VALUES (?,?)",
           {{"PZ", U("加冰")}, {"PZ", U("常温")}, {"PZ", U("少糖")}, {"PZ", U("加柠檬")}, {"PZ", U("不要辣")}});
    Insert(db, "INSERT INTO t_fwy (CEmployeeNO, CEmployeeName, CCardNO) VALUES (?,?,?)",
           {{"E001", U("王经理"), "8001"}, {"E002", U("李领班"), "8002"}, {"E003", U("赵服务员"), "8003"}});
    Insert(db,
           "INSERT INTO t_cpSend (bFlag, cBuyCpNo, dBeginTime, dEndTime, fBuyNum, fSendNum, cSendCpNo) "
           "VALUES (?,?,?,?,?,?,?)",
           {{1, "B01", "00:00", "23:59", 6, 1, "B01"},
            {1, "B01", "00:00", "23:59", 12, 3, "B01"},
            {1, "W01", "00:00", "23:59", 1, 1, "F01"},
            {1, "W02", "00:00", "23:59", 1, 1, "F02"},
            {1, "F03", "20:00", "23:59", 1, 1, "S06"},
            {0, "D01", "00:00", "23:59", 2, 1, "D02"}});
    // Dishes: beer at 80 % from 20:00 today; every day snacks at 90 % of
    // their type, the small fruit plate at a fixed 58, members' spirits at
    // 95 %. Rooms: members' room rate and time price.
    Insert(db,
           "INSERT INTO t_price (bused, cDepartment, dDate, cItemType, cBeginTime, cEndTime, cPriceType) "
           "VALUES (?,?,?,?,?,?,?)",
           {{1, "2", today, "2", "20:00:00", "23:59:59", U("欢乐时光")},
            {1, "2", "0000-00-00", "2", "00:00:00", "23:59:59", U("标准价")},
            {1, "2", "0000-00-00", "1", "00:00:00", "23:59:59", U("包房价")},
            {0, "2", "0000-00-00", "2", "00:00:00", "23:59:59", U("停用价")}});
    Insert(db,
           "INSERT INTO t_ratetype (cRateTypeName, cItemNo, cItemName, cRoomType, cGuestGrade, cArtGrade, cUnit, "
           "mRate, fDiscount, mSerRate, mSurRate, mLowFree, fLowTimes, mTimePrice) "
           "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
           {{U("欢乐时光"), "01", U("啤酒"), "", "", "", "", 0, 80, 0, 0, 0, 0, 0},
            {U("欢乐时光"), "B05", U("青岛啤酒(打)"), U("大包标准"), U("会员"), "", U("打"), 128, 100, 0, 0, 0, 0, 0},
            {U("标准价"), "04", U("小吃"), "", "", "", "", 0, 90, 0, 0, 0, 0, 0},
            {U("标准价"), "F01", U("精品果盘(小)"), "", "", "", "", 58, 100, 0, 0, 0, 0, 0},
            {U("标准价"), "02", U("洋酒"), "", U("会员"), "", "", 0, 95, 0, 0, 0, 0, 0},
            {U("包房价"), "2", U("中包标准"), "", U("会员"), "", "", 0, 100, 0, 0, 400, 0, 50},
            {U("包房价"), "3", U("大包标准"), "", "", "", "", 0, 100, 0, 0, 800, 0, 100},
            {U("停用价"), "B01", U("青岛啤酒"), "", "", "", "", 1, 100, 0, 0, 0, 0, 0}});
    Insert(db,
           "INSERT INTO t_RoomArr (iArrId, cArrName, mRoomRate, mServiceCharge, mLowCharge, fLowTimes, mTimePrice) "
           "VALUES (?,?,?,?,?,?,?)",
           {{1, U("小包标准"), 0, 0, 300, 0, 48},
            {2, U("中包标准"), 0, 0, 500, 0, 68},
            {3, U("大包标准"), 100, 0, 800, 0, 98},
            {4, U("夜场包断"), 388, 0, 0, 0, 0}});
    // Weekday segments: afternoon and evening prices, dearer at weekends.
    static const char* const days[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    std::vector<QVariantList> segments;
    for (int arr = 1; arr <= 3; ++arr) {
        for (int day = 0; day < 7; ++day) {
            const bool weekend = day == 0 || day == 5 || day == 6;
            const double base = 30.0 * arr + (weekend ? 20 : 0);
            segments.push_back({arr, U(days[day]), "00:00:00", "18:00:00", base, 100});
            segments.push_back({arr, U(days[day]), "18:00:00", "23:59:59", base * 2, weekend ? 100 : 90});
        }
    }
    Insert(db, "INSERT INTO t_fjsj (iArrId, cDate, cBeginTime, cEndTime, mPrice, fDiscount) VALUES (?,?,?,?,?,?)",
           segments);
    // The demo computer's room, opened 90 minutes ago, with two placed orders.
    const QString checkIn = now.addSecs(-90 * 60).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    Insert(db,
           "INSERT INTO t_kf (cTabNo, cRoomNo, cRoomName, cRoomType, iArrId, cArrName, cFloor, cGuestType, "
           "dCheckINTime, iOPenRNum, mRoomRate, mLowRate, mTeaCharge, mPrepmoney, fDiscount, mServiceRate) "
           "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
           {{"101-DEMO", "101", "V01", U("小包"), 2, U("中包标准"), "1F", U("会员"), checkIn, 6, 0, 500, 20, 200, 95,
             10}});
    Insert(db,
           "INSERT INTO t_dc (cTabNo, iWaterNo, cRoomNo, cRoomName, cRoomType, cArrName, cFloor, cDepartment, "
           "dOrderFoodTime, dXdTime, cXdy, cXdyNo, bXd, cFoodTypeNo, cFoodTypeName, cFoodNo, cFoodName, cUnit, fNum, "
           "mCost, mPrice, mTotal, bCanDiscount, bAttendLowConsume, bhaveServiceCharge) "
           "VALUES (?,1,'101','V01',?,?,'1F','2',?,?,?,'E002',1,?,?,?,?,?,?,?,?,?,1,1,1)",
           {{"101-DEMO", U("小包"), U("中包标准"), checkIn, checkIn, U("李领班"), "01", U("啤酒"), "B01", U("青岛啤酒"),
             U("瓶"), 6, 4, 15, 90},
            {"101-DEMO", U("小包"), U("中包标准"), checkIn, checkIn, U("李领班"), "05", U("果盘"), "F01",
             U("精品果盘(小)"), U("份"), 1, 20, 58, 58}});
    db.Execute(QStringLiteral("UPDATE t_WaterId SET iWaterId=1"));
}

} // namespace

bool WriteDemoHotel(const QString& exeDir, QString& error)
{
    const QString path = QDir(exeDir).filePath(QStringLiteral("data/hotel.db"));
    const QString temp = path + QStringLiteral(".new");
    QFile::remove(temp);
    try {
        DbConnection db;
        db.Open(QStringLiteral("Provider=SQLite;Create=1;Data Source=") + temp);
        CreateHotelSchema(db);
        db.Begin();
        WriteVenue(db);
        db.Commit();
    } catch (const Exception& e) {
        error = QStringLiteral("room-service database: ") + e.Message();
        return false;
    }
    // Replaced only when complete.
    QFile::remove(path);
    if (!QFile::rename(temp, path)) {
        error = QStringLiteral("cannot rename ") + temp;
        return false;
    }
    return true;
}
