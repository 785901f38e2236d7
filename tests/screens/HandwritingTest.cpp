// The handwriting screen on the demo installation: characters drawn on the
// writing pad with presses and moves as a finger draws them, the candidates
// the recognizer offers, the song list they narrow, the keys of the screen,
// and a station without a recognizer model.
#include "SearchFixture.h"
#include "catalogue/SongFilter.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "screens/FrmOCR.h"
#include "support/HandwritingInk.h"
#include "ui/HandWriteX.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"

#include <QFile>
#include <QImage>
#include <QPointingDevice>
#include <QTemporaryDir>

namespace {

QString Text(TSubTitle* label)
{
    return label ? label->Caption() : QString();
}

} // namespace

class HandwritingTest : public SearchTest
{
protected:
    void SetUp() override
    {
        SearchTest::SetUp();
        ASSERT_FALSE(ink::Medians().isEmpty()) << "no stroke data (VOD_SOURCE_DIR)";
    }

    TFrmOCR* OpenOcr()
    {
        auto* screen = qobject_cast<TFrmOCR*>(m_pManager->ShowOcr());
        EXPECT_NE(screen, nullptr);
        if (screen) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(screen));
        }
        return screen;
    }
    static QWidget* Pad(TFrmOCR* screen) { return screen->FindControl(QStringLiteral("write")); }

    // Writes the character over the whole pad, or into a part of it.
    void Write(TFrmOCR* screen, const QString& character, QRect area = QRect())
    {
        QWidget* pad = Pad(screen);
        ASSERT_NE(pad, nullptr);
        ASSERT_TRUE(ink::Medians().contains(character)) << character.toStdString();
        if (area.isNull())
            area = pad->rect().adjusted(8, 8, -8, -8);
        ink::Draw(pad, ink::Place(ink::Medians().value(character), area));
        Settle();
    }
    static QStringList Candidates(TFrmOCR* screen)
    {
        QStringList out;
        for (int i = 0; i < TFrmOCR::kMaxCandidates; ++i)
            out.append(Text(screen->FindLabel(QStringLiteral("words%1").arg(i))));
        return out;
    }
    // Touches the candidate label showing the character.
    void Choose(TFrmOCR* screen, const QString& character)
    {
        const int at = int(Candidates(screen).indexOf(character));
        ASSERT_GE(at, 0) << character.toStdString() << " not among " << Candidates(screen).join(' ').toStdString();
        Touch(screen, QStringLiteral("words%1").arg(at));
    }
    // Pixels of the ink's colour on the pad as the screen shows it.
    static int InkPixels(TFrmOCR* screen)
    {
        QWidget* pad = Pad(screen);
        const QImage shot = screen->grab(pad->geometry()).toImage();
        const QColor ink = screen->HandWrite->BrushColor();
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (std::abs(c.red() - ink.red()) + std::abs(c.green() - ink.green()) +
                        std::abs(c.blue() - ink.blue()) <
                    30)
                    ++n;
            }
        return n;
    }
    // A name of the catalogue view whose first `count` characters are all
    // in the stroke data.
    QString WritableName(int count)
    {
        DataSet& songs = m_pData->CD_Song;
        for (songs.First(); !songs.Eof(); songs.Next()) {
            const QString name = songs.FieldByName(QStringLiteral("Name")).AsString();
            if (name.size() < count)
                continue;
            bool all = true;
            for (int i = 0; i < count; ++i)
                all = all && ink::Medians().contains(name.mid(i, 1));
            if (all)
                return name.left(count);
        }
        return QString();
    }
    void ExpectListedNamesStartWith(const QString& start)
    {
        DataSet& songs = m_pData->CD_Song;
        ASSERT_GT(songs.RecordCount(), 0) << start.toStdString();
        for (songs.First(); !songs.Eof(); songs.Next())
            EXPECT_TRUE(songs.FieldByName(QStringLiteral("Name")).AsString().startsWith(start));
    }
};

