#pragma once
// Start-up steps whose modules are not part of the station yet. Each is a
// thin stand-in with the name of the step it takes; the modules replace them.
#include <cstdint>

// Catalogue data module: creates g_pSetting, loads it from the Setting
// source (OpenSettingSource) and decides FirstInstance. When this is the
// first instance it starts the player program (run_program).
void CreateCatalogueModule();
// Frees what CreateCatalogueModule made (at the end of the process).
void FreeCatalogueModule();
// Room-service data module: nothing yet.
void CreateRoomServiceModule();
// Form manager: nothing yet.
void CreateFormManager();
// Hidden media player form (the main window): nothing yet; closing the
// station ends the message loop directly.
void CreateMediaPlayerForm();
// Loads buttons.xml of the skin folder and shows the portal: nothing yet.
void LoadSkinAndShowPortal();
// Says "login" to the control server: nothing yet.
void SendLogin();
