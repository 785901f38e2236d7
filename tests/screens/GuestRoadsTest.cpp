// The song screens driven as a guest drives them: touches delivered to the
// screen's window at a position (Qt finds the control under the pointer and
// keeps the grab on the pressed one) and keys delivered to the window that
// holds the keyboard, all through the station's message handler.
#include "ScreenFixture.h"
#include "catalogue/SongFilter.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "screens/FrmSelect.h"
#include "screens/FrmSing.h"
#include "screens/FrmSong.h"
#include "support/GuestInput.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

namespace {

QString Text(TSubTitle* label)
{
    return label ? label->Caption() : QString();
}

bool HoldsKeyboard(QWidget* screen)
{
    return screen && guest::KeyboardWindow() && guest::KeyboardWindow() == screen->windowHandle();
}

} // namespace

class GuestRoadTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        UiHooks().SetLanguage = [](const QString& v) { FrmData->m_pFilter->SetLanguage(v); };
        UiHooks().SetSongCount = [](int n) { FrmData->m_pFilter->SetSongCount(n); };
        UiHooks().ClearCriteria = [] { FrmData->m_pFilter->ClearCriteria(); };
    }
    // The road to a language's songs: the language screen, then a touch on
    // its first button.
    TFrmSong* SongsOfTheFirstLanguage()
    {
        TKVFormXML* languages = m_pManager->ShowLanguage();
        if (!languages || !languages->FindLabel(QStringLiteral("Lang1")))
            return nullptr;
        guest::TapOn(languages->FindLabel(QStringLiteral("Lang1")));
        Settle();
        return qobject_cast<TFrmSong*>(m_pManager->TopScreen());
    }
    void Queue(int n)
    {
        for (int i = 1; i <= n; ++i)
            OrderRow(i);
        m_aSongs = QueueSongs();
    }
    QStringList m_aSongs;
};

TEST_F(GuestRoadTest, OrderedSongsSwapByDraggingFastSlowlyAndFromASinger)
{
    Queue(4);
    auto* screen = qobject_cast<TFrmSelect*>(Open(QStringLiteral("frmorder")));
    ASSERT_NE(screen, nullptr);
    auto at = [&](const char* name) { return guest::Centre(Label(screen, QString::fromLatin1(name))); };

    // A quick stroke from the third title onto the first.
    guest::Drag(screen, at("songname2"), at("songname0"), 1);
    EXPECT_EQ(QueueSongs(), (QStringList{m_aSongs[2], m_aSongs[1], m_aSongs[0], m_aSongs[3]}));

    // A slow one, held across the screen's periodic redraw of the queue.
    guest::Press(screen, at("songname3"));
    guest::Move(screen, at("songname3") - QPoint(0, 15));
    const int pagesBefore = screen->m_pList->SelPage();
    QElapsedTimer held;
    held.start();
    QTest::qWait(screen->Timer1->interval() + 300);
    ASSERT_GE(held.elapsed(), screen->Timer1->interval()) << "the redraw ran while the title was held";
    EXPECT_EQ(screen->m_pList->SelPage(), pagesBefore);
    guest::Move(screen, at("songname1"));
    guest::Release(screen, at("songname1"));
    EXPECT_EQ(QueueSongs(), (QStringList{m_aSongs[2], m_aSongs[3], m_aSongs[0], m_aSongs[1]}));

    // From a singer onto a title: a drag, not a tap on the singer.
    const QString filterBefore = m_pData->m_pFilter->Criterion(TSongFilter::kSinger);
    guest::Drag(screen, at("songsinger0"), at("songname2"));
    Settle();
    EXPECT_EQ(QueueSongs(), (QStringList{m_aSongs[0], m_aSongs[3], m_aSongs[2], m_aSongs[1]}));
    EXPECT_EQ(m_pManager->TopScreen(), screen);
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kSinger), filterBefore);
    // A drag that ends off the list changes nothing.
    guest::Drag(screen, at("songname0"), QPoint(5, 5));
    EXPECT_EQ(QueueSongs(), (QStringList{m_aSongs[0], m_aSongs[3], m_aSongs[2], m_aSongs[1]}));
}