TEST_F(HandwritingTest, AWrittenCharacterIsOfferedAndChoosingItNarrowsTheList)
{
    const QString start = WritableName(2);
    ASSERT_EQ(start.size(), 2) << "the demo catalogue has no name the stroke data can write";
    TFrmOCR* screen = OpenOcr();
    ASSERT_NE(screen, nullptr);
    const int all = m_pData->CD_Song.RecordCount();
    EXPECT_EQ(screen->m_nCandidates, 10);
    EXPECT_EQ(InkPixels(screen), 0);

    Write(screen, start.left(1));
    // The ink shows where it was drawn, and the ten labels hold ten
    // candidates with the written character among them.
    EXPECT_GT(InkPixels(screen), 200);
    ASSERT_FALSE(screen->HandWrite->Strokes().isEmpty());
    EXPECT_GT(screen->HandWrite->Strokes().first().size(), 5) << "the ink does not follow the pen's moves";
    const QStringList offered = Candidates(screen);
    EXPECT_TRUE(offered.contains(start.left(1))) << offered.join(' ').toStdString();
    EXPECT_EQ(offered.count(QString()), 0) << offered.join(' ').toStdString();

    Choose(screen, start.left(1));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), start.left(1));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kNameStart), start.left(1));
    ExpectListedNamesStartWith(start.left(1));
    EXPECT_LT(m_pData->CD_Song.RecordCount(), all);
    // Choosing starts the next character on a clean pad.
    EXPECT_EQ(InkPixels(screen), 0);
    EXPECT_TRUE(screen->HandWrite->Strokes().isEmpty());
    EXPECT_EQ(Candidates(screen).count(QString()), 10);

    // The second character narrows the list to names starting with both.
    Write(screen, start.mid(1, 1));
    Choose(screen, start.mid(1, 1));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), start);
    ExpectListedNamesStartWith(start);
    EXPECT_TRUE(Label(screen, QStringLiteral("notfound"))->isHidden());
    EXPECT_TRUE(Text(Label(screen, QStringLiteral("songname0"))).startsWith(start));
}

TEST_F(HandwritingTest, TheCandidatesDoNotDependOnWhereOrHowLargeTheGuestWrites)
{
    TFrmOCR* screen = OpenOcr();
    ASSERT_NE(screen, nullptr);
    const QRect pad = Pad(screen)->rect();
    const int small = pad.height() * 2 / 5;
    const QList<QRect> places = {pad.adjusted(8, 8, -8, -8), QRect(4, 4, small, small),
                                 QRect(pad.width() - small - 4, pad.height() - small - 4, small, small),
                                 QRect(pad.width() / 3, pad.height() / 4, pad.width() / 2, pad.height() / 2)};
    // Characters the model tells apart from their look-alikes (十 and 力,
    // 人 and 入 are too close to be a test of placement).
    for (const QString& character : {QStringLiteral("大"), QStringLiteral("小"), QStringLiteral("风"),
                                     QStringLiteral("明"), QStringLiteral("我")}) {
        for (const QRect& place : places) {
            Write(screen, character, place);
            const QStringList offered = Candidates(screen);
            EXPECT_EQ(offered.value(0), character) << "written into " << place.x() << "," << place.y() << " "
                                                   << place.width() << ": " << offered.join(' ').toStdString();
            Key(screen, Qt::Key_Delete); // DELSONG: a clean pad
            ASSERT_TRUE(screen->HandWrite->Strokes().isEmpty());
        }
    }
}

