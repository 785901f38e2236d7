#include "roomservice/FrmAdo.h"

#include "ui/StationScreens.h"

#include <QLocale>
#include <QSqlQuery>
#include <cmath>

TFrmAdo* FrmAdo = nullptr;

std::optional<double> ParseQuantity(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !(value > 0) || value > kMaxQuantity)
        return std::nullopt;
    return value;
}

namespace {

// Orderable dishes of the room-service department.
const char* const kDishes = "from t_cp where (bStop=0 or bStop is null) and (bLack=0 or bLack is null) "
                            "and cDepartment like '%2%'";

const char* const kNoConnection = "无法连接到数据库服务器,请设置或检查网络.";
const char* const kNoRoom = "找不到此计算机对应的房台,请在INI或后台设置.";
const char* const kRoomNotOpen = "不是处于开房状态,请在前台开此房台";
const char* const kMenuNotOpen = "菜谱数据没有打开,请检查网络或配置";

// The room columns every order row copies from the open-room record.
const char* const kRoomColumns[] = {"cTabNo", "cRoomNo", "cRoomName", "cRoomType", "cArrName", "cFloor"};

QString Text(DataSet& set, const char* name)
{
    const Field f = set.FindField(QLatin1String(name));
    return f.IsValid() ? f.AsString() : QString();
}

void CopyFields(DataSet& from, DataSet& to, std::initializer_list<std::pair<const char*, const char*>> names)
{
    for (const auto& [source, target] : names)
        to.FieldByName(QLatin1String(target)).SetValue(from.FieldByName(QLatin1String(source)).Value());
}

} // namespace

TFrmAdo::TFrmAdo(QObject* parent) : QObject(parent), m_fnMessage([](const QString& text) { ShowMessageText(text); })
{
    setObjectName(QStringLiteral("FrmAdo"));
    struct Component
    {
        DataSet** set;
        const char *name, *table, *key;
    };
    // Each query reads one table, named here with its key so that opening a
    // query needs no look-up in the server's catalogue.
    const Component components[] = {
        {&cp, "cp", "t_cp", "cFoodNo"}, {&cl, "cl", "t_cl", "cFoodTypeNo"},    {&kf, "kf", "t_kf", "cTabNo"},
        {&dc, "dc", "t_dc", "ID"},      {&fwy, "fwy", "t_fwy", "CEmployeeNO"}, {&fjx, "fjx", "t_metadata", "ID"},
        {&dc1, "dc1", "t_dc", "ID"},    {&eSql, "eSql", "t_cpSend", "ID"},     {&cpAll, "cpAll", "t_cp", "cFoodNo"},
    };
    for (const Component& c : components) {
        DataSet* set = new DataSet(this);
        set->setObjectName(QLatin1String(c.name));
        set->SetConnection(&Ado);
        set->SetUpdateTable(QLatin1String(c.table), QLatin1String(c.key));
        *c.set = set;
    }
}

TFrmAdo::~TFrmAdo()
{
    CloseDataSets();
}

void TFrmAdo::DataModuleCreate(const QString& hotelAdo, const QString& computerName, const QString& exeDir)
{
    m_sConnectionString = hotelAdo;
    m_sExeDir = exeDir;
    m_sComputerName = computerName;
    if (hotelAdo.trimmed().isEmpty())
        return; // room service is off
    if (Connect() && !m_sHotelRoomName.isEmpty())
        CheckRoomOpen(false);
}

bool TFrmAdo::Connected() const
{
    return Ado.IsOpen();
}

bool TFrmAdo::Connect()
{
    if (m_sConnectionString.trimmed().isEmpty())
        return false;
    try {
        Ado.Open(m_sConnectionString, m_sExeDir);
        RunQuery(*cpAll, QStringLiteral("Select * ") + QLatin1String(kDishes));
        QSqlQuery q = Ado.Query(QStringLiteral("Select cRoomName from t_fj where cComputer=?"), {m_sComputerName});
        m_sHotelRoomName = q.next() ? q.value(0).toString() : QString();
        return true;
    } catch (const Exception&) {
        CloseDataSets();
        Ado.Close();
        return false;
    }
}

