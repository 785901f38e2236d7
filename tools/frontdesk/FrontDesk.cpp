#include "tools/frontdesk/FrontDesk.h"

#include "core/Exception.h"
#include "platform/db/DbConnection.h"
#include "roomservice/GetPrice.h"

#include <QSqlQuery>

namespace {

const QString kMoment = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString TabOf(DbConnection& db, const QString& roomName)
{
    const QVariant tab = db.Scalar(QStringLiteral("select cTabNo from t_kf where cRoomName=?"), {roomName});
    if (!tab.isValid())
        throw Exception(QStringLiteral("room %1 is not open").arg(roomName));
    return tab.toString();
}

} // namespace

QString OpenRoom(DbConnection& db, const TRoomOpening& o)
{
    QSqlQuery room =
        db.Query(QStringLiteral("select cRoomNo, cRoomType, cFloor from t_fj where cRoomName=?"), {o.roomName});
    if (!room.next())
        throw Exception(QStringLiteral("no room named %1 in t_fj").arg(o.roomName));
    if (db.Scalar(QStringLiteral("select cTabNo from t_kf where cRoomName=?"), {o.roomName}).isValid())
        throw Exception(QStringLiteral("room %1 is already open").arg(o.roomName));
    QSqlQuery arr = o.arrId > 0 ? db.Query(QStringLiteral("select iArrId, cArrName, mRoomRate, mLowCharge from "
                                                          "t_RoomArr where iArrId=?"),
                                           {o.arrId})
                                : db.Query(QStringLiteral("select iArrId, cArrName, mRoomRate, mLowCharge from "
                                                          "t_RoomArr order by iArrId"));
    if (!arr.next())
        throw Exception(QStringLiteral("no room arrangement %1 in t_RoomArr").arg(o.arrId));
    const QDateTime checkIn = o.checkIn.isValid() ? o.checkIn : QDateTime::currentDateTime();
    const QString roomNo = room.value(0).toString();
    const QString tab =
        o.tabNo.isEmpty() ? roomNo + QLatin1Char('-') + checkIn.toString(QStringLiteral("yyMMddHHmmss")) : o.tabNo;
    db.Execute(QStringLiteral("INSERT INTO t_kf (cTabNo, cRoomNo, cRoomName, cRoomType, iArrId, cArrName, cFloor, "
                              "cGuestType, dCheckINTime, iOPenRNum, mRoomRate, mLowRate, mTeaCharge, mPrepmoney, "
                              "fDiscount, mServiceRate) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
               {tab, roomNo, o.roomName, room.value(1), arr.value(0), arr.value(1), room.value(2), o.guestType,
                checkIn.toString(kMoment), o.guests, arr.value(2).toDouble(), arr.value(3).toDouble(), o.teaCharge,
                o.prepaid, o.discount, o.serviceRate});
    return tab;
}

void CloseRoom(DbConnection& db, const QString& roomName)
{
    TabOf(db, roomName);
    db.Execute(QStringLiteral("DELETE FROM t_kf WHERE cRoomName=?"), {roomName});
}

QStringList RoomOrders(DbConnection& db, const QString& roomName, bool placed)
{
    const QString tab = TabOf(db, roomName);
    QSqlQuery q = db.Query(QStringLiteral("select cFoodNo, cFoodName, fNum, mPrice, mTotal, iWaterNo, cAddons from "
                                          "t_dc where cDepartment like '%2%' and bXd=? and cTabNo=? order by ID"),
                           {placed ? 1 : 0, tab});
    QStringList lines;
    while (q.next()) {
        QString line = QStringLiteral("%1 %2 x%3 @%4 = %5")
                           .arg(q.value(0).toString(), q.value(1).toString(), QString::number(q.value(2).toDouble()),
                                FormatMoney(q.value(3).toDouble()), FormatMoney(q.value(4).toDouble()));
        if (!q.value(6).toString().isEmpty())
            line += QStringLiteral(" [") + q.value(6).toString() + QLatin1Char(']');
        if (placed)
            line += QStringLiteral(" #") + q.value(5).toString();
        lines << line;
    }
    return lines;
}

QStringList RoomList(DbConnection& db)
{
    QSqlQuery q = db.Query(QStringLiteral("select f.cRoomName, f.cComputer, k.cTabNo, k.dCheckINTime from t_fj f "
                                          "left join t_kf k on k.cRoomName = f.cRoomName order by f.cRoomNo"));
    QStringList lines;
    while (q.next()) {
        QString line = q.value(0).toString() + QStringLiteral(" computer=") + q.value(1).toString();
        if (!q.value(2).isNull()) {
            const QVariant at = q.value(3);
            line += QStringLiteral(" open tab=") + q.value(2).toString() + QStringLiteral(" since=") +
                    (at.typeId() == QMetaType::QDateTime ? at.toDateTime().toString(kMoment) : at.toString());
        }
        lines << line;
    }
    return lines;
}