// A pointer that reports the pen's path every pixel or only every few
// dozen, and a hand that shakes, give the same best candidate.
TEST_F(HandwritingTest, TheCandidatesDoNotDependOnThePointersRateOrAShakyHand)
{
    TFrmOCR* screen = OpenOcr();
    ASSERT_NE(screen, nullptr);
    QWidget* pad = Pad(screen);
    const QRect area = pad->rect().adjusted(8, 8, -8, -8);
    // The path gone over in 3-pixel steps, each point pushed off it by
    // `tremor` pixels (2 % of the character's size), one side and then the
    // other.
    const auto shaky = [](const ink::Strokes& strokes, int tremor) {
        ink::Strokes out;
        for (const QList<QPoint>& stroke : strokes) {
            QList<QPoint> points{stroke.first()};
            for (qsizetype i = 1; i < stroke.size(); ++i) {
                const QPoint from = stroke[i - 1], to = stroke[i];
                const int n = std::max(1, int(std::hypot(to.x() - from.x(), to.y() - from.y()) / 3));
                for (int k = 1; k <= n; ++k) {
                    const int side = points.size() % 2 ? tremor : -tremor;
                    points.append(from + (to - from) * k / n + QPoint(side, side));
                }
            }
            points.last() = stroke.last();
            out.append(points);
        }
        return out;
    };
    for (const QString& character :
         {QStringLiteral("小"), QStringLiteral("明"), QStringLiteral("我"), QStringLiteral("家")}) {
        const ink::Strokes placed = ink::Place(ink::Medians().value(character), area);
        for (const auto& [strokes, step] :
             {std::pair{placed, 2}, std::pair{placed, 40}, std::pair{shaky(placed, 6), 6}}) {
            ink::Draw(pad, strokes, step);
            Settle();
            EXPECT_EQ(Candidates(screen).value(0), character)
                << "drawn in steps of " << step << ": " << Candidates(screen).join(' ').toStdString();
            Key(screen, Qt::Key_Delete);
        }
    }
}

TEST_F(HandwritingTest, DelSongErasesTheInkFirstThenTheInputAndBackspaceDropsACharacter)
{
    const QString start = WritableName(2);
    ASSERT_EQ(start.size(), 2);
    TFrmOCR* screen = OpenOcr();
    ASSERT_NE(screen, nullptr);
    const int all = m_pData->CD_Song.RecordCount();
    for (const QString& character : {start.left(1), start.mid(1, 1)}) {
        Write(screen, character);
        Choose(screen, character);
    }
    ASSERT_EQ(Text(Label(screen, QStringLiteral("Input"))), start);

    // BACKSPACE takes the last Chinese character away whole.
    Key(screen, Qt::Key_Backspace);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), start.left(1));
    ExpectListedNamesStartWith(start.left(1));

    // With ink on the pad DELSONG erases the ink and the candidates only...
    Write(screen, QStringLiteral("口"));
    ASSERT_GT(InkPixels(screen), 0);
    Key(screen, Qt::Key_Delete);
    EXPECT_EQ(InkPixels(screen), 0);
    EXPECT_EQ(Candidates(screen).count(QString()), 10);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), start.left(1));
    // ...and a second DELSONG the input, giving back the whole catalogue.
    Key(screen, Qt::Key_Delete);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QString());
    EXPECT_EQ(m_pData->CD_Song.RecordCount(), all);
    EXPECT_TRUE(QueueSongs().isEmpty()) << "DELSONG ordered or deleted a song";
}

TEST_F(HandwritingTest, ArrowKeysStepThroughTheCandidatesAndEnterTakesTheOneReached)
{
    TFrmOCR* screen = OpenOcr();
    ASSERT_NE(screen, nullptr);
    const int page = screen->m_pList->SelPage();
    Key(screen, Qt::Key_Down); // nothing offered yet: nothing to reach
    EXPECT_EQ(screen->FocusedCandidate(), -1);

    Write(screen, QStringLiteral("大"));
    const QStringList offered = Candidates(screen);
    TSubTitle* first = Label(screen, QStringLiteral("words0"));
    const QColor plain = first->FontColor();
    Key(screen, Qt::Key_Down);
    EXPECT_EQ(screen->FocusedCandidate(), 0);
    EXPECT_NE(first->FontColor(), plain) << "the reached candidate is not marked";
    Key(screen, Qt::Key_Down);
    Key(screen, Qt::Key_Up);
    Key(screen, Qt::Key_Up); // past the first: round to the last
    EXPECT_EQ(screen->FocusedCandidate(), 9);
    EXPECT_EQ(first->FontColor(), plain);
    EXPECT_EQ(screen->m_pList->SelPage(), page) << "the arrows moved the song list";

    Key(screen, Qt::Key_Return);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), offered.value(9));
    EXPECT_EQ(screen->FocusedCandidate(), -1);
    EXPECT_TRUE(QueueSongs().isEmpty()) << "ENTER on a candidate ordered a song";
}

