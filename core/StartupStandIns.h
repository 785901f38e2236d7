#pragma once
// The start-up steps of the station, in the order the entry point takes
// them, and the closing of what they made.
#include <QStringList>

// Catalogue data module (FrmData): settings, catalogue, second-start check,
// message and idle handlers, play queue, player program, loader thread. The
// framework's hooks are wired to it.
void CreateCatalogueModule();
// Frees the catalogue data module (at the end of the process).
void FreeCatalogueModule();
// Room-service data module (FrmAdo) on HotelAdo; the form manager's food and
// bill screens ask it whether this computer's room is open.
void CreateRoomServiceModule();
// Frees the room-service data module (at the end of the process).
void FreeRoomServiceModule();
// Form manager (g_pFrmManager) with every screen class registered.
void CreateFormManager();
// The hidden main window (FrmMediaPlayer), registered under Client_Caption;
// CloseStation closes it.
void CreateMediaPlayerForm();
// Loads buttons.xml of the skin folder and shows the portal.
void LoadSkinAndShowPortal();
// Says "login" to the control server.
void SendLogin();
// Frees the form manager and the main window when the loop has ended.
void FreeForms();

// The hooks of other modules that the start-up has not installed (yet), by
// name; logged once the station has started.
QStringList MissingStartupHooks();
void LogMissingStartupHooks();
