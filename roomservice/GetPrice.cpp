#include "roomservice/GetPrice.h"

#include "platform/SystemClock.h"
#include "platform/db/DataSet.h"
#include "platform/db/DbConnection.h"

#include <QSqlQuery>
#include <algorithm>

namespace {

const QString kMoment = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QDateTime ToDateTime(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    QDateTime t = QDateTime::fromString(v.toString().trimmed().left(19), kMoment);
    if (!t.isValid())
        t = QDateTime::fromString(v.toString().trimmed(), Qt::ISODate);
    return t;
}

// A time of day "HH:mm:ss" or "HH:mm" on a date; "24:00" is the next midnight.
QDateTime OnDate(const QDate& date, const QString& text)
{
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("24:00")))
        return QDateTime(date.addDays(1), QTime(0, 0));
    QTime time = QTime::fromString(t, QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(t, QStringLiteral("HH:mm"));
    if (!time.isValid())
        time = QTime::fromString(t, QStringLiteral("H:mm:ss"));
    return time.isValid() ? QDateTime(date, time) : QDateTime();
}

// The weekday names of the time segments, Sunday first.
QString WeekdayName(const QDate& date)
{
    static const char* const names[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    return QString::fromUtf8(names[date.dayOfWeek() % 7]);
}

double Money(DataSet& set, const char* name)
{
    const Field f = set.FindField(QLatin1String(name));
    return f.IsValid() ? f.AsFloat() : 0.0;
}

// A stay that crosses midnight is charged again from 00:00 of the next day
// to a little after its end (0.0006 day).
constexpr qint64 kMidnightTailMs = 51840;

} // namespace

QString FormatMoney(double value)
{
    QString s = QString::number(value, 'f', 2);
    if (s == QLatin1String("-0.00"))
        s = QStringLiteral("0.00");
    return s;
}

QList<QPair<QString, QString>> TCheckoutResults::Lines() const
{
    return {{QStringLiteral("RoomCharge"), RoomCharge},       {QStringLiteral("LowRate"), LowRate},
            {QStringLiteral("TeaCharge"), TeaCharge},         {QStringLiteral("Prepaid"), Prepaid},
            {QStringLiteral("GuestCount"), GuestCount},       {QStringLiteral("Discount"), Discount},
            {QStringLiteral("LowConsume"), LowConsume},       {QStringLiteral("Consumed"), Consumed},
            {QStringLiteral("ServiceCharge"), ServiceCharge}, {QStringLiteral("StayMinutes"), StayMinutes},
            {QStringLiteral("TimeCharge"), TimeCharge},       {QStringLiteral("AmountDue"), AmountDue}};
}

TGetPrice::TGetPrice(DbConnection& connection, const QString& department, bool setClock) : m_db(connection)
{
    m_Param.Department = department;
    m_rules.Load(connection, department);
    if (setClock)
        SetLocalClock(GetSysCurDate());
    try {
        QSqlQuery q = m_db.Query(QStringLiteral("select bTimeprice, iTimeUnit from t_sys"));
        if (q.next()) {
            TimePricing = q.value(0).toInt() != 0;
            TimeUnit = q.value(1).toInt();
        }
    } catch (const DbError&) {
        TimePricing = false;
    }
}

QDateTime TGetPrice::StationNow() const
{
    return m_now ? *m_now : QDateTime::currentDateTime();
}

QDateTime TGetPrice::GetSysCurDate()
{
    if (m_now)
        return *m_now;
    const QDateTime t = ToDateTime(
        m_db.Scalar(QStringLiteral("SELECT ") + m_db.Dialect().CurrentDateTime() + QStringLiteral(" AS curdate")));
    if (!t.isValid())
        throw DbError(QStringLiteral("the database server gave no current date"));
    return t;
}

TPriceResult TGetPrice::GetItemPrice(const TInputParameter& request)
{
    m_Param = request;
    TPriceResult result;
    if (!m_rules.Apply(request, result)) {
        if (request.Kind == QLatin1String("1")) {
            bool numeric = false;
            const int arrId = request.ItemNo.trimmed().toInt(&numeric);
            if (numeric) {
                QSqlQuery q =
                    m_db.Query(QStringLiteral("select mRoomRate,mServiceCharge,mLowCharge,fLowTimes,mTimePrice "
                                              "from t_RoomArr where iArrid=? and cArrName=?"),
                               {arrId, request.ItemName});
                if (q.next()) {
                    TPriceResult found;
                    found.Price = q.value(0).toDouble();
                    found.ServiceRate = q.value(1).toDouble();
                    found.LowCharge = q.value(2).toDouble();
                    found.LowTimes = q.value(3).toDouble();
                    found.TimePrice = q.value(4).toDouble();
                    found.Unpriced = 0;
                    // Only an arrangement with exactly one row gives a price.
                    if (!q.next())
                        result = found;
                }
            }
        } else {
            result.Price = request.BasePrice;
            result.Unpriced = 0;
        }
    }
    m_Result = result;
    return result;
}