void TFrmAdo::CloseDataSets()
{
    for (DataSet* set : {cp, cl, kf, dc, fwy, fjx, dc1, eSql, cpAll})
        set->Close();
}

void TFrmAdo::AfterFailure()
{
    // Inside a transaction its owner rolls back first.
    if (Ado.InTransaction())
        return;
    if (Ado.IsOpen() && Ado.RunSql(QStringLiteral("SELECT 1")))
        return;
    CloseDataSets();
    Ado.Close();
}

bool TFrmAdo::BasketEditFailed()
{
    if (dc->Active() && dc->GetState() != DataSet::State::Browse)
        dc->Cancel();
    AfterFailure();
    return false;
}

void TFrmAdo::Message(bool show, const char* text)
{
    if (show && m_fnMessage)
        m_fnMessage(QString::fromUtf8(text));
}

void TFrmAdo::RunQuery(DataSet& query, const QString& sql, const QVariantList& params)
{
    query.Close();
    query.SetCommandText(sql);
    query.SetParameters(params);
    query.Open();
}

QString TFrmAdo::TabNo()
{
    return kf->Active() && !kf->IsEmpty() ? Text(*kf, "cTabNo") : QString();
}

bool TFrmAdo::ReopenRoom()
{
    RunQuery(*kf, QStringLiteral("select * from t_kf where cRoomName=?"), {m_sHotelRoomName});
    return !kf->IsEmpty();
}

bool TFrmAdo::CheckRoomOpen(bool showMessages)
{
    // A connection found dead on the first attempt is opened again once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!Connected() && !Connect()) {
            Message(showMessages, kNoConnection);
            return false;
        }
        if (m_sHotelRoomName.isEmpty()) {
            Message(showMessages, kNoRoom);
            return false;
        }
        try {
            if (!ReopenRoom()) {
                Message(showMessages, kRoomNotOpen);
                return false;
            }
            if (!cl->Active())
                RunQuery(*cl, QStringLiteral("select * from t_cl where cDepartment like '%2%'"));
            if (!fjx->Active())
                RunQuery(*fjx, QStringLiteral("select ID,cName from t_metadata where ctype='PZ'"));
            if (!dc->Active())
                OpenPendingOrders();
            if (!m_pPrice)
                m_pPrice = std::make_unique<TGetPrice>(Ado, QStringLiteral("2"), m_bSetClock);
        } catch (const Exception&) {
            AfterFailure();
            if (!Connected())
                continue;
            // The server answers but the room or the menu cannot be read.
            Message(showMessages, kMenuNotOpen);
            return false;
        }
        if (cl->Active() && m_pPrice)
            return true;
        Message(showMessages, kMenuNotOpen);
        return false;
    }
    Message(showMessages, kNoConnection);
    return false;
}

bool TFrmAdo::OpenFoodsOfType()
{
    if (!Connected())
        return false;
    try {
        const QString type = cl->Active() && !cl->IsEmpty() ? Text(*cl, "cFoodTypeNo") : QString();
        const QString where = QLatin1String(kDishes) + QStringLiteral(" and cFoodTypeNo=?");
        // The calculated price column: each dish's price by the rules when
        // the venue prices dishes by time, else the menu price.
        QString price = QStringLiteral("mPrice");
        QVariantList params;
        if (m_pPrice && m_pPrice->TimePricing) {
            QStringList cases;
            QSqlQuery q = Ado.Query(
                QStringLiteral("select cFoodNo,cFoodName,cUnit,cFoodTypeNo,cFoodTypename,mPrice ") + where, {type});
            while (q.next()) {
                cases << QStringLiteral("WHEN ? THEN ?");
                params << q.value(0).toString()
                       << m_pPrice->GetCpTimePrice(Text(*kf, "cArrName"), q.value(0).toString(), q.value(1).toString(),
                                                   q.value(2).toString(), q.value(3).toString(), q.value(4).toString(),
                                                   Text(*kf, "cGuestType"), q.value(5).toDouble());
            }
            if (!cases.isEmpty())
                price = QStringLiteral("CASE cFoodNo ") + cases.join(u' ') + QStringLiteral(" ELSE mPrice END");
        }
        params << type;
        RunQuery(*cp, QStringLiteral("Select t_cp.*, ") + price + QStringLiteral(" AS Price ") + where, params);
        return true;
    } catch (const Exception&) {
        AfterFailure();
        return false;
    }
}

