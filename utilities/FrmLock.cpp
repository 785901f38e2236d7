#include "utilities/FrmLock.h"

#include "catalogue/FrmData.h"
#include "core/Helpers.h"
#include "core/Setting.h"
#include "core/Station.h"
#include "platform/Tick.h"
#include "platform/keys/VirtualKeys.h"
#include "playback/FrmMediaPlayer.h"
#include "ui/StationScreens.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <QWindow>
#include <optional>

namespace {

constexpr int kShutdownDelayMs = 10000;
constexpr int kWarningCloseMs = 8000;

// The wrong passwords in a row and the pause they caused, station-wide: a
// guest who closes the screen and opens it again keeps the count.
struct TPasswordTries
{
    int wrong = 0;
    std::optional<uint32_t> pauseStart;
    int pauseMs = kPasswordPauseMs;
};
TPasswordTries g_tries;

// When the add-song program was last started (station-wide, so a second
// lock screen does not start it again within the wait either).
std::optional<uint32_t> g_lastAddSongStart;

int g_saverScreens = 0;

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
        return true;
    default:
        return type == TVkKeyEvent::EventType();
    }
}

QString Text(const char* key)
{
    return UiText(QString::fromLatin1(key));
}

} // namespace

TLockRoomService& LockRoomService()
{
    static TLockRoomService service;
    return service;
}

bool ScreenSaverRunning()
{
    return g_saverScreens > 0;
}

void ResetPasswordTries(int pauseMs)
{
    g_tries = TPasswordTries();
    g_tries.pauseMs = pauseMs;
}

TFrmLock::TFrmLock(QWidget* parent) : TKVFormXML(parent)
{
    setWindowFlag(Qt::WindowStaysOnTopHint);
    ShowTimer = new QTimer(this);
    ShowTimer->setSingleShot(true);
    ShowTimer->setInterval(kShutdownDelayMs);
    connect(ShowTimer, &QTimer::timeout, this, [] { CloseStation(true); });
    TimerClose = new QTimer(this);
    TimerClose->setSingleShot(true);
    TimerClose->setInterval(kWarningCloseMs);
    connect(TimerClose, &QTimer::timeout, this, [this] { close(); });
}

TFrmLock::~TFrmLock()
{
    Release();
}

void TFrmLock::Release()
{
    if (m_bSaverSet) {
        m_bSaverSet = false;
        --g_saverScreens;
        QCoreApplication::instance()->removeEventFilter(this);
    }
    if (g_pLockScreen == this)
        g_pLockScreen = nullptr;
}

void TFrmLock::Build(const QDomElement& node)
{
    TKVFormXML::Build(node);
    m_pInput = FindLabel(QStringLiteral("Input"));
    m_pReturn = FindLabel(QStringLiteral("Return"));
    m_pMsg = FindLabel(QStringLiteral("Msg"));
    if (m_pReturn && !m_bReturnAllowed)
        m_pReturn->setEnabled(false);
    SetInput(m_sInput);
}

void TFrmLock::FormShow()
{
    TKVFormXML::FormShow();
    if (!InputAllowed && !m_bSaverSet) {
        // The room is locked: no key combination, click or other window of
        // the station reaches anything until the screen is closed for it.
        m_bSaverSet = true;
        ++g_saverScreens;
        DisableReturn();
        QCoreApplication::instance()->installEventFilter(this);
    }
}

void TFrmLock::FormClose()
{
    TKVFormXML::FormClose();
    ShowTimer->stop();
    TimerClose->stop();
    Release();
}

void TFrmLock::m_pAutoCloseTimer()
{
    // A skin may give the screen a close delay; a locked room stays locked.
    if (InputAllowed)
        TKVFormXML::m_pAutoCloseTimer();
}

bool TFrmLock::eventFilter(QObject* watched, QEvent* event)
{
    if (m_bSaverSet && watched != this && IsUserInput(event->type())) {
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            if (widget->window() != this)
                return true;
        } else if (auto* window = qobject_cast<QWindow*>(watched)) {
            if (window != windowHandle())
                return true;
        }
    }
    return TKVFormXML::eventFilter(watched, event);
}

void TFrmLock::SetPrompt(const QString& text)
{
    m_sPrompt = text;
    if (m_pMsg)
        m_pMsg->SetCaption(text);
    update();
}

QString TFrmLock::Prompt() const
{
    return m_sPrompt;
}

void TFrmLock::DisableReturn()
{
    m_bReturnAllowed = false;
    if (m_pReturn)
        m_pReturn->setEnabled(false);
}

bool TFrmLock::ReturnAllowed() const
{
    return m_bReturnAllowed && (!m_pReturn || m_pReturn->isEnabled());
}

void TFrmLock::StartCloseTimer(int ms)
{
    TimerClose->start(ms);
}

bool TFrmLock::CloseTimerActive() const
{
    return TimerClose->isActive();
}

void TFrmLock::StartShowTimer()
{
    ShowTimer->start();
}

void TFrmLock::SetInput(const QString& text)
{
    m_sInput = text;
    if (m_pInput)
        m_pInput->SetCaption(text);
}

bool TFrmLock::InputRefused()
{
    if (!g_tries.pauseStart)
        return false;
    if (GetTickCount() - *g_tries.pauseStart < uint32_t(g_tries.pauseMs)) {
        SetInput(Text("PwdError"));
        return true;
    }
    g_tries.pauseStart.reset();
    return false;
}

