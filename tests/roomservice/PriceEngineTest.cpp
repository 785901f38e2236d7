// The price engine on SQLite and PostgreSQL: rules and their fallbacks, room
// time across midnight and weekday segments, line totals and the bill.
#include "HotelFixture.h"
#include "roomservice/GetPrice.h"
#include "roomservice/HotelSchema.h"

using namespace hoteltest;

namespace {

class PriceEngine : public EngineTest
{
protected:
    TGetPrice& Engine()
    {
        if (!m_pEngine) {
            m_pEngine = std::make_unique<TGetPrice>(V().Db(), QStringLiteral("2"), false);
            m_pEngine->SetNow(Evening());
        }
        return *m_pEngine;
    }
    double Dish(const char* no, const char* name, const char* type, const char* typeName, double menu,
                const char* arr = "大包标准", const char* guest = "会员", const char* unit = "瓶")
    {
        return Engine().GetCpTimePrice(QString::fromUtf8(arr), QString::fromUtf8(no), QString::fromUtf8(name),
                                       QString::fromUtf8(unit), QString::fromUtf8(type), QString::fromUtf8(typeName),
                                       QString::fromUtf8(guest), menu);
    }
    std::unique_ptr<TGetPrice> m_pEngine;
};

TEST_P(PriceEngine, RulesOfTheDateComeFirstThenEveryDayThenTheMenuPrice)
{
    EXPECT_TRUE(Engine().TimePricing);
    EXPECT_EQ(Engine().TimeUnit, 60);
    // The evening rule of 4 March: the row for this arrangement, guest grade
    // and unit; a guest of another grade falls back to the row naming only
    // the dish.
    EXPECT_DOUBLE_EQ(Dish("P001", "青岛啤酒", "01", "啤酒", 15), 10);
    EXPECT_DOUBLE_EQ(Dish("P001", "青岛啤酒", "01", "啤酒", 15, "大包标准", "散客"), 11);
    // Before 18:00 only the every-day rule fits: 80 % of the menu price.
    Engine().SetNow(At("2026-03-04 17:59:59"));
    EXPECT_DOUBLE_EQ(Dish("P001", "青岛啤酒", "01", "啤酒", 15), 12);
    // Rate 12 at 50 %: 6, whatever the menu says.
    EXPECT_DOUBLE_EQ(Dish("S002", "果盘", "02", "小吃", 68, "大包标准", "会员", "份"), 6);
    // A snack without a row of its own takes its food type's row.
    EXPECT_DOUBLE_EQ(Dish("S001", "爆米花", "02", "小吃", 18, "大包标准", "会员", "份"), 9);
    // A beer without any row, and a rule switched off: the menu price.
    EXPECT_DOUBLE_EQ(Dish("P002", "百威啤酒", "01", "啤酒", 20), 20);
    // The next day's own rule.
    Engine().SetNow(At("2026-03-05 12:00:00"));
    EXPECT_DOUBLE_EQ(Dish("P002", "百威啤酒", "01", "啤酒", 20), 1);
    // The name must match exactly as well as the number.
    EXPECT_DOUBLE_EQ(Dish("P001", "青岛", "01", "啤酒", 15), 15);
}

TEST_P(PriceEngine, RoomRateByRuleOrByTheArrangement)
{
    // Members: the rule's rate row (its name is written with blanks).
    TPriceResult r = Engine().GetfjTimePrice(1, QStringLiteral("大包标准"), Evening(), QStringLiteral("会员"));
    EXPECT_EQ(r.Unpriced, 0);
    EXPECT_DOUBLE_EQ(r.Price, 150);
    EXPECT_DOUBLE_EQ(r.TimePrice, 90);
    EXPECT_DOUBLE_EQ(r.LowCharge, 200);
    EXPECT_DOUBLE_EQ(r.ServiceRate, 5);
    // Other guests: the arrangement's own rates.
    r = Engine().GetfjTimePrice(1, QStringLiteral("大包标准"), Evening(), QStringLiteral("散客"));
    EXPECT_DOUBLE_EQ(r.Price, 100);
    EXPECT_DOUBLE_EQ(r.TimePrice, 60);
    EXPECT_DOUBLE_EQ(r.LowCharge, 300);
    // An arrangement that does not exist stays unpriced at 0.
    r = Engine().GetfjTimePrice(9, QStringLiteral("无"), Evening(), QString());
    EXPECT_EQ(r.Unpriced, 1);
    EXPECT_DOUBLE_EQ(r.Price, 0);
    EXPECT_DOUBLE_EQ(GetPrice(80, 0, 15), 12);
    EXPECT_DOUBLE_EQ(GetPrice(50, 12, 68), 6);
}

TEST_P(PriceEngine, MinutesCountMinuteBoundaries)
{
    EXPECT_EQ(Engine().MinutesBetween(At("2026-03-04 10:00:59"), At("2026-03-04 10:01:00")), 1);
    EXPECT_EQ(Engine().MinutesBetween(At("2026-03-04 10:00:00"), At("2026-03-04 10:00:59")), 0);
    EXPECT_EQ(Engine().MinutesBetween(At("2026-03-04 23:30:00"), At("2026-03-05 00:30:00")), 60);
}

TEST_P(PriceEngine, TimeChargeBySegmentsOfEachWeekday)
{
    TGetPrice& e = Engine();
    // Wednesday evening: 90 minutes at 120 an hour.
    EXPECT_DOUBLE_EQ(e.GetTimeCost(1, QStringLiteral("会员"), 60, At("2026-03-04 20:00:00"), At("2026-03-04 21:30:00")),
                     180);
    // Across two segments: 17:00-18:00 at 60, 18:00-19:00 at 120.
    EXPECT_DOUBLE_EQ(e.GetTimeCost(1, QString(), 60, At("2026-03-04 17:00:00"), At("2026-03-04 19:00:00")), 180);
    // 23:30 Wednesday to 00:30:10 Thursday: 29 minutes of Wednesday's 120
    // (the segment ends 23:59:59) and Thursday's 40 from 00:00 to 52 seconds
    // after the end, 31 minutes.
    EXPECT_NEAR(e.GetTimeCost(1, QString(), 60, At("2026-03-04 23:30:00"), At("2026-03-05 00:30:10")),
                29.0 / 60 * 120 + 31.0 / 60 * 40, 1e-9);
    // A stay that ended before it began costs nothing.
    EXPECT_DOUBLE_EQ(e.GetTimeCost(1, QString(), 60, At("2026-03-04 21:00:00"), At("2026-03-04 20:00:00")), 0);
}

TEST_P(PriceEngine, FlatTimeChargeAcrossMidnightChargesEachMinuteOnce)
{
    // Arrangement 2 has no segments: 30 an hour. 23:00 to 01:00 is two
    // hours (the part after midnight runs 52 seconds longer, still 60
    // minute boundaries).
    EXPECT_DOUBLE_EQ(Engine().GetTimeCost(2, QString(), 60, At("2026-03-04 23:00:00"), At("2026-03-05 01:00:00")), 60);
    EXPECT_DOUBLE_EQ(Engine().GetTimeCost(2, QString(), 60, At("2026-03-04 20:00:00"), At("2026-03-04 20:30:00")), 15);
    // A unit missing from the settings counts as an hour.
    EXPECT_DOUBLE_EQ(Engine().GetTimeCost(2, QString(), 0, At("2026-03-04 20:00:00"), At("2026-03-04 20:30:00")), 15);
}

TEST_P(PriceEngine, LineTotals)
{
    V().Exec(QStringLiteral(
        "INSERT INTO t_dc (cTabNo, fNum, mPrice, cAddons, mAddonsPrice, mAddPrice, bSend, bBlankout) VALUES "
        "('L',2,15,'',3,4,0,0), ('L',2,15,'加冰',3,4,0,0), ('L',-1,15,'加冰',3,4,0,0), ('L',3,15,'',0,0,1,0), "
        "('L',3,15,'',0,0,0,1), ('L',1.5,9.9,null,0,0,0,0)"));
    DataSet lines;
    lines.SetConnection(&V().Db());
    lines.SetCommandText(QStringLiteral("select * from t_dc where cTabNo=? order by ID"));
    lines.SetParameters({QStringLiteral("L")});
    lines.Open();
    QStringList totals, stored;
    for (lines.First(); !lines.Eof(); lines.Next()) {
        totals << QString::number(Engine().GetSmallTotal(lines), 'f', 4);
        lines.Post();
        stored << lines.FieldByName(QStringLiteral("mTotal")).DisplayText();
    }
    // Add-ons add to a sale and are taken off a return; gifts and cancelled
    // lines total nothing; the stored total has two decimals.
    EXPECT_EQ(totals, QStringList({"30.0000", "37.0000", "-22.0000", "0.0000", "0.0000", "14.8500"}));
    EXPECT_EQ(stored, QStringList({"30", "37", "-22", "0", "0", "14.85"}));
}

TEST_P(PriceEngine, CheckoutBelowTheMinimumChargesTheMinimumAndTheLinesThatDoNotCount)
{
    // Checked in 20:00, now 21:00 on Wednesday: 60 minutes at 120.
    V().CheckIn(At("2026-03-04 20:00:00"));
    Engine().SetNow(At("2026-03-04 21:00:00"));
    V().AddPlacedLine(200, true, true, true);
    V().AddPlacedLine(50, false, false, false);
    // Lines that never reach the bill: a basket line, a cancelled line, a
    // payment, the line types 2 and 3 and another tab.
    V().Exec(QStringLiteral("INSERT INTO t_dc (cTabNo, bXd, mTotal, bBlankout, iPayment, iType) VALUES "
                            "('T0001',0,1000,0,null,null), ('T0001',1,1000,1,null,null), "
                            "('T0001',1,1000,0,1,null), ('T0001',1,1000,0,null,2), ('T0001',1,1000,0,null,3), "
                            "('T0002',1,1000,0,null,null)"));
    auto ado = V().Station(QStringLiteral("station-a"), At("2026-03-04 21:00:00"));
    ASSERT_TRUE(ado->CheckoutRoom());
    const TCheckoutResults& r = ado->m_pPrice->Results;
    EXPECT_EQ(r.RoomCharge, "100.00");
    EXPECT_EQ(r.LowRate, "300.00");
    EXPECT_EQ(r.TeaCharge, "10.00");
    EXPECT_EQ(r.Prepaid, "50.00");
    EXPECT_EQ(r.GuestCount, "4");
    EXPECT_EQ(r.Consumed, "250.00");
    EXPECT_EQ(r.LowConsume, "100.00"); // missing to the minimum
    EXPECT_EQ(r.ServiceCharge, "20.00");
    EXPECT_EQ(r.Discount, "20.00"); // 10 % off the discountable 200
    EXPECT_EQ(r.StayMinutes, "60");
    EXPECT_EQ(r.TimeCharge, "120.00");
    // 100 + 10 + 300 + 50 (not counting) + 20 + 120 - 20 - 50
    EXPECT_EQ(r.AmountDue, "530.00");
}

TEST_P(PriceEngine, CheckoutAboveAndAtTheMinimum)
{
    V().CheckIn(At("2026-03-04 20:00:00"));
    V().AddPlacedLine(200, true, true, true);
    V().AddPlacedLine(50, false, false, false);
    V().AddPlacedLine(150, true, true, true, 95); // at most 5 % off
    auto ado = V().Station(QStringLiteral("station-a"), At("2026-03-04 21:00:00"));
    ASSERT_TRUE(ado->CheckoutRoom());
    TCheckoutResults r = ado->m_pPrice->Results;
    EXPECT_EQ(r.LowConsume, "0.00");
    EXPECT_EQ(r.Consumed, "400.00");
    EXPECT_EQ(r.ServiceCharge, "35.00");
    EXPECT_EQ(r.Discount, "27.50");
    // 100 + 10 + 400 + 35 + 120 - 27.50, less the prepayment of 50.
    EXPECT_EQ(r.AmountDue, "587.50");

    // Counted consumption exactly at the minimum: the minimum is charged,
    // nothing is missing, the prepayment is taken off.
    V().Exec(QStringLiteral("UPDATE t_dc SET mTotal=100 WHERE iLowDiscount=95"));
    ASSERT_TRUE(ado->CheckoutRoom());
    r = ado->m_pPrice->Results;
    EXPECT_EQ(r.LowConsume, "0.00");
    EXPECT_EQ(r.Consumed, "350.00");
    // 100 + 10 + 300 + 50 + 30 + 120 - 25 - 50
    EXPECT_EQ(r.AmountDue, "535.00");

    // A prepayment larger than the bill leaves nothing due, in both cases.
    V().Exec(QStringLiteral("UPDATE t_kf SET mPrepmoney=5000"));
    ASSERT_TRUE(ado->CheckoutRoom());
    EXPECT_EQ(ado->m_pPrice->Results.AmountDue, "0.00");
    V().Exec(QStringLiteral("UPDATE t_dc SET mTotal=1000 WHERE iLowDiscount=95"));
    ASSERT_TRUE(ado->CheckoutRoom());
    EXPECT_EQ(ado->m_pPrice->Results.LowConsume, "0.00");
    EXPECT_EQ(ado->m_pPrice->Results.AmountDue, "0.00");
}

TEST_P(PriceEngine, FlowNumbersFollowEachOther)
{
    const int first = Engine().GetFlow(QStringLiteral("T0001")).toInt();
    EXPECT_EQ(Engine().GetFlow(QStringLiteral("T0002")).toInt(), first + 1);
    EXPECT_EQ(V().Scalar(QStringLiteral("SELECT cLastId FROM t_WaterId")).toString(), "T0002");
}

INSTANTIATE_TEST_SUITE_P(Engines, PriceEngine, ::testing::Values(false, true), EngineName);

TEST(HotelSchema, SqlServerTextsSpellTheEngineAndDeclareTheProcedure)
{
    const QString script = HotelSchemaScript(DbEngine::SqlServer);
    EXPECT_FALSE(script.contains(u'$'));
    EXPECT_TRUE(script.contains(QStringLiteral("bXd BIT DEFAULT 0")));
    EXPECT_TRUE(script.contains(QStringLiteral("mPrice MONEY")));
    EXPECT_TRUE(script.contains(QStringLiteral("ID INT IDENTITY(1,1) PRIMARY KEY")));
    EXPECT_TRUE(script.contains(QStringLiteral("CREATE PROCEDURE sp_GetWaterId @ID VARCHAR(20), @waterid INT OUTPUT")));
    const SqlDialect& d = SqlDialect::For(DbEngine::SqlServer);
    EXPECT_TRUE(d.FlowNumberIsOutput());
    EXPECT_EQ(d.MinutesBetween("?", "?"), "DATEDIFF(Mi,?,?)");
    EXPECT_FALSE(SqlDialect::For(DbEngine::PostgreSQL).FlowNumberIsOutput());
    // Every table of every engine.
    for (DbEngine e : {DbEngine::SQLite, DbEngine::PostgreSQL, DbEngine::SqlServer})
        EXPECT_EQ(HotelSchemaScript(e).count(QStringLiteral("CREATE TABLE")), 14);
}

} // namespace
