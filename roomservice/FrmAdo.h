#pragma once
// TFrmAdo: the station's room-service data module, its only access to the
// venue's room-service database (HotelAdo). It finds this computer's room,
// makes sure the room is open at the front desk, serves the menu, keeps the
// room's order basket (t_dc rows with bXd 0), writes orders with automatic
// gifts, checks staff cards and hands the open-room record to the price
// engine for the bill. Every operation answers false (or empty text) when the
// database cannot be reached, and a lost connection is noticed, closed and
// opened again by the next CheckRoomOpen. Every value from outside (computer
// and room names, card numbers, dish and type numbers, tab numbers, times) is
// bound as a statement parameter.
#include "platform/db/DataSet.h"
#include "platform/db/DbConnection.h"
#include "roomservice/GetPrice.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

// The largest quantity of one order row.
constexpr double kMaxQuantity = 9999;
// The quantity a guest typed ("2", "1.5"), when it is a number above 0 and
// at most kMaxQuantity.
std::optional<double> ParseQuantity(const QString& text);

class TFrmAdo : public QObject
{
public:
    explicit TFrmAdo(QObject* parent = nullptr);
    ~TFrmAdo() override;

    // The creation steps: connect with HotelAdo (empty: room service stays
    // off), open the orderable dishes, find this computer's room and check
    // it quietly. Failures leave the module unconnected.
    void DataModuleCreate(const QString& hotelAdo, const QString& computerName, const QString& exeDir = QString());

    bool Connected() const;
    // Connects when needed, finds the open room, opens food types,
    // additions and the basket and creates the price engine. With messages,
    // a failure is told on the message screen.
    bool CheckRoomOpen(bool showMessages);
    // Aims cp at the dishes of cl's current food type.
    bool OpenFoodsOfType();
    // Aims dc at this room's basket / dc1 at its placed orders.
    bool OpenPendingOrders();
    bool OpenPlacedOrders();
    // Appends a basket row for the menu's current dish: priced by the price
    // engine, or a gift (price 0). False, with nothing written, on failure:
    // a quantity that is no number above 0 and at most kMaxQuantity, and for
    // a priced order a dish stopped or sold out since the menu was read or a
    // room the front desk has closed meanwhile.
    bool AppendOrder(DataSet& menu, const QString& quantity, bool priced);
    // Deletes the basket's current row. False, with the basket as it was,
    // on failure.
    bool DeleteOrder();
    // Appends the gift the current basket row earns, if any.
    bool AddGift();
    // Places the whole basket (gifts first) under one flow number, in one
    // transaction: on failure the basket stays as it was.
    bool SubmitOrders();
    // Accepts a staff card: m_sStaffName and m_sStaffNo of its holder.
    bool CheckStaffCard(const QString& cardNo);
    // Sum of mTotal over the data set, "#0.00"; empty when unconnected.
    QString SumTotal(DataSet& set);
    // The basket's current row takes fjx's current addition.
    bool SetAddition();
    // Computes the room's bill (m_pPrice->Results).
    bool CheckoutRoom();
    // Closes the query, gives it the text and values and opens it.
    void RunQuery(DataSet& query, const QString& sql, const QVariantList& params = {});
    // The menu price of cp's current dish: by the price rules when
    // TimePricing is on, else its mPrice.
    double CpPrice();
    // A field's text as the lists show it: money and decimals "#0.00",
    // quantities (fNum) as they are.
    static QString DisplayText(const Field& field);

    // Where messages go (the message screen by default).
    void SetMessageSink(std::function<void(const QString&)> sink) { m_fnMessage = std::move(sink); }
    // Whether the price engine sets the station's clock (off for the tools).
    void SetClockFollowsServer(bool on) { m_bSetClock = on; }

    DbConnection Ado;
    DataSet *cp, *cl, *kf, *dc, *fwy, *fjx, *dc1, *eSql, *cpAll;
    QString m_sStaffNo;
    QString m_sStaffName;
    QString m_sHotelRoomName;
    std::unique_ptr<TGetPrice> m_pPrice;

private:
    bool Connect();
    // After a failed operation: when the server no longer answers, the
    // connection and its data sets are closed so the next check reconnects.
    void AfterFailure();
    void CloseDataSets();
    // Drops the basket's pending edit after a failure; false.
    bool BasketEditFailed();
    void Message(bool show, const char* text);
    double PriceOf(DataSet& menu);
    QString TabNo();
    bool OpenOrders(DataSet& set, int placed);
    // The dish can still be ordered (not stopped, not sold out).
    bool DishOrderable(const QString& foodNo);
    bool ReopenRoom();

    QString m_sConnectionString;
    QString m_sExeDir;
    QString m_sComputerName;
    bool m_bSetClock = true;
    std::function<void(const QString&)> m_fnMessage;
};

// The one room-service data module (null before start-up creates it).
extern TFrmAdo* FrmAdo;
