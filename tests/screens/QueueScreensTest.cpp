// The ordered-songs and sung-songs screens on a real order.dbf: moving to
// the front, deleting, dragging to swap, favourites and singing again.
#include "ScreenFixture.h"
#include "core/Gbk.h"
#include "core/KeyMap.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "platform/dbase/DbfTable.h"
#include "screens/FrmSelect.h"
#include "screens/FrmSing.h"
#include "support/GuestInput.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QFile>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Press on one label, move past the drag distance, release over another,
// as the pointer does on the label's window.
void Drag(TSubTitle* from, TSubTitle* onto)
{
    guest::Drag(from->window(), guest::Centre(from), guest::Centre(onto));
}

} // namespace

class QueueScreenTest : public ScreenTest
{
protected:
    void Queue(int n)
    {
        for (int i = 1; i <= n; ++i)
            OrderRow(i);
        m_aSongs = QueueSongs();
    }
    // The player has sung the front entry.
    void SingFront()
    {
        DataSet& q = *m_pData->m_pOrder;
        q.First();
        q.Edit();
        q.FieldByName(QStringLiteral("Playing")).SetAsString(QStringLiteral("2"));
        q.Post();
    }
    QStringList m_aSongs;
};

TEST_F(QueueScreenTest, OrderedDeleteKeepsFocusAboveAndMarksTheEntry)
{
    Queue(6);
    auto* screen = qobject_cast<TFrmSelect*>(Open(QStringLiteral("frmorder")));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->m_pList->m_nLastRow, 5);
    screen->m_pList->SetCurFocus(4);
    QTest::keyClick(screen, Qt::Key_Delete); // DELSONG
    Settle();
    EXPECT_EQ(QueueSongs(), (QStringList{m_aSongs[0], m_aSongs[1], m_aSongs[2], m_aSongs[3], m_aSongs[5]}));
    EXPECT_EQ(screen->m_pList->CurFocus(), 3);
    // One key, one action: Delete shares its code with POINT and saved nothing.
    EXPECT_TRUE(m_aDispatched.isEmpty() || !m_aDispatched.contains(UiKeys().MyLove));

    screen->m_pList->SetCurFocus(0);
    QTest::keyClick(screen, Qt::Key_Delete);
    EXPECT_EQ(QueueSongs().first(), m_aSongs[1]);
    EXPECT_EQ(screen->m_pList->CurFocus(), 0);
    // The deleted entries stay in the table, marked "5".
    DataSet all;
    all.SetDbfFile(m_pData->m_pOrder->DbfFile());
    all.Open();
    int deleted = 0;
    for (all.First(); !all.Eof(); all.Next())
        deleted += all.FieldByName(QStringLiteral("Playing")).AsString() == QLatin1String("5");
    EXPECT_EQ(deleted, 2);
}

TEST_F(QueueScreenTest, OrderedFirstPlayEnterAndRowButtonMoveToFront)
{
    Queue(5);
    auto* screen = qobject_cast<TFrmSelect*>(Open(QStringLiteral("frmorder")));
    ASSERT_NE(screen, nullptr);
    screen->m_pList->SetCurFocus(2);
    QTest::keyClick(screen, Qt::Key_Insert); // FIRSTPLAY
    EXPECT_EQ(QueueSongs(), (QStringList{m_aSongs[2], m_aSongs[0], m_aSongs[1], m_aSongs[3], m_aSongs[4]}));
    EXPECT_EQ(QueueNums(), (QList<qint64>{1, 2, 3, 4, 5}));
    EXPECT_EQ(screen->m_pList->CurFocus(), 2);

    // Enter moves the focused song (now m_aSongs[1]) to the front.
    QTest::keyClick(screen, Qt::Key_Return);
    Settle();
    EXPECT_EQ(QueueSongs().first(), m_aSongs[1]);

    // The row button of row 5.
    QTest::mouseClick(Label(screen, QStringLiteral("first4")), Qt::LeftButton);
    Settle();
    EXPECT_EQ(QueueSongs().first(), m_aSongs[4]);
    EXPECT_EQ(QueueNums(), (QList<qint64>{1, 2, 3, 4, 5}));
    // A row button below the last entry does nothing.
    QTest::mouseClick(Label(screen, QStringLiteral("delete7")), Qt::LeftButton);
    Settle();
    EXPECT_EQ(QueueSongs().size(), 5);
    QTest::mouseClick(Label(screen, QStringLiteral("delete1")), Qt::LeftButton);
    Settle();
    EXPECT_EQ(QueueSongs().size(), 4);
}