bool TFrmAdo::OpenOrders(DataSet& set, int placed)
{
    if (!Connected())
        return false;
    try {
        RunQuery(set,
                 QStringLiteral("Select * from t_dc where cDepartment like '%2%' and bXd=%1 and cTabNo=?").arg(placed),
                 {TabNo()});
        return true;
    } catch (const Exception&) {
        AfterFailure();
        return false;
    }
}

bool TFrmAdo::OpenPendingOrders()
{
    return OpenOrders(*dc, 0);
}

bool TFrmAdo::OpenPlacedOrders()
{
    return OpenOrders(*dc1, 1);
}

double TFrmAdo::PriceOf(DataSet& menu)
{
    return m_pPrice->GetCpTimePrice(Text(*kf, "cArrName"), Text(menu, "cFoodNo"), Text(menu, "cFoodName"),
                                    Text(menu, "cunit"), Text(menu, "cFoodTypeNo"), Text(menu, "cFoodTypeName"),
                                    Text(*kf, "cGuestType"), menu.FieldByName(QStringLiteral("mPrice")).AsFloat());
}

double TFrmAdo::CpPrice()
{
    if (!cp->Active() || cp->IsEmpty())
        return 0;
    const Field price = cp->FindField(QStringLiteral("Price"));
    if (price.IsValid())
        return price.AsFloat();
    return m_pPrice && m_pPrice->TimePricing ? PriceOf(*cp) : cp->FieldByName(QStringLiteral("mPrice")).AsFloat();
}

bool TFrmAdo::AppendOrder(DataSet& menu, const QString& quantity, bool priced)
{
    if (!Connected() || !dc->Active())
        return false;
    try {
        if (!m_pPrice || !kf->Active() || kf->IsEmpty() || !menu.Active() || menu.IsEmpty())
            return false;
        const std::optional<double> amount = ParseQuantity(quantity);
        if (!amount)
            return false;
        // The menu on the screen may be older than the kitchen's last word
        // and the front desk's: the dish and the room are asked again.
        if (priced && (!DishOrderable(Text(menu, "cFoodNo")) || !ReopenRoom()))
            return false;
        dc->Append();
        for (const char* name : kRoomColumns)
            dc->FieldByName(QLatin1String(name)).SetValue(kf->FieldByName(QLatin1String(name)).Value());
        dc->FieldByName(QStringLiteral("cDepartment")).SetAsString(QStringLiteral("2"));
        dc->FieldByName(QStringLiteral("dOrderFoodTime")).SetAsDateTime(m_pPrice->GetSysCurDate());
        dc->FieldByName(QStringLiteral("dxdtime")).SetAsDateTime(m_pPrice->StationNow());
        dc->FieldByName(QStringLiteral("cXdy")).SetAsString(m_sStaffName);
        dc->FieldByName(QStringLiteral("cXdyNo")).SetAsString(m_sStaffNo);
        dc->FieldByName(QStringLiteral("bXd")).SetAsBoolean(false);
        dc->FieldByName(QStringLiteral("bOut")).SetAsBoolean(false);
        dc->FieldByName(QStringLiteral("fNum")).SetAsFloat(*amount);
        CopyFields(menu, *dc,
                   {{"cFoodTypeNo", "cFoodTypeNo"},
                    {"cFoodTypename", "cFoodTypeName"},
                    {"cFoodNo", "cFoodNo"},
                    {"cFoodName", "cFoodName"},
                    {"cUnit", "cUnit"}});
        dc->FieldByName(QStringLiteral("fDiscount")).SetAsString(QStringLiteral("100"));
        dc->FieldByName(QStringLiteral("mCost")).SetAsFloat(menu.FieldByName(QStringLiteral("mCost")).AsFloat());
        for (const char* name : {"bCanDiscount", "bAttendLowConsume", "bhaveServiceCharge"})
            dc->FieldByName(QLatin1String(name)).SetAsBoolean(menu.FieldByName(QLatin1String(name)).AsBoolean());
        CopyFields(menu, *dc, {{"iLowDiscount", "iLowDiscount"}, {"cKitch", "cKitch"}});
        dc->FieldByName(QStringLiteral("bCasherXd")).SetAsBoolean(false);
        if (priced) {
            dc->FieldByName(QStringLiteral("mPrice")).SetAsFloat(PriceOf(menu));
        } else {
            dc->FieldByName(QStringLiteral("mPrice")).SetAsFloat(0);
            dc->FieldByName(QStringLiteral("bSend")).SetAsBoolean(true);
            dc->FieldByName(QStringLiteral("cSendMan")).SetAsString(QStringLiteral("自动赠送"));
            dc->FieldByName(QStringLiteral("cAddons")).SetAsString(QStringLiteral("P:赠送"));
        }
        m_pPrice->GetSmallTotal(*dc);
        dc->Post();
        return true;
    } catch (const Exception&) {
        return BasketEditFailed();
    }
}

