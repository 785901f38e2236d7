#pragma once
// Test helpers for the player link: a program of the installation folder run
// as a child process whose output lines can be awaited, and a registered
// station window that records what the player posts to it.
#include "core/Gbk.h"
#include "playback/PlayerLink.h"
#include "support/ChildProcess.h"
#include "support/QtPrint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <memory>
#include <ostream>
#include <unistd.h>
#include <vector>

namespace playertest {

using testsupport::ExeDir;
using testsupport::WaitUntil;

inline QString UniqueCaption(const QString& stem)
{
    return testsupport::UniqueName(stem);
}

// A program of the installation folder run with its output collected.
class Program : public testsupport::ChildProcess
{
public:
    Program(const QString& name, const QStringList& args) : ChildProcess(ExeDir() + QLatin1Char('/') + name, args) {}
};

// The station's side: its window registered under a unique caption, the
// player caption set, every message handed to the hook recorded.
class Station
{
public:
    Station()
        : m_sClient(UniqueCaption(QStringLiteral("kroomclient"))), m_sPlayer(UniqueCaption(QStringLiteral("播放器")))
    {
        playerlink::SetClientCaption(m_sClient);
        playerlink::SetPlayerCaption(m_sPlayer);
        m_pLink = playerlink::RegisterStationWindow(&m_window);
        playerlink::SetStationMessageHook([this](const windowlink::WindowMessage& m) { messages.push_back(m); });
    }
    ~Station()
    {
        playerlink::SetStationMessageHook(nullptr);
        delete m_pLink;
    }
    bool Registered() const { return m_pLink->IsRegistered(); }
    const QString& ClientCaption() const { return m_sClient; }
    const QString& PlayerCaption() const { return m_sPlayer; }

    // Starts the player stand-in for this station.
    std::unique_ptr<Program> StartPlayer(QStringList extra)
    {
        QStringList args{QStringLiteral("--headless"), QStringLiteral("--caption"), m_sPlayer,
                         QStringLiteral("--client-caption"), m_sClient};
        args += extra;
        return std::make_unique<Program>(QStringLiteral("vodplayer"), args);
    }

    // Waits for a message; gives its index in `messages` or -1.
    int WaitMessage(uint32_t message, int64_t wParam, int64_t lParam, int timeoutMs = 5000)
    {
        int found = -1;
        WaitUntil(
            [&] {
                for (size_t i = m_nSeen; i < messages.size(); ++i) {
                    const windowlink::WindowMessage& m = messages[i];
                    if (m.message == message && m.wParam == wParam && m.lParam == lParam) {
                        found = int(i);
                        m_nSeen = i + 1;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }

    std::vector<windowlink::WindowMessage> messages;

private:
    QString m_sClient;
    QString m_sPlayer;
    QWidget m_window;
    windowlink::LinkWindow* m_pLink = nullptr;
    size_t m_nSeen = 0;
};

// The player commands (message 2027) among messages the player received.
inline QList<int64_t> CommandCodes(const QList<windowlink::WindowMessage>& received)
{
    QList<int64_t> codes;
    for (const auto& m : received) {
        if (m.message == playerlink::kMsgCommand)
            codes.append(m.wParam);
    }
    return codes;
}

} // namespace playertest
