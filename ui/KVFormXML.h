#pragma once
// TKVFormXML: the skinned screen. Each time it is shown it builds its
// controls from its skin node, lays itself over the portal rectangle (or its
// own pop-up rectangle), shows the node's background picture, keeps the
// now-playing labels current, turns keys into button actions and moves a
// highlight between the numbered buttons with the arrow keys. Every screen
// derives from it and overrides Build, calling the inherited Build first.
#include "ui/KVFormBase.h"

#include <QDomElement>
#include <QList>
#include <QPointer>
#include <functional>

class QTimer;
class TSubTitle;

class TKVFormXML : public TKVFormBase
{
    Q_OBJECT
public:
    explicit TKVFormXML(QWidget* parent = nullptr);
    ~TKVFormXML() override;

    // Shows the screen: FormShow (build and push onto the open-screen list)
    // unless the show handler was removed, then the window. Build errors
    // (skin errors, malformed pop-up numbers) propagate as Exception.
    void ShowScreen();
    // The show handler is on; the Flash overlays switch it off.
    bool m_bShowHandler = true;

    virtual void Build(const QDomElement& node = QDomElement());
    virtual void BuildControls(const QDomElement& node);
    virtual void BuildPublicButtons(const QDomElement& node);
    virtual void BuildPublicFlash(const QDomElement& node);

    virtual bool FocusUp();
    virtual bool FocusDown();
    virtual bool FocusLeft();
    virtual bool FocusRight();
    virtual void MoveCursorTo(QWidget* control);
    virtual bool ShowFirstFocus();

    // The key handler: screens override it (and usually call it).
    virtual void FormKeyDown(int& key);
    // Delivers one key-down: to OnKeyDown when set, else FormKeyDown. Errors
    // are logged, never thrown out of event handling.
    void KeyDown(int key);
    // Replaces FormKeyDown when set (an item list takes the screen's keys).
    std::function<void(QObject* sender, int& key)> OnKeyDown;

    void ControlClick(QWidget* control);
    QWidget* CreateControl(const QDomElement& element);
    void TimerPlayingTimer();

    // A control built from the skin (or added by the screen), by name.
    QWidget* FindControl(const QString& name) const;
    TSubTitle* FindLabel(const QString& name) const;
    bool IsPopup() const;
    // Brings the window in front of the station's other windows.
    void BringToFront();
    bool IsShowing() const;

    QTimer* m_pAutoClose = nullptr;
    QTimer* TimerPlaying = nullptr;
    QPointer<TSubTitle> m_pPlayingLabel, m_pPlayingName, m_pNextLabel, m_pNextName, m_pAgentTel, m_pAgentName,
        m_pUserTel, m_pUserName, m_pSofterTel, m_pSofterName, m_pSongs;
    bool m_bFocusShown = false;
    QDomElement m_pNode;
    bool m_bGuide = true;
    QList<QPointer<TSubTitle>> m_pFocusList;

protected:
    virtual void FormShow();
    void FormClose() override;
    void FormPaint(QPainter& painter) override;
    void FormMouseMove() override;
    virtual void FormActivate();
    virtual void m_pAutoCloseTimer();

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The nearest focusable button in one direction (first pass of the arrow guidance).
    TSubTitle* NearestInDirection(int dirX, int dirY) const;
    QWidget* CreateButton(const QDomElement& element);
    QWidget* CreateFlash(const QDomElement& element);
    void ClearBuiltControls();
    void CheckControlName(const QDomElement& element);
    void RestartAutoClose();
    void FillInformationLabels();

    QList<QPointer<QWidget>> m_aBuilt;
    bool m_bShowing = false;
};

// The portal screen: ignores the POINT key unless the station is in test
// mode. Closed from the window manager it ends the station.
class TFrmMain : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr) : TKVFormXML(parent) {}
    void FormKeyDown(int& key) override;

protected:
    void closeEvent(QCloseEvent* event) override;
};
