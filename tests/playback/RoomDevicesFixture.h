#pragma once
// A demo installation whose volume device and central control unit are
// socat pseudo-terminals: the catalogue's Setting table names the ports and
// their command strings, vod.ini maps the port numbers to the terminals, and
// the station's data module, form manager and main window are brought up the
// way the start-up does. A registered player window records what the station
// tells the player.
#include "catalogue/FrmData.h"
#include "core/Gbk.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "playback/FrmMediaPlayer.h"
#include "playback/InputDispatch.h"
#include "playback/PlaybackScreens.h"
#include "playback/PlayerLink.h"
#include "playback/RoomDevices.h"
#include "playback/SerialDevices.h"
#include "support/ChildProcess.h"
#include "support/PtyPair.h"
#include "ui/KVFormManager.h"
#include "ui/StationScreens.h"
#include "ui/UiHooks.h"
#include "utilities/UtilityScreens.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace devicetest {

using testsupport::PtyPair;
using testsupport::WaitUntil;

// Command strings that tell on the wire which entry was sent: the volume
// device's Mic<n> is 0x10 n, Mix<n> 0x20 n, Music<n> 0x30 n, Key<n> 0x40 n,
// Effect<n> 0x50 n; the central control unit's entries are 0xC1..0xC5 n and
// its service command 0xC6 0xFF.
inline QByteArray Cmd(int head, int entry)
{
    return QByteArray() + char(head) + char(entry);
}

struct Row
{
    QString type, name, value;
};

inline QList<Row> DeviceRows(int com, int ccu)
{
    QList<Row> rows;
    const auto hex = [](int head, int n) { return QString::asprintf("%02X%02X", head, n); };
    rows << Row{"Volume", "COM", QString::number(com)} << Row{"Volume", "MicMax", "100"}
         << Row{"Volume", "MusicMax", "100"} << Row{"Volume", "KeyLevel", "6"}
         << Row{"CCU", "COM_CCU", QString::number(ccu)};
    for (int n = 0; n < 100; ++n) {
        rows << Row{"Volume", QStringLiteral("Mic%1").arg(n), hex(0x10, n)}
             << Row{"Volume", QStringLiteral("Mix%1").arg(n), hex(0x20, n)}
             << Row{"Volume", QStringLiteral("Music%1").arg(n), hex(0x30, n)};
    }
    for (int n = 0; n <= 12; ++n)
        rows << Row{"Volume", QStringLiteral("Key%1").arg(n), hex(0x40, n)};
    for (int n = 0; n < 4; ++n)
        rows << Row{"Volume", QStringLiteral("Effect%1").arg(n), hex(0x50, n)};
    for (int n = 0; n < 3; ++n) {
        rows << Row{"CCU", QStringLiteral("Mic%1").arg(n), hex(0xC1, n)}
             << Row{"CCU", QStringLiteral("Mix%1").arg(n), hex(0xC2, n)}
             << Row{"CCU", QStringLiteral("Music%1").arg(n), hex(0xC3, n)}
             << Row{"CCU", QStringLiteral("Key%1").arg(n), hex(0xC4, n)};
    }
    for (int n = 0; n < 4; ++n)
        rows << Row{"CCU", QStringLiteral("Effect%1").arg(n), hex(0xC5, n)};
    rows << Row{"CCU", "Service", "C6FF"} << Row{"vod", "Debug", "1"};
    return rows;
}

class RoomDevicesTest : public ::testing::Test
{
public:
    static void SetUpTestSuite()
    {
        s_pDemo = new QTemporaryDir();
        QProcess demo;
        demo.start(testsupport::ExeDir() + QStringLiteral("/vod-demo"),
                   {s_pDemo->path(), QStringLiteral("--songs"), QStringLiteral("20"), QStringLiteral("--photos"),
                    QStringLiteral("1")});
        demo.waitForFinished(120000);
        s_bDemoMade = demo.exitStatus() == QProcess::NormalExit && demo.exitCode() == 0;
    }
    static void TearDownTestSuite()
    {
        delete s_pDemo;
        s_pDemo = nullptr;
    }

protected:
    void SetUp() override
    {
        ASSERT_TRUE(s_bDemoMade);
        ASSERT_TRUE(m_volume.Ready());
        ASSERT_TRUE(m_ccu.Ready());
        ResetLogForTests();
        // A fresh copy of the installation for each test.
        QProcess copy;
        copy.start(QStringLiteral("cp"), {QStringLiteral("-a"), s_pDemo->path() + QStringLiteral("/."), m_dir.path()});
        ASSERT_TRUE(copy.waitForFinished(30000));
        m_sPlayer = testsupport::UniqueName(QStringLiteral("devices-player"));
        playerlink::SetPlayerCaption(m_sPlayer);
        m_pPlayer = std::make_unique<windowlink::LinkWindow>(m_sPlayer);
        ASSERT_TRUE(m_pPlayer->IsRegistered());
        QObject::connect(m_pPlayer.get(), &windowlink::LinkWindow::MessageReceived,
                         [this](const windowlink::WindowMessage& m) { toPlayer.append(m); });
        m_pPlayer->SetCopyDataHandler([this](const windowlink::CopyDataRecord& r) {
            copies.append(r);
            return 1;
        });
    }
    void TearDown() override
    {
        if (g_pFrmManager)
            g_pFrmManager->CloseAll();
        delete FrmMediaPlayer;
        FrmMediaPlayer = nullptr;
        delete g_pFrmManager;
        g_pFrmManager = nullptr;
        RemoveRoomDevices();
        RemoveInputDispatch();
        DispatchDevices().ShowMessageText = nullptr;
        ResetUiHooks();
        m_pData.reset();
        playerlink::SetPlayerCaption(QStringLiteral("Test Player"));
        playerlink::SetClientCaption(QStringLiteral("kroomclient"));
    }

