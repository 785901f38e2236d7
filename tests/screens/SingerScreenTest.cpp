// The singer screen on the demo installation: the photo grid numbered down
// each column, letters narrowing it at each key, the choice opening the
// singer's songs, photos that are missing or not pictures (decoded once,
// again when the file changes), and skin nodes
// without the grid's counts.
#include "SearchFixture.h"
#include "catalogue/SongFilter.h"
#include "core/KeyMap.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "screens/FrmSinger.h"
#include "screens/FrmSong.h"
#include "support/GuestInput.h"
#include "ui/PictureCache.h"
#include "ui/StarList.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>

namespace {

QString Text(TSubTitle* label)
{
    return label ? label->Caption() : QString();
}

} // namespace

class SingerTest : public SearchTest
{
protected:
    // The singer grid of a class, opened by its button on the singer-type screen.
    TFrmSinger* OpenClass(int singerClass)
    {
        const QDomElement types = m_pManager->SelectNode(QStringLiteral("root/portal/ordersong/SingerType"));
        for (QDomElement b = types.firstChildElement(); !b.isNull(); b = b.nextSiblingElement()) {
            if (b.attribute(QStringLiteral("click")) == QLatin1String("frmsinger") &&
                b.attribute(QStringLiteral("parameter")) == QString::number(singerClass)) {
                m_pManager->ButtonAction(types, b);
                break;
            }
        }
        Settle();
        auto* screen = qobject_cast<TFrmSinger*>(Top());
        EXPECT_NE(screen, nullptr);
        return screen;
    }
    // The singer names of CD_Singer from a record on.
    QStringList Singers(int from, int n)
    {
        QStringList out;
        DataSet& singers = m_pData->CD_Singer;
        for (int i = from; i < from + n && i <= singers.RecordCount(); ++i) {
            singers.SetRecNo(i);
            out << singers.FieldByName(QStringLiteral("SINGERNAME")).AsString();
        }
        return out;
    }
};

TEST_F(SingerTest, CellsFollowTheCatalogueDownEachColumnAndAChoiceOpensTheSongs)
{
    TFrmSinger* screen = OpenClass(1);
    ASSERT_NE(screen, nullptr);
    TStarList* grid = screen->m_pList;
    // The demo skin: five columns of three rows, cells numbered down each column.
    EXPECT_EQ(grid->ColCount(), 5);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->m_nPageItems, 15);
    const QStringList first = Singers(1, 15);
    for (int k = 0; k < 15; ++k) {
        EXPECT_EQ(Text(Label(screen, QStringLiteral("singername%1").arg(k))), first[k]) << k;
        EXPECT_EQ(grid->Label(k / 3, k % 3)->objectName(), QStringLiteral("singername%1").arg(k));
    }
    const int pages = (m_pData->CD_Singer.RecordCount() + 14) / 15;
    EXPECT_EQ(Text(Label(screen, QStringLiteral("pagelabel"))), QStringLiteral("1/%1").arg(pages));
    // Every shown cell has its picture.
    for (int k = 0; k < 15; ++k) {
        auto* photo = qobject_cast<QLabel*>(screen->FindControl(QStringLiteral("singerpic%1").arg(k)));
        ASSERT_NE(photo, nullptr);
        EXPECT_FALSE(photo->isHidden());
        EXPECT_FALSE(photo->pixmap().isNull());
    }

    // The next page; a touch on its fifth singer.
    Key(screen, Qt::Key_PageDown);
    const QString chosen = Singers(20, 1).value(0);
    Touch(screen, QStringLiteral("singername4"));
    EXPECT_EQ(TopName(), QStringLiteral("frmsong"));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kSinger), chosen);
    DataSet& songs = m_pData->CD_Song;
    ASSERT_GT(songs.RecordCount(), 0);
    for (songs.First(); !songs.Eof(); songs.Next())
        EXPECT_TRUE(songs.FieldByName(QStringLiteral("Singer_nam")).AsString().contains(chosen));
}

