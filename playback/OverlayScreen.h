#pragma once
// A screen that the command keys first open as a short overlay (the skin's
// movie over the video) and that then takes its ordinary form: when shown as
// the overlay, its timer closes it after kOverlayMs and opens the ordinary
// screen in its place. The ordinary screen refreshes its now-playing labels
// at the usual rate.
#include "ui/KVFormXML.h"

class TTransparentFlashPlayerControl;

class TOverlayScreen : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TOverlayScreen(QWidget* parent = nullptr);
    void Build(const QDomElement& node = QDomElement()) override;

    // The overlay's movie (hidden on the ordinary screen).
    TTransparentFlashPlayerControl* pf = nullptr;

    static constexpr int kOverlayMs = 500;

protected:
    // Opens the ordinary screen (ShowVolume(true), ShowRecord(true)).
    virtual void ShowOrdinary() = 0;
    // Each tick of the ordinary screen's timer.
    virtual void OrdinaryTick() {}

private:
    void Tick();
};
