// The song maintenance screen on the demo installation, driven as the staff
// drive it: touches on its inputs, keys at its window, the player's reports
// through the station's message handler. What the screen hands the player is
// caught at the station's link.
#include "SearchFixture.h"
#include "core/KeyMap.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "playback/InputDispatch.h"
#include "playback/PlayerLink.h"
#include "screens/FrmRepair.h"
#include "screens/RepairLists.h"
#include "ui/StationScreens.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

struct SentRecord
{
    int direction = -1;
    QStringList fields;
};

enum Field : int
{
    kSongNo,
    kName,
    kTimes,
    kPy,
    kDate,
    kVersion,
    kSinger,
    kMusic,
    kLanguage,
    kType,
    kRemark
};

} // namespace

class RepairTest : public SearchTest
{
protected:
    void SetUp() override
    {
        SearchTest::SetUp();
        if (HasFatalFailure())
            return;
        RepairLink().SendSongRecord = [this](int direction, const QStringList& fields) {
            m_aSent.append({direction, fields});
            return m_bPlayer;
        };
        RepairLink().SendVocalCheck = [this](bool vocal) {
            m_aVocal.append(vocal);
            return true;
        };
        RepairLink().KeepInFront = [this](bool on) { m_aFront.append(on); };
        DispatchDevices().RefreshRepairStatus = [] { RefreshRepairScreen(); };
        UiHooks().ReopenPlayingView = [] {
            FrmData->m_pPlaying->Close();
            FrmData->m_pPlaying->Open();
        };
    }
    void TearDown() override
    {
        RepairLink() = TRepairLink();
        DispatchDevices().RefreshRepairStatus = nullptr;
        SearchTest::TearDown();
    }

    // Song numbers of a language and type (at most n).
    QStringList Songs(int language, int type, int n)
    {
        QStringList out;
        DataSet q;
        q.SetConnection(&m_pData->ado);
        q.SetCommandText(QStringLiteral("select SONGNO from original where Lan_Type=? and Type=? order by SONGNO"));
        q.SetParameters({language, type});
        q.Open();
        for (q.First(); !q.Eof() && out.size() < n; q.Next())
            out.append(q.Fields(0).AsString());
        return out;
    }
    void Queue(const QStringList& songNos)
    {
        for (const QString& no : songNos)
            ASSERT_TRUE(m_pData->OrderSongByNumber(no)) << no.toStdString();
    }
    // The player finishes the playing entry and takes the front one.
    void PlayNext()
    {
        DataSet& playing = *m_pData->m_pPlaying;
        playing.First();
        if (!playing.Eof()) {
            playing.Edit();
            playing.FieldByName(QStringLiteral("Playing")).SetAsString(QStringLiteral("2"));
            playing.Post();
        }
        DataSet& queue = *m_pData->m_pOrder;
        queue.First();
        if (!queue.Eof()) {
            queue.Edit();
            queue.FieldByName(QStringLiteral("Playing")).SetAsString(QStringLiteral("1"));
            queue.Post();
        }
    }
    // The player's volume report, as it comes after every change of song.
    void Report()
    {
        TAppMessage m;
        m.message = playerlink::kMsgVolumeReport;
        m.wParam = 50;
        m.lParam = 1;
        bool handled = false;
        OnAppMessage(m, handled);
        Settle();
    }
    void Run(const QString& sql, const QVariantList& params = {}) { m_pData->ado.Execute(sql, params); }
    TFrmRepair* OpenRepair()
    {
        auto* screen = qobject_cast<TFrmRepair*>(m_pManager->ShowRepair());
        EXPECT_NE(screen, nullptr);
        if (screen) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(screen));
        }
        return screen;
    }
    // Touches a list or edit, which takes the keyboard.
    static void Focus(QWidget* control)
    {
        Touch(control);
        EXPECT_EQ(QApplication::focusWidget(), control);
    }
    static QString Note(TFrmRepair* screen) { return screen->m_pNote ? screen->m_pNote->Caption() : QString(); }

    QList<SentRecord> m_aSent;
    QList<bool> m_aVocal, m_aFront;
    bool m_bPlayer = true;
};

