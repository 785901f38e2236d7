#include "roomservice/FoodScreens.h"

#include "roomservice/FoodList.h"
#include "roomservice/FrmAdo.h"
#include "roomservice/FrmBill.h"
#include "roomservice/FrmBillDetail.h"
#include "roomservice/FrmFood.h"
#include "roomservice/FrmFoodCount.h"
#include "roomservice/FrmFoodFjx.h"
#include "roomservice/FrmFoodOrder.h"
#include "roomservice/FrmFoodType.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/StationScreens.h"
#include "ui/UiHooks.h"
#include "utilities/FrmLock.h"

void RegisterFoodScreens()
{
    RegisterScreenFactory(QStringLiteral("foodtype"), [] { return new TFrmFoodType(); });
    RegisterScreenFactory(QStringLiteral("frmfood"), [] { return new TFrmFood(); });
    RegisterScreenFactory(QStringLiteral("frmfoodcount"), [] { return new TFrmFoodCount(); });
    RegisterScreenFactory(QStringLiteral("frmfoodorder"), [] { return new TFrmFoodOrder(); });
    RegisterScreenFactory(QStringLiteral("frmfoodfjx"), [] { return new TFrmFoodFjx(); });
    RegisterScreenFactory(QStringLiteral("frmbill"), [] { return new TFrmBill(); });
    RegisterScreenFactory(QStringLiteral("frmbilldetail"), [] { return new TFrmBillDetail(); });
}

void InstallRoomServiceHooks()
{
    UiHooks().RoomServiceConnects = [] { return FrmAdo && FrmAdo->CheckRoomOpen(true); };
    // A drink order on the lock screen: the staff card, then the order.
    LockRoomService().CheckStaffCard = [](const QString& card) {
        if (!FrmAdo)
            return TStaffCard::NotChecked;
        // A connection lost earlier is opened again first; the room check
        // says why when it cannot be.
        if (!FrmAdo->Connected() && !FrmAdo->CheckRoomOpen(true))
            return TStaffCard::NotChecked;
        if (FrmAdo->CheckStaffCard(card))
            return TStaffCard::Accepted;
        // A card that could not be looked up is not a wrong card: the guest
        // learns why.
        if (!FrmAdo->Connected()) {
            ReportRoomServiceFailure(QString());
            return TStaffCard::NotChecked;
        }
        return TStaffCard::Wrong;
    };
    LockRoomService().SubmitOrders = [] { return FrmAdo && FrmAdo->SubmitOrders(); };
}

void RemoveRoomServiceHooks()
{
    UiHooks().RoomServiceConnects = [] { return false; };
    LockRoomService() = TLockRoomService();
}

void ReportRoomServiceFailure(const QString& otherwise)
{
    // The room check shows its own message when it fails.
    if (FrmAdo && !FrmAdo->CheckRoomOpen(true))
        return;
    if (!otherwise.isEmpty())
        ShowMessageText(otherwise);
}

void RefreshOpenList(const QString& formName)
{
    if (!g_pFrmManager)
        return;
    TKVFormXML* open =
        g_pFrmManager->FindOpenScreen(g_pFrmManager->SelectNode(QStringLiteral("root/public/form/") + formName));
    if (auto* screen = qobject_cast<TFoodListForm*>(open); screen && screen->m_pList)
        screen->m_pList->Refresh();
}
