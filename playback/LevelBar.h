#pragma once
// A row of steps that shows one channel's value at a glance: the levels of
// VolumeMode as five steps, values 0..100 as ten, the tone as one step either
// side of the neutral middle per tone index. Placed by the volume screen over
// a skin label named after the channel with "Bar" ("VolBar", "MicBar",
// "KeyBar", "EffectBar"); it reads the value when it paints and lets the
// mouse through to the label below.
#include <QColor>
#include <QWidget>

class TLevelBar : public QWidget
{
    Q_OBJECT
public:
    TLevelBar(int channel, QWidget* parent);
    int Channel() const { return m_nChannel; }
    // Repaints when the channel's value differs from the one drawn last.
    void Refresh();
    // The steps and how many of them are lit for a value (the tone: the lit
    // step, counted from the left).
    static int StepCount(int channel);
    static int LitSteps(int channel, int value);

    QColor m_cOn{0xf0, 0xb0, 0x30};
    QColor m_cOff{0x40, 0x40, 0x58};

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_nChannel;
    int m_nDrawn = -1;
};
