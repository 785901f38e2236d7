#pragma once
// A station in this process on a small demo installation: the catalogue data
// module, the form manager with every screen class, the hidden main window,
// the input dispatch as the application's event filter, and a window that
// stands for the player program and records what the station tells it.
#include "PlayerProcess.h"
#include "catalogue/FrmData.h"
#include "core/Setting.h"
#include "platform/windowlink/WindowLink.h"
#include "playback/FrmMediaPlayer.h"
#include "playback/FrmOther.h"
#include "playback/PlaybackScreens.h"
#include "playback/InputDispatch.h"
#include "screens/SongScreens.h"
#include "support/GuestInput.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/StationScreens.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "utilities/FrmMsg.h"
#include "utilities/UtilityScreens.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace playertest {

class DemoStation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Installation().isEmpty());

        m_sPlayer = UniqueCaption(QStringLiteral("demo-player"));
        playerlink::SetPlayerCaption(m_sPlayer);
        m_pPlayer = std::make_unique<windowlink::LinkWindow>(m_sPlayer);
        ASSERT_TRUE(m_pPlayer->IsRegistered());
        QObject::connect(m_pPlayer.get(), &windowlink::LinkWindow::MessageReceived,
                         [this](const windowlink::WindowMessage& m) { m_aPosted.append(m); });
        QObject::connect(m_pPlayer.get(), &windowlink::LinkWindow::CopyDataReceived,
                         [this](const windowlink::CopyDataRecord& r) { m_aCopied.append(r); });

        TFrmDataOptions options;
        options.exeDir = Installation();
        options.instances = &m_noOther;
        options.runProgram = [] {};
        options.showError = [](const QString&) {};
        TFrmDataHooks hooks;
        hooks.installMessageHandler = [](TFrmData&) { InstallInputDispatch(); };
        hooks.installIdleHandler = [](TFrmData&) { InstallIdleHandler(); };
        hooks.createPicShow = [this](TFrmData& data, int) { CreatePicShow(data, m_nIdleMs); };
        SetFrmDataHooks(std::move(hooks));
        m_pData = std::make_unique<TFrmData>(options);
        m_pData->WaitForLoader();
        g_pSetting->NeedLogin = false;
        g_pSetting->VideoScreenCount = 2;

        g_pFrmManager = new TKVFormManager();
        RegisterSongScreens();
        RegisterUtilityScreens();
        RegisterPlaybackScreens();
        UiHooks().DispatchKey = [](int key) { DispatchKey(key); };
        FrmMediaPlayer = new TFrmMediaPlayer(false);
        UiHooks().MainForm = [] { return static_cast<QWidget*>(FrmMediaPlayer); };
        g_pFrmManager->LoadSkin(g_pSetting->SkinDir() + QStringLiteral("buttons.xml"));
        ASSERT_NE(g_pFrmManager->TopScreen(), nullptr);
        Settle();
    }
    void TearDown() override
    {
        if (g_pFrmManager)
            g_pFrmManager->CloseAll();
        Settle();
        RemoveInputDispatch();
        delete FrmMediaPlayer;
        FrmMediaPlayer = nullptr;
        delete g_pFrmManager;
        g_pFrmManager = nullptr;
        ResetUiHooks();
        DispatchDevices() = TDispatchDevices();
        m_pData.reset();
        SetFrmDataHooks(TFrmDataHooks());
        playerlink::SetPlayerCaption(QStringLiteral("Test Player"));
    }

    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    static TKVFormXML* Top() { return g_pFrmManager->TopScreen(); }
    // A touch on a named control of the front screen.
    static bool Tap(const QString& control)
    {
        TKVFormXML* top = Top();
        QWidget* w = top ? top->FindControl(control) : nullptr;
        if (!w)
            return false;
        guest::TapOn(w);
        Settle();
        return true;
    }
    // The text of the open message screen (empty when none is open).
    static QString Message()
    {
        for (TKVFormXML* s : g_pFrmManager->OpenScreens()) {
            if (auto* msg = qobject_cast<TFrmMsg*>(s))
                return msg->m_pMsg ? msg->m_pMsg->Caption() : QString();
        }
        return QString();
    }
    static bool IsOpen(const QString& node)
    {
        for (TKVFormXML* s : g_pFrmManager->OpenScreens()) {
            if (TKVFormManager::NodeName(s->m_pNode) == node)
                return true;
        }
        return false;
    }
    QList<int64_t> Commands() const { return CommandCodes(m_aPosted); }
    const TKeyMap& Keys() const { return g_pSetting->Keys; }

    struct : IInstanceWindows
    {
        bool FindAndRestore(const QString&) override { return false; }
    } m_noOther;
    // One demo installation for the tests of this program, written once (the
    // queue carries over from test to test); empty when it failed.
    static QString Installation()
    {
        static QTemporaryDir dir;
        static const bool written = [] {
            QProcess demo;
            demo.start(ExeDir() + QStringLiteral("/vod-demo"),
                       {dir.path(), QStringLiteral("--songs"), QStringLiteral("30"), QStringLiteral("--photos"),
                        QStringLiteral("1")});
            return demo.waitForFinished(120000) && demo.exitCode() == 0;
        }();
        return written ? dir.path() : QString();
    }
    QString m_sPlayer;
    std::unique_ptr<windowlink::LinkWindow> m_pPlayer;
    QList<windowlink::WindowMessage> m_aPosted;
    QList<windowlink::CopyDataRecord> m_aCopied;
    std::unique_ptr<TFrmData> m_pData;
    // The picture show's countdown.
    int m_nIdleMs = 300;
};

} // namespace playertest
