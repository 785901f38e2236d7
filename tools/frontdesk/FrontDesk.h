#pragma once
// The front desk's part of the room-service database, for venues without
// their own front-desk software at hand and for the demo and the tests:
// opening a room (its t_kf record), closing it, and listing what it ordered.
#include <QDateTime>
#include <QStringList>

class DbConnection;

struct TRoomOpening
{
    QString roomName;
    int arrId = 0;         // room arrangement (t_RoomArr); 0: the first one
    QString guestType;     // cGuestType
    double prepaid = 0;    // mPrepmoney
    int guests = 1;        // iOPenRNum
    double teaCharge = 0;  // mTeaCharge
    double discount = 100; // fDiscount: percent charged
    double serviceRate = 0;
    QDateTime checkIn; // invalid: now
    QString tabNo;     // empty: the room number and the check-in moment
};

// Each throws DbError for a database failure and Exception for a refusal
// (unknown room or arrangement, room already open or not open).
// Opens the room; gives its tab number.
QString OpenRoom(DbConnection& db, const TRoomOpening& opening);
// Closes the room (its orders stay in t_dc).
void CloseRoom(DbConnection& db, const QString& roomName);
// The room's basket (placed false) or placed orders, one line each:
// dish number, name, quantity, price, line total, flow number.
QStringList RoomOrders(DbConnection& db, const QString& roomName, bool placed);
// Every room with its computer and, when open, its tab and check-in time.
QStringList RoomList(DbConnection& db);
