#pragma once
// The food ordering and bill screens of the station and what they share:
// their registration with the form manager and the guest's message when a
// room-service step failed.
#include <QString>

// Registers with the form manager's factory table: TFrmFoodType (foodtype),
// TFrmFood (frmfood), TFrmFoodCount (frmfoodcount), TFrmFoodOrder
// (frmfoodorder), TFrmFoodFjx (frmfoodfjx), TFrmBill (frmbill) and
// TFrmBillDetail (frmbilldetail). Safe to call more than once.
void RegisterFoodScreens();

// Wires the room-service module (FrmAdo) into the station: the form
// manager's room check before the food and bill screens, and the staff card
// check and submission of a drink order on the lock screen.
void InstallRoomServiceHooks();
// Takes them out again: the screens then find no open room and the lock
// screen accepts no card.
void RemoveRoomServiceHooks();

// Tells the guest why a room-service step failed: the room check's own
// message when the database cannot be reached or the room is no longer open,
// otherwise `otherwise` (nothing when it is empty).
void ReportRoomServiceFailure(const QString& otherwise);

// Draws the list of the open screen of that form node (root/public/form/...)
// anew, when it is open.
void RefreshOpenList(const QString& formName);

// The messages of a basket step that failed.
inline constexpr char kOrderFailed[] = "点单失败!";
