#pragma once
// TFrmVolume: the volume screen. Its labels "Vol", "Mic", "Key" and "Effect"
// name the music, microphone, tone and echo settings; the digit keys 1 to 4
// choose the channel the UP and DOWN keys change, 5 mutes, moving the mouse
// over a label (or pressing it) chooses its channel, and with VolumeMode off holding a label
// whose name holds "Add" or "Dec" repeats its step ten times a second.
//
// Opened from the volume key as an overlay (the skin's volume movie) that
// gives way to the ordinary screen after kOverlayMs. Labels named "VolBar",
// "MicBar", "KeyBar" and "EffectBar" show their channel as a row of steps.
#include "playback/OverlayScreen.h"

#include <QList>
#include <QPointer>

class QTimer;
class TLevelBar;
class TSubTitle;

class TFrmVolume : public TOverlayScreen
{
    Q_OBJECT
public:
    explicit TFrmVolume(QWidget* parent = nullptr);

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    // Repeats the held label's step while it is pressed.
    QTimer* TimerCheckPress = nullptr;
    QTimer* m_pBarTimer = nullptr;
    QPointer<TSubTitle> m_pVol, m_pMic, m_pKey, m_pEffect;
    // Name of the label last pressed (VolumeMode off).
    QString m_sPressed;
    QList<QPointer<TLevelBar>> m_aBars;

    static constexpr int kRepeatMs = 100;
    static constexpr int kBarRefreshMs = 250;

protected:
    void FormClose() override;
    void ShowOrdinary() override;

private:
    void TimerCheckPressTimer();
    void LabelMouseMove(TSubTitle* label);
    void LabelMouseDown(TSubTitle* label);
    void LabelMouseUp();
    void RefreshBars();
};
