#include "roomservice/PriceRules.h"

#include "platform/db/DbConnection.h"

#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <array>

namespace {

QString Text(const QSqlQuery& q, int i)
{
    const QVariant v = q.value(i);
    return v.isNull() ? QString() : v.toString();
}

double Number(const QSqlQuery& q, int i)
{
    const QVariant v = q.value(i);
    return v.isNull() ? 0.0 : v.toDouble();
}

QString RateKey(const QString& name)
{
    return name.trimmed().toLower();
}

} // namespace

double GetPrice(double discount, double rate, double base)
{
    return rate > 0 ? rate * discount / 100 : base * discount / 100;
}

void TPriceRules::Load(DbConnection& connection, const QString& department)
{
    std::vector<Rule> rules;
    // Rules of a date come before the rules of every day ("0000-00-00");
    // rules of one date keep the order they were entered in.
    QSqlQuery q = connection.Query(QStringLiteral("select dDate,cItemType,cBeginTime,cEndTime,cPriceType from t_price "
                                                  "where bused=1 and cDepartment like ? order by ddate desc, ID"),
                                   {QLatin1Char('%') + department + QLatin1Char('%')});
    while (q.next())
        rules.push_back(
            {Text(q, 0).trimmed(), Text(q, 1).trimmed(), Text(q, 2).trimmed(), Text(q, 3).trimmed(), Text(q, 4)});

    // The rate types the rules name; names compare without their blanks
    // (fixed-width texts carry them).
    QSet<QString> used;
    for (const Rule& rule : rules)
        used.insert(RateKey(rule.priceType));
    QHash<QString, std::vector<RateRow>> rates;
    int count = 0;
    QSqlQuery r = connection.Query(
        QStringLiteral("select cRateTypeName,cItemNo,cItemName,cRoomType,cGuestGrade,cArtGrade,cUnit,mRate,fDiscount,"
                       "mSerRate,mSurRate,mLowFree,fLowTimes,mTimePrice from t_ratetype order by cRateTypeName, ID"));
    while (r.next()) {
        if (!used.contains(RateKey(Text(r, 0))))
            continue;
        RateRow row;
        row.itemNo = Text(r, 1);
        row.itemName = Text(r, 2);
        row.roomType = Text(r, 3);
        row.guestGrade = Text(r, 4);
        row.artGrade = Text(r, 5);
        row.unit = Text(r, 6);
        row.rate = Number(r, 7);
        row.discount = Number(r, 8);
        row.serviceRate = Number(r, 9);
        row.surchargeRate = Number(r, 10);
        row.lowFree = Number(r, 11);
        row.lowTimes = Number(r, 12);
        row.timePrice = Number(r, 13);
        rates[RateKey(Text(r, 0))].push_back(std::move(row));
        ++count;
    }
    m_aRules = std::move(rules);
    m_aRates = std::move(rates);
    m_nRateRows = count;
}

bool TPriceRules::Apply(const TInputParameter& request, TPriceResult& result) const
{
    const QString date = request.When.date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString time = request.When.time().toString(QStringLiteral("HH:mm:ss"));
    for (const Rule& rule : m_aRules) {
        if (rule.date != date && rule.date != QLatin1String("0000-00-00"))
            continue;
        // Times compare as "HH:mm:ss" texts, character by character.
        if (rule.itemType != request.Kind || rule.begin > time || rule.end < time)
            continue;
        if (ApplyRateType(rule.priceType, request, result))
            return true;
    }
    return false;
}

bool TPriceRules::ApplyRateType(const QString& rateType, const TInputParameter& request, TPriceResult& result) const
{
    const auto it = m_aRates.constFind(RateKey(rateType));
    if (it == m_aRates.constEnd() || it->empty())
        return false;
    const std::vector<RateRow>& rows = *it;
    const QString& r1 = request.ItemNo;
    const QString& r2 = request.ItemName;
    const QString none;
    // Each candidate lists the values the columns must equal exactly ("" for
    // an empty column); the first candidate with a row wins.
    using Match = std::array<const QString*, 5>;
    const RateRow* found = nullptr;
    auto search = [&](auto columns, std::initializer_list<Match> candidates) {
        for (const Match& m : candidates) {
            for (const RateRow& row : rows) {
                const auto values = columns(row);
                bool ok = true;
                for (size_t i = 0; i < m.size() && ok; ++i)
                    ok = m[i] == nullptr || *values[i] == *m[i];
                if (ok) {
                    found = &row;
                    return;
                }
            }
        }
    };
    if (request.Kind == QLatin1String("1")) {
        // Room: item, name, guest grade, art grade, unit.
        const auto columns = [](const RateRow& r) {
            return std::array<const QString*, 5>{&r.itemNo, &r.itemName, &r.guestGrade, &r.artGrade, &r.unit};
        };
        search(columns, {Match{&r1, &r2, &request.GuestType, &request.ArtGrade, &request.Unit},
                         Match{&r1, &r2, &request.GuestType, &request.ArtGrade, &none},
                         Match{&r1, &r2, &request.GuestType, &none, &none}, Match{&r1, &r2, &none, &none, &none}});
    } else {
        // Dish: item, name, room arrangement, guest grade, unit; then by food type.
        const auto columns = [](const RateRow& r) {
            return std::array<const QString*, 5>{&r.itemNo, &r.itemName, &r.roomType, &r.guestGrade, &r.unit};
        };
        search(columns, {Match{&r1, &r2, &request.ArrName, &request.GuestType, &request.Unit},
                         Match{&r1, &r2, &request.ArrName, &request.GuestType, &none},
                         Match{&r1, &r2, &request.ArrName, &none, &none}, Match{&r1, &r2, &none, &none, &none}});
        if (!found) {
            const QString& t1 = request.TypeNo;
            const QString& t2 = request.TypeName;
            // The unit column is not compared for a food type.
            search(columns,
                   {Match{&t1, &t2, &request.ArrName, &request.GuestType, nullptr},
                    Match{&t1, &t2, &request.ArrName, &none, nullptr}, Match{&t1, &t2, &none, &none, nullptr}});
        }
    }
    if (!found)
        return false;
    result.Price = GetPrice(found->discount, found->rate, request.BasePrice);
    if (request.Kind == QLatin1String("1")) {
        result.ServiceRate = found->serviceRate;
        result.SurchargeRate = found->surchargeRate;
        result.LowCharge = found->lowFree;
        result.LowTimes = found->lowTimes;
        result.TimePrice = found->timePrice;
    }
    result.Unpriced = 0;
    return true;
}