TEST_F(RepairTest, ShowsThePlayingSongWithTheFixedListsAndTheReviewCount)
{
    const QStringList songs = Songs(1, 3, 2);
    ASSERT_EQ(songs.size(), 2);
    // The first song still lacks its version, music and remark; three songs
    // of the catalogue have been reviewed (music filled in).
    Run(QStringLiteral("update original set Music=null"));
    Run(QStringLiteral("update original set Music='原版' where SONGNO in (select SONGNO from original where SONGNO<>? "
                       "order by SONGNO limit 3)"),
        {songs[0]});
    Run(QStringLiteral("update original set Version=null, Remark='' where SONGNO=?"), {songs[0]});
    Queue(songs);
    Queue(Songs(1, 4, 4));
    PlayNext();
    ASSERT_EQ(m_pData->m_pOrder->RecordCount(), 5);

    TFrmRepair* screen = OpenRepair();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(screen->m_pNumber && screen->m_pLang && screen->m_pType && screen->m_pVersion);
    EXPECT_EQ(screen->m_pNumber->text(), songs[0]);
    EXPECT_TRUE(screen->m_pNumber->isReadOnly());
    EXPECT_EQ(screen->m_pName->text(), m_pData->LookupSongField(songs[0], QStringLiteral("Name")));
    EXPECT_EQ(screen->m_pLang->currentText(), QStringLiteral("国语"));
    EXPECT_EQ(screen->m_pLang->count(), 22);
    EXPECT_EQ(screen->m_pLang->itemText(21), QStringLiteral("DISCO"));
    EXPECT_EQ(screen->m_pType->count(), 11);
    EXPECT_EQ(screen->m_pType->currentText(), QStringLiteral("交际舞曲"));
    // Empty fields: the first song's version is "MTV", music the first
    // choice, the remark "清晰".
    EXPECT_EQ(screen->m_pVersion->currentText(), QStringLiteral("MTV"));
    EXPECT_EQ(screen->m_pMusicVersion->currentText(), QStringLiteral("原版"));
    EXPECT_EQ(screen->m_pRemark->currentText(), QStringLiteral("清晰"));
    EXPECT_EQ(screen->m_pVersion->count(), 8);
    EXPECT_EQ(screen->m_pMusicVersion->count(), 7);
    EXPECT_EQ(screen->m_pRemark->count(), 3);
    // Every singer, once; the song's own among them.
    const QString singer = m_pData->LookupSongField(songs[0], QStringLiteral("Singer_Nam"));
    EXPECT_EQ(screen->m_pSinger->currentText(), singer);
    EXPECT_GE(screen->m_pSinger->findText(singer), 0);
    EXPECT_EQ(screen->m_pSinger->count(),
              Scalar(QStringLiteral("select count(distinct SINGERNAME) from singer")).toInt());
    EXPECT_EQ(QApplication::focusWidget(), screen->m_pVersion.data());
    EXPECT_EQ(screen->m_pProgress->Caption(), QStringLiteral("已消灭: 3 ,还剩余:5 ,冲啊!"));
    // The count is the staff's own line: the now-playing refresh leaves it.
    screen->TimerPlayingTimer();
    EXPECT_EQ(screen->m_pProgress->Caption(), QStringLiteral("已消灭: 3 ,还剩余:5 ,冲啊!"));

    // A touch on the line counts again.
    Run(QStringLiteral("update original set Music='DIY' where SONGNO=?"), {songs[1]});
    Touch(screen->m_pProgress);
    EXPECT_EQ(screen->m_pProgress->Caption(), QStringLiteral("已消灭: 4 ,还剩余:5 ,冲啊!"));
}