TEST_F(SingerTest, LettersNarrowTheGridAtEachKeyAndDelsongShowsTheClassAgain)
{
    TFrmSinger* screen = OpenClass(1);
    ASSERT_NE(screen, nullptr);
    DataSet& singers = m_pData->CD_Singer;
    const int all = singers.RecordCount();
    singers.SetRecNo(3);
    const QString initials = singers.FieldByName(QStringLiteral("PyCode")).AsString().left(2);
    ASSERT_EQ(initials.size(), 2);
    Key(screen, Qt::Key_PageDown);
    Type(screen, initials.left(1));
    const int narrowed = singers.RecordCount();
    EXPECT_LT(narrowed, all);
    EXPECT_EQ(screen->m_pList->SelPage(), 1) << "new letters start on the first page";
    Type(screen, initials.mid(1));
    EXPECT_LE(singers.RecordCount(), narrowed);
    ASSERT_GT(singers.RecordCount(), 0);
    for (singers.First(); !singers.Eof(); singers.Next())
        EXPECT_TRUE(singers.FieldByName(QStringLiteral("PyCode")).AsString().startsWith(initials));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), initials);
    EXPECT_EQ(Text(Label(screen, QStringLiteral("singername0"))), Singers(1, 1).value(0));

    Key(screen, Qt::Key_Delete); // DELSONG
    EXPECT_EQ(TopName(), QStringLiteral("frmsinger")) << "DELSONG shares POINT's code, yet chooses no cell";
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QString());
    EXPECT_EQ(singers.RecordCount(), all);
    // Six letters are the most; the seventh starts again.
    Type(screen, QStringLiteral("QQQQQQ"));
    EXPECT_EQ(singers.RecordCount(), 0);
    EXPECT_TRUE(Label(screen, QStringLiteral("singername0"))->isHidden());
    EXPECT_TRUE(screen->FindControl(QStringLiteral("singerpic0"))->isHidden());
    EXPECT_TRUE(Label(screen, QStringLiteral("notfound"))->isHidden()) << "this screen does not show it";
    Type(screen, initials.left(1));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), initials.left(1));
}

TEST_F(SingerTest, EmptyCellsAndKeypadDigitsChooseNothing)
{
    DataSet& singers = m_pData->CD_Singer;
    TFrmSinger* screen = OpenClass(1);
    ASSERT_NE(screen, nullptr);
    // Narrow to a page with fewer singers than cells.
    singers.SetRecNo(1);
    const QString initials = singers.FieldByName(QStringLiteral("PyCode")).AsString().left(3);
    Type(screen, initials);
    const int shown = singers.RecordCount();
    ASSERT_GT(shown, 0);
    ASSERT_LT(shown, 15);
    EXPECT_EQ(screen->m_pList->m_nLastRow, shown - 1);
    // Where an empty cell would be, a touch reaches nothing that chooses.
    TSubTitle* empty = Label(screen, QStringLiteral("singername14"));
    ASSERT_TRUE(empty->isHidden());
    guest::Tap(screen, guest::Centre(empty));
    Settle();
    EXPECT_EQ(TopName(), QStringLiteral("frmsinger"));
    // The digit of an empty cell chooses nothing either.
    Type(screen, QStringLiteral("9"));
    EXPECT_EQ(TopName(), QStringLiteral("frmsinger"));

    // On a keypad station digits spell letters and never choose a cell.
    g_pSetting->ShowMouse = false;
    screen->close();
    Settle();
    screen = OpenClass(1);
    ASSERT_NE(screen, nullptr);
    Type(screen, QStringLiteral("5"));
    EXPECT_EQ(Text(Label(screen, QStringLiteral("Input"))), QStringLiteral("J"));
    EXPECT_EQ(TopName(), QStringLiteral("frmsinger"));
    // ENTER chooses the focused cell.
    const QString first = Singers(1, 1).value(0);
    Key(screen, Qt::Key_Return);
    EXPECT_EQ(TopName(), QStringLiteral("frmsong"));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kSinger), first);
}

