#include "playback/FrmOsd.h"

#include "core/Setting.h"
#include "playback/Recording.h"
#include "ui/KVFormManager.h"

#include <QPointer>

void TFrmOSD::FormKeyDown(int& key)
{
    QPointer<TFrmOSD> self(this);
    const int k = key;
    TKVFormXML::FormKeyDown(key);
    if (!self || !g_pSetting || !g_pFrmManager)
        return;
    if (g_pSetting->DigitOfKey(qint16(k)) < 0 && k != g_pSetting->Keys.POINT)
        return;
    const QDomElement button = g_pFrmManager->FindButtonByKey(m_pNode, k);
    if (!button.isNull())
        ShowOsdPicture(TKVFormManager::NodeAttr(button, QStringLiteral("parameter")));
}