TEST_F(GuestRoadTest, WordCountTabsAnswerTouchAndArrowsInTouchAndKeypadMode)
{
    for (const bool touch : {true, false}) {
        SCOPED_TRACE(touch ? "touch mode" : "keypad mode");
        g_pSetting->ShowMouse = touch;
        m_pData->m_pFilter->ClearCriteria();
        TFrmSong* songs = SongsOfTheFirstLanguage();
        ASSERT_NE(songs, nullptr);
        ASSERT_TRUE(HoldsKeyboard(songs));
        ASSERT_TRUE(guest::Key(Qt::Key_PageDown));
        EXPECT_EQ(songs->m_pList->SelPage(), 2);

        TSubTitle* tab = Label(songs, QStringLiteral("words3"));
        ASSERT_EQ(guest::ControlAt(songs, guest::Centre(tab)), tab) << "nothing covers the tab";
        guest::TapOn(tab);
        EXPECT_EQ(m_pData->m_pFilter->SongCount(), 3);
        EXPECT_EQ(songs->m_pList->SelPage(), 1);
        DataSet& list = m_pData->CD_Song;
        ASSERT_GT(list.RecordCount(), 0);
        for (list.First(); !list.Eof(); list.Next())
            ASSERT_EQ(list.FieldByName(QStringLiteral("Str_len")).AsInteger(), 3);
        // The first row shows a three-character title.
        EXPECT_EQ(Text(Label(songs, QStringLiteral("songname0"))).size(), 3);

        guest::Key(Qt::Key_Right);
        EXPECT_EQ(m_pData->m_pFilter->SongCount(), 4);
        guest::Key(Qt::Key_Left);
        guest::Key(Qt::Key_Left);
        EXPECT_EQ(m_pData->m_pFilter->SongCount(), 2);
        guest::TapOn(Label(songs, QStringLiteral("words0")));
        EXPECT_EQ(m_pData->m_pFilter->SongCount(), 0);
        guest::Key(Qt::Key_Left); // from the first tab round to the last
        EXPECT_EQ(m_pData->m_pFilter->SongCount(), 8);
        m_pManager->CloseToPortal();
        Settle();
    }
}

TEST_F(GuestRoadTest, ASingerFromTheQueueScreensRebuildsTheOpenSongList)
{
    Queue(3);
    for (const char* from : {"frmorder", "sing"}) {
        SCOPED_TRACE(from);
        m_pData->m_pFilter->ClearCriteria();
        TFrmSong* songs = SongsOfTheFirstLanguage();
        ASSERT_NE(songs, nullptr);
        for (int i = 0; i < 3; ++i)
            guest::Key(Qt::Key_PageDown);
        ASSERT_EQ(songs->m_pList->SelPage(), 4);

        if (QString::fromLatin1(from) == QLatin1String("sing")) {
            // The player has sung the front entry.
            DataSet& q = *m_pData->m_pOrder;
            q.First();
            q.Edit();
            q.FieldByName(QStringLiteral("Playing")).SetAsString(QStringLiteral("2"));
            q.Post();
        }
        TKVFormXML* queueScreen = Open(QString::fromLatin1(from));
        ASSERT_NE(queueScreen, nullptr);
        Settle();
        ASSERT_TRUE(HoldsKeyboard(queueScreen));
        TSubTitle* singer = Label(queueScreen, QStringLiteral("songsinger0"));
        const QString name = Text(singer);
        ASSERT_FALSE(name.isEmpty());
        guest::TapOn(singer);
        Settle();

        // The open song list comes forward rebuilt: the newest screen, the
        // one with the keyboard, on page 1 of the singer's songs.
        EXPECT_EQ(m_pManager->TopScreen(), songs);
        EXPECT_TRUE(HoldsKeyboard(songs));
        DataSet& list = m_pData->CD_Song;
        const int pages = (list.RecordCount() + 9) / 10;
        EXPECT_EQ(Text(Label(songs, QStringLiteral("pagelabel"))), QStringLiteral("1/%1").arg(pages));
        for (list.First(); !list.Eof(); list.Next())
            EXPECT_TRUE(list.FieldByName(QStringLiteral("Singer_nam")).AsString().contains(name));
        // What a row shows is what a touch on it orders.
        TSubTitle* row = Label(songs, QStringLiteral("songname0"));
        list.First();
        const QString songNo = list.FieldByName(QStringLiteral("SongNo")).AsString();
        EXPECT_TRUE(Text(row).endsWith(list.FieldByName(QStringLiteral("Name")).AsString()));
        if (!Text(row).startsWith(QStringLiteral("√"))) {
            guest::TapOn(row);
            EXPECT_TRUE(m_pData->IsQueued(songNo));
        }
        // Keys reach it: RETURN goes back to the queue screen.
        guest::Key(Qt::Key_Escape);
        Settle();
        EXPECT_EQ(m_pManager->TopScreen(), queueScreen);
        m_pManager->CloseToPortal();
        Settle();
    }
}

