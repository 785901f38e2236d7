// The favourites on the demo installation, with the catalogue in SQLite and
// in PostgreSQL: signing in with a new or known id, the list with ordering,
// deleting, the reload and signing out, and a catalogue that is gone.
#include "screens/Favourites.h"

#include "SearchFixture.h"
#include "core/KeyMap.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "screens/FrmLove.h"
#include "screens/FrmMyLove.h"
#include "screens/SongScreens.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QDate>
#include <QTest>
#include <QTimer>

namespace {

QString Text(TSubTitle* label)
{
    return label ? label->Caption() : QString();
}

} // namespace

class FavouritesTest : public SearchTest, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        m_bPostgres = GetParam();
        SearchTest::SetUp();
    }
    QString Users() const { return m_pData->ado.Dialect().QuoteName(QStringLiteral("user")); }
    int UserRows(const QString& id)
    {
        return Scalar(QStringLiteral("select count(*) from ") + Users() + QStringLiteral(" where userid=?"), {id})
            .toInt();
    }
    QString LastLogin(const QString& id)
    {
        return Scalar(QStringLiteral("select lastlogin from ") + Users() + QStringLiteral(" where userid=?"), {id})
            .toDate()
            .toString(Qt::ISODate);
    }
    // Signs in on the login screen with the keypad.
    TFrmMyLove* SignIn(const QString& id)
    {
        auto* login = qobject_cast<TFrmLove*>(m_pManager->ShowMyLove());
        EXPECT_NE(login, nullptr);
        if (!login)
            return nullptr;
        for (const QChar digit : id)
            Touch(login, QStringLiteral("Num") + digit);
        Touch(login, QStringLiteral("NumEnter"));
        WaitFor([&] { return TopName() == QLatin1String("frmmylove"); });
        return qobject_cast<TFrmMyLove*>(Top());
    }
    // The song numbers of the catalogue's first n songs (as CD_Song is sorted now).
    QStringList SongNumbers(int n)
    {
        QStringList out;
        DataSet& songs = m_pData->CD_Song;
        for (int i = 1; i <= n; ++i) {
            songs.SetRecNo(i);
            out << songs.FieldByName(QStringLiteral("SongNo")).AsString();
        }
        return out;
    }
    // The songs of a favourites list in list order.
    QStringList Listed()
    {
        QStringList out;
        DataSet& detail = m_pData->MyLoveDetail;
        for (detail.First(); !detail.Eof(); detail.Next())
            out << detail.FieldByName(QStringLiteral("SongNo")).AsString();
        return out;
    }
};

TEST_P(FavouritesTest, NewIdSignsUpAtOnceAndAKnownIdIsDated)
{
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    ASSERT_EQ(UserRows(QStringLiteral("8801")), 0);
    TFrmMyLove* list = SignIn(QStringLiteral("8801"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(m_pData->m_sUserId, QStringLiteral("8801"));
    EXPECT_EQ(UserRows(QStringLiteral("8801")), 1);
    EXPECT_EQ(LastLogin(QStringLiteral("8801")), today);
    EXPECT_EQ(Text(Label(list, QStringLiteral("title"))), QStringLiteral("[8801]") + UiText("LoginMyLoveOK") + "0");
    EXPECT_EQ(list->m_pList->m_nLastRow, -1);
    EXPECT_EQ(m_pManager->OpenScreens().size(), 2) << "the login closed behind the list";

    // POINT signs out; the favourites key then opens the login again.
    g_pSetting->Keys.POINT = 110; // the keypad's point (the default shares DELSONG's code)
    QPointer<TFrmMyLove> open(list);
    Key(list, Qt::Key_Period, Qt::KeypadModifier);
    EXPECT_TRUE(m_pData->m_sUserId.isEmpty());
    EXPECT_TRUE(WaitFor([&] { return open.isNull(); }));
    EXPECT_EQ(m_pManager->ShowMyLove()->objectName(), QStringLiteral("frmmylovelogin"));
    Top()->close();
    Settle();

    // A known id signs in again and gets today's date.
    m_pData->ado.Execute(QStringLiteral("update ") + Users() +
                         QStringLiteral(" set lastlogin='2001-02-03' where userid='8801'"));
    ASSERT_NE(SignIn(QStringLiteral("8801")), nullptr);
    EXPECT_EQ(UserRows(QStringLiteral("8801")), 1);
    EXPECT_EQ(LastLogin(QStringLiteral("8801")), today);
}

TEST_P(FavouritesTest, TwentyDigitsAreTheLongestIdAndEditKeysWork)
{
    auto* login = qobject_cast<TFrmLove*>(m_pManager->ShowMyLove());
    ASSERT_NE(login, nullptr);
    Type(login, QStringLiteral("1234567890123456789012345"));
    EXPECT_EQ(login->UserId(), QStringLiteral("12345678901234567890"));
    EXPECT_EQ(Text(Label(login, QStringLiteral("Input"))), QStringLiteral("12345678901234567890"));
    Key(login, Qt::Key_Backspace);
    Key(login, Qt::Key_Delete);
    Type(login, QStringLiteral("99"));
    Key(login, Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return TopName() == QLatin1String("frmmylove"); }));
    EXPECT_EQ(m_pData->m_sUserId, QStringLiteral("12345678901234567899"));
    EXPECT_EQ(UserRows(QStringLiteral("12345678901234567899")), 1);
}