double TGetPrice::GetCpTimePrice(const QString& arrName, const QString& foodNo, const QString& foodName,
                                 const QString& unit, const QString& typeNo, const QString& typeName,
                                 const QString& guestType, double menuPrice)
{
    TInputParameter r;
    r.Department = m_Param.Department;
    r.Kind = QStringLiteral("2");
    r.ItemNo = foodNo;
    r.ItemName = foodName;
    r.TypeNo = typeNo;
    r.TypeName = typeName;
    r.ArrName = arrName;
    r.GuestType = guestType;
    r.Unit = unit;
    r.When = StationNow();
    r.BasePrice = menuPrice;
    return GetItemPrice(r).Price;
}

TPriceResult TGetPrice::GetfjTimePrice(int arrId, const QString& arrName, const QDateTime& when,
                                       const QString& guestType)
{
    TInputParameter r;
    r.Department = m_Param.Department;
    r.Kind = QStringLiteral("1");
    r.ItemNo = QString::number(arrId);
    r.ItemName = arrName;
    r.GuestType = guestType;
    r.When = when;
    QSqlQuery q = m_db.Query(QStringLiteral("select mRoomRate from t_RoomArr where iArrId=?"), {arrId});
    if (q.next()) {
        const double rate = q.value(0).toDouble();
        if (!q.next())
            r.BasePrice = rate;
    }
    return GetItemPrice(r);
}

int TGetPrice::MinutesBetween(const QDateTime& from, const QDateTime& to)
{
    const QVariant v = m_db.Scalar(QStringLiteral("SELECT ") +
                                       m_db.Dialect().MinutesBetween(QStringLiteral("?"), QStringLiteral("?")) +
                                       QStringLiteral(" AS Seconds"),
                                   {from.toString(kMoment), to.toString(kMoment)});
    return v.toInt();
}

double TGetPrice::GetTimeCost(int arrId, const QString& guestType, int unitMinutes, const QDateTime& from,
                              const QDateTime& to)
{
    if (!from.isValid() || !to.isValid() || to <= from)
        return 0;
    // Without a unit in t_sys the time price is taken per hour.
    const double unit = unitMinutes > 0 ? unitMinutes : 60;
    const QDateTime nextMidnight(from.date().addDays(1), QTime(0, 0));
    const bool crossesMidnight = to.date() > from.date();

    struct Segment
    {
        QString begin, end;
        double price, discount;
    };
    std::vector<Segment> segments;
    {
        QSqlQuery q = m_db.Query(QStringLiteral("select cBeginTime,cEndTime,mPrice,fDiscount from t_fjsj "
                                                "where iArrId=? and cDate=? order by cDate,cBeginTime"),
                                 {arrId, WeekdayName(from.date())});
        while (q.next())
            segments.push_back(
                {q.value(0).toString(), q.value(1).toString(), q.value(2).toDouble(), q.value(3).toDouble()});
    }

    double cost = 0;
    if (segments.empty()) {
        const QString arrName =
            m_db.Scalar(QStringLiteral("select cArrName from t_RoomArr where iArrid=?"), {arrId}).toString();
        const TPriceResult rate = GetfjTimePrice(arrId, arrName, to, guestType);
        // This day only: the minutes after midnight are charged by the next
        // day's segments below, so no minute is charged twice.
        const QDateTime end = crossesMidnight ? nextMidnight : to;
        cost = MinutesBetween(from, end) / unit * rate.TimePrice;
    } else {
        for (const Segment& s : segments) {
            const QDateTime b = OnDate(from.date(), s.begin);
            const QDateTime f = OnDate(from.date(), s.end);
            if (!b.isValid() || !f.isValid())
                continue;
            QDateTime spanFrom;
            if (b >= from) {
                if (b >= to)
                    continue;
                spanFrom = b;
            } else {
                if (from >= f)
                    continue;
                spanFrom = from;
            }
            const QDateTime spanTo = std::min(f, to);
            if (spanTo <= spanFrom)
                continue;
            const int minutes = MinutesBetween(spanFrom, spanTo);
            cost += s.discount * s.price * (minutes / unit) / 100;
        }
    }
    if (crossesMidnight)
        cost += GetTimeCost(arrId, guestType, unitMinutes, nextMidnight, to.addMSecs(kMidnightTailMs));
    return cost;
}

double TGetPrice::GetSmallTotal(DataSet& line)
{
    double total = 0;
    const Field send = line.FindField(QStringLiteral("bSend"));
    if (!(send.IsValid() && send.AsBoolean())) {
        const double num = Money(line, "fNum");
        total = Money(line, "mPrice") * num;
        const Field addons = line.FindField(QStringLiteral("cAddons"));
        if (addons.IsValid() && !addons.AsString().isEmpty()) {
            const double add = Money(line, "mAddonsPrice") + Money(line, "mAddPrice");
            total += num >= 0 ? add : -add;
        }
    }
    const Field blankout = line.FindField(QStringLiteral("bBlankout"));
    if (blankout.IsValid() && blankout.AsBoolean())
        total = 0;
    if (line.GetState() == DataSet::State::Browse)
        line.Edit();
    line.FieldByName(QStringLiteral("mTotal")).SetAsString(QString::asprintf("%0.2f", total));
    return total;
}

