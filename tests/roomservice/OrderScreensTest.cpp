// The order and submission road through the screens on a venue's database,
// on SQLite and on the test PostgreSQL server: dishes into the basket, an
// addition, the waiter's card on the lock screen, the placed orders with one
// flow number and their gifts, the bill as the bill command prints it and
// the placed orders' detail; and what happens when a card is typed wrong,
// the front desk closes the room meanwhile or the database server goes away.
#include "FoodScreenFixture.h"
#include "roomservice/FrmAdo.h"
#include "support/TestPg.h"
#include "ui/KVFormXML.h"
#include "ui/UiStation.h"
#include "utilities/FrmLock.h"

#include <QFile>

using namespace hoteltest;

namespace {

const QString kPlaced = QStringLiteral("下单成功!");
const QString kNotPlaced = QStringLiteral("下单失败!");
const QString kRoomClosed = QStringLiteral("不是处于开房状态,请在前台开此房台");
const QString kNoServer = QStringLiteral("无法连接到数据库服务器,请设置或检查网络.");

} // namespace

class OrderScreens : public FoodScreenTest, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        if (GetParam() && !testpg::Available())
            GTEST_SKIP() << "no test PostgreSQL server";
        m_pVenue = std::make_unique<Venue>(GetParam());
        // A card the lock screen's digits can type.
        m_pVenue->Exec(QStringLiteral("UPDATE t_fwy SET CCardNO='4321' WHERE CEmployeeNO='E01'"));
        FoodScreenTest::SetUp();
    }
    // Dishes of the first type (beer) into the basket through the pad.
    void Order(const QString& row, const QString& quantity)
    {
        OpenDishes(QStringLiteral("name0"));
        TouchOn(QStringLiteral("frmfood"), row);
        TypeQuantity(quantity);
        m_pManager->CloseToPortal();
    }
};