TEST_P(FavouritesTest, IdsAreBoundNeverPartOfTheStatement)
{
    // Ids that would change a statement built from text.
    const QString sneaky = QStringLiteral("1' or '1'='1");
    ASSERT_TRUE(SignInFavourites(m_pData->ado, QStringLiteral("42")));
    ASSERT_TRUE(SignInFavourites(m_pData->ado, sneaky));
    EXPECT_EQ(UserRows(sneaky), 1);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from ") + Users()).toInt(), 2);
    const QStringList songs = SongNumbers(2);
    m_pData->m_sUserId = QStringLiteral("42");
    ASSERT_EQ(SaveToFavourites(songs[0]), 1);
    m_pData->m_sUserId = sneaky;
    ASSERT_EQ(SaveToFavourites(songs[1]), 1);
    LoadFavourites(m_pData->MyLoveDetail, sneaky);
    EXPECT_EQ(Listed(), QStringList{songs[1]});
    EXPECT_TRUE(DeleteFavourite(m_pData->ado, sneaky, QStringLiteral("x' or '1'='1")));
    EXPECT_TRUE(DeleteFavourite(m_pData->ado, QStringLiteral("0' or '1'='1"), songs[0]));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from mylove")).toInt(), 2);
}

TEST_P(FavouritesTest, ListOrdersMarksDeletesAndReloads)
{
    const QStringList songs = SongNumbers(14);
    TFrmMyLove* list = SignIn(QStringLiteral("7"));
    ASSERT_NE(list, nullptr);
    for (const QString& no : songs)
        ASSERT_EQ(SaveToFavourites(no), 1);
    // The reload every three seconds brings in songs saved elsewhere.
    ASSERT_TRUE(list->TimerMsg->isActive());
    EXPECT_EQ(list->TimerMsg->interval(), 3000);
    ASSERT_TRUE(WaitFor([&] { return list->m_pList->m_nLastRow == 9; }, 6000));
    EXPECT_EQ(Text(Label(list, QStringLiteral("title"))), QStringLiteral("[7]") + UiText("LoginMyLoveOK") + "14");
    EXPECT_EQ(Text(Label(list, QStringLiteral("pagelabel"))), QStringLiteral("1/2"));
    const QStringList listed = Listed();
    ASSERT_EQ(listed.size(), 14);
    // By singer, then name.
    DataSet& detail = m_pData->MyLoveDetail;
    QStringList keys;
    for (detail.First(); !detail.Eof(); detail.Next())
        keys << detail.FieldByName(QStringLiteral("Singer_nam")).AsString() + u'\x01' +
                    detail.FieldByName(QStringLiteral("Name")).AsString();
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));

    // Touching a title orders it once; it carries the queued mark.
    TSubTitle* row2 = Label(list, QStringLiteral("songname2"));
    const QString name2 = Text(row2);
    Touch(row2);
    Touch(row2);
    EXPECT_EQ(QueueSongs(), QStringList{listed[2]});
    EXPECT_EQ(Text(row2), QStringLiteral("√") + name2);
    // The singer column orders too (a different row).
    Touch(list, QStringLiteral("songsinger4"));
    EXPECT_EQ(QueueSongs(), (QStringList{listed[2], listed[4]}));

    // The second page, focus on its third row; the reload keeps both and the marks.
    Key(list, Qt::Key_PageDown);
    list->m_pList->SetCurFocus(2);
    list->TimerMsgTimer();
    EXPECT_EQ(list->m_pList->SelPage(), 2);
    EXPECT_EQ(list->m_pList->CurFocus(), 2);
    Key(list, Qt::Key_PageUp);
    EXPECT_EQ(Text(Label(list, QStringLiteral("songname2"))), QStringLiteral("√") + name2);
    // A queued favourite cannot be ordered again from the list.
    Touch(list, QStringLiteral("songname2"));
    EXPECT_EQ(QueueSongs().size(), 2);

    // The delete button of row 3 (a queued song: it is deleted, not ordered).
    Touch(list, QStringLiteral("delete2"));
    EXPECT_EQ(Listed().size(), 13);
    EXPECT_FALSE(Listed().contains(listed[2]));
    EXPECT_EQ(QueueSongs().size(), 2);
    EXPECT_EQ(list->m_pList->CurFocus(), 1) << "the focus goes to the row above";
    EXPECT_EQ(Text(Label(list, QStringLiteral("title"))), QStringLiteral("[7]") + UiText("LoginMyLoveOK") + "13");

    // On the last page, a delete button below the last song deletes nothing.
    Key(list, Qt::Key_PageDown);
    EXPECT_EQ(list->m_pList->m_nLastRow, 2);
    Touch(list, QStringLiteral("delete6"));
    EXPECT_EQ(Listed().size(), 13);
    // DELSONG deletes the focused song; on page 2 the page stays. (POINT
    // gets a code of its own: by default the two share one, which signs out.)
    g_pSetting->Keys.POINT = 110;
    list->m_pList->SetCurFocus(1);
    Key(list, Qt::Key_Delete);
    ASSERT_EQ(TopName(), QStringLiteral("frmmylove"));
    EXPECT_EQ(Listed().size(), 12);
    EXPECT_EQ(list->m_pList->SelPage(), 2);
    EXPECT_EQ(list->m_pList->CurFocus(), 0);
    // Everything the list deleted was this user's, nothing else.
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from mylove")).toInt(), 12);
}