void TFrmLock::FormKeyDown(int& key)
{
    // Keys stay on this screen: none reaches the station-wide handling.
    const int code = key;
    key = 0;
    if (!InputAllowed || InputRefused())
        return;
    const TKeyMap& keys = UiKeys();
    if (m_sInput == Text("PwdError"))
        SetInput(QString());
    if (code == keys.RETURN) {
        if (ReturnAllowed())
            close();
        return;
    }
    if (code == keys.ENTER) {
        if (!m_sInput.isEmpty())
            CheckTyped();
        return;
    }
    const int digit = UiDigitOfKey(code);
    if (digit >= 0) {
        Typed += QChar(u'0' + digit);
        SetInput(m_sInput + QLatin1Char('*'));
        return;
    }
    if (code == keys.BACKSPACE || code == keys.DELSONG) {
        m_sInput.chop(1);
        SetInput(m_sInput);
        Typed.chop(1);
    }
}

void TFrmLock::CheckTyped()
{
    TSetting* s = UiSetting();
    if (!s)
        return;
    QPointer<TFrmLock> self(this);
    if (DrinkMode) {
        const TLockRoomService& service = LockRoomService();
        const TStaffCard card = service.CheckStaffCard ? service.CheckStaffCard(Typed) : TStaffCard::NotChecked;
        Typed.clear();
        SetInput(QString());
        if (card == TStaffCard::NotChecked)
            return;
        if (card == TStaffCard::Wrong) {
            // A wrong card clears the input without a word, but counts.
            WrongPassword();
            if (!g_tries.pauseStart)
                SetInput(QString());
            return;
        }
        g_tries.wrong = 0;
        close();
        const bool submitted = service.SubmitOrders && service.SubmitOrders();
        ShowMessageText(submitted ? QStringLiteral("下单成功!") : QStringLiteral("下单失败!"));
        return;
    }
    const QString typed = Typed;
    auto correct = [] { g_tries.wrong = 0; };
    if (typed == s->TimesPwd && ShutdownMode) {
        correct();
        SetPrompt(Text("ProcTotalTimes"));
        repaint();
        UiLog(QStringLiteral("统计点唱率"));
        if (FrmData)
            FrmData->UpdatePlayStatistics();
        CloseStation(true);
        return;
    }
    if (typed == s->Password) {
        correct();
        const bool lockMode = LockMode, shutdownMode = ShutdownMode;
        close();
        if (lockMode) {
            // The room is now locked until Password is typed again.
            if (g_pFrmManager) {
                TKVFormXML* locked =
                    g_pFrmManager->OpenLock([](ILockScreen& l) { l.InputAllowed = true; }, Text("LockForLockEnd"));
                if (auto* purpose = dynamic_cast<ILockScreen*>(locked))
                    purpose->DisableReturn();
            }
        } else if (shutdownMode) {
            CloseStation(true);
        }
        return;
    }
    if (typed == s->Quitpwd && LockMode) {
        correct();
        CloseStation(false);
        return;
    }
    if (typed == s->AddSongPwd && AddSongMode) {
        correct();
        StartAddSongProgram();
        return;
    }
    // The adult-film and dance portals: their password opens them for good.
    for (const bool disco : {false, true}) {
        QString& value = disco ? s->Disco : s->Sex;
        if (typed != value || !(disco ? DiscoMode : SexMode))
            continue;
        correct();
        close();
        value = QStringLiteral("1");
        if (g_pFrmManager)
            disco ? g_pFrmManager->ShowDisco() : g_pFrmManager->ShowSex();
        return;
    }
    if (self)
        WrongPassword();
}

void TFrmLock::WrongPassword()
{
    Typed.clear();
    SetInput(Text("PwdError"));
    if (++g_tries.wrong < kPasswordTries)
        return;
    g_tries.wrong = 0;
    g_tries.pauseStart = GetTickCount();
    UiLog(QStringLiteral("密码连续错误%1次,暂停输入%2秒").arg(kPasswordTries).arg(g_tries.pauseMs / 1000));
}

void TFrmLock::StartAddSongProgram()
{
    const TSetting* s = UiSetting();
    const QString file = UiExeDir() + QStringLiteral("Song.exe");
    const QString caption = QString::fromUtf8(kAddSongCaption);
    const uint32_t now = GetTickCount();
    const bool waited = !g_lastAddSongStart || now - *g_lastAddSongStart > uint32_t(kAddSongWaitMs);
    if (!WindowExists(caption) && QFileInfo(file).isFile() && waited) {
        g_lastAddSongStart = now;
        if (FrmMediaPlayer && FrmMediaPlayer->Timer2()) {
            FrmMediaPlayer->m_bTimer2Saved = FrmMediaPlayer->Timer2()->isActive();
            FrmMediaPlayer->Timer2()->stop();
        }
        SetPrompt(Text("WaitingAddSong"));
        const int width = s ? s->ScreenWidth() : this->width();
        const int height = s ? s->ScreenHeight() : this->height();
        QProcess::startDetached(file, {QStringLiteral("%1*%2").arg(width).arg(height)}, UiExeDir());
    }
    if (WindowExists(caption))
        SwitchToWindow(caption);
    g_lastAddSongStart = now;
    TimerClose->start(kAddSongWaitMs);
}
