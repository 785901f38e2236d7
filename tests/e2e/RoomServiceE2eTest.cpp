// Room service as a guest meets it, with real processes: the food key opens
// the food types while the front desk has the room open and tells the guest
// on the message screen once the room is closed; a whole order from the
// front desk's opening of the room to the bill and its detail.
#include "playback/StationShot.h"
#include "tests/e2e/StationRun.h"

#include <QSet>

using namespace e2e;

namespace {

struct ProgramOutput
{
    int code = -1;
    QString text;
};

// Default bindings of keyboard.ini.
constexpr int kDrinkWater = 117, kMainMenu = 109, kEnter = 13, kPoint = 46, kOne = 49;
constexpr int kLetterB = 66, kLetterD = 68, kLetterF = 70, kLetterO = 79;

bool FrontScreenShows(const Station& s, const QString& text)
{
    return WaitUntil([&] { return s.Labels().contains(text); }, 10000);
}

// The front screen's labels as name -> caption.
QMap<QString, QString> LabelMap(const Station& s)
{
    QMap<QString, QString> map;
    for (const QString& line : s.Labels().split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            map.insert(line.left(eq), line.mid(eq + 1));
    }
    return map;
}

// Posts a key and waits until the front screen is `screen`.
bool KeyTo(const Station& s, int vk, const QString& screen)
{
    return s.PostKey(vk) && FrontScreenShows(s, QStringLiteral("screen=") + screen);
}

ProgramOutput Tool(const QString& name, const QStringList& args)
{
    QProcess p;
    p.start(ExeDir() + QLatin1Char('/') + name, args);
    ProgramOutput out;
    if (p.waitForFinished(30000))
        out = {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
    return out;
}

TEST(RoomServiceE2e, TheFoodKeyOpensTheFoodTypesOnlyWhileTheRoomIsOpen)
{
    Station s(300);
    ASSERT_TRUE(s.Ready());
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"))) << qPrintable(station->Errors());
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));

    // The demo computer's room is open at the front desk.
    ASSERT_TRUE(s.PostKey(kDrinkWater));
    EXPECT_TRUE(FrontScreenShows(s, QStringLiteral("screen=foodtype"))) << qPrintable(s.Labels());

    // The front desk closes the room; the next try explains why nothing opens.
    QProcess desk;
    desk.start(ExeDir() + QStringLiteral("/vod-frontdesk"),
               {QStringLiteral("Provider=SQLite;Data Source=") + s.Path(QStringLiteral("data/hotel.db")),
                QStringLiteral("close"), QStringLiteral("V01")});
    ASSERT_TRUE(desk.waitForFinished(30000));
    ASSERT_EQ(desk.exitCode(), 0) << desk.readAllStandardError().toStdString();
    ASSERT_TRUE(s.PostKey(kMainMenu));
    ASSERT_TRUE(FrontScreenShows(s, QStringLiteral("screen=portal")));
    ASSERT_TRUE(s.PostKey(kDrinkWater));
    EXPECT_TRUE(FrontScreenShows(s, QStringLiteral("不是处于开房状态,请在前台开此房台"))) << qPrintable(s.Labels());
    EXPECT_FALSE(s.Labels().contains(QStringLiteral("screen=foodtype")));
}