TEST_P(OrderScreens, AWaitersCardPlacesTheBasketWithItsGiftAndTheBillShowsIt)
{
    Order(QStringLiteral("name0"), QStringLiteral("3"));
    // The evening's rule for this room's members: 10 a bottle.
    EXPECT_EQ(Rows(QStringLiteral("bXd=0")), QStringList({"P001|3|10|30|null|0"}));
    m_pManager->ShowFoodOrder();
    TouchOn(QStringLiteral("frmfoodorder"), QStringLiteral("addfjx0"));
    TouchOn(QStringLiteral("frmfoodfjx"), QStringLiteral("name0"));
    TouchOn(QStringLiteral("frmfoodorder"), QStringLiteral("Enter"));

    // The lock screen asks for the card; the basket screen is gone.
    TKVFormXML* lock = WaitForTop(QStringLiteral("frmlock"));
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(Caption(lock, QStringLiteral("Msg")), UiText(QStringLiteral("LockForDrinkPwd")));
    EXPECT_EQ(m_pManager->OpenScreens().size(), 2); // the portal and the lock
    auto* purpose = dynamic_cast<ILockScreen*>(lock);
    ASSERT_NE(purpose, nullptr);
    EXPECT_TRUE(purpose->DrinkMode && purpose->LockMode && purpose->InputAllowed);

    // A wrong card places nothing and leaves the prompt open.
    ConfirmWithCard(QStringLiteral("999"));
    EXPECT_EQ(TopName(), QStringLiteral("frmlock"));
    EXPECT_EQ(Rows(QStringLiteral("bXd=1")), QStringList());
    ConfirmWithCard(QStringLiteral("4321"));
    EXPECT_TRUE(WaitFor([&] { return Message() == kPlaced; })) << Message().toStdString();

    // Placed under one flow number, with the gift the beer earns.
    EXPECT_EQ(Rows(QStringLiteral("bXd=1")), QStringList({"P001|3|10|30|加冰|1", "G001|1|0|0|P:赠送|1"}));
    EXPECT_EQ(HotelRows(QStringLiteral("select count(distinct iWaterNo), max(cXdyNo) from t_dc where bXd=1 "
                                       "and iWaterNo is not null")),
              QStringList({"1|E01"}));
    EXPECT_EQ(Rows(QStringLiteral("bXd=0")), QStringList());

    // The bill screen shows what the bill command prints at that moment.
    const ProgramRun bill =
        RunProgram(QStringLiteral("vod-bill"),
                   {HotelAdo(), QStringLiteral("V01"), QStringLiteral("--now"), QStringLiteral("2026-03-04 20:00:00")});
    ASSERT_EQ(bill.code, 0) << bill.errors.toStdString();
    m_pManager->CloseToPortal();
    m_pManager->ShowBill();
    TKVFormXML* screen = WaitForTop(QStringLiteral("frmbill"));
    ASSERT_NE(screen, nullptr);
    const std::pair<const char*, const char*> shown[] = {
        {"Room", "RoomCharge"},  {"Low", "LowRate"},       {"Consume", "Consumed"},      {"Balance", "LowConsume"},
        {"Time", "StayMinutes"}, {"TimeMoney", "Prepaid"}, {"Service", "ServiceCharge"}, {"Ought", "AmountDue"}};
    for (const auto& [label, result] : shown) {
        const QString line = bill.lines.filter(QLatin1String(result) + QLatin1Char('=')).value(0);
        EXPECT_EQ(QLatin1String(result) + QLatin1Char('=') + Caption(screen, QLatin1String(label)), line) << label;
    }
    EXPECT_EQ(Caption(screen, QStringLiteral("Consume")), QStringLiteral("30.00"));

    // Its detail lists the placed rows, the gift at no charge.
    Key(screen, Qt::Key_D);
    TKVFormXML* detail = WaitForTop(QStringLiteral("frmbilldetail"));
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(Caption(detail, QStringLiteral("name0")), QStringLiteral("青岛啤酒"));
    EXPECT_EQ(Caption(detail, QStringLiteral("count0")), QStringLiteral("3"));
    EXPECT_EQ(Caption(detail, QStringLiteral("price0")), QStringLiteral("10.00"));
    EXPECT_EQ(Caption(detail, QStringLiteral("fjx0")), QStringLiteral("加冰"));
    EXPECT_EQ(Caption(detail, QStringLiteral("name1")), QStringLiteral("花生"));
    EXPECT_EQ(Caption(detail, QStringLiteral("price1")), QStringLiteral("0.00"));
    EXPECT_EQ(Caption(detail, QStringLiteral("name2")), QString());
    EXPECT_EQ(Caption(detail, QStringLiteral("sum")), QStringLiteral("30.00"));
}

