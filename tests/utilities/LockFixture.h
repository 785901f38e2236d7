#pragma once
// A skin with the lock screen, the message screen and the adult-film and
// dance portals, loaded by a form manager with the station's screen classes;
// closing the station is recorded instead of ending the test, and powering
// off writes a line into a file.
#include "core/Gbk.h"
#include "core/Station.h"
#include "tests/ui/UiTestUtil.h"
#include "ui/StationScreens.h"
#include "utilities/FrmLock.h"
#include "utilities/FrmMsg.h"
#include "utilities/UtilityScreens.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace locktest {

using uitest::Button;
using uitest::FlushEvents;

inline QString PortalWithGates()
{
    return Button("Song", 0, 0, 100, 40, "song") + QStringLiteral("<Movie>") + Button("m1", 0, 0, 10, 10, "1") +
           QStringLiteral("<Sex>") + Button("s1", 0, 0, 10, 10, "1") + QStringLiteral("</Sex></Movie><Disco>") +
           Button("d1", 0, 0, 10, 10, "1") + QStringLiteral("</Disco>");
}

inline QString LockAndMessageForms(const QString& lockAttributes = QString())
{
    QString lock =
        QStringLiteral("<frmlock %1>").arg(lockAttributes) + Button("Msg", 0, 0, 600, 40, "", "showcaption=\"1\"") +
        Button("Input", 0, 50, 600, 40, "", "showcaption=\"1\"") + Button("Return", 0, 500, 100, 40, "return") +
        Button("Enter", 120, 500, 100, 40, "enter") + Button("NumDel", 240, 500, 100, 40, "backspace");
    for (int d = 0; d < 10; ++d)
        lock += Button(QStringLiteral("Num%1").arg(d), 60 * d, 100, 50, 50, QString::number(d));
    lock += QStringLiteral("</frmlock>");
    const QString msg =
        QStringLiteral("<frmmsg autoclose=\"9\" left=\"100\" top=\"100\" width=\"400\" height=\"200\">") +
        Button("Msg", 10, 10, 380, 100, "", "showcaption=\"1\"") + QStringLiteral("</frmmsg>");
    return QStringLiteral("<public><form>") + lock + msg + QStringLiteral("</form></public>");
}

class LockTest : public uitest::UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        RegisterUtilityScreens();
        ResetPasswordTries();
        ResetLogForTests();
        m_pSetting->Debug = true;
        m_pSetting->Password = QStringLiteral("9825");
        m_pSetting->Quitpwd = QStringLiteral("7490");
        m_pSetting->TimesPwd = QStringLiteral("8421");
        m_pSetting->AddSongPwd = QStringLiteral("3580");
        m_pSetting->Texts.PwdError = QStringLiteral("密码错误!");
        m_pSetting->Texts.LockHint = QStringLiteral("包厢已锁定");
        m_sPowerOff = m_sExe + QStringLiteral("poweroff.txt");
        qputenv("VOD_POWEROFF_COMMAND", QStringLiteral("echo off >> '%1'").arg(m_sPowerOff).toUtf8());
        TStationClosers closers;
        closers.CloseAllScreens = [this] { m_pManager->CloseAll(); };
        closers.CloseMainForm = [this] { ++m_nStationClosed; };
        SetStationClosers(std::move(closers));
        UiHooks().DispatchKey = [this](int key) { m_aDispatched.append(key); };
    }
    void TearDown() override
    {
        SetStationClosers(TStationClosers());
        qunsetenv("VOD_POWEROFF_COMMAND");
        ResetPasswordTries();
        UiTest::TearDown();
    }
    void LoadLockSkin(const QString& lockAttributes = QString())
    {
        LoadSkin(PortalWithGates(), LockAndMessageForms(lockAttributes));
    }

    static TFrmLock* OpenLock() { return qobject_cast<TFrmLock*>(g_pLockScreen.data()); }
    // Keys typed on the screen as a guest does (digits, Enter, Escape, Backspace).
    static void Type(QWidget* screen, const QString& text)
    {
        for (const QChar c : text)
            QTest::keyClick(screen, c.toLatin1());
        FlushEvents();
    }
    static void Enter(QWidget* screen)
    {
        QTest::keyClick(screen, Qt::Key_Return);
        FlushEvents();
    }
    static void Click(TKVFormXML* screen, const QString& control)
    {
        QWidget* w = screen->FindControl(control);
        ASSERT_NE(w, nullptr) << control.toStdString();
        QTest::mouseClick(w, Qt::LeftButton);
        FlushEvents();
    }
    bool PoweredOff(int timeoutMs = 5000) const
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (QFile::exists(m_sPowerOff))
                return true;
            QTest::qWait(20);
        }
        return false;
    }
    QString Log() const
    {
        QFile f(m_sExe + QStringLiteral("LogVod.txt"));
        return f.open(QIODevice::ReadOnly) ? ToWide(f.readAll()) : QString();
    }
    // A lock screen without input, as the control server opens it.
    TFrmLock* ServerLock()
    {
        return qobject_cast<TFrmLock*>(m_pManager->OpenLock([](ILockScreen&) {}, m_pSetting->Texts.LockHint));
    }

    QString m_sPowerOff;
    int m_nStationClosed = 0;
    QList<int> m_aDispatched;
};

} // namespace locktest