TEST_F(QueueScreenTest, OrderedDragSwapsTwoEntries)
{
    Queue(4);
    const QList<qint64> nums = QueueNums();
    auto* screen = qobject_cast<TFrmSelect*>(Open(QStringLiteral("frmorder")));
    ASSERT_NE(screen, nullptr);
    Drag(Label(screen, QStringLiteral("songname2")), Label(screen, QStringLiteral("songname0")));
    EXPECT_EQ(QueueSongs(), (QStringList{m_aSongs[2], m_aSongs[1], m_aSongs[0], m_aSongs[3]}));
    EXPECT_EQ(QueueNums(), nums);
    EXPECT_EQ(m_aDispatched.size(), 0);
    // A drop on itself changes nothing; a drop on an empty row neither.
    Drag(Label(screen, QStringLiteral("songname1")), Label(screen, QStringLiteral("songname1")));
    Drag(Label(screen, QStringLiteral("songname1")), Label(screen, QStringLiteral("songname8")));
    EXPECT_EQ(QueueSongs(), (QStringList{m_aSongs[2], m_aSongs[1], m_aSongs[0], m_aSongs[3]}));
    // A plain click on a singer is no drag: it shows the singer's songs.
    TSubTitle* singer = Label(screen, QStringLiteral("songsinger3"));
    const QString name = singer->Caption();
    guest::TapOn(singer);
    Settle();
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kSinger).isEmpty(), name.isEmpty());
    EXPECT_EQ(m_pManager->TopScreen()->objectName(), QStringLiteral("frmsong"));
}

TEST_F(QueueScreenTest, OrderedFavouritesNeedAUserAndReportTheResult)
{
    Queue(2);
    auto* screen = qobject_cast<TFrmSelect*>(Open(QStringLiteral("frmorder")));
    ASSERT_NE(screen, nullptr);
    TSubTitle* msg = Label(screen, QStringLiteral("msg"));
    QTest::mouseClick(Label(screen, QStringLiteral("mylove1")), Qt::LeftButton);
    Settle();
    EXPECT_TRUE(m_aDispatched.contains(UiKeys().MyLove)); // the favourites login opens
    EXPECT_EQ(msg->Caption(), QString());

    m_pData->m_sUserId = QStringLiteral("o'brien");
    m_pData->m_pOrder->SetRecNo(2);
    const QString name = m_pData->m_pOrder->FieldByName(QStringLiteral("Name")).AsString();
    QTest::mouseClick(Label(screen, QStringLiteral("mylove1")), Qt::LeftButton);
    Settle();
    EXPECT_EQ(msg->Caption(), QStringLiteral("[o'brien]") + UiText(QStringLiteral("SaveMyLoveOK")) + name);
    QTest::mouseClick(Label(screen, QStringLiteral("mylove1")), Qt::LeftButton);
    Settle();
    EXPECT_EQ(msg->Caption(), QStringLiteral("[o'brien]") + UiText(QStringLiteral("SaveMyLoveExists")) + name);
    EXPECT_TRUE(screen->TimerMsg->isActive());
    EXPECT_EQ(screen->TimerMsg->interval(), 3000);
    screen->TimerMsgTimer();
    EXPECT_EQ(msg->Caption(), QString());
    EXPECT_FALSE(screen->TimerMsg->isActive());
    // The queue itself is untouched.
    EXPECT_EQ(QueueSongs(), m_aSongs);
}

