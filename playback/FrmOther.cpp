#include "playback/FrmOther.h"

#include "core/Setting.h"
#include "platform/keys/VirtualKeys.h"
#include "playback/DiscPlay.h"
#include "ui/KVFormManager.h"
#include "ui/UiStation.h"

#include <QPointer>

TFrmOther::TFrmOther(QWidget* parent) : TKVFormXML(parent) {}

int TFrmOther::ButtonCode(const QString& name) const
{
    const TKVFormManager* fm = g_pFrmManager;
    return fm ? fm->ButtonKey(fm->FindButton(m_pNode, name), false) : 0;
}

void TFrmOther::FormKeyDown(int& key)
{
    const int k = key;
    QPointer<TFrmOther> self(this);
    TKVFormXML::FormKeyDown(key);
    if (!self || k == 0 || !g_pFrmManager)
        return;
    const TKeyMap& keys = UiKeys();
    if (k == ButtonCode(QStringLiteral("Lock"))) {
        g_pFrmManager->OpenLock(
            [](ILockScreen& l) {
                l.InputAllowed = true;
                l.LockMode = true;
            },
            UiText(QStringLiteral("LockForLockBegin")));
        return;
    }
    // The recording key itself has already been handled station-wide.
    if (k == ButtonCode(QStringLiteral("SongVideo1")) && k != keys.RecordVideo)
        PostVkKeyDown(this, keys.RecordVideo);
    if (k == ButtonCode(QStringLiteral("ShutDown"))) {
        PostVkKeyDown(this, keys.POWEROFF);
        return;
    }
    if (k == ButtonCode(QStringLiteral("Softer"))) {
        g_pFrmManager->OpenLock(
            [](ILockScreen& l) {
                l.InputAllowed = true;
                l.AddSongMode = true;
            },
            UiText(QStringLiteral("LockForAddSong")));
        return;
    }
    if (k == ButtonCode(QStringLiteral("PlayCD")))
        TDiscPlay::Start(this);
}