// Opened at the front desk, the guest orders 1.5 bottles of whisky with ice
// from the remote keypad, a waiter's card places the order with the fruit
// plate it earns, and the bill and its detail show what the front desk's
// bill command prints. With VOD_SHOTS set, the dish list, the basket and the
// bill are saved there as dishes.png, basket.png and bill.png.
TEST(RoomServiceE2e, AGuestOrdersFromTheKeypadAndTheBillShowsTheOrder)
{
    Station s(300);
    ASSERT_TRUE(s.Ready());
    // The pictures are written into the installation folder (beside the
    // label files the test reads) and copied.
    const QString shots = qEnvironmentVariable("VOD_SHOTS");
    if (!shots.isEmpty())
        QDir().mkpath(shots);
    const QString hotel = QStringLiteral("Provider=SQLite;Data Source=") + s.Path(QStringLiteral("data/hotel.db"));
    ASSERT_EQ(Tool(QStringLiteral("vod-frontdesk"), {hotel, QStringLiteral("close"), QStringLiteral("V01")}).code, 0);
    ASSERT_EQ(
        Tool(QStringLiteral("vod-frontdesk"),
             {hotel, QStringLiteral("open"), QStringLiteral("V01"), QStringLiteral("--arr"), QStringLiteral("2"),
              QStringLiteral("--guest"), QStringLiteral("会员"), QStringLiteral("--prepaid"), QStringLiteral("200")})
            .code,
        0);
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"))) << qPrintable(station->Errors());
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    const auto shot = [&](int n, const QString& name) {
        if (shots.isEmpty())
            return;
        const QString file = s.Path(QStringLiteral("shot%1.png").arg(n));
        QThread::msleep(300);
        s.Post(kMsgTestScreenshot, n, 0);
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(file); }));
        QFile::remove(shots + QLatin1Char('/') + name);
        QFile::copy(file, shots + QLatin1Char('/') + name);
    };

    // Drinks, the second type (spirits), its first dish.
    ASSERT_TRUE(KeyTo(s, kDrinkWater, QStringLiteral("foodtype"))) << qPrintable(s.Labels());
    ASSERT_TRUE(KeyTo(s, kOne + 1, QStringLiteral("frmfood")));
    ASSERT_TRUE(FrontScreenShows(s, QStringLiteral("name0=芝华士12年"))) << qPrintable(s.Labels());
    QMap<QString, QString> dishes = LabelMap(s);
    ASSERT_EQ(dishes.value(QStringLiteral("name0")), QStringLiteral("芝华士12年"));
    // The price of this moment, as money.
    const QString price = dishes.value(QStringLiteral("price0"));
    ASSERT_TRUE(price.endsWith(QStringLiteral(".00"))) << qPrintable(price);
    const QString sum = QString::number(price.toDouble() * 1.5, 'f', 2);
    shot(11, QStringLiteral("dishes.png"));
    ASSERT_TRUE(KeyTo(s, kOne, QStringLiteral("frmfoodcount")));
    for (const int vk : {kOne, kPoint, kOne + 4})
        ASSERT_TRUE(s.PostKey(vk));
    ASSERT_TRUE(FrontScreenShows(s, QStringLiteral("Input=1.5")));
    ASSERT_TRUE(KeyTo(s, kEnter, QStringLiteral("frmfood")));

    // The basket: the row at its price, the total; ice on it.
    ASSERT_TRUE(KeyTo(s, kLetterO, QStringLiteral("frmfoodorder")));
    ASSERT_TRUE(FrontScreenShows(s, QStringLiteral("sum=") + sum)) << qPrintable(s.Labels());
    QMap<QString, QString> basket = LabelMap(s);
    EXPECT_EQ(basket.value(QStringLiteral("count0")), QStringLiteral("1.5"));
    EXPECT_EQ(basket.value(QStringLiteral("price0")), price);
    ASSERT_TRUE(s.PostKey(kOne));
    ASSERT_TRUE(KeyTo(s, kLetterF, QStringLiteral("frmfoodfjx")));
    ASSERT_TRUE(KeyTo(s, kOne, QStringLiteral("frmfoodorder")));
    ASSERT_TRUE(FrontScreenShows(s, QStringLiteral("fjx0=加冰"))) << qPrintable(s.Labels());
    shot(12, QStringLiteral("basket.png"));

    // The waiter's card.
    ASSERT_TRUE(KeyTo(s, kEnter, QStringLiteral("frmlock")));
    for (const int vk : {kOne + 7, kOne - 1, kOne - 1, kOne})
        ASSERT_TRUE(s.PostKey(vk));
    ASSERT_TRUE(s.PostKey(kEnter));
    ASSERT_TRUE(FrontScreenShows(s, QStringLiteral("下单成功!"))) << qPrintable(s.Labels());

    // Placed under one flow number with the gift the whisky earns.
    DbConnection db;
    db.Open(hotel);
    DataSet rows;
    rows.SetConnection(&db);
    rows.SetCommandText(QStringLiteral("select cFoodNo,fNum,mPrice,bXd,iWaterNo,cXdyNo from t_dc where cRoomName='V01' "
                                       "and cTabNo=(select cTabNo from t_kf where cRoomName='V01') order by ID"));
    rows.Open();
    QStringList placed;
    QSet<QString> flows;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        placed << rows.Fields(0).AsString() + QLatin1Char('|') + QString::number(rows.Fields(1).AsFloat()) +
                      QLatin1Char('|') + QString::number(rows.Fields(2).AsFloat()) + QLatin1Char('|') +
                      QString::number(int(rows.Fields(3).AsBoolean())) + QLatin1Char('|') + rows.Fields(5).AsString();
        flows << rows.Fields(4).AsString();
    }
    EXPECT_EQ(placed, QStringList({QStringLiteral("W01|1.5|%1|1|E001").arg(price.toDouble()), "F01|1|0|1|E001"}))
        << qPrintable(placed.join(u','));
    EXPECT_EQ(flows.size(), 1);
    EXPECT_FALSE(flows.contains(QString()));

    // The bill shows what the bill command prints (asked before and after,
    // in case a minute turns meanwhile).
    // The message goes by itself; the dish list is in front again.
    ASSERT_TRUE(FrontScreenShows(s, QStringLiteral("screen=frmfood")));
    ASSERT_TRUE(KeyTo(s, kMainMenu, QStringLiteral("portal")));
    ASSERT_TRUE(KeyTo(s, kDrinkWater, QStringLiteral("foodtype")));
    const ProgramOutput before = Tool(QStringLiteral("vod-bill"), {hotel, QStringLiteral("V01")});
    ASSERT_TRUE(KeyTo(s, kLetterB, QStringLiteral("frmbill")));
    const QMap<QString, QString> bill = LabelMap(s);
    const ProgramOutput after = Tool(QStringLiteral("vod-bill"), {hotel, QStringLiteral("V01")});
    ASSERT_EQ(before.code, 0);
    const std::pair<const char*, const char*> shown[] = {
        {"Room", "RoomCharge"},  {"Low", "LowRate"},       {"Consume", "Consumed"},      {"Balance", "LowConsume"},
        {"Time", "StayMinutes"}, {"TimeMoney", "Prepaid"}, {"Service", "ServiceCharge"}, {"Ought", "AmountDue"}};
    for (const auto& [label, result] : shown) {
        const QString line = QLatin1String(result) + QLatin1Char('=') + bill.value(QLatin1String(label));
        EXPECT_TRUE(before.text.contains(line + QLatin1Char('\n')) || after.text.contains(line + QLatin1Char('\n')))
            << qPrintable(line) << "\nprinted:\n"
            << qPrintable(before.text);
    }
    EXPECT_EQ(bill.value(QStringLiteral("Consume")), sum);
    shot(13, QStringLiteral("bill.png"));

    // Its detail: the placed rows and their total.
    ASSERT_TRUE(KeyTo(s, kLetterD, QStringLiteral("frmbilldetail")));
    const QMap<QString, QString> detail = LabelMap(s);
    EXPECT_EQ(detail.value(QStringLiteral("name0")), QStringLiteral("芝华士12年"));
    EXPECT_EQ(detail.value(QStringLiteral("fjx0")), QStringLiteral("加冰"));
    EXPECT_EQ(detail.value(QStringLiteral("name1")), QStringLiteral("精品果盘(小)"));
    EXPECT_EQ(detail.value(QStringLiteral("price1")), QStringLiteral("0.00"));
    EXPECT_EQ(detail.value(QStringLiteral("sum")), sum);

    s.Post(kMsgTestCloseStation, 0, 0);
    EXPECT_TRUE(station->WaitForExit(15000));
}

} // namespace
