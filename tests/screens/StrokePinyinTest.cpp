// The stroke and pinyin screens on the demo installation: strokes typed on
// the stroke buttons narrow the screen's own list, which orders songs; the
// pinyin screen's letters and two-digit letter codes open the song list or
// the singer screen.
#include "SearchFixture.h"
#include "catalogue/SongFilter.h"
#include "core/KeyMap.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "screens/FrmPY.h"
#include "screens/FrmSinger.h"
#include "screens/FrmSong.h"
#include "screens/FrmStorke.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

namespace {

QString Text(TSubTitle* label)
{
    return label ? label->Caption() : QString();
}

// The stroke buttons of the demo skin by the digit of their stroke.
const char* const kStrokeButtons[] = {"heng", "shu", "bei", "na", "ze"};

} // namespace

class StrokeTest : public SearchTest
{
protected:
    TFrmStorke* OpenStroke()
    {
        auto* screen = qobject_cast<TFrmStorke*>(m_pManager->ShowStroke());
        EXPECT_NE(screen, nullptr);
        return screen;
    }
    // Touches the stroke buttons of a stroke code ("123").
    void Strokes(TFrmStorke* screen, const QString& code)
    {
        for (const QChar digit : code)
            Touch(screen, QLatin1String(kStrokeButtons[digit.digitValue() - 1]));
    }
    // Every listed song's stroke code starts with the code.
    void ExpectListedStrokes(const QString& code)
    {
        DataSet& songs = m_pData->CD_Song;
        ASSERT_GT(songs.RecordCount(), 0) << code.toStdString();
        for (songs.First(); !songs.Eof(); songs.Next())
            EXPECT_TRUE(songs.FieldByName(QStringLiteral("Strokes")).AsString().startsWith(code));
    }
};

TEST_F(StrokeTest, StrokeButtonsNarrowTheListAndDeleteStepsBack)
{
    m_pData->CD_Song.SetRecNo(5);
    const QString code = m_pData->CD_Song.FieldByName(QStringLiteral("Strokes")).AsString().left(3);
    ASSERT_EQ(code.size(), 3);
    TFrmStorke* screen = OpenStroke();
    ASSERT_NE(screen, nullptr);
    const int all = m_pData->CD_Song.RecordCount();
    Strokes(screen, code);
    EXPECT_EQ(TFrmStorke::StrokeCode(Text(Label(screen, QStringLiteral("Input")))), code);
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kStrokes), code);
    ExpectListedStrokes(code);
    EXPECT_LT(m_pData->CD_Song.RecordCount(), all);
    EXPECT_TRUE(Label(screen, QStringLiteral("notfound"))->isHidden());

    // BACKSPACE drops one stroke and the list widens again.
    Touch(screen, QStringLiteral("StrokeDel"));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kStrokes), code.left(2));
    ExpectListedStrokes(code.left(2));
    // The clear button starts again with the whole catalogue.
    Touch(screen, QStringLiteral("StrokeClear"));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QString());
    EXPECT_EQ(m_pData->CD_Song.RecordCount(), all);
}

TEST_F(StrokeTest, TenStrokesStartAgainAndUnknownCodesShowNotFound)
{
    TFrmStorke* screen = OpenStroke();
    ASSERT_NE(screen, nullptr);
    // Keys work as the buttons do: h, s, p, n, z are the demo's stroke keys.
    Type(screen, QStringLiteral("hspnzhspn"));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QStringLiteral("横竖撇捺折横竖撇捺"));
    Key(screen, Qt::Key_Z);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QString()) << "a tenth stroke empties the input";
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kStrokes), QString());

    // Six turning strokes: no song of the demo starts so.
    Type(screen, QStringLiteral("zzzzzz"));
    EXPECT_EQ(m_pData->CD_Song.RecordCount(), 0);
    EXPECT_FALSE(Label(screen, QStringLiteral("notfound"))->isHidden());
    EXPECT_EQ(Text(Label(screen, QStringLiteral("notfound"))), UiText(QStringLiteral("NotFound")));
    EXPECT_EQ(screen->m_pList->m_nLastRow, -1);
    // A touch on an empty row orders nothing.
    Touch(screen, QStringLiteral("songname0"));
    EXPECT_TRUE(QueueSongs().isEmpty());
}

TEST_F(StrokeTest, RowsOrderOnceAndASingerShowsTheirSongsOnTheSameList)
{
    m_pData->CD_Song.SetRecNo(9);
    const QString code = m_pData->CD_Song.FieldByName(QStringLiteral("Strokes")).AsString().left(2);
    TFrmStorke* screen = OpenStroke();
    ASSERT_NE(screen, nullptr);
    Strokes(screen, code);
    DataSet& songs = m_pData->CD_Song;
    songs.SetRecNo(1);
    const QString first = songs.FieldByName(QStringLiteral("SongNo")).AsString();
    const QString name = songs.FieldByName(QStringLiteral("Name")).AsString();
    Touch(screen, QStringLiteral("songname0"));
    Touch(screen, QStringLiteral("songname0"));
    EXPECT_EQ(QueueSongs(), QStringList{first});
    EXPECT_EQ(HistoryRows(first), 1);
    EXPECT_TRUE(Text(Label(screen, QStringLiteral("songname0"))).startsWith(QStringLiteral("√") + name));
    EXPECT_EQ(TFrmStorke::StrokeCode(screen->Strokes()), code) << "ordering keeps the strokes";

    TSubTitle* singer = Label(screen, QStringLiteral("songsinger0"));
    const QString who = Text(singer);
    ASSERT_FALSE(who.isEmpty());
    Touch(singer);
    EXPECT_EQ(TopName(), QStringLiteral("storke")) << "the same screen shows the singer's songs";
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kSinger), who);
    ASSERT_GT(songs.RecordCount(), 0);
    for (songs.First(); !songs.Eof(); songs.Next())
        EXPECT_TRUE(songs.FieldByName(QStringLiteral("Singer_nam")).AsString().contains(who));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QString());
    EXPECT_EQ(Text(Label(screen, QStringLiteral("title"))), who);
    EXPECT_EQ(QueueSongs().size(), 1) << "the singer column orders nothing";
    // The next stroke starts a stroke search again.
    Strokes(screen, code.left(1));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kSinger), QString());
    ExpectListedStrokes(code.left(1));
}

