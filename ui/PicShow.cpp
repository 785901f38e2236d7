#include "ui/PicShow.h"

#include "core/Helpers.h"
#include "core/Hooks.h"
#include "core/Setting.h"
#include "ui/DisplayPic.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

#include <QApplication>
#include <QTimer>

TPicShow::TPicShow(int intervalMs, QObject* owner) : QObject(owner)
{
    m_pTimer = new QTimer(this);
    m_pTimer->setObjectName(QStringLiteral("PicShowTimer"));
    m_pTimer->setInterval(qMax(0, intervalMs));
    connect(m_pTimer, &QTimer::timeout, this, &TPicShow::OnIdleTimer);
}

TPicShow::~TPicShow()
{
    delete m_pForm.data();
}

void TPicShow::SetActive(bool on)
{
    // A zero countdown would elapse at every turn of the event loop.
    if (on && m_pTimer->interval() <= 0)
        return;
    if (on == m_pTimer->isActive())
        return;
    m_bActive = on;
    if (on) {
        m_pTimer->start();
        return;
    }
    m_pTimer->stop();
    const TSetting* s = UiSetting();
    if (s && s->SmallScreen && m_nLastKey == uint16_t(s->Keys.RETURN)) {
        if (TKVFormXML* top = g_pFrmManager ? g_pFrmManager->TopScreen() : nullptr)
            SwitchToWindow(top);
    }
}

bool TPicShow::KeyDown(int key)
{
    m_nLastKey = uint16_t(key);
    if (!m_pForm || !m_pForm->isVisible())
        return false;
    m_pForm->hide();
    return true;
}

void TPicShow::OnIdleTimer()
{
    const TSetting* s = UiSetting();
    if (s && s->SmallScreen) {
        CallHook("ShowPlayerWindow", UiHooks().ShowPlayerWindow);
        return;
    }
    if (!s || s->VideoScreenCount < 2) {
        if (!m_pForm) {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* form = qobject_cast<TfrmDisplayPic*>(w)) {
                    m_pForm = form;
                    break;
                }
            }
        }
        if (!m_pForm)
            m_pForm = new TfrmDisplayPic();
        m_pForm->ShowPictures();
        return;
    }
    CallHook("ShowPicturesOnVideo", UiHooks().ShowPicturesOnVideo);
}
