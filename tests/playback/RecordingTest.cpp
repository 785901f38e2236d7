// Recording with the player stand-in as a real process: the record screen's
// keys ask the player to record the playing song under the station's file
// name, stop it, play it back (the sound here, the song's video muted at the
// player) and ask the control server for a disc; the on-screen pictures go to
// the player with their sounds.
#include "playback/Recording.h"

#include "RoomDevicesFixture.h"
#include "net/UdpTestServer.h"
#include "playback/FrmRecord.h"
#include "playback/SoundPlayer.h"
#include "support/GuestInput.h"
#include "ui/SubTitle.h"

#include <QDateTime>

using namespace devicetest;

namespace {

class RecordingTest : public RoomDevicesTest
{
protected:
    void SetUp() override
    {
        RoomDevicesTest::SetUp();
        m_pPlayer.reset(); // the real player takes the caption
    }
    void TearDown() override
    {
        m_pRealPlayer.reset();
        RoomDevicesTest::TearDown();
    }

    // The station with recording on, the song "My Song" (number 807 here)
    // playing at the player stand-in.
    void StartPlaying(bool canRecord = true)
    {
        QList<Row> rows{{"vod", "CanRecordAudio", canRecord ? "1" : "0"},
                        {"vod", "RecordDir", m_rec.path() + QStringLiteral("/")},
                        {"vod", "Debug", "1"}};
        WriteRows(rows);
        {
            const QString name = testsupport::UniqueName(QStringLiteral("song"));
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(Path(QStringLiteral("data/kroom.db")));
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("SELECT SongNo FROM song ORDER BY SongNo LIMIT 1")) && q.next());
            m_sOldNo = q.value(0).toString();
            ASSERT_TRUE(q.exec(QStringLiteral("UPDATE song SET SongNo='807' WHERE SongNo='%1'").arg(m_sOldNo)));
            ASSERT_TRUE(q.exec(
                QStringLiteral("UPDATE original SET SONGNO='807', Name='My Song' WHERE SONGNO='%1'").arg(m_sOldNo)));
            ASSERT_TRUE(q.exec(QStringLiteral("SELECT FilePath FROM song WHERE SongNo='807'")) && q.next());
            m_sVideo = q.value(0).toString();
            ASSERT_FALSE(m_sVideo.isEmpty());
            db.close();
        }
        StartStation(true);
        m_pRealPlayer = std::make_unique<testsupport::ChildProcess>(
            testsupport::ExeDir() + QStringLiteral("/vodplayer"),
            QStringList{QStringLiteral("--headless"), QStringLiteral("--caption"), m_sPlayer,
                        QStringLiteral("--client-caption"), g_pSetting->Client_Caption, QStringLiteral("--queue"),
                        Path(QStringLiteral("data/order.dbf")), QStringLiteral("--song-ms"), QStringLiteral("60000"),
                        QStringLiteral("--poll-ms"), QStringLiteral("100")});
        ASSERT_FALSE(m_pRealPlayer->WaitLine(QStringLiteral("ready")).isEmpty()) << qPrintable(m_pRealPlayer->Errors());
        ASSERT_TRUE(FrmData->OrderSongByNumber(QStringLiteral("807")));
        ASSERT_FALSE(m_pRealPlayer->WaitLine(QStringLiteral("play ")).isEmpty());
        // The station sees the song playing (the player marked it in the queue file).
        ASSERT_TRUE(WaitUntil([] { return CanStartRecording(); })) << qPrintable(m_pRealPlayer->Output());
    }
    TFrmRecord* OpenRecordScreen()
    {
        guest::TapOn(g_pFrmManager->TopScreen()->FindControl(QStringLiteral("MainRecord")));
        TFrmRecord* screen = nullptr;
        WaitUntil([&] {
            screen = qobject_cast<TFrmRecord*>(g_pFrmManager->TopScreen());
            return screen && screen->m_pRecord;
        });
        return screen;
    }
    QString PlayerLine(const QString& start) { return m_pRealPlayer->WaitLine(start); }

    QTemporaryDir m_rec;
    QString m_sOldNo, m_sVideo;
    std::unique_ptr<testsupport::ChildProcess> m_pRealPlayer;
};

} // namespace