bool TFrmAdo::DishOrderable(const QString& foodNo)
{
    QSqlQuery q = Ado.Query(
        QStringLiteral("Select cFoodNo ") + QLatin1String(kDishes) + QStringLiteral(" and cFoodNo=?"), {foodNo});
    return q.next();
}

bool TFrmAdo::DeleteOrder()
{
    if (!Connected() || !dc->Active() || dc->IsEmpty() || dc->Eof())
        return false;
    try {
        dc->Delete();
        return true;
    } catch (const Exception&) {
        AfterFailure();
        // The basket as the database has it again.
        if (Connected())
            OpenPendingOrders();
        return false;
    }
}

bool TFrmAdo::AddGift()
{
    if (!Connected() || !dc->Active() || dc->IsEmpty() || !m_pPrice)
        return false;
    try {
        const QString now = m_pPrice->StationNow().toString(QStringLiteral("HH:mm"));
        const double bought = dc->FieldByName(QStringLiteral("fNum")).AsFloat();
        RunQuery(*eSql,
                 QStringLiteral("select * from t_cpSend where bFlag=1 and cBuyCpNo=? and dBeginTime<=? and "
                                "dEndTime>=? and fBuyNum<=? order by fBuyNum desc"),
                 {Text(*dc, "cFoodNo"), now, now, bought});
        // The rule with the largest buy quantity the order reaches; a rule
        // without a buy quantity earns nothing.
        for (eSql->First(); !eSql->Eof(); eSql->Next())
            if (eSql->FieldByName(QStringLiteral("fBuyNum")).AsFloat() > 0)
                break;
        if (eSql->IsEmpty() || eSql->Eof() || eSql->FieldByName(QStringLiteral("fBuyNum")).AsFloat() <= 0)
            return false;
        const double times = std::trunc(bought / eSql->FieldByName(QStringLiteral("fBuyNum")).AsFloat());
        const double gift = std::trunc(eSql->FieldByName(QStringLiteral("fSendNum")).AsFloat() * times);
        if (gift <= 0)
            return false;
        if (!cpAll->Active() || !cpAll->Locate(QStringLiteral("cFoodNo"), Text(*eSql, "cSendCpNo")))
            return false;
        const Bookmark at = dc->GetBookmark();
        const bool appended = AppendOrder(*cpAll, QString::number(qint64(gift)), false);
        dc->GotoBookmark(at);
        return appended;
    } catch (const Exception&) {
        AfterFailure();
        return false;
    }
}

