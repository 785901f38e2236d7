#include "playback/FrmMediaPlayer.h"

#include "core/Guard.h"
#include "core/Helpers.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "platform/keys/VirtualKeys.h"
#include "platform/windowlink/WindowLink.h"
#include "playback/InputDispatch.h"
#include "playback/PlayerLink.h"
#include "playback/SoundPlayer.h"
#include "playback/VolumeControl.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QRect>
#include <QScreen>
#include <QTimer>

TFrmMediaPlayer* FrmMediaPlayer = nullptr;

namespace {
QRect g_clip;
IStationServerLink g_silentLink;
} // namespace

QRect CursorClipRect()
{
    return g_clip;
}

void ClipCursorTo(const QRect& rect)
{
    g_clip = rect;
}

TFrmMediaPlayer::TFrmMediaPlayer(bool registerCaption, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool)
{
    setObjectName(QStringLiteral("FrmMediaPlayer"));
    // 1. The task bar goes while the station runs.
    ShowTaskBar(false);
    // 2. The caption other programs find the station by.
    const QString caption = g_pSetting ? g_pSetting->Client_Caption : playerlink::ClientCaption();
    setWindowTitle(caption);
    // 3. The control server link.
    m_pUdp = &g_silentLink;
    // 4. Out of sight.
    setGeometry(-1, -1, 1, 1);
    AudioPlayer = new TSoundPlayer(this);
    OsdPlayer = new TSoundPlayer(this);
    // 5. Initial values.
    const bool volumeMode = g_pSetting && g_pSetting->VolumeMode;
    m_nMusicLevel = 2;
    m_nMicLevel = volumeMode ? 2 : 50;
    m_nMixLevel = volumeMode ? 2 : 50;
    m_nKeyLevel = g_pSetting ? g_pSetting->KeyLevel : 0;
    m_nEffectLevel = 0;
    m_nChannel = 0;
    RefreshLevelNames();
    // 6. The devices start where the levels start.
    SendStartupCommands(*this);
    m_pTimer2 = new QTimer(this);
    m_pTimer2->setInterval(1000);
    connect(m_pTimer2, &QTimer::timeout, this, &TFrmMediaPlayer::Timer2Timer);
    m_pTimer2->start();
    if (registerCaption)
        m_pLink = playerlink::RegisterStationWindow(this, caption);
}

TFrmMediaPlayer::~TFrmMediaPlayer()
{
    FormDestroy();
    if (FrmMediaPlayer == this)
        FrmMediaPlayer = nullptr;
}

void TFrmMediaPlayer::SetServerLink(IStationServerLink* link)
{
    if (m_pUdp && m_pUdp != &g_silentLink)
        delete m_pUdp;
    m_pUdp = link ? link : &g_silentLink;
}

void TFrmMediaPlayer::RefreshLevelNames()
{
    m_pLevelNames.clear();
    if (g_pSetting) {
        const TTexts& t = g_pSetting->Texts;
        m_pLevelNames << t.Level1 << t.Level2 << t.Level3 << t.Level4 << t.Level5;
    } else {
        m_pLevelNames << QString() << QString() << QString() << QString() << QString();
    }
    m_pEffectNames.clear();
    m_pEffectNames << QStringLiteral("K歌") << QStringLiteral("专业") << QStringLiteral("整蛊")
                   << QStringLiteral("业余");
    m_pKeyNames.clear();
    const int level = g_pSetting ? qAbs(g_pSetting->KeyLevel) : 0;
    for (int i = -level; i <= level; ++i)
        m_pKeyNames << QString::number(i);
}

void TFrmMediaPlayer::FormKeyDown(int& key)
{
    TKVFormXML* top = g_pFrmManager ? g_pFrmManager->TopScreen() : nullptr;
    if (g_pSetting && g_pSetting->SmallScreen && key == g_pSetting->Keys.RETURN) {
        if (top) {
            top->show();
            SwitchToWindow(top);
        } else if (g_pFrmManager) {
            g_pFrmManager->ShowPortal();
        }
        return;
    }
    if (top) {
        SwitchToWindow(top);
        PostVkKeyDown(top, key);
    } else {
        RunGuarded(QStringLiteral("FrmMediaPlayer.FormKeyDown"), [key] { DispatchKey(key); });
    }
    key = 0;
}

void TFrmMediaPlayer::Timer2Timer()
{
    if (g_pSetting && g_pSetting->SmallScreen) {
        m_pTimer2->stop();
        return;
    }
    TKVFormXML* top = g_pFrmManager ? g_pFrmManager->TopScreen() : nullptr;
    QWidget* front = top ? static_cast<QWidget*>(top) : this;
    // Every tick, whether or not it holds the keyboard: the player's window
    // may cover the station without taking the focus from it, and only the
    // stacking order tells, which the station cannot read back.
    if (front->isVisible())
        SwitchToWindow(front);
    if (g_pSetting && g_pSetting->ClipCursor && g_pFrmManager)
        ClipCursorTo(QRect(0, 0, g_pFrmManager->m_nWidth, g_pFrmManager->m_nHeight));
}

void TFrmMediaPlayer::FormDestroy()
{
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    try {
        // 1.-2. Task bar and cursor back.
        ShowTaskBar(true);
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        // 3. The name lists.
        m_pLevelNames.clear();
        m_pKeyNames.clear();
        m_pEffectNames.clear();
        // 4.-5. "logout" to the control server, then the link goes. Every
        // way the station closes (CloseStation, SIGTERM, the window manager)
        // comes through here, so this is the one place it is said.
        if (g_pSetting && !g_pSetting->ControlServerIP.isEmpty())
            m_pUdp->SendLogout();
        SetServerLink(nullptr);
        // 6. The cursor may reach the whole screen again.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            ClipCursorTo(QRect(QPoint(0, 0), screen->size()));
        else
            ClipCursorTo(QRect());
        // 7. The player learns that the station closes.
        playerlink::PostCommand(playerlink::kCmdStationClosing);
        // 8. The programs of the first two menu slots close with it.
        if (g_pSetting) {
            for (int slot = 0; slot < 2; ++slot) {
                const auto& s = g_pSetting->MenuSlots[slot];
                if (s[0].isEmpty())
                    continue;
                const windowlink::WindowHandle w = windowlink::FindWindow(s[1]);
                if (w)
                    windowlink::PostClose(w);
            }
        }
    } catch (...) {
        // Closing goes on whatever failed.
    }
}

bool TFrmMediaPlayer::event(QEvent* e)
{
    if (e->type() == TVkKeyEvent::EventType()) {
        int key = static_cast<TVkKeyEvent*>(e)->Vk();
        FormKeyDown(key);
        return true;
    }
    return QWidget::event(e);
}

void TFrmMediaPlayer::keyPressEvent(QKeyEvent* e)
{
    int key = VkFromKeyEvent(e);
    if (key == 0) {
        QWidget::keyPressEvent(e);
        return;
    }
    FormKeyDown(key);
}

void TFrmMediaPlayer::closeEvent(QCloseEvent* e)
{
    // The main window going ends the program.
    QWidget::closeEvent(e);
    if (e->isAccepted()) {
        FormDestroy();
        QCoreApplication::quit();
    }
}
