// The food ordering screens on the demo installation's room-service
// database, used as a guest uses them: from the portal's food key to a type,
// a dish, the quantity pad and the basket with its additions, and what a
// guest may get wrong on the way.
#include "FoodScreenFixture.h"
#include "roomservice/FrmAdo.h"
#include "roomservice/FrmFoodCount.h"
#include "roomservice/FrmFoodOrder.h"
#include "ui/ItemList.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QFile>

namespace {

const QString kFailed = QStringLiteral("点单失败!");

} // namespace

class FoodScreens : public FoodScreenTest
{
protected:
    // The room's basket rows: dish, quantity, price, total, addition.
    QStringList Basket()
    {
        return HotelRows(QStringLiteral("select cFoodNo,fNum,mPrice,mTotal,cAddons from t_dc where bXd=0 "
                                        "and cRoomName='V01' order by ID"));
    }
    // Appends basket rows for dishes of the menu, as the pad would.
    void PutIntoBasket(const QStringList& dishes)
    {
        for (const QString& no : dishes) {
            ASSERT_TRUE(m_pAdo->cpAll->Locate(QStringLiteral("cFoodNo"), no)) << no.toStdString();
            ASSERT_TRUE(m_pAdo->AppendOrder(*m_pAdo->cpAll, QStringLiteral("1"), true)) << no.toStdString();
        }
    }
    TFrmFoodOrder* OpenBasket()
    {
        m_pManager->ShowFoodOrder();
        return qobject_cast<TFrmFoodOrder*>(WaitForTop(QStringLiteral("frmfoodorder")));
    }
};

TEST_F(FoodScreens, ATypeADishAndAQuantityPutTheDishIntoTheBasketAtItsPrice)
{
    TKVFormXML* types = TouchOn(QStringLiteral("portal"), QStringLiteral("foodtype"));
    ASSERT_EQ(TopName(), QStringLiteral("foodtype"));
    // The bar's six types; the kitchen's are not ordered from the room.
    QStringList names;
    for (int row = 0; row < 10; ++row)
        names << Caption(types, QStringLiteral("name%1").arg(row));
    EXPECT_EQ(names.mid(0, 7), QStringList({"啤酒", "洋酒", "饮料", "小吃", "果盘", "套餐", ""}));

    // Snacks: the sold-out one is not offered; prices are those of this
    // moment (90 % every day), shown as money.
    TKVFormXML* dishes = TouchOn(QStringLiteral("foodtype"), QStringLiteral("name3"));
    dishes = WaitForTop(QStringLiteral("frmfood"));
    ASSERT_NE(dishes, nullptr);
    EXPECT_EQ(Caption(dishes, QStringLiteral("name0")), QStringLiteral("爆米花"));
    EXPECT_EQ(Caption(dishes, QStringLiteral("unit0")), QStringLiteral("份"));
    EXPECT_EQ(Caption(dishes, QStringLiteral("price0")), QStringLiteral("16.20"));
    EXPECT_EQ(Caption(dishes, QStringLiteral("name4")), QStringLiteral("花生米"));
    EXPECT_EQ(Caption(dishes, QStringLiteral("name6")), QString());
    EXPECT_EQ(Caption(dishes, QStringLiteral("pagelabel")), QStringLiteral("1/1"));

    // A touch on the price chooses the dish as well; the pad names it.
    auto* pad = qobject_cast<TFrmFoodCount*>(TouchOn(QStringLiteral("frmfood"), QStringLiteral("price1")));
    pad = qobject_cast<TFrmFoodCount*>(WaitForTop(QStringLiteral("frmfoodcount")));
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(Caption(pad, QStringLiteral("Name")), QStringLiteral("开心果  25.20/碟"));
    TypeQuantity(QStringLiteral("1.5"));
    EXPECT_EQ(TopName(), QStringLiteral("frmfood"));
    EXPECT_EQ(Message(), QString());
    EXPECT_EQ(Basket(), QStringList({"S02|1.5|25.2|37.8|null"}));

    // The select button's key opens the basket with the row and its total.
    Key(WaitForTop(QStringLiteral("frmfood")), Qt::Key_O);
    TKVFormXML* basket = WaitForTop(QStringLiteral("frmfoodorder"));
    EXPECT_EQ(Caption(basket, QStringLiteral("name0")), QStringLiteral("开心果"));
    EXPECT_EQ(Caption(basket, QStringLiteral("count0")), QStringLiteral("1.5"));
    EXPECT_EQ(Caption(basket, QStringLiteral("price0")), QStringLiteral("25.20"));
    EXPECT_EQ(Caption(basket, QStringLiteral("sum")), QStringLiteral("37.80"));
}