    QString Path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

    // Writes the Setting rows into the installation's catalogue.
    void WriteRows(const QList<Row>& rows)
    {
        const QString name = testsupport::UniqueName(QStringLiteral("rows"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(Path(QStringLiteral("data/kroom.db")));
            ASSERT_TRUE(db.open());
            db.transaction();
            QSqlQuery q(db);
            for (const Row& r : rows) {
                q.prepare(QStringLiteral("DELETE FROM Setting WHERE type=? AND name=?"));
                q.addBindValue(r.type);
                q.addBindValue(r.name);
                q.exec();
                q.prepare(QStringLiteral("INSERT INTO Setting (type, name, value) VALUES (?,?,?)"));
                q.addBindValue(r.type);
                q.addBindValue(r.name);
                q.addBindValue(r.value);
                ASSERT_TRUE(q.exec());
            }
            db.commit();
        }
        QSqlDatabase::removeDatabase(name);
    }

    // Maps port numbers to device paths in vod.ini.
    void MapPorts(const QList<QPair<int, QString>>& ports)
    {
        QFile ini(Path(QStringLiteral("vod.ini")));
        ASSERT_TRUE(ini.open(QIODevice::Append));
        ini.write("\r\n[SerialPorts]\r\n");
        for (const auto& p : ports)
            ini.write(QStringLiteral("COM%1=%2\r\n").arg(p.first).arg(p.second).toUtf8());
    }

    // Binds commands to keys in keyboard.ini (as a venue binds its remote
    // keypad's keys), replacing the demo's bindings.
    void BindKeys(const QList<QPair<QString, int>>& bindings)
    {
        QFile f(Path(QStringLiteral("keyboard.ini")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = f.readAll().split('\n');
        f.close();
        for (const auto& b : bindings) {
            for (QByteArray& line : lines) {
                if (line.startsWith(b.first.toLatin1() + '='))
                    line = b.first.toLatin1() + '=' + QByteArray::number(b.second) + '\r';
            }
        }
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(lines.join('\n'));
    }

    // The station as the start-up brings it up: data module (opening the
    // ports), form manager, main window (start-up commands), skin and portal.
    void StartStation(bool volumeMode = true)
    {
        WriteRows({Row{"vod", "VolumeMode", volumeMode ? "1" : "0"}});
        TFrmDataHooks hooks;
        hooks.installMessageHandler = [](TFrmData&) { InstallInputDispatch(); };
        hooks.openSerialPorts = OpenSerialPorts;
        SetFrmDataHooks(hooks);
        TFrmDataOptions options;
        options.exeDir = m_dir.path();
        options.instances = &m_noOther;
        options.runProgram = [] {};
        options.showError = [](const QString&) {};
        m_pData = std::make_unique<TFrmData>(options);
        m_pData->WaitForLoader();
        g_pSetting->NeedLogin = false;
        g_pSetting->ShowScreen = 0;
        g_pFrmManager = new TKVFormManager();
        RegisterUiScreens();
        RegisterUtilityScreens();
        RegisterPlaybackScreens();
        UiHooks().DispatchKey = [](int key) { DispatchKey(key); };
        DispatchDevices().ShowMessageText = [](const QString& text) { ShowMessageText(text); };
        // The main window under a caption of its own: the tests post to it
        // as the player does.
        g_pSetting->Client_Caption = testsupport::UniqueName(QStringLiteral("devices-station"));
        playerlink::SetClientCaption(g_pSetting->Client_Caption);
        FrmMediaPlayer = new TFrmMediaPlayer(true);
        InstallRoomDevices();
        UiHooks().MainForm = [] { return static_cast<QWidget*>(FrmMediaPlayer); };
        g_pFrmManager->LoadSkin(g_pSetting->SkinDir() + QStringLiteral("buttons.xml"));
        ASSERT_NE(g_pFrmManager->TopScreen(), nullptr);
        Settle();
    }

    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    // The log's lines of this run.
    QStringList LogLines() const
    {
        QFile f(Path(QStringLiteral("LogVod.txt")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QString text = ToWideLine(line);
            const int at = text.indexOf(QStringLiteral(": "));
            if (at >= 0)
                lines << text.mid(at + 2);
        }
        return lines;
    }
    static QString ToWideLine(QByteArray line)
    {
        if (line.endsWith('\r'))
            line.chop(1);
        return ToWide(line);
    }

    // The texts the player was asked to show with a display kind.
    QStringList PlayerTexts(int kind)
    {
        Settle();
        QStringList texts;
        for (const auto& r : copies) {
            if (r.wParam == playerlink::kCopyShowText && r.dwData == uint64_t(kind))
                texts << ToWide(r.data);
        }
        return texts;
    }
    // The volumes (command 20) the player was told.
    QList<int64_t> PlayerVolumes()
    {
        Settle();
        QList<int64_t> volumes;
        for (const auto& m : toPlayer) {
            if (m.message == playerlink::kMsgVolume && m.wParam == playerlink::kCmdVolume)
                volumes << m.lParam;
        }
        return volumes;
    }

    class NoOther : public IInstanceWindows
    {
    public:
        bool FindAndRestore(const QString&) override { return false; }
    } m_noOther;
    QTemporaryDir m_dir;
    PtyPair m_volume;
    PtyPair m_ccu;
    QString m_sPlayer;
    std::unique_ptr<windowlink::LinkWindow> m_pPlayer;
    QList<windowlink::WindowMessage> toPlayer;
    QList<windowlink::CopyDataRecord> copies;
    std::unique_ptr<TFrmData> m_pData;

    static inline QTemporaryDir* s_pDemo = nullptr;
    static inline bool s_bDemoMade = false;
};

} // namespace devicetest
