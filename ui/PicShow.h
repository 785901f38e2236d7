#pragma once
// TPicShow: the idle advert show. Once nobody has touched the station for a
// while (the setting ShowScreen, in seconds) it shows the advert pictures
// (TfrmDisplayPic); on a small single-screen station it brings the player's
// window forward instead, and with two video screens or more it asks the
// player to show its picture show on the video screen.
//
// The countdown is armed by the application's idle handler whenever the
// station has nothing to do (and no lock screen is open) and stopped by the
// input dispatch on every key and every mouse move to a new place. While it
// stays armed it elapses again every ShowScreen seconds and brings the
// pictures forward again.
#include <QObject>
#include <QPointer>
#include <cstdint>

class QTimer;
class TfrmDisplayPic;

class TPicShow : public QObject
{
    Q_OBJECT
public:
    // intervalMs: the countdown (ShowScreen × 1000); 0 never elapses.
    explicit TPicShow(int intervalMs, QObject* owner = nullptr);
    ~TPicShow() override;

    // Arms (true) or stops (false) the countdown; nothing when it already is.
    // Stopped by the return key on a small screen, the station comes to the
    // front again.
    void SetActive(bool on);
    bool Active() const { return m_bActive; }
    // A key-down seen by the input dispatch: remembered as the key that woke
    // the show. True when the pictures were showing: they close and the key
    // is used up.
    bool KeyDown(int key);
    // The countdown elapsed.
    void OnIdleTimer();

    QTimer* m_pTimer = nullptr;
    QPointer<TfrmDisplayPic> m_pForm;
    bool m_bActive = false;
    uint16_t m_nLastKey = 0;
};