TEST_F(FoodScreens, ThePadTakesOnlyAQuantityItCanOrder)
{
    OpenDishes(QStringLiteral("name3"));
    TKVFormXML* pad = TouchOn(QStringLiteral("frmfood"), QStringLiteral("name0"));
    pad = WaitForTop(QStringLiteral("frmfoodcount"));
    ASSERT_NE(pad, nullptr);

    // Enter on an empty pad keeps it open and orders nothing.
    Touch(pad, QStringLiteral("NumEnter"));
    EXPECT_EQ(TopName(), QStringLiteral("frmfoodcount"));
    // Twenty digits: four are kept; a second point and a third decimal are not.
    for (int i = 0; i < 20; ++i)
        Touch(pad, QStringLiteral("Num9"));
    EXPECT_EQ(Caption(pad, QStringLiteral("Input")), QStringLiteral("9999"));
    for (int i = 0; i < 4; ++i)
        Touch(pad, QStringLiteral("NumDel"));
    Touch(pad, QStringLiteral("NumPoint"));
    EXPECT_EQ(Caption(pad, QStringLiteral("Input")), QStringLiteral("0."));
    for (const char* key : {"NumPoint", "Num2", "Num5", "Num7", "NumPoint"})
        Touch(pad, QString::fromLatin1(key));
    EXPECT_EQ(Caption(pad, QStringLiteral("Input")), QStringLiteral("0.25"));
    Touch(pad, QStringLiteral("NumEnter"));
    EXPECT_EQ(Basket(), QStringList({"S01|0.25|16.2|4.05|null"}));

    // "." and "0" are no quantities: the pad closes with the message and the
    // basket keeps what it had.
    for (const QString& typed : {QStringLiteral("."), QStringLiteral("0"), QStringLiteral("00.0")}) {
        TouchOn(QStringLiteral("frmfood"), QStringLiteral("name0"));
        TypeQuantity(typed);
        EXPECT_TRUE(WaitFor([&] { return Message() == kFailed; })) << typed.toStdString();
        EXPECT_EQ(Basket().size(), 1) << typed.toStdString();
        m_pManager->CloseToPortal();
        OpenDishes(QStringLiteral("name3"));
    }
}

TEST_F(FoodScreens, ADishStoppedOrSoldOutMeanwhileIsRefusedAndLeavesTheMenu)
{
    TKVFormXML* dishes = OpenDishes(QStringLiteral("name3"));
    ASSERT_EQ(Caption(dishes, QStringLiteral("name1")), QStringLiteral("开心果"));
    // The kitchen stops one dish, then runs out of the next, while the menu
    // shows them: each is refused, and the menu behind the message no longer
    // offers it.
    for (const char* change : {"bStop=1 where cFoodNo='S02'", "bLack=1 where cFoodNo='S03'"}) {
        HotelExec(QStringLiteral("update t_cp set ") + QLatin1String(change));
        const QString dish = Caption(dishes, QStringLiteral("name1"));
        TouchOn(QStringLiteral("frmfood"), QStringLiteral("name1"));
        TypeQuantity(QStringLiteral("2"));
        EXPECT_TRUE(WaitFor([&] { return Message() == kFailed; })) << change;
        EXPECT_NE(Caption(dishes, QStringLiteral("name1")), dish);
        CloseMessage();
    }
    EXPECT_TRUE(Basket().isEmpty());
    // The menu no longer offers them.
    EXPECT_EQ(Caption(dishes, QStringLiteral("name1")), QStringLiteral("薯条"));
}

