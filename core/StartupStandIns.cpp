#include "core/StartupStandIns.h"

#include "core/Helpers.h"
#include "core/Setting.h"
#include "core/SettingSource.h"

#include <QGuiApplication>
#include <memory>

namespace {
std::unique_ptr<ISettingRows> g_pSettingRows;
}

void CreateCatalogueModule()
{
    g_pSetting = new TSetting();
    g_pSettingRows = OpenSettingSource(*g_pSetting);
    g_pSetting->Load(g_pSettingRows.get());
    // Another station already runs when its window exists: bring it forward.
    g_pSetting->FirstInstance = !WindowExists(g_pSetting->Client_Caption);
    if (!g_pSetting->FirstInstance) {
        SwitchToWindow(g_pSetting->Client_Caption);
        return;
    }
    QGuiApplication::setApplicationDisplayName(g_pSetting->Client_Caption);
    if (!g_pSetting->SaloonMode || g_pSetting->SaloonComputer == g_pSetting->ComputerName)
        g_pSetting->run_program();
}

void FreeCatalogueModule()
{
    if (g_pSetting)
        g_pSetting->ReadSetting->SetDataSet(nullptr);
    g_pSettingRows.reset();
    delete g_pSetting;
    g_pSetting = nullptr;
}

void CreateRoomServiceModule() {}
void CreateFormManager() {}
void CreateMediaPlayerForm() {}
void LoadSkinAndShowPortal() {}
void SendLogin() {}