TEST_F(QueueScreenTest, OrderedTimerShowsSongsOrderedElsewhere)
{
    Queue(1);
    auto* screen = qobject_cast<TFrmSelect*>(Open(QStringLiteral("frmorder")));
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(screen->Timer1->isActive());
    EXPECT_EQ(screen->Timer1->interval(), 3000);
    OrderRow(5);
    EXPECT_TRUE(Label(screen, QStringLiteral("songname1"))->isHidden());
    screen->Timer1Timer();
    EXPECT_FALSE(Label(screen, QStringLiteral("songname1"))->isHidden());
    EXPECT_EQ(screen->m_pList->m_nLastRow, 1);

    // Another writer of the shared table (hall mode reopens the view).
    g_pSetting->SaloonMode = true;
    {
        DbfTable other(m_pData->m_pOrder->DbfFile());
        other.Open();
        std::vector<QVariant> values(other.Fields().size());
        values[size_t(other.FieldIndex(QStringLiteral("SONGNO")))] = QStringLiteral("99999");
        values[size_t(other.FieldIndex(QStringLiteral("NAME")))] = QStringLiteral("[B12]:other");
        values[size_t(other.FieldIndex(QStringLiteral("NUM")))] = 9;
        values[size_t(other.FieldIndex(QStringLiteral("PLAYING")))] = QStringLiteral("0");
        other.Append(values);
    }
    screen->Timer1Timer();
    EXPECT_EQ(screen->m_pList->m_nLastRow, 2);
    EXPECT_EQ(Label(screen, QStringLiteral("songname2"))->Caption(), QStringLiteral("[B12]:other"));
    g_pSetting->SaloonMode = false;
}

TEST_F(QueueScreenTest, SungSongGoesBackToTheEndOfTheQueue)
{
    Queue(6);
    SingFront();
    SingFront(); // entries 1 and 2 sung; 3 to 6 queued
    auto* screen = qobject_cast<TFrmSing*>(Open(QStringLiteral("sing")));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->m_pList->m_nLastRow, 1);
    EXPECT_EQ(screen->TimerMsg->interval(), 2000);
    EXPECT_TRUE(Label(screen, QStringLiteral("msg"))->isHidden());

    // The title keeps its skin key: a click chooses the row through it.
    QTest::mouseClick(Label(screen, QStringLiteral("songname1")), Qt::LeftButton);
    Settle();
    EXPECT_EQ(QueueSongs(), (QStringList{m_aSongs[2], m_aSongs[3], m_aSongs[4], m_aSongs[5], m_aSongs[1]}));
    EXPECT_EQ(QueueNums().last(), 7);
    EXPECT_EQ(screen->m_pList->m_nLastRow, 0);

    // The re-order button of an empty row does nothing.
    QTest::mouseClick(Label(screen, QStringLiteral("reorder1")), Qt::LeftButton);
    EXPECT_EQ(QueueSongs().size(), 5);
    // With an empty queue the song gets number 1.
    m_pData->ClearQueue(false);
    ASSERT_TRUE(QueueSongs().isEmpty());
    QTest::mouseClick(Label(screen, QStringLiteral("reorder0")), Qt::LeftButton);
    EXPECT_EQ(QueueSongs(), QStringList{m_aSongs[0]});
    EXPECT_EQ(QueueNums(), QList<qint64>{1});
    EXPECT_EQ(screen->m_pList->m_nLastRow, -1);
    QTest::mouseClick(Label(screen, QStringLiteral("reorder0")), Qt::LeftButton);
    EXPECT_EQ(QueueSongs().size(), 1);
}

