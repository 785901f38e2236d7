// The song number screen on the demo installation: typing a number on its
// keypad or the keyboard, ordering with ENTER, NotFound and the next number.
#include "SearchFixture.h"
#include "core/KeyMap.h"
#include "platform/db/DataSet.h"
#include "screens/FrmNumber.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QTest>

namespace {

QString Text(TSubTitle* label)
{
    return label ? label->Caption() : QString();
}

} // namespace

class NumberTest : public SearchTest
{
protected:
    TFrmNumber* OpenNumber()
    {
        auto* screen = qobject_cast<TFrmNumber*>(m_pManager->ShowNumber());
        EXPECT_NE(screen, nullptr);
        return screen;
    }
    // A song of the catalogue: its number, name and singer.
    void PickSong(int recNo, QString& no, QString& name, QString& singer)
    {
        DataSet& songs = m_pData->CD_Song;
        songs.SetRecNo(recNo);
        no = songs.FieldByName(QStringLiteral("SongNo")).AsString();
        name = songs.FieldByName(QStringLiteral("Name")).AsString();
        singer = songs.FieldByName(QStringLiteral("Singer_Nam")).AsString();
    }
};

TEST_F(NumberTest, KeypadNumberOrdersTheSongAndTheNextKeyStartsAnew)
{
    QString no, name, singer;
    PickSong(17, no, name, singer);
    ASSERT_FALSE(no.isEmpty());
    TFrmNumber* screen = OpenNumber();
    ASSERT_NE(screen, nullptr);
    for (const QChar digit : no)
        Touch(screen, QStringLiteral("Num") + digit);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), no);
    Touch(screen, QStringLiteral("NumEnter"));
    EXPECT_EQ(QueueSongs(), QStringList{no});
    EXPECT_EQ(HistoryRows(no), 1);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Name"))), name);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Singer"))), singer);
    // The look-up leaves the catalogue whole, by number.
    EXPECT_FALSE(m_pData->CD_Song.Filtered());
    EXPECT_EQ(m_pData->CD_Song.IndexFieldNames(), QStringLiteral("SongNo"));

    // The next digit clears the result and begins a new number.
    Key(screen, Qt::Key_7);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QStringLiteral("7"));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Name"))), QString());
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Singer"))), QString());
    // Every key also reached the station-wide handling.
    EXPECT_TRUE(m_aDispatched.contains(UiKeys().n7));
}

TEST_F(NumberTest, UnknownNumberShowsNotFoundAndOrdersNothing)
{
    TFrmNumber* screen = OpenNumber();
    ASSERT_NE(screen, nullptr);
    // ENTER on an empty number does nothing here; the station still sees it.
    Key(screen, Qt::Key_Return);
    EXPECT_TRUE(QueueSongs().isEmpty());
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Name"))), QString());
    EXPECT_TRUE(m_aDispatched.contains(UiKeys().ENTER));

    Type(screen, QStringLiteral("99999999"));
    Key(screen, Qt::Key_Return);
    EXPECT_TRUE(QueueSongs().isEmpty());
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Name"))), UiText(QStringLiteral("NotFound")));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QStringLiteral("99999999"));
    // BACKSPACE after a result: the result goes, the number starts empty.
    Key(screen, Qt::Key_Backspace);
    EXPECT_EQ(screen->Number(), QString());
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Name"))), QString());
}

TEST_F(NumberTest, DeleteDropsOneDigitAndLongNumbersStopAtTen)
{
    TFrmNumber* screen = OpenNumber();
    ASSERT_NE(screen, nullptr);
    Type(screen, QStringLiteral("305"));
    Key(screen, Qt::Key_Delete); // DELSONG: only the last digit here
    EXPECT_EQ(screen->Number(), QStringLiteral("30"));
    Touch(screen, QStringLiteral("NumDel"));
    EXPECT_EQ(screen->Number(), QStringLiteral("3"));
    // A guest leaning on the keys: no number is longer than a song number.
    Type(screen, QStringLiteral("123456789012345"));
    EXPECT_EQ(screen->Number(), QStringLiteral("3123456789"));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QStringLiteral("3123456789"));
    // Letters do nothing to the number.
    Key(screen, Qt::Key_A);
    EXPECT_EQ(screen->Number(), QStringLiteral("3123456789"));
    // RETURN closes the screen.
    QPointer<TFrmNumber> open(screen);
    Key(screen, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return open.isNull(); }));
}

TEST_F(NumberTest, KeysBeforeTheScreenIsBuiltOrWithoutItsLabels)
{
    QString no, name, singer;
    PickSong(3, no, name, singer);
    // Created but not yet shown (built): keys reach a screen without labels.
    auto* screen = qobject_cast<TFrmNumber*>(
        m_pManager->ShowNode(m_pManager->SelectNode(QStringLiteral("root/portal/ordersong/number")), false));
    ASSERT_NE(screen, nullptr);
    for (const QChar digit : no)
        screen->KeyDown(UiKeys().n0 + digit.digitValue());
    screen->KeyDown(UiKeys().ENTER);
    EXPECT_EQ(QueueSongs(), QStringList{no}) << "the number works with the keys alone";
    delete screen;
}