TEST_F(RepairTest, PageDownSendsTheCorrectionsAndTheNextReportShowsTheNextSong)
{
    const QStringList songs = Songs(1, 3, 3);
    ASSERT_EQ(songs.size(), 3);
    // Neither the first nor the second song has a version yet.
    Run(QStringLiteral("update original set Version=null where SONGNO in (?,?)"), {songs[0], songs[1]});
    Queue(songs);
    PlayNext();
    TFrmRepair* screen = OpenRepair();
    ASSERT_NE(screen, nullptr);
    // Version: the next choice.
    Key(screen, Qt::Key_Down);
    EXPECT_EQ(screen->m_pVersion->currentText(), QStringLiteral("演唱会"));
    // Enter moves to the next input.
    Key(screen, Qt::Key_Return);
    Settle();
    EXPECT_EQ(QApplication::focusWidget(), screen->m_pMusicVersion.data());
    // Language 国语 -> 粤语, type one further on.
    Focus(screen->m_pLang);
    Key(screen, Qt::Key_Down);
    EXPECT_EQ(screen->m_pLang->currentText(), QStringLiteral("粤语"));
    Focus(screen->m_pType);
    Key(screen, Qt::Key_Down);
    EXPECT_EQ(screen->m_pType->currentText(), QStringLiteral("影视歌曲"));

    m_aDispatched.clear();
    Key(screen, Qt::Key_PageDown);
    ASSERT_EQ(m_aSent.size(), 1);
    const SentRecord& sent = m_aSent.first();
    EXPECT_EQ(sent.direction, 1);
    ASSERT_EQ(sent.fields.size(), 11);
    EXPECT_EQ(sent.fields[kSongNo], songs[0]);
    EXPECT_EQ(sent.fields[kName], screen->m_pName->text());
    EXPECT_EQ(sent.fields[kVersion], QStringLiteral("演唱会"));
    EXPECT_EQ(sent.fields[kLanguage], QStringLiteral("2"));
    EXPECT_EQ(sent.fields[kType], QStringLiteral("4"));
    EXPECT_EQ(sent.fields[kRemark], screen->m_pRemark->currentText());
    EXPECT_EQ(Note(screen), QStringLiteral("切歌"));
    // The save is the screen's: the station's skip does not run as well, and
    // the list under the keyboard did not move.
    EXPECT_FALSE(m_aDispatched.contains(UiKeys().STOP));
    EXPECT_EQ(screen->m_pType->currentText(), QStringLiteral("影视歌曲"));

    // A report without a change of song changes nothing.
    Report();
    EXPECT_EQ(screen->m_pNumber->text(), songs[0]);
    EXPECT_EQ(Note(screen), QStringLiteral("切歌"));
    // The player moved on: the next report shows the second song, whose
    // missing version is the one saved last.
    PlayNext();
    Report();
    EXPECT_EQ(screen->LastSongNo(), songs[1]);
    EXPECT_EQ(screen->m_pNumber->text(), songs[1]);
    EXPECT_EQ(screen->m_pLang->currentText(), QStringLiteral("国语"));
    EXPECT_EQ(screen->m_pVersion->currentText(), QStringLiteral("演唱会"));
    EXPECT_EQ(Note(screen), QString());
    EXPECT_EQ(QApplication::focusWidget(), screen->m_pVersion.data());

    // Page Up saves and goes back.
    Key(screen, Qt::Key_PageUp);
    ASSERT_EQ(m_aSent.size(), 2);
    EXPECT_EQ(m_aSent[1].direction, 0);
    EXPECT_EQ(m_aSent[1].fields[kSongNo], songs[1]);
    EXPECT_EQ(Note(screen), QStringLiteral("上一首"));
}

