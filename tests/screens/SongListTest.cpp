// The song list screen on a generated demo installation: ordering, first
// letters, FIRSTPLAY, HotelVod and keypad mode (the word-count tabs are
// driven in GuestRoadsTest).
#include "ScreenFixture.h"
#include "core/Gbk.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "screens/FrmSong.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"

#include <QFile>
#include <QImage>
#include <QTest>

namespace {

QString Text(TSubTitle* label)
{
    return label ? label->Caption() : QString();
}

} // namespace

TEST_F(ScreenTest, SongListOrdersTheClickedRowOnceAndMarksIt)
{
    auto* screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    ASSERT_NE(screen->m_pList, nullptr);
    EXPECT_EQ(screen->m_pList->m_nPageItems, 10); // the demo skin has rows 0 to 9
    EXPECT_EQ(Text(Label(screen, QStringLiteral("pagelabel"))),
              QStringLiteral("1/%1").arg((m_pData->CD_Song.RecordCount() + 9) / 10));
    TSubTitle* row = Label(screen, QStringLiteral("songname2"));
    m_pData->CD_Song.SetRecNo(3);
    const QString songNo = m_pData->CD_Song.FieldByName(QStringLiteral("SongNo")).AsString();
    const QString name = m_pData->CD_Song.FieldByName(QStringLiteral("Name")).AsString();
    EXPECT_TRUE(Text(row).startsWith(name));

    QTest::mouseClick(row, Qt::LeftButton);
    QTest::mouseClick(row, Qt::LeftButton);
    Settle();
    ASSERT_EQ(QueueSongs(), QStringList{songNo});
    m_pData->m_pOrder->First();
    EXPECT_EQ(m_pData->m_pOrder->FieldByName(QStringLiteral("Playing")).AsString(), QStringLiteral("0"));
    EXPECT_EQ(m_pData->m_pOrder->FieldByName(QStringLiteral("Num")).AsInteger(), 1);
    EXPECT_EQ(HistoryRows(songNo), 1);
    EXPECT_EQ(Text(row), QStringLiteral("√") + name);

    // Drawn in the chosen-row colour (the skin's selcolor), not the normal one.
    const QColor chosen =
        WinColor(TKVFormManager::AttrToInt(TKVFormManager::NodeAttr(screen->m_pNode, QStringLiteral("selcolor"))));
    const QImage image = row->grab().toImage();
    int hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == chosen)
                ++hits;
    EXPECT_GT(hits, 5);

    // A new showing draws the queued song with its mark from the start.
    screen->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("songname2"))), QStringLiteral("√") + name);
    QTest::mouseClick(Label(screen, QStringLiteral("songname2")), Qt::LeftButton);
    EXPECT_EQ(QueueSongs().size(), 1);
}

TEST_F(ScreenTest, SongListFirstLettersNarrowTheList)
{
    auto* screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    m_pData->CD_Song.SetRecNo(7);
    const QString first = m_pData->CD_Song.FieldByName(QStringLiteral("First_Char")).AsString().left(2);
    ASSERT_EQ(first.size(), 2);
    const int all = m_pData->CD_Song.RecordCount();
    QTest::keyClick(screen, first.at(0).toLatin1());
    QTest::keyClick(screen, first.at(1).toLower().toLatin1());
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), first);
    DataSet& songs = m_pData->CD_Song;
    EXPECT_LT(songs.RecordCount(), all);
    ASSERT_GT(songs.RecordCount(), 0);
    for (songs.First(); !songs.Eof(); songs.Next())
        EXPECT_TRUE(songs.FieldByName(QStringLiteral("First_Char")).AsString().toUpper().startsWith(first));
    EXPECT_TRUE(Label(screen, QStringLiteral("notfound"))->isHidden());
    // Every key's handling is timed in the log (Debug is on in the demo).
    QFile log(m_sExe + QStringLiteral("LogVod.txt"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(ToWide(log.readAll()).count(QStringLiteral("操作耗时:")), 2);

    QTest::keyClick(screen, Qt::Key_Backspace);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), first.left(1));
    // Six letters are the most: the next key starts again.
    for (const char c : {'Q', 'Q', 'Q', 'Q', 'Q'})
        QTest::keyClick(screen, c);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))).size(), 6);
    EXPECT_EQ(songs.RecordCount(), 0);
    EXPECT_FALSE(Label(screen, QStringLiteral("notfound"))->isHidden());
    QTest::keyClick(screen, 'B');
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QStringLiteral("B"));
    QTest::keyClick(screen, Qt::Key_Delete); // DELSONG clears the input, deletes nothing
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QString());
    EXPECT_EQ(songs.RecordCount(), all);

    // Ordering clears the input but keeps the narrowed list.
    QTest::keyClick(screen, first.at(0).toLatin1());
    const int narrowed = songs.RecordCount();
    QTest::mouseClick(Label(screen, QStringLiteral("songname0")), Qt::LeftButton);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QString());
    EXPECT_EQ(songs.RecordCount(), narrowed);
    EXPECT_EQ(QueueSongs().size(), 1);
}