TEST_F(SingerTest, PhotosMissingOrNotPicturesShowTheDefaultAndAPhotoTouchChooses)
{
    // The demo has a photo for singer 1 only; give a singer a photo file
    // that is not a picture, in the installation's own Images/Star/.
    const QString star = m_sExe + QStringLiteral("Images/Star/");
    DataSet& singers = m_pData->CD_Singer;
    singers.SetRecNo(2);
    const QString no = singers.FieldByName(QStringLiteral("SINGERNO")).AsString();
    // Images/ of this installation: the shared skins, a Star folder of its own.
    const QString shared = QFileInfo(m_sExe + QStringLiteral("Images")).symLinkTarget();
    ASSERT_FALSE(shared.isEmpty());
    ASSERT_TRUE(QFile::remove(m_sExe + QStringLiteral("Images")));
    ASSERT_TRUE(QDir().mkpath(star));
    for (const QString& entry : QDir(shared).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry != QLatin1String("Star")) {
            ASSERT_TRUE(QFile::link(shared + u'/' + entry, m_sExe + QStringLiteral("Images/") + entry));
        }
    }
    QFile text(star + QStringLiteral("broken.jpg"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is no picture");
    text.close();
    QImage grey(40, 40, QImage::Format_RGB32);
    grey.fill(QColor(128, 128, 128));
    ASSERT_TRUE(grey.save(star + QStringLiteral("default.jpg")));
    m_pData->ado.Execute(QStringLiteral("update singer set photo='D:\\star\\broken.jpg' where singerno=?"), {no});
    m_pData->ReopenCatalogue();
    m_pData->m_pFilter->SetSingerClass(1);

    auto* screen = qobject_cast<TFrmSinger*>(m_pManager->ShowSinger());
    ASSERT_NE(screen, nullptr);
    for (int k = 0; k < 3; ++k) {
        auto* photo = qobject_cast<QLabel*>(screen->FindControl(QStringLiteral("singerpic%1").arg(k)));
        ASSERT_NE(photo, nullptr);
        ASSERT_FALSE(photo->pixmap().isNull()) << k;
        const QImage shown = photo->pixmap().toImage();
        EXPECT_NEAR(shown.pixelColor(shown.width() / 2, shown.height() / 2).red(), 128, 8) << k;
    }
    // Turning pages back and forth decodes no photo again; a photo file
    // replaced on disk is read anew, the broken one still falls back to it.
    const int decodes = TStarList::PhotoCache().Decodes();
    Key(screen, Qt::Key_PageDown);
    Key(screen, Qt::Key_PageUp);
    EXPECT_EQ(TStarList::PhotoCache().Decodes(), decodes);
    QImage red(48, 48, QImage::Format_RGB32);
    red.fill(QColor(220, 0, 0));
    ASSERT_TRUE(red.save(star + QStringLiteral("default.jpg")));
    Key(screen, Qt::Key_PageDown);
    Key(screen, Qt::Key_PageUp);
    for (int k = 0; k < 3; ++k) {
        const QImage shown =
            qobject_cast<QLabel*>(screen->FindControl(QStringLiteral("singerpic%1").arg(k)))->pixmap().toImage();
        EXPECT_GT(shown.pixelColor(shown.width() / 2, shown.height() / 2).red(), 180) << k;
    }
    // The photo box itself chooses its cell (here the name lies below it).
    auto* photo = qobject_cast<QLabel*>(screen->FindControl(QStringLiteral("singerpic1")));
    TSubTitle* name = Label(screen, QStringLiteral("singername1"));
    name->setGeometry(name->x(), photo->geometry().bottom() + 1, name->width(), 30);
    const QString chosen = Text(name);
    Touch(photo);
    EXPECT_EQ(TopName(), QStringLiteral("frmsong"));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kSinger), chosen);
}

TEST_F(SingerTest, AGridWithoutItsCountsIsASkinErrorForThisScreenOnly)
{
    QDomElement node = m_pManager->SelectNode(QStringLiteral("root/public/form/frmsinger"));
    node.removeAttribute(QStringLiteral("rowcount"));
    EXPECT_EQ(m_pManager->ShowSinger(), nullptr);
    EXPECT_EQ(TopName(), QStringLiteral("portal"));
    node.setAttribute(QStringLiteral("rowcount"), QStringLiteral("three"));
    EXPECT_EQ(m_pManager->ShowSinger(), nullptr);
    node.setAttribute(QStringLiteral("rowcount"), QStringLiteral("3"));
    node.removeAttribute(QStringLiteral("selcolor"));
    EXPECT_EQ(m_pManager->ShowSinger(), nullptr);
    node.setAttribute(QStringLiteral("selcolor"), QStringLiteral("255"));
    // A grid whose skin lacks a name cell ends its column there.
    node.removeChild(node.firstChildElement(QStringLiteral("singername7")));
    auto* screen = qobject_cast<TFrmSinger*>(m_pManager->ShowSinger());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->m_pList->m_nPageItems, 7);
}