TEST_F(RepairTest, ChecksRefuseTheSaveAndLeaveTheFocusOnTheFieldToCorrect)
{
    const QStringList songs = Songs(1, 3, 2);
    ASSERT_EQ(songs.size(), 2);
    Run(QStringLiteral("update original set Version=null where SONGNO=?"), {songs[0]});
    Queue(songs);
    PlayNext();
    TFrmRepair* screen = OpenRepair();
    ASSERT_NE(screen, nullptr);

    // An unusable version needs its reason in the remark.
    for (int i = 0; i < 5; ++i)
        Key(screen, Qt::Key_Down);
    EXPECT_EQ(screen->m_pVersion->currentText(), QStringLiteral("不能要"));
    Focus(screen->m_pRemark);
    Key(screen, Qt::Key_A, Qt::ControlModifier);
    Key(screen, Qt::Key_Backspace);
    EXPECT_EQ(screen->m_pRemark->currentText(), QString());
    Focus(screen->m_pName);
    Key(screen, Qt::Key_PageDown);
    EXPECT_TRUE(m_aSent.isEmpty());
    EXPECT_EQ(Note(screen), QStringLiteral("输入不能要的原因"));
    EXPECT_EQ(QApplication::focusWidget(), screen->m_pRemark.data());
    // Typed letters are the remark's, not the station's keys.
    m_aDispatched.clear();
    Type(screen, QStringLiteral("SYNC"));
    EXPECT_EQ(screen->m_pRemark->currentText(), QStringLiteral("sync"));
    EXPECT_TRUE(m_aDispatched.isEmpty()) << m_aDispatched.size();

    // A type or a language that is not one of the list's.
    Focus(screen->m_pType);
    Key(screen, Qt::Key_A, Qt::ControlModifier);
    Type(screen, QStringLiteral("X"));
    Key(screen, Qt::Key_PageDown);
    EXPECT_TRUE(m_aSent.isEmpty());
    EXPECT_EQ(Note(screen), QStringLiteral("歌曲类型输入有误,请重输"));
    EXPECT_EQ(QApplication::focusWidget(), screen->m_pType.data());
    Key(screen, Qt::Key_Down);
    Focus(screen->m_pLang);
    Key(screen, Qt::Key_A, Qt::ControlModifier);
    Type(screen, QStringLiteral("XY"));
    Key(screen, Qt::Key_PageUp);
    EXPECT_TRUE(m_aSent.isEmpty());
    EXPECT_EQ(Note(screen), QStringLiteral("歌曲语种输入有误,请重输"));
    EXPECT_EQ(QApplication::focusWidget(), screen->m_pLang.data());
    Key(screen, Qt::Key_Down);
    EXPECT_GE(screen->m_pLang->findText(screen->m_pLang->currentText()), 0);

    // The player moved on without a report yet: the record shown is not the
    // playing song's and is not sent.
    PlayNext();
    Key(screen, Qt::Key_PageDown);
    EXPECT_TRUE(m_aSent.isEmpty());
    EXPECT_EQ(Note(screen), QStringLiteral("歌表和正放表的歌曲编号不一致"));

    // Without the player nothing is saved, and the staff are told.
    Report();
    m_bPlayer = false;
    Key(screen, Qt::Key_PageDown);
    EXPECT_EQ(m_aSent.size(), 1);
    EXPECT_EQ(Note(screen), QStringLiteral("没有找到播放器,修改未保存"));
}

TEST_F(RepairTest, ChangingTheLanguageReplacesTheTypesKeepingThePosition)
{
    const QStringList three = Songs(1, 3, 1);
    const QStringList nine = Songs(1, 9, 1);
    ASSERT_EQ(three.size(), 1);
    ASSERT_EQ(nine.size(), 1);
    Queue({three[0], nine[0]});
    PlayNext();
    TFrmRepair* screen = OpenRepair();
    ASSERT_NE(screen, nullptr);
    Focus(screen->m_pLang);
    for (int i = 0; i < 20; ++i)
        Key(screen, Qt::Key_Down);
    EXPECT_EQ(screen->m_pLang->currentText(), QStringLiteral("DISCO"));
    EXPECT_EQ(screen->m_pType->count(), 7);
    EXPECT_EQ(screen->m_pType->currentText(), QStringLiteral("慢摇现场"));
    Key(screen, Qt::Key_Up);
    EXPECT_EQ(screen->m_pType->currentText(), QStringLiteral("同性成人影片"));
    EXPECT_EQ(screen->m_pType->count(), 10);

    // Type 9 has no place among the dance types: nothing is chosen, and the
    // save asks for a type.
    PlayNext();
    Report();
    ASSERT_EQ(screen->m_pNumber->text(), nine[0]);
    EXPECT_EQ(screen->m_pType->currentText(), QStringLiteral("相声小品"));
    Focus(screen->m_pLang);
    for (int i = 0; i < 20; ++i)
        Key(screen, Qt::Key_Down);
    EXPECT_EQ(screen->m_pType->currentText(), QString());
    Key(screen, Qt::Key_PageDown);
    EXPECT_TRUE(m_aSent.isEmpty());
    EXPECT_EQ(Note(screen), QStringLiteral("歌曲类型输入有误,请重输"));
}