// A favourite whose song record left the catalogue (the file entry stays)
// shows its song number, cannot be ordered and can still be deleted.
TEST_P(FavouritesTest, FavouriteWithoutItsRecordShowsItsNumberAndCanBeDeleted)
{
    const QStringList songs = SongNumbers(2);
    m_pData->m_sUserId = QStringLiteral("64");
    ASSERT_EQ(SaveToFavourites(songs[0]), 1);
    ASSERT_EQ(SaveToFavourites(songs[1]), 1);
    m_pData->ado.Execute(QStringLiteral("delete from original where songno=?"), {songs[1]});
    auto* list = qobject_cast<TFrmMyLove*>(m_pManager->ShowMyLove());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->m_pList->m_nLastRow, 1);
    int orphan = -1;
    for (int row = 0; row < 2; ++row)
        if (Text(Label(list, QStringLiteral("songname%1").arg(row))) == songs[1])
            orphan = row;
    ASSERT_NE(orphan, -1) << "the row shows the song number for the missing name";
    Touch(list, QStringLiteral("songname%1").arg(orphan));
    EXPECT_TRUE(QueueSongs().isEmpty()) << "nothing to play";
    EXPECT_EQ(Text(Label(list, QStringLiteral("songname%1").arg(orphan))), songs[1]) << "no queued mark";

    Touch(list, QStringLiteral("delete%1").arg(orphan));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from mylove where songno=?"), {songs[1]}).toInt(), 0);
    EXPECT_EQ(Listed(), QStringList{songs[0]});
    EXPECT_EQ(Text(Label(list, QStringLiteral("title"))), QStringLiteral("[64]") + UiText("LoginMyLoveOK") + "1");
}

TEST_P(FavouritesTest, SignInWhileTheCatalogueIsGoneKeepsTheLoginOpen)
{
    auto* login = qobject_cast<TFrmLove*>(m_pManager->ShowMyLove());
    ASSERT_NE(login, nullptr);
    Type(login, QStringLiteral("5150"));
    m_pData->ado.Close();
    Key(login, Qt::Key_Return);
    Settle();
    EXPECT_EQ(TopName(), QStringLiteral("frmmylovelogin"));
    EXPECT_EQ(Text(Label(login, QStringLiteral("Input"))), QStringLiteral("5150"));
    EXPECT_TRUE(m_pData->m_sUserId.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Engines, FavouritesTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "PostgreSQL" : "SQLite");
                         });

// DELSONG on a skin whose favourites list has no delete buttons deletes
// nothing; with the default keys DELSONG and POINT share a code, and that key
// signs out rather than delete a song.
TEST_F(SearchTest, FavouritesWithoutDeleteButtonsAndSharedKeyCodes)
{
    QDomElement node = m_pManager->SelectNode(QStringLiteral("root/public/form/frmmylove"));
    for (QDomElement e = node.firstChildElement(); !e.isNull();) {
        const QDomElement next = e.nextSiblingElement();
        if (e.tagName().startsWith(QLatin1String("delete")))
            node.removeChild(e);
        e = next;
    }
    m_pData->m_sUserId = QStringLiteral("9");
    m_pData->CD_Song.First();
    ASSERT_EQ(SaveToFavourites(m_pData->CD_Song.FieldByName(QStringLiteral("SongNo")).AsString()), 1);
    auto* list = qobject_cast<TFrmMyLove*>(m_pManager->ShowMyLove());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->m_pList->m_nLastRow, 0);
    g_pSetting->Keys.POINT = 110;
    Key(list, Qt::Key_Delete);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from mylove")).toInt(), 1);
    EXPECT_EQ(m_pData->m_sUserId, QStringLiteral("9"));

    g_pSetting->Keys.POINT = g_pSetting->Keys.DELSONG;
    QPointer<TFrmMyLove> open(list);
    Key(list, Qt::Key_Delete);
    EXPECT_TRUE(m_pData->m_sUserId.isEmpty());
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from mylove")).toInt(), 1);
    EXPECT_TRUE(WaitFor([&] { return open.isNull(); }));
}

// The demo skin's sign-out button.
TEST_F(SearchTest, FavouritesSignOutButton)
{
    m_pData->m_sUserId = QStringLiteral("31");
    auto* list = qobject_cast<TFrmMyLove*>(m_pManager->ShowMyLove());
    ASSERT_NE(list, nullptr);
    QPointer<TFrmMyLove> open(list);
    Touch(list, QStringLiteral("SignOut"));
    EXPECT_TRUE(m_pData->m_sUserId.isEmpty());
    EXPECT_TRUE(WaitFor([&] { return open.isNull(); }));
}
