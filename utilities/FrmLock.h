#pragma once
// TFrmLock: the lock and password screen. One screen serves every purpose for
// which the station asks for a password or blocks the room: shutdown, the
// room lock, the start-up login, a drink order with a staff card, the
// add-song program, the adult-film and dance portals, and the locks the
// control server imposes. The opener sets the purpose flags and a prompt;
// the screen collects digits (one star each) and on ENTER compares them with
// the passwords of the settings in a fixed order.
//
// A screen opened without input swallows every key and click: the room stays
// locked until the control server closes it. Five wrong passwords in a row,
// on any lock screen of the station, make the screens refuse input for
// 30 seconds, so the passwords cannot be found by trying them all.
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"

#include <QPointer>
#include <cstdint>
#include <functional>

class QTimer;
class TSubTitle;

class TFrmLock : public TKVFormXML, public ILockScreen
{
    Q_OBJECT
public:
    explicit TFrmLock(QWidget* parent = nullptr);
    ~TFrmLock() override;

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    // ILockScreen
    void SetPrompt(const QString& text) override;
    void DisableReturn() override;
    void StartCloseTimer(int ms) override;
    bool CloseTimerActive() const override;
    void StartShowTimer() override;

    // What the Input control shows (stars, or the PwdError text).
    QString InputText() const { return m_sInput; }
    QString Prompt() const;
    bool ReturnAllowed() const;

    // When fired, the station closes and powers off (10 s).
    QTimer* ShowTimer = nullptr;
    // When fired, the screen closes (8000 ms unless started otherwise).
    QTimer* TimerClose = nullptr;
    QPointer<TSubTitle> m_pInput;
    QPointer<TSubTitle> m_pMsg;
    QPointer<TSubTitle> m_pReturn;
    QString Typed;

protected:
    void FormShow() override;
    void FormClose() override;
    void m_pAutoCloseTimer() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetInput(const QString& text);
    // The password rules of ENTER; the first that applies acts.
    void CheckTyped();
    void WrongPassword();
    void StartAddSongProgram();
    bool InputRefused();
    // The room lock's hold on the station and the station-wide reference go.
    void Release();

    QString m_sInput;
    QString m_sPrompt;
    bool m_bReturnAllowed = true;
    bool m_bSaverSet = false;
};

// The room-service module's part in a drink order: the staff card check and
// the order's submission. Without them a card is never accepted.
enum class TStaffCard
{
    Accepted,
    Wrong,
    // The card could not be looked up (no database): not the guest's fault,
    // so it does not count as a wrong card.
    NotChecked,
};
struct TLockRoomService
{
    std::function<TStaffCard(const QString& card)> CheckStaffCard;
    std::function<bool()> SubmitOrders;
};
TLockRoomService& LockRoomService();

// The stand-in for the system's "screen saver running" flag that a lock
// screen without input sets while it is open.
bool ScreenSaverRunning();

// Wrong passwords in a row before the screens refuse input, and for how long.
constexpr int kPasswordTries = 5;
constexpr int kPasswordPauseMs = 30000;
// Forgets the wrong passwords (and any pause) of this run (tests); a pause
// of pauseMs instead of 30 s when given.
void ResetPasswordTries(int pauseMs = kPasswordPauseMs);

// The add-song program's window caption and how long the screen waits.
inline constexpr char kAddSongCaption[] = "后台管理器";
constexpr int kAddSongWaitMs = 15000;