TEST(RecordingNames, FileNameAndTheSongNumberItCarries)
{
    const QDateTime when(QDate(2009, 3, 5), QTime(21, 7, 40));
    EXPECT_EQ(RecordingFileName("D:/Rec/", "room1", "807", "My Song", when, ""),
              "D:/Rec/room1_807#My_Song#2009-03-05-21-07#.avi");
    EXPECT_EQ(RecordingFileName("", "r_2", "12", " 月 亮 ", when, "u9"), "r_2_12#_月_亮_#2009-03-05-21-07#u9.avi");
    EXPECT_EQ(SongNoOfRecording("/rec/my_dir/room1_807#My_Song#2009-03-05-21-07#.avi", "room1"), "807");
    EXPECT_EQ(SongNoOfRecording("/rec/r_2_12#x#y#.avi", "r_2"), "12");
    EXPECT_EQ(SongNoOfRecording("/rec/other_55#x#y#.avi", "room1"), "55");
    EXPECT_EQ(SongNoOfRecording("/rec/room1_#x.avi", "room1"), "");
    EXPECT_EQ(SongNoOfRecording("/rec/nothing.avi", "room1"), "");
    EXPECT_EQ(OsdSoundName("3.bmp"), "3.wav");
    EXPECT_EQ(OsdSoundName("cheer_2#x.bmp"), "cheer.wav");
    EXPECT_EQ(OsdSoundName("a.b.c"), "a.wav");
    EXPECT_EQ(OsdSoundName("ab_"), "ab_.wav");
    EXPECT_EQ(OsdSoundName("x"), "x.wav");
}

TEST_F(RecordingTest, RecordStopPlayBackAndDiscFromTheRecordScreen)
{
    udptest::TestServer server;
    ASSERT_TRUE(server.Ready());
    ASSERT_NO_FATAL_FAILURE(StartPlaying());
    FrmMediaPlayer->SetServerLink(server.Link().release());
    DispatchDevices().SendToServer = [](const QByteArray& text) { return FrmMediaPlayer->ServerLink()->Send(text); };

    TFrmRecord* screen = OpenRecordScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(screen->m_pRecord->isEnabled());
    EXPECT_FALSE(screen->m_pStop->isEnabled());
    EXPECT_FALSE(screen->m_pPlay->isEnabled());

    // 1: the player records under the station's name and says so.
    const QDateTime before = QDateTime::currentDateTime();
    ASSERT_TRUE(guest::Key(Qt::Key_1));
    const QString record = PlayerLine(QStringLiteral("record "));
    const QString file = record.mid(7);
    const QString prefix =
        m_rec.path() + QStringLiteral("/") + g_pSetting->ComputerName + QStringLiteral("_807#My_Song#");
    EXPECT_TRUE(file == prefix + before.toString("yyyy-MM-dd-HH-mm") + "#.avi" ||
                file == prefix + QDateTime::currentDateTime().toString("yyyy-MM-dd-HH-mm") + "#.avi")
        << qPrintable(file);
    EXPECT_EQ(FrmMediaPlayer->m_sLastRecording, file);
    ASSERT_TRUE(WaitUntil([] { return FrmMediaPlayer->m_bPlayerRecording; }));
    screen->RefreshButtons();
    EXPECT_FALSE(screen->m_pRecord->isEnabled());
    EXPECT_TRUE(screen->m_pStop->isEnabled());

    // 2: the player stops recording, then the song; the file is a sound.
    ASSERT_TRUE(guest::Key(Qt::Key_2));
    EXPECT_TRUE(PlayerLine(QStringLiteral("command ")).startsWith(QStringLiteral("command 31 ")));
    EXPECT_FALSE(PlayerLine(QStringLiteral("recorded ")).isEmpty());
    EXPECT_TRUE(PlayerLine(QStringLiteral("command ")).startsWith(QStringLiteral("command 5 ")));
    ASSERT_TRUE(WaitUntil([] { return !FrmMediaPlayer->m_bPlayerRecording; }));
    QFile wav(file);
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    EXPECT_TRUE(wav.read(12).startsWith("RIFF")) << "not a sound file";
    EXPECT_TRUE(WaitUntil([&] { return screen->m_pPlay->isEnabled(); }, 3000));

    // 3: the recording plays here; the song's video plays muted at the player.
    ASSERT_TRUE(guest::Key(Qt::Key_3));
    EXPECT_EQ(PlayerLine(QStringLiteral("file ")), QStringLiteral("file ") + m_sVideo);
    EXPECT_EQ(PlayerLine(QStringLiteral("volume ")), QStringLiteral("volume 0"));
    EXPECT_TRUE(PlayerLine(QStringLiteral("command ")).startsWith(QStringLiteral("command 32")));
    EXPECT_TRUE(FrmMediaPlayer->m_bPlayback);
    EXPECT_EQ(FrmMediaPlayer->AudioPlayer->OpenFile(), file);
    EXPECT_EQ(FrmMediaPlayer->AudioPlayer->Plays(), 1);

    // 4: the control server hears which file to burn.
    ASSERT_TRUE(guest::Key(Qt::Key_4));
    const QStringList got = server.Received();
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0], g_pSetting->ComputerName + "|call|" + g_pSetting->Texts.WriteDisc + "|" + file);

    // STOP ends the playback.
    screen->close();
    Settle();
    ASSERT_TRUE(guest::Key(Qt::Key_F5));
    EXPECT_TRUE(PlayerLine(QStringLiteral("command ")).startsWith(QStringLiteral("command 5")));
    EXPECT_FALSE(FrmMediaPlayer->m_bPlayback);
    EXPECT_FALSE(FrmMediaPlayer->AudioPlayer->IsOpen());
}

