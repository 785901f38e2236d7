#pragma once
// TGetPrice: prices dishes and room time and computes a room's bill from the
// venue's room-service database. The engine reads the database only, except
// for the flow-number counter; it can set the station's clock to the
// database server's clock when it is created.
//
// Money is a double and is shown "#0.00" (two decimals, no thousands
// separator). Database errors of every operation reach the caller as DbError.
#include "roomservice/PriceRules.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

class DbConnection;
class DataSet;

// The twelve texts of the last Checkout, in the order a bill lists them.
struct TCheckoutResults
{
    QString RoomCharge, LowRate, TeaCharge, Prepaid, GuestCount, Discount, LowConsume, Consumed, ServiceCharge,
        StayMinutes, TimeCharge, AmountDue;
    // Name=value pairs in that order.
    QList<QPair<QString, QString>> Lines() const;
};

// The four totals of a tab's placed orders (bXd 1, not cancelled, not a
// payment line).
struct TTabTotals
{
    double Drink = 0;    // every line
    double LowRate = 0;  // lines that count towards the minimum consumption
    double Service = 0;  // service charge of the lines that bear one
    double Discount = 0; // the amount taken off the discountable lines
};

// "#0.00": two decimals, never "-0.00".
QString FormatMoney(double value);

class TGetPrice
{
public:
    // Reads the price rules, rate types and t_sys. With setClock the
    // station's clock is set to the server's (SetLocalClock, which
    // VOD_KEEP_CLOCK switches off). Throws DbError when the rules cannot be
    // read; a t_sys that cannot be read leaves TimePricing off.
    TGetPrice(DbConnection& connection, const QString& department, bool setClock = true);

    // The price of a dish at the station's current time.
    double GetCpTimePrice(const QString& arrName, const QString& foodNo, const QString& foodName, const QString& unit,
                          const QString& typeNo, const QString& typeName, const QString& guestType, double menuPrice);
    // The central lookup: rules, then the base price.
    TPriceResult GetItemPrice(const TInputParameter& request);
    // The room rate of an arrangement at a moment.
    TPriceResult GetfjTimePrice(int arrId, const QString& arrName, const QDateTime& when, const QString& guestType);
    // Minutes from one moment to another, counted as minute boundaries
    // crossed, by the database server.
    int MinutesBetween(const QDateTime& from, const QDateTime& to);
    // Room time charge of an arrangement from one moment to another, by the
    // weekday's time segments, or by the room rate's time price when the day
    // has none.
    double GetTimeCost(int arrId, const QString& guestType, int unitMinutes, const QDateTime& from,
                       const QDateTime& to);
    // Line total of the order line at the data set's current row: stored in
    // mTotal (the row is left in edit state) and returned unrounded.
    double GetSmallTotal(DataSet& line);
    // Totals of a tab's placed orders, for the rates given (percent).
    TTabTotals TabTotals(const QString& tabNo, double serviceRate, double discountRate);
    // Computes the bill of the open-room row; false (results unchanged) when
    // the data set has no row.
    bool Checkout(DataSet& openRoom);
    // The next flow number for a tab (empty when the counter gives none).
    QString GetFlow(const QString& tabNo);
    // The database server's current date and time (or the moment SetNow gave).
    QDateTime GetSysCurDate();
    // The station's current date and time (or the moment SetNow gave).
    QDateTime StationNow() const;
    // A moment that replaces both clocks from now on (the bill command's
    // --now); an invalid moment restores them.
    void SetNow(const QDateTime& moment) { m_now = moment.isValid() ? std::optional(moment) : std::nullopt; }

    const TPriceRules& Rules() const { return m_rules; }

    int TimeUnit = 0;         // minutes per charged time unit (t_sys)
    bool TimePricing = false; // dishes are priced by the rules (t_sys)
    TCheckoutResults Results; // of the last Checkout
    TInputParameter m_Param;  // the last request
    TPriceResult m_Result;    // its result

private:
    DbConnection& m_db;
    TPriceRules m_rules;
    std::optional<QDateTime> m_now;
};