TEST_F(HandwritingTest, StrokesOnThePadTurnNoPage)
{
    TFrmOCR* screen = OpenOcr();
    ASSERT_NE(screen, nullptr);
    ASSERT_GT(screen->m_pList->m_nPageCount, 1);
    const QString firstRow = Text(Label(screen, QStringLiteral("songname0")));
    // The first stroke of 大, to the right, is a page swipe on other
    // screens.
    Write(screen, QStringLiteral("大"));
    EXPECT_EQ(screen->m_pList->SelPage(), 1);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("songname0"))), firstRow);
    EXPECT_EQ(Candidates(screen).value(0), QStringLiteral("大"));
}

TEST_F(HandwritingTest, OrderingKeepsTheNarrowedListAndHotelVodRefusesPricedSongs)
{
    const QString start = WritableName(1);
    ASSERT_FALSE(start.isEmpty());
    TFrmOCR* screen = OpenOcr();
    ASSERT_NE(screen, nullptr);
    Write(screen, start);
    Choose(screen, start);
    const int narrowed = m_pData->CD_Song.RecordCount();

    // Touch the first row: the song is queued, the input is cleared for the
    // next name and the list keeps its songs.
    m_pData->CD_Song.SetRecNo(1);
    const QString songNo = m_pData->CD_Song.FieldByName(QStringLiteral("SongNo")).AsString();
    Write(screen, QStringLiteral("口"));
    Touch(screen, QStringLiteral("songname0"));
    EXPECT_EQ(QueueSongs(), QStringList{songNo});
    EXPECT_TRUE(Text(Label(screen, QStringLiteral("songname0"))).startsWith(QStringLiteral("√")));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QString());
    EXPECT_TRUE(screen->HandWrite->Strokes().isEmpty());
    EXPECT_EQ(m_pData->CD_Song.RecordCount(), narrowed);

    // Selling songs through room service: a priced song is not ordered.
    g_pSetting->HotelVod = true;
    DataSet& songs = m_pData->CD_Song;
    songs.SetFilter(QStringLiteral("Price > 0"));
    songs.SetFiltered(true);
    ASSERT_GT(songs.RecordCount(), 0);
    screen->m_pList->Reset();
    screen->m_pList->Refresh();
    Touch(screen, QStringLiteral("songname0"));
    EXPECT_EQ(QueueSongs().size(), 1);
    EXPECT_FALSE(Text(Label(screen, QStringLiteral("songname0"))).startsWith(QStringLiteral("√")));
}

// A finger on the room's touch screen writes as the mouse does: the touch
// points reach the pad as ink and the character is offered.
TEST_F(HandwritingTest, AFingerOnTheTouchScreenWritesLikeThePen)
{
    TFrmOCR* screen = OpenOcr();
    ASSERT_NE(screen, nullptr);
    QPointingDevice* finger = QTest::createTouchDevice();
    QWidget* pad = Pad(screen);
    QWindow* window = screen->windowHandle();
    const auto at = [&](QPoint p) { return pad->mapTo(screen, p); };
    for (const QList<QPoint>& stroke :
         ink::Place(ink::Medians().value(QStringLiteral("大")), pad->rect().adjusted(8, 8, -8, -8))) {
        QTest::touchEvent(window, finger).press(0, at(stroke.first()));
        QPoint last = stroke.first();
        for (const QPoint& to : stroke.mid(1)) {
            const int n = std::max(1, int(std::hypot(to.x() - last.x(), to.y() - last.y()) / 6));
            for (int k = 1; k <= n; ++k)
                QTest::touchEvent(window, finger).move(0, at(last + (to - last) * k / n));
            last = to;
        }
        QTest::touchEvent(window, finger).release(0, at(last));
    }
    Settle();
    EXPECT_EQ(screen->HandWrite->Strokes().size(), 3);
    EXPECT_GT(InkPixels(screen), 200);
    EXPECT_EQ(Candidates(screen).value(0), QStringLiteral("大")) << Candidates(screen).join(' ').toStdString();
}