TEST_P(OrderScreens, RoomClosedAtTheFrontDeskMeanwhileKeepsTheBasketAndSaysWhy)
{
    Order(QStringLiteral("name1"), QStringLiteral("2"));
    ASSERT_EQ(Rows(QStringLiteral("bXd=0")).size(), 1);
    m_pManager->ShowFoodOrder();
    TouchOn(QStringLiteral("frmfoodorder"), QStringLiteral("Enter"));
    ASSERT_NE(WaitForTop(QStringLiteral("frmlock")), nullptr);

    const ProgramRun closed =
        RunProgram(QStringLiteral("vod-frontdesk"), {HotelAdo(), QStringLiteral("close"), QStringLiteral("V01")});
    ASSERT_EQ(closed.code, 0) << closed.errors.toStdString();
    ConfirmWithCard(QStringLiteral("4321"));
    EXPECT_TRUE(WaitFor([&] { return Message() == kNotPlaced; })) << Message().toStdString();
    EXPECT_EQ(Rows(QStringLiteral("bXd=0")), QStringList({"P002|2|20|40|null|0"}));
    EXPECT_EQ(Rows(QStringLiteral("bXd=1")), QStringList());

    // A dish chosen on a menu still open is not ordered for a closed room.
    m_pManager->CloseAll();
    m_pManager->ShowPortal();
    m_pManager->ShowFood();
    TouchOn(QStringLiteral("frmfood"), QStringLiteral("name0"));
    TypeQuantity(QStringLiteral("1"));
    EXPECT_TRUE(WaitFor([&] { return Message() == kRoomClosed; })) << Message().toStdString();
    EXPECT_EQ(Rows(QStringLiteral("bXd=0")).size(), 1);
    // The food key and the bill tell the same.
    m_pManager->CloseAll();
    m_pManager->ShowPortal();
    EXPECT_EQ(m_pManager->ShowFoodType(), nullptr);
    EXPECT_EQ(m_pManager->ShowBill(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Engines, OrderScreens, ::testing::Values(false, true), EngineName);

// The database server stops in the middle: on the pad, and with the waiter's
// card typed. The guest is told, nothing is half written, and once the
// server is back the basket is the one written before.
class ServerGone : public FoodScreenTest
{
protected:
    void SetUp() override
    {
        if (!testpg::Available())
            GTEST_SKIP() << "no test PostgreSQL server";
        m_pServer = std::make_unique<OwnServer>();
        ASSERT_TRUE(m_pServer->Started());
        m_pVenue = std::make_unique<Venue>(true, m_pServer->HotelAdo());
        m_pVenue->Exec(QStringLiteral("UPDATE t_fwy SET CCardNO='4321' WHERE CEmployeeNO='E01'"));
        FoodScreenTest::SetUp();
    }
    void TearDown() override
    {
        FoodScreenTest::TearDown();
        m_pVenue.reset();
        m_pServer.reset();
    }
    std::unique_ptr<OwnServer> m_pServer;
};

TEST_F(ServerGone, TheGuestIsToldAndTheBasketStaysAsItWas)
{
    OpenDishes(QStringLiteral("name0"));
    TouchOn(QStringLiteral("frmfood"), QStringLiteral("name0"));
    TypeQuantity(QStringLiteral("3"));
    // The server stops while the pad is open.
    TouchOn(QStringLiteral("frmfood"), QStringLiteral("name1"));
    ASSERT_TRUE(m_pServer->Run(QStringLiteral("stop")));
    TypeQuantity(QStringLiteral("2"));
    EXPECT_TRUE(WaitFor([&] { return Message() == kNoServer; })) << Message().toStdString();
    m_pManager->CloseAll();
    m_pManager->ShowPortal();
    EXPECT_EQ(m_pManager->ShowFoodType(), nullptr);
    EXPECT_EQ(m_pManager->ShowBill(), nullptr);

    // Back: the basket shows the row written before; the server stops again
    // while the waiter's card is typed.
    ASSERT_TRUE(m_pServer->Run(QStringLiteral("restart")));
    m_pManager->ShowFoodOrder();
    TKVFormXML* basket = WaitForTop(QStringLiteral("frmfoodorder"));
    EXPECT_EQ(Caption(basket, QStringLiteral("name0")), QStringLiteral("青岛啤酒"));
    EXPECT_EQ(Caption(basket, QStringLiteral("name1")), QString());
    TouchOn(QStringLiteral("frmfoodorder"), QStringLiteral("Enter"));
    ASSERT_NE(WaitForTop(QStringLiteral("frmlock")), nullptr);
    ASSERT_TRUE(m_pServer->Run(QStringLiteral("stop")));
    ConfirmWithCard(QStringLiteral("4321"));
    EXPECT_TRUE(WaitFor([&] { return Message() == kNoServer; })) << Message().toStdString();
    EXPECT_EQ(TopName(), QStringLiteral("frmmsg"));

    // Back again: the same card places the basket as it was.
    ASSERT_TRUE(m_pServer->Run(QStringLiteral("restart")));
    m_pManager->CloseAll();
    m_pManager->ShowPortal();
    ConfirmWithCard(QStringLiteral("4321"));
    EXPECT_TRUE(WaitFor([&] { return Message() == kPlaced; })) << Message().toStdString();
    EXPECT_EQ(Rows(QStringLiteral("bXd=1")), QStringList({"P001|3|10|30|null|1", "G001|1|0|0|P:赠送|1"}));
    EXPECT_EQ(Rows(QStringLiteral("bXd=0")), QStringList());
}