TEST_F(RepairTest, KeysShowWhatTheyDoAndTheBoxesReachThePlayerAndTheMainWindow)
{
    const QStringList songs = Songs(1, 3, 1);
    Queue(songs);
    PlayNext();
    TFrmRepair* screen = OpenRepair();
    ASSERT_NE(screen, nullptr);
    const TKeyMap& keys = UiKeys();
    const struct
    {
        int qtKey;
        int command;
        QString note;
    } cases[] = {{Qt::Key_Insert, keys.PLAY, QStringLiteral("暂停")},
                 {Qt::Key_Delete, keys.YUANCHANG, QStringLiteral("原唱")},
                 {Qt::Key_End, keys.FASTPRIOR, QStringLiteral("快进")},
                 {Qt::Key_Home, keys.FASTBACK, QStringLiteral("快退")},
                 {Qt::Key_F12, keys.REPEATSONG, QStringLiteral("重唱")},
                 {Qt::Key_F1, keys.PAUSE, QStringLiteral("暂停")},
                 {Qt::Key_F7, keys.VOLUME_ADD, QStringLiteral("音量:50")}};
    for (const auto& c : cases) {
        m_aDispatched.clear();
        Key(screen, c.qtKey);
        EXPECT_EQ(Note(screen), c.note) << c.qtKey;
        EXPECT_TRUE(m_aDispatched.contains(c.command)) << c.qtKey;
    }
    // The states the player reported change the texts.
    m_pData->m_bPlayerPaused = true;
    m_pData->m_bOriginalVocal = false;
    Key(screen, Qt::Key_Insert);
    EXPECT_EQ(Note(screen), QStringLiteral("播放"));
    Key(screen, Qt::Key_Delete);
    EXPECT_EQ(Note(screen), QStringLiteral("伴唱"));
    // Space in a text box is a blank, not the ordered-songs screen.
    Focus(screen->m_pName);
    m_aDispatched.clear();
    Key(screen, Qt::Key_Space);
    EXPECT_TRUE(screen->m_pName->text().endsWith(u' '));
    EXPECT_TRUE(m_aDispatched.isEmpty());

    // The two boxes.
    Touch(screen->CheckBox1);
    EXPECT_EQ(m_aVocal, QList<bool>{true});
    Touch(screen->CheckBox2);
    EXPECT_EQ(m_aFront, QList<bool>{false});
    // Closing the screen lets the main window keep its screens in front again.
    Key(screen, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(m_aFront, (QList<bool>{false, true}));
}

// In the English skin the boxes and what the keys do read in English; the
// checks of a save keep their texts.
TEST_F(RepairTest, AnEnglishStationNamesTheBoxesAndTheKeysInEnglish)
{
    const QStringList songs = Songs(1, 3, 2);
    Queue(songs);
    PlayNext();
    int english = -1;
    for (int i = 0; i < UiSetting()->LangList.size(); ++i)
        if (UiSetting()->LangList[i].Folder == QLatin1String("English"))
            english = i;
    ASSERT_GE(english, 0);
    SwitchLanguage(english);
    Settle();
    ASSERT_EQ(UiSetting()->LangType, english);
    TFrmRepair* screen = OpenRepair();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->CheckBox1->text(), QStringLiteral("Original vocal plays"));
    EXPECT_EQ(screen->CheckBox2->text(), QStringLiteral("Keep screen in front"));
    EXPECT_TRUE(screen->CheckBox2->isChecked());

    Key(screen, Qt::Key_Insert);
    EXPECT_EQ(Note(screen), QStringLiteral("Pause"));
    Key(screen, Qt::Key_F7);
    EXPECT_EQ(Note(screen), QStringLiteral("Volume: 50"));
    Focus(screen->m_pType);
    Key(screen, Qt::Key_A, Qt::ControlModifier);
    Type(screen, QStringLiteral("X"));
    Key(screen, Qt::Key_PageDown);
    EXPECT_EQ(Note(screen), QStringLiteral("歌曲类型输入有误,请重输"));
    Key(screen, Qt::Key_Down);
    Key(screen, Qt::Key_PageDown);
    ASSERT_EQ(m_aSent.size(), 1);
    EXPECT_EQ(m_aSent[0].direction, 1);
    EXPECT_EQ(Note(screen), QStringLiteral("Saving, next song"));
}
