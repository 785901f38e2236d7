#include "playback/OverlayScreen.h"

#include "ui/FlashControl.h"

#include <QTimer>

TOverlayScreen::TOverlayScreen(QWidget* parent) : TKVFormXML(parent)
{
    pf = new TTransparentFlashPlayerControl(this);
    pf->setObjectName(QStringLiteral("pf"));
    pf->hide();
    TimerPlaying->setInterval(kOverlayMs);
    connect(TimerPlaying, &QTimer::timeout, this, [this] { Tick(); });
}

void TOverlayScreen::Build(const QDomElement& node)
{
    TKVFormXML::Build(node);
    TimerPlaying->setInterval(2000);
}

void TOverlayScreen::Tick()
{
    if (m_bShowHandler) {
        OrdinaryTick();
        return;
    }
    // The overlay has been seen: the ordinary screen takes its place.
    TimerPlaying->stop();
    close();
    ShowOrdinary();
}
