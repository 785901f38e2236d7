#include "ui/StationScreens.h"

#include "core/Log.h"
#include "core/Setting.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"

#include <QDir>

namespace {
std::function<void()>& Refresher()
{
    static std::function<void()> refresh;
    return refresh;
}
} // namespace

void SetLevelNamesRefresher(std::function<void()> refresh)
{
    Refresher() = std::move(refresh);
}

void SwitchLanguage(int n)
{
    TSetting* s = g_pSetting;
    if (!s || n < 0 || n >= s->LangList.size())
        return;
    if (!QDir(s->ExeDir + QStringLiteral("Images/") + s->LangList[n].Folder).exists())
        return;
    if (n == s->LangType)
        return;
    // Without a skin for this screen the language would leave the guest with
    // no screen at all: the current language stays.
    const QString skin = s->SkinDir(n) + QStringLiteral("buttons.xml");
    if (!TKVFormManager::SkinHasPortal(skin)) {
        const QString text = QStringLiteral("切换语言失败,没有可用的皮肤:") + skin;
        DebugOutput(text);
        WriteLog(text);
        return;
    }
    s->LangType = n;
    ReloadStation();
    s->SaveSkinChoice();
    s->LoadGames();
}

void ReloadStation()
{
    TSetting* s = g_pSetting;
    if (!s || !g_pFrmManager)
        return;
    g_pFrmManager->CloseAll();
    s->LoadTexts(s->LangType);
    if (Refresher())
        Refresher()();
    g_pFrmManager->LoadSkin(s->SkinDir() + QStringLiteral("buttons.xml"));
}

void ShowMessageText(const QString& text)
{
    if (!g_pFrmManager)
        return;
    TKVFormXML* screen = g_pFrmManager->ShowMsg();
    if (!screen) {
        // Already open: the open screen shows the newer text.
        const QDomElement node = g_pFrmManager->SelectNode(QStringLiteral("root/public/form/frmmsg"));
        screen = node.isNull() ? nullptr : g_pFrmManager->FindOpenScreen(node);
    }
    if (!screen)
        return;
    if (auto* message = dynamic_cast<IMessageScreen*>(screen))
        message->SetMessage(text);
    else if (TSubTitle* label = screen->FindLabel(QStringLiteral("Msg")))
        label->SetCaption(text);
}
