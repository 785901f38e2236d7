#include "playback/FrmVolume.h"

#include "core/Setting.h"
#include "platform/keys/VirtualKeys.h"
#include "playback/FrmMediaPlayer.h"
#include "playback/LevelBar.h"
#include "playback/VolumeControl.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"

#include <QPointer>
#include <QTimer>

namespace {

// The channel a label's name stands for, or -1.
int ChannelOfName(const QString& name)
{
    if (name.contains(QLatin1String("Vol")))
        return kChannelMusic;
    if (name.contains(QLatin1String("Mic")))
        return kChannelMic;
    if (name.contains(QLatin1String("Key")))
        return kChannelTone;
    if (name.contains(QLatin1String("Effect")))
        return kChannelEcho;
    return -1;
}

void SetChannel(int channel)
{
    if (FrmMediaPlayer)
        FrmMediaPlayer->m_nChannel = channel;
}

} // namespace

TFrmVolume::TFrmVolume(QWidget* parent) : TOverlayScreen(parent)
{
    SetChannel(kChannelMusic);
    // The bars follow changes made elsewhere (the player's volume report,
    // the effect keys); a pop-up screen has no now-playing timer for it.
    m_pBarTimer = new QTimer(this);
    m_pBarTimer->setInterval(kBarRefreshMs);
    connect(m_pBarTimer, &QTimer::timeout, this, [this] { RefreshBars(); });
    TimerCheckPress = new QTimer(this);
    TimerCheckPress->setInterval(kRepeatMs);
    connect(TimerCheckPress, &QTimer::timeout, this, [this] { TimerCheckPressTimer(); });
}

void TFrmVolume::Build(const QDomElement& node)
{
    TOverlayScreen::Build(node);
    m_pVol = FindLabel(QStringLiteral("Vol"));
    m_pMic = FindLabel(QStringLiteral("Mic"));
    m_pKey = FindLabel(QStringLiteral("Key"));
    m_pEffect = FindLabel(QStringLiteral("Effect"));

    for (TSubTitle* label : findChildren<TSubTitle*>()) {
        if (label->objectName().isEmpty())
            continue; // a control of an earlier build on its way out
        // The skin's hover and press effects stay; the channel handling
        // comes after them.
        auto move = label->OnMouseMove;
        auto down = label->OnMouseDown;
        auto up = label->OnMouseUp;
        label->OnMouseMove = [this, move](TSubTitleLabel* sender, QMouseEvent* e) {
            if (move)
                move(sender, e);
            LabelMouseMove(static_cast<TSubTitle*>(sender));
        };
        label->OnMouseDown = [this, down](TSubTitleLabel* sender, QMouseEvent* e) {
            if (down)
                down(sender, e);
            LabelMouseDown(static_cast<TSubTitle*>(sender));
        };
        label->OnMouseUp = [this, up](TSubTitleLabel* sender, QMouseEvent* e) {
            if (up)
                up(sender, e);
            LabelMouseUp();
        };
    }

    // Level bars over the labels that ask for them.
    for (const QPointer<TLevelBar>& bar : std::as_const(m_aBars))
        delete bar.data();
    m_aBars.clear();
    for (const char* name : {"VolBar", "MicBar", "KeyBar", "EffectBar"}) {
        TSubTitle* place = FindLabel(QLatin1String(name));
        if (!place)
            continue;
        auto* bar = new TLevelBar(ChannelOfName(place->objectName()), this);
        bar->setGeometry(place->geometry());
        bar->m_cOn = place->FontColor();
        bar->show();
        m_aBars.append(bar);
    }

    // Every channel's label filled, then the music channel is current.
    for (int channel = kChannelMusic; channel <= kChannelEcho; ++channel) {
        SetChannel(channel);
        ChangeLevel(this, 0, false);
    }
    SetChannel(kChannelMusic);
    if (!m_aBars.isEmpty())
        m_pBarTimer->start();
}

void TFrmVolume::FormKeyDown(int& key)
{
    QPointer<TFrmVolume> self(this);
    const int k = key;
    TOverlayScreen::FormKeyDown(key);
    if (!self || !g_pSetting)
        return;
    const TKeyMap& keys = g_pSetting->Keys;
    if (k == keys.n1)
        SetChannel(kChannelMusic);
    if (k == keys.n2)
        SetChannel(kChannelMic);
    if (k == keys.n3)
        SetChannel(kChannelTone);
    if (k == keys.n4)
        SetChannel(kChannelEffect);
    if (k == keys.n5)
        PostVkKeyDown(this, keys.VOLMUTE);
    if (k == keys.UP)
        ChangeLevel(this, 1, true);
    if (k == keys.DOWN)
        ChangeLevel(this, -1, true);
    RefreshBars();
}

void TFrmVolume::FormClose()
{
    TimerCheckPress->stop();
    m_pBarTimer->stop();
    m_pVol = nullptr;
    m_pMic = nullptr;
    m_pKey = nullptr;
    m_pEffect = nullptr;
    TOverlayScreen::FormClose();
}

void TFrmVolume::ShowOrdinary()
{
    if (g_pFrmManager)
        g_pFrmManager->ShowVolume(true);
}

void TFrmVolume::TimerCheckPressTimer()
{
    if (!g_pSetting)
        return;
    if (m_sPressed.contains(QLatin1String("Add")))
        PostVkKeyDown(this, g_pSetting->Keys.UP);
    else if (m_sPressed.contains(QLatin1String("Dec")))
        PostVkKeyDown(this, g_pSetting->Keys.DOWN);
}

void TFrmVolume::LabelMouseMove(TSubTitle* label)
{
    const int channel = ChannelOfName(label->objectName());
    if (channel >= 0)
        SetChannel(channel);
}

void TFrmVolume::LabelMouseDown(TSubTitle* label)
{
    // A touch screen presses without moving over the label first: the press
    // chooses the channel as well.
    LabelMouseMove(label);
    if (g_pSetting && g_pSetting->VolumeMode)
        return;
    m_sPressed = label->objectName();
    if (m_sPressed.contains(QLatin1String("Add")) || m_sPressed.contains(QLatin1String("Dec")))
        TimerCheckPress->start();
}

void TFrmVolume::LabelMouseUp()
{
    TimerCheckPress->stop();
}

void TFrmVolume::RefreshBars()
{
    for (const QPointer<TLevelBar>& bar : std::as_const(m_aBars)) {
        if (bar)
            bar->Refresh();
    }
}
