#pragma once
// The food and bill screens on the demo installation, driven as a guest
// drives them (touches at the screen's window, keys at the window holding the
// keyboard, both through the station's message handler), with the
// room-service module on a hotel database: the demo's own data/hotel.db, or
// a test venue on SQLite or PostgreSQL (FoodScreenTest::m_pVenue set by the
// fixture before SetUp) whose clocks stand at a fixed evening.
#include "HotelFixture.h"
#include "tests/screens/SearchFixture.h"

#include <QStringList>
#include <memory>

class TFrmAdo;
class TKVFormXML;

class FoodScreenTest : public SearchTest
{
protected:
    void SetUp() override;
    void TearDown() override;
    void Install() override;

    // The connection string and this station's computer name in it.
    QString HotelAdo() const;
    QString Computer() const;
    // Rows of a query on the hotel database, columns joined by '|'.
    QStringList HotelRows(const QString& sql, const QVariantList& params = {});
    void HotelExec(const QString& sql, const QVariantList& params = {});

    // The caption of a label of the screen ("" when the skin lacks it).
    static QString Caption(TKVFormXML* screen, const QString& name);
    // The text the message screen shows, or "" when it is not open.
    QString Message() const;
    // Closes the message screen (it would close itself three seconds later).
    void CloseMessage();
    // The newest open screen, waited for by its element name.
    TKVFormXML* WaitForTop(const QString& elementName);
    // Touches the control of that name on the newest screen, which must be
    // `elementName`, and gives the newest screen afterwards.
    TKVFormXML* TouchOn(const QString& elementName, const QString& control);
    // The dish list of a food type, opened from the portal's food key.
    TKVFormXML* OpenDishes(const QString& typeRow);
    // Types a quantity on the open pad with its keys and presses its Enter.
    void TypeQuantity(const QString& quantity);
    // The order rows of room V01 that match the condition: dish, quantity,
    // price, total, addition, placed.
    QStringList Rows(const QString& where);
    // The basket's Enter (unless the lock screen is open already) and a card
    // typed on the lock screen's digit keys, then its Enter.
    void ConfirmWithCard(const QString& card);

    std::unique_ptr<hoteltest::Venue> m_pVenue;
    std::unique_ptr<TFrmAdo> m_pAdo;
};