TEST_F(ScreenTest, SongListFirstPlayMovesTheLastEntryToTheFront)
{
    for (int i = 1; i <= 3; ++i)
        OrderRow(i);
    const QStringList before = QueueSongs();
    m_pData->m_pOrder->Last();
    const QString lastName = m_pData->m_pOrder->FieldByName(QStringLiteral("Name")).AsString();
    auto* screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    QTest::keyClick(screen, Qt::Key_Insert); // FIRSTPLAY
    EXPECT_EQ(QueueSongs(), (QStringList{before[2], before[0], before[1]}));
    EXPECT_EQ(QueueNums(), (QList<qint64>{1, 2, 3}));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("notfound"))), QStringLiteral("已优先:") + lastName);
    EXPECT_FALSE(Label(screen, QStringLiteral("notfound"))->isHidden());
}

TEST_F(ScreenTest, SongListHotelVodRefusesPricedSongs)
{
    g_pSetting->HotelVod = true;
    DataSet& songs = m_pData->CD_Song;
    songs.SetFilter(QStringLiteral("Price > 0"));
    songs.SetFiltered(true);
    ASSERT_GT(songs.RecordCount(), 0);
    auto* screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    TSubTitle* row = Label(screen, QStringLiteral("songname0"));
    QTest::mouseClick(row, Qt::LeftButton);
    EXPECT_TRUE(QueueSongs().isEmpty());
    EXPECT_FALSE(Text(row).startsWith(QStringLiteral("√")));
    screen->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    songs.SetFilter(QStringLiteral("Price = 0"));
    screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    QTest::mouseClick(Label(screen, QStringLiteral("songname0")), Qt::LeftButton);
    EXPECT_EQ(QueueSongs().size(), 1);
}

TEST_F(ScreenTest, SongListKeypadModeDigitsSpellLetters)
{
    g_pSetting->ShowMouse = false;
    auto* screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    EXPECT_NE(screen->m_pWords, nullptr); // the word-count tabs work here too
    QTest::keyClick(screen, '2');
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QStringLiteral("A"));
    EXPECT_TRUE(QueueSongs().isEmpty());
    // Arrow keys move the focus; Enter orders the focused row.
    QTest::keyClick(screen, Qt::Key_Down);
    EXPECT_EQ(screen->m_pList->CurFocus(), 1);
    m_pData->CD_Song.SetRecNo(2);
    const QString songNo = m_pData->CD_Song.FieldByName(QStringLiteral("SongNo")).AsString();
    QTest::keyClick(screen, Qt::Key_Return);
    EXPECT_EQ(QueueSongs(), QStringList{songNo});
}

TEST_F(ScreenTest, SongListSingerLabelShowsTheSingersSongs)
{
    auto* screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    TSubTitle* singer = Label(screen, QStringLiteral("songsinger4"));
    const QString name = Text(singer);
    ASSERT_FALSE(name.isEmpty());
    QTest::mouseClick(singer, Qt::LeftButton);
    DataSet& songs = m_pData->CD_Song;
    ASSERT_GT(songs.RecordCount(), 0);
    for (songs.First(); !songs.Eof(); songs.Next())
        EXPECT_TRUE(songs.FieldByName(QStringLiteral("Singer_nam")).AsString().contains(name));
    EXPECT_TRUE(QueueSongs().isEmpty()); // the singer column orders nothing
}