bool TFrmAdo::SubmitOrders()
{
    if (!Connected() || !dc->Active() || !m_pPrice)
        return false;
    try {
        if (!ReopenRoom())
            return false; // closed at the front desk meanwhile
        Ado.Begin();
        // The flow number comes first: its counter row stays locked until
        // this transaction ends, so submissions of several stations follow
        // one another and each sees the basket the one before left.
        const QString flow = m_pPrice->GetFlow(TabNo());
        const QDateTime now = m_pPrice->GetSysCurDate();
        if (!OpenPendingOrders())
            throw DbError(QStringLiteral("the basket cannot be read"));
        for (dc->First(); !dc->Eof(); dc->Next()) {
            if (!dc->FieldByName(QStringLiteral("bSend")).AsBoolean() &&
                dc->FieldByName(QStringLiteral("mPrice")).AsFloat() > 0)
                AddGift();
        }
        if (!OpenPendingOrders())
            throw DbError(QStringLiteral("the basket cannot be read"));
        for (dc->First(); !dc->IsEmpty() && !dc->Eof(); dc->Next()) {
            dc->Edit();
            Field water = dc->FieldByName(QStringLiteral("iWaterNo"));
            if (flow.isEmpty())
                water.Clear();
            else
                water.SetAsString(flow);
            dc->FieldByName(QStringLiteral("dXdTime")).SetAsDateTime(now);
            dc->FieldByName(QStringLiteral("bXd")).SetAsBoolean(true);
            dc->FieldByName(QStringLiteral("cXdy")).SetAsString(m_sStaffName);
            dc->FieldByName(QStringLiteral("cXdyNo")).SetAsString(m_sStaffNo);
            for (const char* name : kRoomColumns)
                dc->FieldByName(QLatin1String(name)).SetValue(kf->FieldByName(QLatin1String(name)).Value());
            dc->Post();
        }
        Ado.Commit();
    } catch (const Exception&) {
        if (Ado.InTransaction()) {
            try {
                Ado.Rollback();
            } catch (const Exception&) {
            }
        }
        AfterFailure();
        // The basket as the database has it again.
        if (Connected())
            OpenPendingOrders();
        return false;
    }
    OpenPendingOrders();
    return true;
}

bool TFrmAdo::CheckStaffCard(const QString& cardNo)
{
    if (!Connected() || cardNo.isEmpty())
        return false;
    try {
        RunQuery(*fwy, QStringLiteral("Select CEmployeeName,CEmployeeNO from t_fwy where CCardNO=?"), {cardNo});
        if (fwy->IsEmpty())
            return false;
        m_sStaffName = Text(*fwy, "CEmployeeName");
        m_sStaffNo = Text(*fwy, "CEmployeeNO");
        return true;
    } catch (const Exception&) {
        AfterFailure();
        return false;
    }
}

QString TFrmAdo::SumTotal(DataSet& set)
{
    if (!Connected() || !set.Active())
        return QString();
    // Summed in double: a long tab keeps its cents.
    double sum = 0;
    try {
        const Field total = set.FieldByName(QStringLiteral("mTotal"));
        for (set.First(); !set.IsEmpty() && !set.Eof(); set.Next())
            sum += total.AsFloat();
    } catch (const Exception&) {
        return QString();
    }
    return FormatMoney(sum);
}

bool TFrmAdo::SetAddition()
{
    if (!Connected() || !dc->Active() || dc->IsEmpty() || !fjx->Active() || fjx->IsEmpty())
        return false;
    try {
        dc->Edit();
        dc->FieldByName(QStringLiteral("cAddons")).SetAsString(Text(*fjx, "cName"));
        dc->Post();
        return true;
    } catch (const Exception&) {
        return BasketEditFailed();
    }
}

bool TFrmAdo::CheckoutRoom()
{
    if (!Connected() || !dc->Active() || !m_pPrice)
        return false;
    try {
        if (!ReopenRoom())
            return false;
        m_pPrice->Checkout(*kf);
        return true;
    } catch (const Exception&) {
        AfterFailure();
        return false;
    }
}

QString TFrmAdo::DisplayText(const Field& field)
{
    if (!field.IsValid())
        return QString();
    if (field.DataType() == FieldType::Float && field.Name().compare(QLatin1String("fNum"), Qt::CaseInsensitive) != 0)
        return field.IsNull() ? QString() : FormatMoney(field.AsFloat());
    return field.DisplayText();
}
