#pragma once
// TFrmMediaPlayer: the station's main window. The guest never sees it (a
// frameless 1 x 1 window at (-1, -1) captioned Client_Caption), but other
// programs post their messages to it, keys land on it when no screen is open,
// and it holds the room's playback state: the volume, tone and effect levels
// and the flags the player program reports. Closing it ends the program.
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

class QTimer;
class TSoundPlayer;
namespace windowlink {
class LinkWindow;
}

// The link to the control server as the station uses it: "login" at start
// and every minute, "logout" when the main window goes, and texts such as the
// waiter call. The default (no link installed) sends nothing.
class IStationServerLink
{
public:
    virtual ~IStationServerLink() = default;
    virtual void SendLogin() {}
    virtual void SendLogout() {}
    // Sends the station's name, 0x01 and the GBK text; true when it went out.
    virtual bool Send(const QByteArray& /*text*/) { return false; }
};

class TFrmMediaPlayer : public QWidget
{
    Q_OBJECT
public:
    // Construction: task bar hidden, caption Client_Caption, the server link,
    // placed at (-1, -1) sized 1 x 1, members at their initial values, level
    // names filled. Registers the caption with the window link unless
    // registerCaption is false (tests that run beside a station).
    explicit TFrmMediaPlayer(bool registerCaption = true, QWidget* parent = nullptr);
    ~TFrmMediaPlayer() override;

    // Routes one key: SmallScreen's RETURN shows the front screen or the
    // portal (the key is kept); with a screen open the key is posted to it;
    // otherwise it goes to the station-wide key handling. Clears the key.
    void FormKeyDown(int& key);
    // Keeps the front screen in front and the cursor confined (every second).
    void Timer2Timer();
    // Fills the level, tone and effect name lists from the texts in force.
    void RefreshLevelNames();
    // The destroy handler's work, run once (also by the destructor).
    void FormDestroy();

    QTimer* Timer2() const { return m_pTimer2; }
    windowlink::LinkWindow* Link() const { return m_pLink; }
    // Replaces the server link (the main window owns it).
    void SetServerLink(IStationServerLink* link);
    IStationServerLink* ServerLink() const { return m_pUdp; }

    // The sounds of the on-screen display and the playback of recordings.
    TSoundPlayer* AudioPlayer = nullptr;
    TSoundPlayer* OsdPlayer = nullptr;

    QString m_sLastRecording;
    bool m_bPlayerRecording = false;
    bool m_bPlayback = false;
    bool m_bLocked = false;
    bool m_bShadowMode = false;
    bool m_bTimer2Saved = false;
    QStringList m_pLevelNames;
    QStringList m_pKeyNames;
    QStringList m_pEffectNames;
    int m_nMusicLevel = 2;
    int m_nMicLevel = 50;
    int m_nMixLevel = 50;
    int m_nKeyLevel = 0;
    int m_nEffectLevel = 0;
    int m_nChannel = 0;

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    IStationServerLink* m_pUdp = nullptr;
    QTimer* m_pTimer2 = nullptr;
    windowlink::LinkWindow* m_pLink = nullptr;
    bool m_bDestroyed = false;
};

// The one main window (null before it is created and after it is gone).
extern TFrmMediaPlayer* FrmMediaPlayer;

// Where the cursor is confined to (stand-in for the system's cursor clip;
// the rectangle is kept so it can be checked). Null rectangle: no limit.
QRect CursorClipRect();
void ClipCursorTo(const QRect& rect);