// While the pad takes ink no move of the pen is merged away, whatever keeps
// the station busy; the other screens get their moves merged again.
TEST_F(HandwritingTest, ThePadKeepsEveryMoveOnlyWhileItIsShown)
{
    // Merged as on X11 (the offscreen platform merges nothing).
    const bool merged = QCoreApplication::testAttribute(Qt::AA_CompressHighFrequencyEvents);
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, true);
    TFrmOCR* screen = OpenOcr();
    ASSERT_NE(screen, nullptr);
    EXPECT_FALSE(QCoreApplication::testAttribute(Qt::AA_CompressHighFrequencyEvents));
    screen->close();
    EXPECT_TRUE(WaitFor([] { return QCoreApplication::testAttribute(Qt::AA_CompressHighFrequencyEvents); }));
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, merged);
}

// A touch on a row's singer shows that singer's songs from the first page.
TEST_F(HandwritingTest, TouchingASingerShowsTheSingersSongs)
{
    TFrmOCR* screen = OpenOcr();
    ASSERT_NE(screen, nullptr);
    Key(screen, Qt::Key_PageDown);
    const QString singer = Text(Label(screen, QStringLiteral("songsinger2")));
    ASSERT_FALSE(singer.isEmpty());
    Touch(screen, QStringLiteral("songsinger2"));
    EXPECT_EQ(screen->m_pList->SelPage(), 1);
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kSinger), singer);
    ASSERT_FALSE(Text(Label(screen, QStringLiteral("songsinger0"))).isEmpty());
    for (int row = 0; row < 10; ++row) {
        const QString shown = Text(Label(screen, QStringLiteral("songsinger%1").arg(row)));
        EXPECT_TRUE(shown.isEmpty() || shown.contains(singer)) << row << ": " << shown.toStdString();
    }
    EXPECT_TRUE(QueueSongs().isEmpty()) << "the singer's touch ordered the song";
}

TEST_F(HandwritingTest, TheScreenIsRefusedWhileTheLoaderRuns)
{
    UiHooks().LoaderRunning = [] { return true; };
    EXPECT_EQ(m_pManager->ShowOcr(), nullptr);
    UiHooks().LoaderRunning = [] { return false; };
    EXPECT_NE(OpenOcr(), nullptr);
}

// A station whose recognizer model is missing or not a model: the pad takes
// no ink, the log says so once per run, and the screen still orders songs.
class HandwritingWithoutModelTest : public HandwritingTest
{
protected:
    void SetUp() override
    {
        m_sModel = m_scratch.path() + QStringLiteral("/handwriting.model");
        qputenv("VOD_HANDWRITING_MODEL", m_sModel.toUtf8());
        HandwritingTest::SetUp();
    }
    void TearDown() override
    {
        HandwritingTest::TearDown();
        qunsetenv("VOD_HANDWRITING_MODEL");
    }
    int LogLines(const QString& text)
    {
        QFile log(m_sExe + QStringLiteral("LogVod.txt"));
        log.open(QIODevice::ReadOnly);
        return int(QString::fromUtf8(log.readAll()).count(text));
    }
    void ExpectAnInertPadAndAWorkingList()
    {
        for (int round = 0; round < 2; ++round) {
            TFrmOCR* screen = OpenOcr();
            ASSERT_NE(screen, nullptr);
            Write(screen, QStringLiteral("十"));
            EXPECT_EQ(InkPixels(screen), 0);
            EXPECT_EQ(Candidates(screen).count(QString()), 10);
            screen->close();
            Settle();
        }
        EXPECT_EQ(LogLines(m_sModel), 1) << "the missing model is not reported once";
        TFrmOCR* screen = OpenOcr();
        ASSERT_NE(screen, nullptr);
        Touch(screen, QStringLiteral("songname1"));
        EXPECT_EQ(QueueSongs().size(), 1);
    }

    QTemporaryDir m_scratch;
    QString m_sModel;
};

TEST_F(HandwritingWithoutModelTest, AMissingModelLeavesThePadInert)
{
    ExpectAnInertPadAndAWorkingList();
}

TEST_F(HandwritingWithoutModelTest, AFileThatIsNoModelLeavesThePadInert)
{
    QFile junk(m_sModel);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, '\x5a'));
    junk.close();
    ExpectAnInertPadAndAWorkingList();
}
