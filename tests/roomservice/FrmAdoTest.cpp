// The room-service data module on SQLite and PostgreSQL: the room check and
// its messages, the menu, the basket, gifts, staff cards and submission.
#include "HotelFixture.h"

using namespace hoteltest;

namespace {

class RoomService : public EngineTest
{
protected:
    // Appends a dish of the menu by its number.
    bool Order(TFrmAdo& ado, const char* foodNo, const char* quantity)
    {
        return ado.cpAll->Locate(QStringLiteral("cFoodNo"), QString::fromUtf8(foodNo)) &&
               ado.AppendOrder(*ado.cpAll, QString::fromUtf8(quantity), true);
    }
    QStringList Lines(const char* where)
    {
        return V().Rows(QStringLiteral("SELECT cFoodNo, fNum, mPrice, mTotal, bSend, bXd FROM t_dc WHERE ") +
                        QLatin1String(where) + QStringLiteral(" ORDER BY ID"));
    }
};

TEST_P(RoomService, RoomCheckTellsWhyTheRoomCannotOrder)
{
    const QString noConnection = QStringLiteral("无法连接到数据库服务器,请设置或检查网络.");
    TFrmAdo off;
    QStringList told;
    off.SetMessageSink([&](const QString& t) { told << t; });
    off.DataModuleCreate(QString(), QStringLiteral("station-a"));
    EXPECT_FALSE(off.CheckRoomOpen(true));
    EXPECT_FALSE(off.OpenPendingOrders());
    EXPECT_EQ(off.SumTotal(*off.dc), QString());
    EXPECT_EQ(told, QStringList({noConnection}));

    auto unknown = V().Station(QStringLiteral("nobody"));
    EXPECT_FALSE(unknown->CheckRoomOpen(false));
    EXPECT_TRUE(V().Messages().isEmpty());
    EXPECT_FALSE(unknown->CheckRoomOpen(true));
    auto closed = V().Station(QStringLiteral("station-c"));
    EXPECT_FALSE(closed->CheckRoomOpen(true));
    EXPECT_EQ(V().Messages(), QStringList({QStringLiteral("找不到此计算机对应的房台,请在INI或后台设置."),
                                           QStringLiteral("不是处于开房状态,请在前台开此房台")}));
    V().ClearMessages();

    auto open = V().Station(QStringLiteral("station-a"));
    EXPECT_EQ(open->m_sHotelRoomName, "V01");
    ASSERT_TRUE(open->CheckRoomOpen(true));
    EXPECT_TRUE(V().Messages().isEmpty());
    EXPECT_EQ(open->cl->RecordCount(), 2); // the room-service department's food types
    EXPECT_EQ(open->fjx->RecordCount(), 2);
    EXPECT_TRUE(open->dc->Active());
    EXPECT_EQ(open->cpAll->RecordCount(), 5); // neither stopped nor missing dishes, nor the kitchen's

    // Food types that cannot be read: the fourth message.
    V().Exec(QStringLiteral("DROP TABLE t_cl"));
    auto late = V().Station(QStringLiteral("station-a"));
    EXPECT_FALSE(late->CheckRoomOpen(true));
    EXPECT_EQ(V().Messages(), QStringList({QStringLiteral("菜谱数据没有打开,请检查网络或配置")}));
}

TEST_P(RoomService, MenuBasketAndAdditions)
{
    auto ado = V().Station(QStringLiteral("station-a"));
    ASSERT_TRUE(ado->cl->Locate(QStringLiteral("cFoodTypeNo"), QStringLiteral("02")));
    ASSERT_TRUE(ado->OpenFoodsOfType());
    QStringList menu;
    for (ado->cp->First(); !ado->cp->Eof(); ado->cp->Next())
        menu << ado->cp->FieldByName(QStringLiteral("cFoodNo")).AsString() + QLatin1Char('=') +
                    TFrmAdo::DisplayText(ado->cp->FieldByName(QStringLiteral("Price")));
    // Snacks at half price by their food type, the fruit plate by its own row.
    EXPECT_EQ(menu, QStringList({"S001=9.00", "S002=6.00", "G001=5.00"}));

    // The quantity pad's 1.5 of the fruit plate, at its time price.
    ASSERT_TRUE(ado->cp->Locate(QStringLiteral("cFoodNo"), QStringLiteral("S002")));
    EXPECT_DOUBLE_EQ(ado->CpPrice(), 6);
    ASSERT_TRUE(ado->AppendOrder(*ado->cp, QStringLiteral("1.5"), true));
    // A quantity the database does not take appends nothing.
    EXPECT_FALSE(ado->AppendOrder(*ado->cp, QStringLiteral("."), true));
    EXPECT_FALSE(ado->AppendOrder(*ado->cp, QString(), true));
    EXPECT_EQ(Lines("cTabNo='T0001'"), QStringList({"S002|1.5|6|9|0|0"}));
    EXPECT_EQ(V().Rows(QStringLiteral("SELECT cRoomNo, cRoomName, cArrName, cDepartment, cFoodTypeName, cUnit, "
                                      "bCanDiscount, bAttendLowConsume, fDiscount, mCost FROM t_dc")),
              QStringList({"101|V01|大包标准|2|小吃|份|0|0|100|20"}));
    EXPECT_EQ(ado->dc->RecordCount(), 1);
    EXPECT_EQ(ado->SumTotal(*ado->dc), "9.00");

    // An addition goes on the basket's current row.
    ado->fjx->Last();
    ASSERT_TRUE(ado->SetAddition());
    EXPECT_EQ(V().Scalar(QStringLiteral("SELECT cAddons FROM t_dc")).toString(), "常温");
    // Another room's station sees its own empty basket.
    auto other = V().Station(QStringLiteral("station-b"));
    EXPECT_EQ(other->dc->RecordCount(), 0);
    EXPECT_EQ(other->SumTotal(*other->dc), "0.00");
}

TEST_P(RoomService, SubmissionAddsGiftsAndPlacesTheBasketUnderOneFlowNumber)
{
    auto ado = V().Station(QStringLiteral("station-a"));
    EXPECT_FALSE(ado->CheckStaffCard(QStringLiteral("NOCARD")));
    EXPECT_FALSE(ado->CheckStaffCard(QString()));
    EXPECT_FALSE(ado->CheckStaffCard(QStringLiteral("' or '1'='1")));
    ASSERT_TRUE(ado->CheckStaffCard(QStringLiteral("CARD123")));
    EXPECT_EQ(ado->m_sStaffName, "张经理");
    EXPECT_EQ(ado->m_sStaffNo, "E01");

    ASSERT_TRUE(Order(*ado, "P001", "7")); // buy 3 get 1: two peanuts
    ASSERT_TRUE(Order(*ado, "P002", "6")); // rules for 2 and 5: only 5 applies, once: two beers
    ASSERT_TRUE(Order(*ado, "S001", "5")); // a rule without a buy quantity: nothing
    ASSERT_TRUE(Order(*ado, "S002", "1")); // its rule holds 14:00-16:00 only
    ASSERT_TRUE(ado->SubmitOrders());

    EXPECT_EQ(Lines("bXd=1"), QStringList({"P001|7|10|70|0|1", "P002|6|20|120|0|1", "S001|5|9|45|0|1", "S002|1|6|6|0|1",
                                           "G001|2|0|0|1|1", "P002|2|0|0|1|1"}));
    const QStringList placed = V().Rows(
        QStringLiteral("SELECT DISTINCT iWaterNo, cXdy, cXdyNo, cTabNo, cRoomName, dXdTime FROM t_dc WHERE bXd=1"));
    ASSERT_EQ(placed.size(), 1);
    EXPECT_TRUE(placed[0].startsWith(QStringLiteral("1|张经理|E01|T0001|V01|"))) << placed[0].toStdString();
    EXPECT_EQ(V().Rows(QStringLiteral("SELECT cSendMan, cAddons FROM t_dc WHERE bSend=1")),
              QStringList({"自动赠送|P:赠送", "自动赠送|P:赠送"}));
    // The basket is empty; the placed orders are the room's bill lines.
    EXPECT_EQ(ado->dc->RecordCount(), 0);
    ASSERT_TRUE(ado->OpenPlacedOrders());
    EXPECT_EQ(ado->dc1->RecordCount(), 6);
    EXPECT_EQ(ado->SumTotal(*ado->dc1), "241.00");

    // In the fruit plate's window it earns a peanut; the next submission
    // has the next flow number.
    ado->m_pPrice->SetNow(At("2026-03-04 15:00:00"));
    ASSERT_TRUE(Order(*ado, "S002", "1"));
    ASSERT_TRUE(ado->SubmitOrders());
    EXPECT_EQ(V().Rows(QStringLiteral("SELECT cFoodNo, fNum, iWaterNo FROM t_dc WHERE iWaterNo=2 ORDER BY ID")),
              QStringList({"S002|1|2", "G001|1|2"}));
}

TEST_P(RoomService, RoomClosedBeforeSubmissionKeepsTheBasket)
{
    auto ado = V().Station(QStringLiteral("station-a"));
    ASSERT_TRUE(Order(*ado, "P001", "3"));
    V().Exec(QStringLiteral("DELETE FROM t_kf WHERE cRoomName='V01'"));
    EXPECT_FALSE(ado->SubmitOrders());
    EXPECT_EQ(Lines("1=1"), QStringList({"P001|3|10|30|0|0"}));
    EXPECT_EQ(V().Scalar(QStringLiteral("SELECT iWaterId FROM t_WaterId")).toInt(), 0);
    EXPECT_FALSE(ado->CheckoutRoom());
    EXPECT_FALSE(ado->CheckRoomOpen(true));
    EXPECT_EQ(V().Messages(), QStringList({QStringLiteral("不是处于开房状态,请在前台开此房台")}));
}

TEST_P(RoomService, FailedSubmissionLeavesTheBasketAsItWas)
{
    auto ado = V().Station(QStringLiteral("station-a"));
    ASSERT_TRUE(Order(*ado, "P001", "3"));
    ASSERT_TRUE(Order(*ado, "S002", "1"));
    // The kitchen's database refuses to place the fruit plate.
    if (V().Postgres()) {
        V().Exec(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger AS $$BEGIN IF NEW.bxd=1 AND "
                                "NEW.cfoodno='S002' THEN RAISE EXCEPTION 'refused'; END IF; RETURN NEW; END$$ "
                                "LANGUAGE plpgsql"));
        V().Exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON t_dc FOR EACH ROW EXECUTE FUNCTION refuse()"));
    } else {
        V().Exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON t_dc WHEN NEW.bXd=1 AND NEW.cFoodNo='S002' "
                                "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    }
    EXPECT_FALSE(ado->SubmitOrders());
    // No gift, nothing placed, no flow number used; the basket shows both rows.
    EXPECT_EQ(Lines("1=1"), QStringList({"P001|3|10|30|0|0", "S002|1|6|6|0|0"}));
    EXPECT_EQ(V().Scalar(QStringLiteral("SELECT iWaterId FROM t_WaterId")).toInt(), 0);
    EXPECT_EQ(ado->dc->RecordCount(), 2);
    // Once the kitchen takes it again, the same basket goes through.
    V().Exec(QStringLiteral("DROP TRIGGER refuse") + (V().Postgres() ? QStringLiteral(" ON t_dc") : QString()));
    ASSERT_TRUE(ado->SubmitOrders());
    EXPECT_EQ(Lines("bXd=1").size(), 3);
}

TEST_P(RoomService, LongTabSumKeepsItsCents)
{
    V().Db().Begin();
    for (int i = 0; i < 2000; ++i)
        V().Exec(QStringLiteral("INSERT INTO t_dc (cTabNo, cDepartment, bXd, mTotal) VALUES ('T0001','2',1,?)"),
                 {12345.67});
    V().Db().Commit();
    auto ado = V().Station(QStringLiteral("station-a"));
    ASSERT_TRUE(ado->OpenPlacedOrders());
    EXPECT_EQ(ado->SumTotal(*ado->dc1), "24691340.00");
}

INSTANTIATE_TEST_SUITE_P(Engines, RoomService, ::testing::Values(false, true), EngineName);

} // namespace