TEST_F(RecordingTest, WithoutRecordingAllowedTheKeysOnlyRefreshTheButtons)
{
    ASSERT_NO_FATAL_FAILURE(StartPlaying(false));
    TFrmRecord* screen = OpenRecordScreen();
    ASSERT_NE(screen, nullptr);
    for (const Qt::Key key : {Qt::Key_1, Qt::Key_3, Qt::Key_2})
        ASSERT_TRUE(guest::Key(key));
    Settle();
    EXPECT_TRUE(FrmMediaPlayer->m_sLastRecording.isEmpty());
    EXPECT_FALSE(FrmMediaPlayer->m_bPlayback);
    EXPECT_TRUE(m_pRealPlayer->LinesStarting(QStringLiteral("record")).isEmpty());
    EXPECT_TRUE(m_pRealPlayer->LinesStarting(QStringLiteral("command 5")).isEmpty());
    EXPECT_FALSE(LogLines().contains(QStringLiteral("开始录音..")));
}

TEST_F(RecordingTest, PlayBackOfASongGoneFromTheCataloguePausesThePlayer)
{
    ASSERT_NO_FATAL_FAILURE(StartPlaying());
    ASSERT_TRUE(StartRecording());
    ASSERT_FALSE(PlayerLine(QStringLiteral("record ")).isEmpty());
    ASSERT_TRUE(StopRecording());
    ASSERT_FALSE(PlayerLine(QStringLiteral("recorded ")).isEmpty());
    // The song leaves the catalogue (as the staff's maintenance does).
    ASSERT_TRUE(FrmData->RunSql(QStringLiteral("DELETE FROM song WHERE SongNo='807'")));
    FrmData->ReopenCatalogue();
    FrmData->WaitForLoader();
    ASSERT_TRUE(PlayRecording());
    ASSERT_FALSE(PlayerLine(QStringLiteral("command 32 ")).isEmpty());
    const QStringList commands = m_pRealPlayer->LinesStarting(QStringLiteral("command "));
    ASSERT_GE(commands.size(), 2);
    EXPECT_TRUE(commands[commands.size() - 2].startsWith(QStringLiteral("command 2 ")))
        << qPrintable(commands.join('\n'));
    EXPECT_TRUE(m_pRealPlayer->LinesStarting(QStringLiteral("file ")).isEmpty());
    // No player: recording is refused and the last recording stays.
    const QString last = FrmMediaPlayer->m_sLastRecording;
    m_pRealPlayer.reset();
    EXPECT_FALSE(StartRecording());
    EXPECT_EQ(FrmMediaPlayer->m_sLastRecording, last);
}

TEST_F(RecordingTest, OsdPicturesGoToThePlayerAndTheirSoundOpensOnce)
{
    ASSERT_NO_FATAL_FAILURE(StartPlaying());
    const QString osd = g_pSetting->ExeDir + QStringLiteral("Images/OSD/");
    ASSERT_TRUE(QFile::exists(osd + "3.wav"));
    // The applause key, twice.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(guest::Key(Qt::Key_Stop)); // Applause
        EXPECT_EQ(PlayerLine(QStringLiteral("text 2 ")), QStringLiteral("text 2 ") + osd + "3.bmp");
    }
    EXPECT_EQ(FrmMediaPlayer->OsdPlayer->OpenFile(), osd + "3.wav");
    EXPECT_EQ(FrmMediaPlayer->OsdPlayer->Opens(), 1);
    EXPECT_EQ(FrmMediaPlayer->OsdPlayer->Plays(), 2);

    // The OSD screen: its buttons' keys pick the pictures.
    guest::TapOn(g_pFrmManager->TopScreen()->FindControl(QStringLiteral("MainOsd")));
    ASSERT_TRUE(WaitUntil([] { return g_pFrmManager->TopScreen()->objectName() == QStringLiteral("frmosd"); }));
    ASSERT_TRUE(guest::Key(Qt::Key_2));
    EXPECT_EQ(PlayerLine(QStringLiteral("text 2 ")), QStringLiteral("text 2 ") + osd + "2.bmp");
    EXPECT_EQ(FrmMediaPlayer->OsdPlayer->OpenFile(), osd + "2.wav");
    EXPECT_EQ(FrmMediaPlayer->OsdPlayer->Opens(), 2);
    // A picture without a sound file leaves the sound as it was.
    QFile::remove(osd + "5.wav");
    ASSERT_TRUE(guest::Key(Qt::Key_5));
    EXPECT_EQ(PlayerLine(QStringLiteral("text 2 ")), QStringLiteral("text 2 ") + osd + "5.bmp");
    EXPECT_EQ(FrmMediaPlayer->OsdPlayer->Opens(), 2);
    // RETURN closes the screen.
    ASSERT_TRUE(guest::Key(Qt::Key_Escape));
    EXPECT_TRUE(WaitUntil([] { return g_pFrmManager->TopScreen()->objectName() != QStringLiteral("frmosd"); }));
}