TEST_F(StrokeTest, AStrokeWhoseButtonIsMissingCannotBeTyped)
{
    QDomElement node = m_pManager->SelectNode(QStringLiteral("root/portal/ordersong/storke"));
    node.removeChild(node.firstChildElement(QStringLiteral("na")));
    TFrmStorke* screen = OpenStroke();
    ASSERT_NE(screen, nullptr);
    Type(screen, QStringLiteral("hnp"));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QStringLiteral("横撇"));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kStrokes), QStringLiteral("13"));
}

class PinyinTest : public SearchTest
{
protected:
    TFrmPY* OpenPinyin(const QString& node)
    {
        const QDomElement button = m_pManager->m_pDocument.elementsByTagName(node).at(0).toElement();
        const QDomElement parent = button.parentNode().toElement();
        EXPECT_TRUE(m_pManager->ButtonAction(parent, button));
        Settle();
        auto* screen = qobject_cast<TFrmPY*>(Top());
        EXPECT_NE(screen, nullptr);
        return screen;
    }
};

TEST_F(PinyinTest, DigitCodesAndLettersThenEnterOpenTheSongList)
{
    m_pData->m_pFilter->SetLanguage(QStringLiteral("1"));
    TFrmPY* screen = OpenPinyin(QStringLiteral("songbypy"));
    ASSERT_NE(screen, nullptr);
    EXPECT_FALSE(screen->IsSinger());
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kLanguage), QString()) << "opening clears the filter";

    Type(screen, QStringLiteral("08"));
    EXPECT_EQ(screen->Letters(), QStringLiteral("H"));
    Type(screen, QStringLiteral("27")); // no letter has code 27
    Type(screen, QStringLiteral("00"));
    EXPECT_EQ(screen->Letters(), QStringLiteral("H"));
    Touch(screen, QStringLiteral("LetterJ"));
    Type(screen, QStringLiteral("x"));
    Touch(screen, QStringLiteral("LetterDel"));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QStringLiteral("HJ"));
    Touch(screen, QStringLiteral("LetterEnter"));
    EXPECT_EQ(TopName(), QStringLiteral("frmsong"));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kFirstLetters), QStringLiteral("HJ"));
    EXPECT_EQ(screen->Letters(), QString()) << "the input is cleared for the way back";
    DataSet& songs = m_pData->CD_Song;
    for (songs.First(); !songs.Eof(); songs.Next())
        EXPECT_TRUE(songs.FieldByName(QStringLiteral("First_Char")).AsString().startsWith(QStringLiteral("HJ")));
}

TEST_F(PinyinTest, TheSixthLetterSearchesAndLongerInputIsCut)
{
    TFrmPY* screen = OpenPinyin(QStringLiteral("songbypy"));
    ASSERT_NE(screen, nullptr);
    // ENTER on an empty input goes only to the station-wide handling.
    m_aDispatched.clear();
    Key(screen, Qt::Key_Return);
    EXPECT_EQ(TopName(), QStringLiteral("songbypy"));
    EXPECT_TRUE(m_aDispatched.contains(UiKeys().ENTER));

    // The sixth letter searches by itself.
    Type(screen, QStringLiteral("ABCDEF"));
    EXPECT_EQ(TopName(), QStringLiteral("frmsong"));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kFirstLetters), QStringLiteral("ABCDEF"));
    EXPECT_EQ(screen->Letters(), QString());
    Top()->close();
    Settle();

    // Keys that come before the search the sixth letter started: the letters
    // stop at six, and one song list opens.
    for (int i = 0; i < 12; ++i)
        screen->KeyDown(UiKeys().A + i);
    EXPECT_EQ(screen->Letters(), QStringLiteral("ABCDEF"));
    Settle();
    EXPECT_EQ(TopName(), QStringLiteral("frmsong"));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kFirstLetters), QStringLiteral("ABCDEF"));
    EXPECT_EQ(m_pManager->OpenScreens().size(), 3) << "one song list";
}

TEST_F(PinyinTest, SingerInitialsOpenTheSingerGrid)
{
    TFrmPY* screen = OpenPinyin(QStringLiteral("singerbypy"));
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(screen->IsSinger());
    DataSet& singers = m_pData->CD_Singer;
    singers.First();
    const QString initial = singers.FieldByName(QStringLiteral("PyCode")).AsString().left(1);
    Type(screen, initial);
    Key(screen, Qt::Key_Return);
    auto* grid = qobject_cast<TFrmSinger*>(Top());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->objectName(), QStringLiteral("frmsinger")) << "the demo portal asks for photos";
    ASSERT_GT(singers.RecordCount(), 0);
    for (singers.First(); !singers.Eof(); singers.Next())
        EXPECT_TRUE(singers.FieldByName(QStringLiteral("PyCode")).AsString().startsWith(initial));
    EXPECT_EQ(Text(Label(grid, QStringLiteral("singername0"))).isEmpty(), false);
}
