#include "playback/LevelBar.h"

#include "core/Setting.h"
#include "playback/VolumeControl.h"

#include <QPainter>

TLevelBar::TLevelBar(int channel, QWidget* parent) : QWidget(parent), m_nChannel(channel)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

int TLevelBar::StepCount(int channel)
{
    const TSetting* s = g_pSetting;
    if (channel == kChannelTone)
        return 2 * qMax(0, s ? s->KeyLevel : 0) + 1;
    if (channel == kChannelEffect)
        return 4;
    return s && s->VolumeMode ? 5 : 10;
}

int TLevelBar::LitSteps(int channel, int value)
{
    const TSetting* s = g_pSetting;
    if (channel == kChannelTone || channel == kChannelEffect)
        return value + 1;
    if (s && s->VolumeMode)
        return value + 1;
    // 1..10 lit for 1..100; silence lights none.
    return (value + 9) / 10;
}

void TLevelBar::Refresh()
{
    if (ChannelValue(m_nChannel) != m_nDrawn)
        update();
}

void TLevelBar::paintEvent(QPaintEvent*)
{
    const int value = ChannelValue(m_nChannel);
    m_nDrawn = value;
    const int steps = qMax(1, StepCount(m_nChannel));
    const int lit = LitSteps(m_nChannel, value);
    const bool single = m_nChannel == kChannelTone || m_nChannel == kChannelEffect;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double gap = qMax(2.0, width() / (steps * 6.0));
    const double w = (width() - gap * (steps - 1)) / steps;
    for (int i = 0; i < steps; ++i) {
        // Rising steps for volumes, even ones for the tone and the effect.
        const double h = single ? height() : height() * (0.35 + 0.65 * (i + 1) / steps);
        const QRectF r(i * (w + gap), height() - h, w, h);
        const bool on = single ? i + 1 == lit : i < lit;
        p.setPen(Qt::NoPen);
        p.setBrush(on ? m_cOn : m_cOff);
        p.drawRoundedRect(r, qMin(w, h) / 5, qMin(w, h) / 5);
    }
}