TEST_F(FoodScreens, BasketRowsTakeAdditionsAndGoOneByOneWithTheRowAboveChosenNext)
{
    PutIntoBasket({QStringLiteral("B01"), QStringLiteral("D01"), QStringLiteral("S01")});
    TFrmFoodOrder* basket = OpenBasket();
    ASSERT_NE(basket, nullptr);
    EXPECT_EQ(Caption(basket, QStringLiteral("sum")), QStringLiteral("41.20"));

    // Nothing chosen: Backspace and the additions button do nothing.
    Key(basket, Qt::Key_Backspace);
    Key(basket, Qt::Key_F);
    EXPECT_EQ(Basket().size(), 3);
    EXPECT_EQ(TopName(), QStringLiteral("frmfoodorder"));

    // A row's addition button offers the additions; the one chosen goes on
    // that row, and a second one replaces it.
    for (const char* addition : {"name0", "name1"}) {
        TouchOn(QStringLiteral("frmfoodorder"), QStringLiteral("addfjx1"));
        TouchOn(QStringLiteral("frmfoodfjx"), QString::fromLatin1(addition));
        WaitForTop(QStringLiteral("frmfoodorder"));
    }
    EXPECT_EQ(Caption(basket, QStringLiteral("fjx1")), QStringLiteral("常温"));
    EXPECT_EQ(Basket().value(1), QStringLiteral("D01|1|10|10|常温"));
    EXPECT_EQ(Basket().value(0), QStringLiteral("B01|1|15|15|null"));

    // The first row goes; none is above it, so nothing is chosen after it.
    Touch(basket, QStringLiteral("count0"));
    Key(basket, Qt::Key_Backspace);
    EXPECT_EQ(Basket(), QStringList({"D01|1|10|10|常温", "S01|1|16.2|16.2|null"}));
    EXPECT_EQ(Caption(basket, QStringLiteral("sum")), QStringLiteral("26.20"));
    EXPECT_EQ(Caption(basket, QStringLiteral("name2")), QString());
    EXPECT_TRUE(basket->FindLabel(QStringLiteral("addfjx2"))->isHidden());
    Key(basket, Qt::Key_Backspace);
    EXPECT_EQ(Basket().size(), 2);
    // The last row goes; the row above is chosen and goes next.
    Touch(basket, QStringLiteral("name1"));
    Key(basket, Qt::Key_Backspace);
    EXPECT_EQ(Basket(), QStringList({"D01|1|10|10|常温"}));
    Key(basket, Qt::Key_Backspace);
    EXPECT_TRUE(Basket().isEmpty());
    EXPECT_EQ(Caption(basket, QStringLiteral("sum")), QStringLiteral("0.00"));
    EXPECT_EQ(Caption(basket, QStringLiteral("name0")), QString());
    EXPECT_TRUE(basket->FindLabel(QStringLiteral("addfjx0"))->isHidden());
    EXPECT_EQ(Caption(basket, QStringLiteral("pagelabel")), QStringLiteral("1/1"));

    // An empty basket has nothing for a waiter to confirm.
    Key(basket, Qt::Key_Return);
    EXPECT_EQ(TopName(), QStringLiteral("frmfoodorder"));
}

TEST_F(FoodScreens, TheBasketOpensFromTheDishesEvenWhenEmptyAndTheBillFromTheTypes)
{
    OpenDishes(QStringLiteral("name0"));
    TouchOn(QStringLiteral("frmfood"), QStringLiteral("select"));
    TKVFormXML* basket = WaitForTop(QStringLiteral("frmfoodorder"));
    EXPECT_EQ(Caption(basket, QStringLiteral("sum")), QStringLiteral("0.00"));
    EXPECT_EQ(Caption(basket, QStringLiteral("name0")), QString());
    Key(basket, Qt::Key_Escape);
    Key(WaitForTop(QStringLiteral("frmfood")), Qt::Key_Escape);
    WaitForTop(QStringLiteral("foodtype"));
    TouchOn(QStringLiteral("foodtype"), QStringLiteral("bill"));
    EXPECT_NE(WaitForTop(QStringLiteral("frmbill")), nullptr);
}

TEST_F(FoodScreens, AnUnreadableDatabaseIsToldAndTheBasketStaysAsItWas)
{
    PutIntoBasket({QStringLiteral("B01")});
    OpenDishes(QStringLiteral("name3"));
    TouchOn(QStringLiteral("frmfood"), QStringLiteral("name0"));
    // The database file turns unreadable under the open connection.
    QFile file(m_sExe + QStringLiteral("data/hotel.db"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray saved = file.readAll();
    file.seek(0);
    file.write(QByteArray(saved.size(), '\0'));
    file.close();
    TypeQuantity(QStringLiteral("2"));
    EXPECT_TRUE(WaitFor([&] { return Message() == QStringLiteral("菜谱数据没有打开,请检查网络或配置"); }))
        << Message().toStdString();

    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(saved);
    file.close();
    EXPECT_EQ(Basket(), QStringList({"B01|1|15|15|null"}));
}