TEST_F(GuestRoadTest, ANewCriterionStartsOnPageOne)
{
    TFrmSong* songs = SongsOfTheFirstLanguage();
    ASSERT_NE(songs, nullptr);
    for (int i = 0; i < 4; ++i)
        guest::Key(Qt::Key_PageDown);
    ASSERT_EQ(songs->m_pList->SelPage(), 5);
    // A singer with more than one page of songs still opens on page 1.
    TSubTitle* singer = Label(songs, QStringLiteral("songsinger0"));
    guest::TapOn(singer);
    EXPECT_EQ(songs->m_pList->SelPage(), 1);
    EXPECT_TRUE(Text(Label(songs, QStringLiteral("pagelabel"))).startsWith(QStringLiteral("1/")));
    // So does a first letter typed on a later page.
    m_pData->m_pFilter->ClearCriteria();
    m_pData->m_pFilter->ApplyCriteria();
    songs->m_pList->Refresh();
    guest::Key(Qt::Key_PageDown);
    guest::Key(Qt::Key_PageDown);
    ASSERT_EQ(songs->m_pList->SelPage(), 3);
    m_pData->CD_Song.First();
    const char letter = m_pData->CD_Song.FieldByName(QStringLiteral("First_Char")).AsString().at(0).toLatin1();
    guest::Key(letter);
    EXPECT_EQ(songs->m_pList->SelPage(), 1);
}

TEST_F(GuestRoadTest, ARowIsMarkedOnlyWhenItsSongWasOrdered)
{
    TFrmSong* songs = SongsOfTheFirstLanguage();
    ASSERT_NE(songs, nullptr);
    TSubTitle* row = Label(songs, QStringLiteral("songname1"));
    const QString shown = Text(row);
    const QColor normal = row->FontColor();

    // The queue cannot take it (its file is emptied under the station, as a
    // failing disk would leave it): no mark, no chosen colour, and the row can
    // be chosen again once the file is back. A merely closed queue is not
    // enough: the station opens it again when a guest orders.
    QFile file(m_pData->m_pOrder->DbfFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.close();
    guest::TapOn(row);
    Settle();
    EXPECT_EQ(Text(row), shown);
    EXPECT_EQ(row->FontColor(), normal);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(good);
    file.close();
    EXPECT_TRUE(QueueSongs().isEmpty());

    // Priced songs are refused in hotel mode, the same way.
    g_pSetting->HotelVod = true;
    m_pData->CD_Song.SetRecNo(2);
    const bool priced = m_pData->CD_Song.FieldByName(QStringLiteral("Price")).AsFloat() > 0;
    guest::TapOn(row);
    g_pSetting->HotelVod = false;
    if (priced) {
        EXPECT_EQ(Text(row), shown);
        EXPECT_TRUE(QueueSongs().isEmpty());
        guest::TapOn(row);
    }
    EXPECT_EQ(Text(row), QStringLiteral("√") + shown);
    EXPECT_EQ(QueueSongs().size(), 1);
}
