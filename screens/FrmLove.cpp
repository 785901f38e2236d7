#include "screens/FrmLove.h"

#include "catalogue/FrmData.h"
#include "screens/Favourites.h"
#include "screens/KeyInput.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

TFrmLove::TFrmLove(QWidget* parent) : TKVFormXML(parent) {}

void TFrmLove::Build(const QDomElement& node)
{
    TKVFormXML::Build(node);
    m_pInput = FindLabel(QStringLiteral("Input"));
    SetUserId(QString());
}

void TFrmLove::SetUserId(const QString& id)
{
    m_sUserId = id;
    if (m_pInput)
        m_pInput->SetCaption(id);
}

void TFrmLove::FormKeyDown(int& key)
{
    const TKeyMap& keys = UiKeys();
    QPointer<TFrmLove> self(this);
    UiHooks().DispatchKey(key);
    if (!self)
        return;
    if (key == keys.RETURN) {
        close();
        return;
    }
    if (key == keys.ENTER && !m_sUserId.isEmpty()) {
        SignIn();
        return;
    }
    // The id is kept to what the user table holds.
    SetUserId(EditDigits(m_sUserId, key, kMaxUserIdDigits));
}

void TFrmLove::SignIn()
{
    if (!FrmData || !SignInFavourites(FrmData->ado, m_sUserId)) {
        UiLog(QStringLiteral("收藏登录失败:") + m_sUserId);
        return;
    }
    FrmData->m_sUserId = m_sUserId;
    close();
    if (g_pFrmManager)
        g_pFrmManager->ShowMyLoveList();
}
