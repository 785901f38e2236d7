#include "playback/FrmRecord.h"

#include "core/Setting.h"
#include "playback/Recording.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"

#include <QPointer>
#include <QTimer>

TFrmRecord::TFrmRecord(QWidget* parent) : TOverlayScreen(parent)
{
    btnTimer = new QTimer(this);
    btnTimer->setInterval(kRefreshMs);
    connect(btnTimer, &QTimer::timeout, this, [this] { RefreshButtons(); });
}

void TFrmRecord::Build(const QDomElement& node)
{
    TOverlayScreen::Build(node);
    m_pRecord = FindLabel(QStringLiteral("record"));
    m_pStop = FindLabel(QStringLiteral("stop"));
    m_pPlay = FindLabel(QStringLiteral("play"));
    RefreshButtons();
    btnTimer->start();
}

void TFrmRecord::FormKeyDown(int& key)
{
    QPointer<TFrmRecord> self(this);
    const int k = key;
    TOverlayScreen::FormKeyDown(key);
    if (!self || !g_pSetting)
        return;
    const TKeyMap& keys = g_pSetting->Keys;
    if (k == keys.n1)
        StartRecording();
    if (k == keys.n2)
        StopRecording();
    if (k == keys.n3)
        PlayRecording();
    if (k == keys.n4)
        RequestDisc(QString());
    if (self)
        RefreshButtons();
}

void TFrmRecord::RefreshButtons()
{
    if (m_pRecord)
        m_pRecord->setEnabled(CanStartRecording());
    if (m_pStop)
        m_pStop->setEnabled(CanStopRecording());
    if (m_pPlay)
        m_pPlay->setEnabled(CanPlayRecording());
}

void TFrmRecord::ShowOrdinary()
{
    if (g_pFrmManager)
        g_pFrmManager->ShowRecord(true);
}
