// The other functions screen of the demo skin, touched as a guest does: the
// room lock, the add-song program, shutting down, the video recording key
// and a guest's disc in a drive (a folder the test makes, mounted by a mount
// table and labels of the test's own).
#include "DemoStation.h"
#include "playback/DiscPlay.h"
#include "utilities/FrmLock.h"

#include <QDir>
#include <QFile>
#include <functional>

using namespace playertest;

namespace {

class OtherTest : public DemoStation
{
protected:
    OtherTest() { m_nIdleMs = 3600 * 1000; }
    void SetUp() override
    {
        DemoStation::SetUp();
        if (HasFatalFailure())
            return;
        m_sDrive = m_drive.path() + u'/';
        QDir().mkpath(m_sDrive + QStringLiteral("disc"));
        QDir().mkpath(m_sDrive + QStringLiteral("labels"));
        QFile(m_sDrive + QStringLiteral("sr0")).open(QIODevice::WriteOnly);
        qputenv("VOD_MOUNTS_FILE", (m_sDrive + QStringLiteral("mounts")).toUtf8());
        qputenv("VOD_DISK_LABELS_DIR", (m_sDrive + QStringLiteral("labels")).toUtf8());
        Mount(QString());
        ASSERT_TRUE(Tap(QStringLiteral("others"))); // the portal's "more"
        ASSERT_TRUE(qobject_cast<TFrmOther*>(Top()));
    }
    void TearDown() override
    {
        qunsetenv("VOD_MOUNTS_FILE");
        qunsetenv("VOD_DISK_LABELS_DIR");
        DemoStation::TearDown();
    }
    // The disc's files in an optical drive with a labelled disc; no type:
    // only a hard disk is mounted.
    void Mount(const QString& type, const QStringList& files = {})
    {
        QFile mounts(m_sDrive + QStringLiteral("mounts"));
        ASSERT_TRUE(mounts.open(QIODevice::WriteOnly | QIODevice::Truncate));
        mounts.write("/dev/sda1 / ext4 rw 0 0\n");
        if (!type.isEmpty())
            mounts.write(QStringLiteral("%1sr0 %1disc %2 ro 0 0\n").arg(m_sDrive, type).toUtf8());
        QFile::link(m_sDrive + QStringLiteral("sr0"), m_sDrive + QStringLiteral("labels/GUEST"));
        QDir(m_sDrive + QStringLiteral("disc")).removeRecursively();
        for (const QString& f : files) {
            QDir().mkpath(QFileInfo(Disc() + f).absolutePath());
            QFile(Disc() + f).open(QIODevice::WriteOnly);
        }
    }
    QString Disc() const { return m_sDrive + QStringLiteral("disc/"); }
    // Touches PlayCD and waits until the disc has been handled.
    void PlayDisc()
    {
        ASSERT_TRUE(Tap(QStringLiteral("PlayCD")));
        ASSERT_TRUE(WaitUntil([] { return !TDiscPlay::Running(); }, 10000));
        Settle();
    }
    // Closes the screens in front of the other functions screen.
    static void BackToOthers()
    {
        while (!qobject_cast<TFrmOther*>(Top())) {
            Top()->close();
            Settle();
        }
    }
    int QueueCount()
    {
        m_pData->m_pOrder->Refresh();
        return m_pData->m_pOrder->RecordCount();
    }

    QTemporaryDir m_drive;
    QString m_sDrive;
};

} // namespace

TEST_F(OtherTest, LockAddSongAndShutdownOpenTheLockScreenForTheirPurposeAndRecordingRecords)
{
    // Taps a button and checks the lock screen it opens before closing it
    // (a closed lock screen frees itself).
    const auto lockFor = [&](const QString& button, const std::function<void(TFrmLock*)>& check) {
        EXPECT_TRUE(Tap(button));
        auto* lock = qobject_cast<TFrmLock*>(g_pLockScreen.data());
        ASSERT_NE(lock, nullptr) << qPrintable(button);
        EXPECT_TRUE(lock->InputAllowed);
        check(lock);
        lock->close();
        Settle();
    };
    lockFor(QStringLiteral("Lock"), [](TFrmLock* lock) {
        EXPECT_TRUE(lock->LockMode && !lock->AddSongMode);
        EXPECT_EQ(lock->Prompt(), g_pSetting->Texts.LockForLockBegin);
    });
    lockFor(QStringLiteral("Softer"), [](TFrmLock* lock) {
        EXPECT_TRUE(lock->AddSongMode && !lock->LockMode);
        EXPECT_EQ(lock->Prompt(), g_pSetting->Texts.LockForAddSong);
    });
    // The power key's shutdown password.
    lockFor(QStringLiteral("ShutDown"), [](TFrmLock* lock) { EXPECT_TRUE(lock->ShutdownMode); });

    // Two video screens: the player records.
    ASSERT_TRUE(Tap(QStringLiteral("SongVideo1")));
    ASSERT_TRUE(WaitUntil([&] { return Commands().contains(playerlink::kCmdRecordVideo); }, 3000));
    EXPECT_EQ(Commands().count(playerlink::kCmdRecordVideo), 1);
    EXPECT_EQ(qobject_cast<TFrmOther*>(Top())->ButtonCode(QStringLiteral("NoSuchButton")), 0);
}

TEST_F(OtherTest, DiscsAreQueuedOrPlayedAndTheGuestIsToldWhatHappened)
{
    // No optical drive: that message only.
    PlayDisc();
    EXPECT_EQ(Message(), g_pSetting->Texts.ReadDiscoError);
    QTest::qWait(100);
    EXPECT_EQ(Message(), g_pSetting->Texts.ReadDiscoError);
    BackToOthers();

    Mount(QStringLiteral("udf"), {"README.TXT"});
    PlayDisc();
    EXPECT_EQ(Message(), g_pSetting->Texts.ReadDiscoNoFile);
    BackToOthers();

    // Three films: queued, the ordered songs open, the count is shown.
    Mount(QStringLiteral("iso9660"), {"one.avi", "films/two.AVI", "films/more/three.avi", "films/cover.jpg"});
    const int before = QueueCount();
    PlayDisc();
    EXPECT_EQ(QueueCount(), before + 3);
    EXPECT_TRUE(IsOpen(QStringLiteral("frmorder")));
    EXPECT_EQ(Message(), g_pSetting->Texts.ReadDiscoOK + QStringLiteral("3"));
    DataSet& q = *m_pData->m_pOrder;
    q.Last();
    EXPECT_EQ(q.FieldByName(QStringLiteral("FilePath")).AsString(), Disc() + QStringLiteral("films/more/three.avi"));
    BackToOthers();

    // A DVD is played at once: nothing queued, no message.
    Mount(QStringLiteral("udf"), {"VIDEO_TS/VIDEO_TS.IFO", "VIDEO_TS/VTS_01_1.VOB"});
    PlayDisc();
    ASSERT_TRUE(WaitUntil([&] { return !m_aCopied.isEmpty(); }, 3000));
    EXPECT_EQ(m_aCopied.last().wParam, playerlink::kCopyPlayNow);
    EXPECT_EQ(ToWide(m_aCopied.last().data), Disc() + QStringLiteral("VIDEO_TS/VIDEO_TS.IFO"));
    EXPECT_EQ(QueueCount(), before + 3);
    EXPECT_EQ(Message(), QString());
}
