#include "FoodScreenFixture.h"

#include "core/Setting.h"
#include "platform/db/DbConnection.h"
#include "roomservice/FoodScreens.h"
#include "roomservice/FrmAdo.h"
#include "tools/demo/HotelDemo.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"
#include "utilities/FrmLock.h"
#include "utilities/FrmMsg.h"
#include "utilities/UtilityScreens.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QSqlRecord>

void FoodScreenTest::Install()
{
    SearchTest::Install();
    QString error;
    ASSERT_TRUE(WriteDemoHotel(m_sExe, error)) << error.toStdString();
}

void FoodScreenTest::SetUp()
{
    SearchTest::SetUp();
    if (HasFatalFailure())
        return;
    ResetPasswordTries();
    RegisterUtilityScreens();
    RegisterFoodScreens();
    m_pAdo = std::make_unique<TFrmAdo>();
    m_pAdo->SetClockFollowsServer(false);
    m_pAdo->DataModuleCreate(HotelAdo(), Computer(), m_sExe);
    if (m_pVenue && m_pAdo->m_pPrice)
        m_pAdo->m_pPrice->SetNow(hoteltest::Evening());
    FrmAdo = m_pAdo.get();
    InstallRoomServiceHooks();
    ASSERT_TRUE(m_pAdo->Connected()) << HotelAdo().toStdString();
}

void FoodScreenTest::TearDown()
{
    if (m_pManager)
        m_pManager->CloseAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    RemoveRoomServiceHooks();
    FrmAdo = nullptr;
    m_pAdo.reset();
    ResetPasswordTries();
    SearchTest::TearDown();
}

QString FoodScreenTest::HotelAdo() const
{
    if (m_pVenue)
        return m_pVenue->HotelAdo();
    return QStringLiteral("Provider=SQLite;Data Source=") + m_sExe + QStringLiteral("data/hotel.db");
}

QString FoodScreenTest::Computer() const
{
    return m_pVenue ? QStringLiteral("station-a") : g_pSetting->ComputerName;
}

QStringList FoodScreenTest::HotelRows(const QString& sql, const QVariantList& params)
{
    // A connection of its own: the server may have been restarted meanwhile.
    DbConnection db;
    db.Open(HotelAdo());
    QStringList rows;
    QSqlQuery q = db.Query(sql, params);
    while (q.next()) {
        QStringList cols;
        for (int i = 0; i < q.record().count(); ++i) {
            // Numbers the same on every engine ("2" and "2.5", not "2.0000").
            bool ok = false;
            const double d = q.value(i).toString().toDouble(&ok);
            cols << (q.value(i).isNull() ? QStringLiteral("null")
                     : ok                ? QString::number(d, 'g', 12)
                                         : q.value(i).toString());
        }
        rows << cols.join(u'|');
    }
    return rows;
}

void FoodScreenTest::HotelExec(const QString& sql, const QVariantList& params)
{
    DbConnection db;
    db.Open(HotelAdo());
    db.Execute(sql, params);
}

QString FoodScreenTest::Caption(TKVFormXML* screen, const QString& name)
{
    TSubTitle* label = screen ? screen->FindLabel(name) : nullptr;
    return label && label->isVisible() ? label->Caption() : QString();
}

QString FoodScreenTest::Message() const
{
    for (TKVFormXML* screen : m_pManager->OpenScreens())
        if (auto* msg = qobject_cast<TFrmMsg*>(screen); msg && msg->m_pMsg)
            return msg->m_pMsg->Caption();
    return QString();
}

void FoodScreenTest::CloseMessage()
{
    for (TKVFormXML* screen : m_pManager->OpenScreens())
        if (auto* msg = qobject_cast<TFrmMsg*>(screen))
            msg->close();
    Settle();
}

TKVFormXML* FoodScreenTest::WaitForTop(const QString& elementName)
{
    EXPECT_TRUE(WaitFor([&] { return TopName() == elementName; })) << "front screen: " << TopName().toStdString();
    return TopName() == elementName ? Top() : nullptr;
}

TKVFormXML* FoodScreenTest::TouchOn(const QString& elementName, const QString& control)
{
    TKVFormXML* screen = WaitForTop(elementName);
    if (!screen)
        return nullptr;
    Touch(screen, control);
    return Top();
}

TKVFormXML* FoodScreenTest::OpenDishes(const QString& typeRow)
{
    // The food key of the portal opens the food types.
    TouchOn(QStringLiteral("portal"), QStringLiteral("foodtype"));
    TouchOn(QStringLiteral("foodtype"), typeRow);
    return WaitForTop(QStringLiteral("frmfood"));
}

void FoodScreenTest::TypeQuantity(const QString& quantity)
{
    TKVFormXML* pad = WaitForTop(QStringLiteral("frmfoodcount"));
    ASSERT_NE(pad, nullptr);
    for (const QChar c : quantity)
        Touch(pad, c == u'.' ? QStringLiteral("NumPoint") : QStringLiteral("Num") + c);
    Touch(pad, QStringLiteral("NumEnter"));
}

QStringList FoodScreenTest::Rows(const QString& where)
{
    return HotelRows(QStringLiteral("select cFoodNo,fNum,mPrice,mTotal,cAddons,bXd from t_dc where cRoomName='V01' "
                                    "and ") +
                     where + QStringLiteral(" order by ID"));
}

void FoodScreenTest::ConfirmWithCard(const QString& card)
{
    if (TopName() != QLatin1String("frmlock")) {
        m_pManager->ShowFoodOrder();
        TouchOn(QStringLiteral("frmfoodorder"), QStringLiteral("Enter"));
    }
    TKVFormXML* lock = WaitForTop(QStringLiteral("frmlock"));
    ASSERT_NE(lock, nullptr);
    for (const QChar digit : card)
        Touch(lock, QStringLiteral("Num") + digit);
    Touch(lock, QStringLiteral("Enter"));
}