TTabTotals TGetPrice::TabTotals(const QString& tabNo, double serviceRate, double discountRate)
{
    TTabTotals t;
    QSqlQuery q = m_db.Query(QStringLiteral("select mTotal,iType,iPayment,bAttendLowConsume,bhaveServiceCharge,"
                                            "bCanDiscount,iLowDiscount from t_dc "
                                            "where bXd=1 and bBlankout<>1 and cTabNo=?"),
                             {tabNo});
    while (q.next()) {
        const QVariant type = q.value(1);
        if (!type.isNull() && (type.toInt() == 2 || type.toInt() == 3))
            continue;
        if (!q.value(2).isNull())
            continue;
        const double total = q.value(0).toDouble();
        t.Drink += total;
        if (q.value(3).toInt() != 0)
            t.LowRate += total;
        if (q.value(4).toInt() != 0)
            t.Service += total * serviceRate / 100;
        if (q.value(5).toInt() != 0) {
            const double lowest = q.value(6).toDouble();
            const double charged = lowest > discountRate ? lowest : discountRate;
            t.Discount += total * (100 - charged) / 100;
        }
    }
    return t;
}

bool TGetPrice::Checkout(DataSet& openRoom)
{
    if (!openRoom.Active() || openRoom.IsEmpty())
        return false;
    TCheckoutResults r;
    r.RoomCharge = FormatMoney(Money(openRoom, "mRoomRate"));
    r.LowRate = FormatMoney(Money(openRoom, "mLowRate"));
    r.TeaCharge = FormatMoney(Money(openRoom, "mTeaCharge"));
    r.Prepaid = FormatMoney(Money(openRoom, "mPrepmoney"));
    r.GuestCount = QString::number(openRoom.FieldByName(QStringLiteral("iOPenRNum")).AsInteger());
    const QString tab = openRoom.FieldByName(QStringLiteral("cTabNo")).AsString();
    const TTabTotals totals = TabTotals(tab, Money(openRoom, "mServiceRate"), Money(openRoom, "fDiscount"));
    r.Discount = FormatMoney(totals.Discount);
    r.LowConsume = FormatMoney(totals.LowRate);
    r.Consumed = FormatMoney(totals.Drink);
    r.ServiceCharge = FormatMoney(totals.Service);
    const Field checkIn = openRoom.FieldByName(QStringLiteral("dCheckINTime"));
    const QDateTime from = checkIn.IsNull() ? QDateTime() : checkIn.AsDateTime();
    const QDateTime now = GetSysCurDate();
    r.StayMinutes = QString::number(from.isValid() ? MinutesBetween(from, now) : 0);
    r.TimeCharge = FormatMoney(
        from.isValid() ? GetTimeCost(int(openRoom.FieldByName(QStringLiteral("iArrId")).AsInteger()),
                                     openRoom.FieldByName(QStringLiteral("cGuestType")).AsString(), TimeUnit, from, now)
                       : 0.0);

    // The amounts as the bill shows them.
    const double room = r.RoomCharge.toDouble(), low = r.LowRate.toDouble(), tea = r.TeaCharge.toDouble(),
                 prepaid = r.Prepaid.toDouble(), discount = r.Discount.toDouble(), counted = r.LowConsume.toDouble(),
                 consumed = r.Consumed.toDouble(), service = r.ServiceCharge.toDouble(), time = r.TimeCharge.toDouble();
    double due;
    if (counted > low) {
        // Above the minimum: the consumption itself is charged.
        due = room + tea + consumed + service + time - discount - prepaid;
        r.LowConsume = FormatMoney(0);
    } else {
        // Up to the minimum: the minimum replaces what counts towards it;
        // the lines that do not count are charged on top of it.
        r.LowConsume = FormatMoney(low - counted);
        due = room + tea + low + (consumed - counted) + service + time - discount - prepaid;
    }
    // The prepayment is taken off in both cases, never below nothing due.
    r.AmountDue = FormatMoney(due > 0 ? due : 0);
    Results = r;
    return true;
}

QString TGetPrice::GetFlow(const QString& tabNo)
{
    const SqlDialect& dialect = m_db.Dialect();
    QVariant id;
    if (dialect.FlowNumberIsOutput()) {
        QSqlQuery q(m_db.Database());
        if (!q.prepare(dialect.FlowNumberCall()))
            throw DbError(QStringLiteral("sp_GetWaterId cannot be called"));
        q.bindValue(0, 0, QSql::Out);
        q.bindValue(1, tabNo);
        q.bindValue(2, 0, QSql::InOut);
        if (!q.exec())
            throw DbError(QStringLiteral("sp_GetWaterId failed"));
        id = q.boundValue(2);
    } else {
        id = m_db.Scalar(dialect.FlowNumberCall(), {tabNo});
    }
    return id.isNull() || !id.isValid() ? QString() : QString::number(id.toLongLong());
}