TEST_F(QueueScreenTest, SungFavouritesLine)
{
    Queue(1);
    SingFront();
    auto* screen = qobject_cast<TFrmSing*>(Open(QStringLiteral("sing")));
    ASSERT_NE(screen, nullptr);
    TSubTitle* msg = Label(screen, QStringLiteral("msg"));
    QTest::mouseClick(Label(screen, QStringLiteral("mylove0")), Qt::LeftButton);
    Settle();
    EXPECT_TRUE(m_aDispatched.contains(UiKeys().MyLove));
    m_pData->m_sUserId = QStringLiteral("u1");
    m_pData->m_pSing->First();
    const QString name = m_pData->m_pSing->FieldByName(QStringLiteral("Name")).AsString();
    const QString line = QStringLiteral("用户[u1]收藏私库成功:") + name;
    QTest::mouseClick(Label(screen, QStringLiteral("mylove0")), Qt::LeftButton);
    EXPECT_EQ(msg->Caption(), line);
    EXPECT_FALSE(msg->isHidden());
    QTest::mouseClick(Label(screen, QStringLiteral("mylove0")), Qt::LeftButton);
    EXPECT_EQ(msg->Caption(), line); // already saved: the same line
    screen->TimerMsgTimer();
    EXPECT_TRUE(msg->isHidden());
    EXPECT_TRUE(QueueSongs().isEmpty());
}

// Every action of the two queue screens, by row button, list row and key, on a
// queue file that cannot be read at that moment: the error is logged and goes
// no further, and the screens work again once the file is back.
TEST_F(QueueScreenTest, QueueFailuresUnderEveryActionAreLoggedAndTheScreensGoOn)
{
    Queue(4);
    SingFront();
    const QString path = m_pData->m_pOrder->DbfFile();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    // Emptied in place (no header at all), then written back.
    const auto breakQueue = [&] {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.close();
    };
    const auto mendQueue = [&] {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(good);
        file.close();
    };
    const auto failures = [this] {
        QFile log(m_sExe + QStringLiteral("LogVod.txt"));
        return log.open(QIODevice::ReadOnly) ? ToWide(log.readAll()).count(QStringLiteral(" 出错:")) : 0;
    };
    int logged = failures();
    // Runs the action (which breaks the file at its moment) and its posted
    // work; the failure must be logged. The file is mended afterwards.
    const auto failsLogged = [&](const QString& what, const std::function<void()>& action) {
        action();
        Settle();
        EXPECT_GT(failures(), logged) << qPrintable(what);
        logged = failures();
        mendQueue();
    };
    const auto click = [](TSubTitle* label) { QTest::mouseClick(label, Qt::LeftButton); };

    auto* ordered = qobject_cast<TFrmSelect*>(Open(QStringLiteral("frmorder")));
    ASSERT_NE(ordered, nullptr);
    for (const QString button : {"first1", "delete1", "mylove1"}) {
        failsLogged(button, [&] {
            breakQueue();
            click(Label(ordered, button));
        });
    }
    // A row button's action runs after the click: the file breaks in between.
    for (const QString button : {"first1", "delete1"}) {
        failsLogged(button + " (deferred)", [&] {
            click(Label(ordered, button));
            breakQueue();
        });
    }
    for (const Qt::Key key : {Qt::Key_Insert, Qt::Key_Delete}) {
        failsLogged(QString::number(key), [&] {
            ordered->m_pList->SetCurFocus(1);
            breakQueue();
            QTest::keyClick(ordered, key);
        });
    }
    EXPECT_TRUE(ordered->TimerPlaying->isActive());
    click(Label(ordered, QStringLiteral("first2")));
    Settle();
    EXPECT_EQ(QueueSongs().first(), m_aSongs[3]);
    ordered->close();
    Settle();

    auto* sung = qobject_cast<TFrmSing*>(Open(QStringLiteral("sing")));
    ASSERT_NE(sung, nullptr);
    for (const QString label : {"reorder0", "songname0"}) {
        failsLogged(label, [&] {
            breakQueue();
            click(Label(sung, label));
        });
    }
    click(Label(sung, QStringLiteral("reorder0")));
    Settle();
    EXPECT_EQ(QueueSongs().last(), m_aSongs[0]);
}
