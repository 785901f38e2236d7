#pragma once
// The venue's price rules (t_price) and rate types (t_ratetype), read once
// when the price engine is created and kept in memory, and the lookup that
// prices one request by them: the first rule of the request's date (or of
// every day, "0000-00-00") whose item kind and time window fit names a rate
// type; a rate row of that type is searched from the most specific match to
// the most general one.
#include <QDateTime>
#include <QHash>
#include <QString>
#include <vector>

class DbConnection;

// One request to price: a dish (Kind "2") or a room's time (Kind "1").
struct TInputParameter
{
    QString Department;
    QString ItemNo;   // dish number, or room arrangement id
    QString ItemName; // dish name, or room arrangement name
    QString TypeNo;   // food type number (dishes)
    QString TypeName; // food type name (dishes)
    QString Kind;     // "1" a room, "2" a dish
    QString ArrName;  // the room's arrangement name (dishes)
    QString GuestType;
    QString ArtGrade; // always empty
    QString Unit;     // dish unit
    QDateTime When;
    int Segment = 1;
    double BasePrice = 0; // dish: menu price; room: the arrangement's room rate
};

struct TPriceResult
{
    double Price = 0;
    double ServiceRate = 0;
    double SurchargeRate = 0;
    double LowCharge = 0;
    double LowTimes = 0;
    double TimePrice = 0;
    int Unpriced = 1; // 1 until a rule or a base price applied
};

// GetPrice: the discount d is the percentage charged (100 = full price) of
// the rate m when it is positive, else of the base price b.
double GetPrice(double discount, double rate, double base);

class TPriceRules
{
public:
    // Reads the rules in use for the department (newest date first) and the
    // rate types they name. Throws DbError.
    void Load(DbConnection& connection, const QString& department);

    // Applies the first fitting rule to the request; false when none priced
    // it (the caller then takes the base price).
    bool Apply(const TInputParameter& request, TPriceResult& result) const;
    // Applies one rate type; false when it has no matching row.
    bool ApplyRateType(const QString& rateType, const TInputParameter& request, TPriceResult& result) const;

    int RuleCount() const { return int(m_aRules.size()); }
    int RateRowCount() const { return m_nRateRows; }

private:
    struct Rule
    {
        QString date; // "yyyy-MM-dd" or "0000-00-00"
        QString itemType;
        QString begin; // "HH:mm:ss"
        QString end;
        QString priceType;
    };
    struct RateRow
    {
        QString itemNo, itemName, roomType, guestGrade, artGrade, unit;
        double rate = 0, discount = 0, serviceRate = 0, surchargeRate = 0, lowFree = 0, lowTimes = 0, timePrice = 0;
    };
    std::vector<Rule> m_aRules;
    QHash<QString, std::vector<RateRow>> m_aRates; // by rate type name, trimmed and lower-cased
    int m_nRateRows = 0;
};
