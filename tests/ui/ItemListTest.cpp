// The paged item list over a data set and over texts, and the singer grid.
#include "ui/ItemList.h"

#include "UiTestUtil.h"
#include "platform/db/DataSet.h"
#include "platform/db/DbConnection.h"
#include "platform/keys/VirtualKeys.h"
#include "ui/StarList.h"

#include <QLabel>

using namespace uitest;

class ItemListTest : public UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        QFile(m_sExe + "list.db").open(QIODevice::WriteOnly); // the engine opens existing files only
        m_db.Open(QStringLiteral("Provider=SQLite;Data Source=%1").arg(m_sExe + "list.db"));
        m_db.Execute("create table song (SongNo text, Name text, Lan_name text, Singer_nam text, Version text)");
        m_db.Execute("create table singer (SINGERNO text, SINGERNAME text, PHOTO text)");
        LoadSkin(QString(), QStringLiteral("<public><form><frmsong>") + Button("t", 0, 0, 1, 1, "") +
                                QStringLiteral("</frmsong></form></public>"));
        m_pScreen = m_pManager->ShowSongList();
        ASSERT_NE(m_pScreen, nullptr);
    }

    void TearDown() override
    {
        m_songs.reset();
        UiTest::TearDown();
    }

    // A song view of n songs named S01, S02, ... with song numbers 1001, ...
    DataSet* Songs(int n, const QString& name = QStringLiteral("CD_Song"))
    {
        m_db.Begin();
        for (int i = 1; i <= n; ++i)
            m_db.Execute("insert into song values (?, ?, ?, ?, ?)",
                         {QString::number(1000 + i), QString("S%1").arg(i, 2, 10, QChar('0')), "国语", "歌手", ""});
        m_db.Commit();
        m_songs = std::make_unique<DataSet>();
        m_songs->setObjectName(name);
        m_songs->SetConnection(&m_db);
        m_songs->SetCommandText("select * from song order by SongNo");
        m_songs->Open();
        return m_songs.get();
    }

    // A list of `rows` rows of skin labels, one column per field.
    TItemList* List(int rows, const QStringList& fields = {"Name"})
    {
        auto* list = new TItemList(m_pScreen);
        list->m_nFontColor = 0xFFFFFF;
        list->m_nSelColor = 0x00FFFF;
        list->m_nOverColor = 0x0000FF;
        list->SetColCount(fields.size());
        for (int j = 0; j < fields.size(); ++j)
            list->m_aFieldName[j] = fields[j];
        list->m_aColumnClick[0] = [this](QObject*) { ++m_nChosen; };
        list->m_bSkinLabels = true;
        list->OnLayout = [this, rows, fields](TItemList* l) {
            for (int j = 0; j < fields.size(); ++j)
                for (int i = 0; i < rows; ++i) {
                    auto* label = new TSubTitle(m_pScreen);
                    label->setGeometry(10 + j * 200, 10 + i * 40, 180, 30);
                    l->BindLabel(j, label, i);
                }
            l->m_nPageItems = rows;
            m_pPage = new TSubTitle(m_pScreen);
            l->m_pPageLabel = m_pPage;
        };
        list->Arrange(true);
        return list;
    }

    QString Text(TItemList* list, int row, int column = 0) { return list->Label(column, row)->Caption(); }

    DbConnection m_db;
    std::unique_ptr<DataSet> m_songs;
    TKVFormXML* m_pScreen = nullptr;
    TSubTitle* m_pPage = nullptr;
    int m_nChosen = 0;
};

TEST_F(ItemListTest, PagesWrapAroundBothWays)
{
    TItemList* list = List(10);
    list->SetDataSet(Songs(25));
    list->Draw();
    EXPECT_EQ(list->m_nPageCount, 3);
    EXPECT_EQ(list->FSelPage, 1);
    EXPECT_EQ(m_pPage->Caption(), "1/3");
    EXPECT_EQ(Text(list, 0), "S01");
    list->PriorPage();
    EXPECT_EQ(list->FSelPage, 3);
    EXPECT_EQ(m_pPage->Caption(), "3/3");
    EXPECT_EQ(Text(list, 0), "S21");
    list->NextPage();
    EXPECT_EQ(list->FSelPage, 1);
    EXPECT_EQ(Text(list, 9), "S10");
    list->NextPage();
    EXPECT_EQ(Text(list, 0), "S11");
}

TEST_F(ItemListTest, LastPageShowsOnlyItsRows)
{
    TItemList* list = List(10);
    list->SetDataSet(Songs(25));
    list->SetSelPage(3);
    list->Draw();
    EXPECT_EQ(list->m_nLastRow, 4);
    EXPECT_FALSE(list->Label(0, 4)->isHidden());
    EXPECT_TRUE(list->Label(0, 5)->isHidden());
    EXPECT_EQ(Text(list, 5), "");
    // Keys through the screen: DOWN on row 4 wraps to row 0, UP back to 4.
    list->SetCurFocus(4);
    SendVkKeyDown(m_pScreen, 40);
    EXPECT_EQ(list->FCurFocus, 0);
    SendVkKeyDown(m_pScreen, 38);
    EXPECT_EQ(list->FCurFocus, 4);
    // Digit 7 names row 6, which shows nothing.
    SendVkKeyDown(m_pScreen, '7');
    EXPECT_EQ(m_nChosen, 0);
    SendVkKeyDown(m_pScreen, '5');
    EXPECT_EQ(m_nChosen, 1);
    EXPECT_EQ(m_songs->FieldByName("Name").AsString(), "S25") << "the data set rests on the chosen record";
    // Page keys.
    SendVkKeyDown(m_pScreen, 34);
    EXPECT_EQ(list->FSelPage, 1);
    SendVkKeyDown(m_pScreen, 36);
    EXPECT_EQ(list->FSelPage, 3);
}

TEST_F(ItemListTest, WithoutRechooseARowIsChosenOnceAndMarked)
{
    TItemList* list = List(10);
    list->m_bRechoose = false;
    list->SetDataSet(Songs(12));
    list->Draw();
    list->SetSelected(2);
    list->SetSelected(2);
    EXPECT_EQ(m_nChosen, 1);
    EXPECT_EQ(Text(list, 2), QStringLiteral("√S03"));
    EXPECT_EQ(list->Label(0, 2)->FontColor(), WinColor(0x00FFFF));
    // A new drawing of the page clears the mark.
    list->Draw();
    list->SetSelected(2);
    EXPECT_EQ(m_nChosen, 2);
}

TEST_F(ItemListTest, QueuedSongsAreMarkedWhenThePageIsDrawn)
{
    UiHooks().IsQueued = [](const QString& songNo) { return songNo == "1002" || songNo == "1004"; };
    TItemList* list = List(10);
    list->m_bRechoose = false;
    list->SetDataSet(Songs(12));
    list->Draw();
    EXPECT_EQ(Text(list, 1), QStringLiteral("√S02"));
    EXPECT_EQ(Text(list, 3), QStringLiteral("√S04"));
    EXPECT_EQ(Text(list, 2), "S03");
    EXPECT_EQ(list->FCurFocus, 3) << "the focus rests on the last queued row";
    EXPECT_EQ(list->Label(0, 1)->FontColor(), WinColor(0x00FFFF));
    list->SetSelected(1);
    EXPECT_EQ(m_nChosen, 0) << "a queued song cannot be chosen again";

    // Only the song views are checked against the queue.
    TItemList* other = List(10);
    m_songs->setObjectName("Other");
    other->SetDataSet(m_songs.get());
    other->Draw();
    EXPECT_EQ(Text(other, 1), "S02");
}

TEST_F(ItemListTest, EmptyDataSetHasNoPageAndNoChoice)
{
    TItemList* list = List(10);
    list->SetDataSet(Songs(0));
    list->Draw();
    EXPECT_EQ(list->m_nPageCount, 0);
    EXPECT_EQ(list->FSelPage, 0);
    EXPECT_EQ(list->m_nLastRow, -1);
    EXPECT_EQ(m_pPage->Caption(), "0/0");
    SendVkKeyDown(m_pScreen, 13);
    EXPECT_EQ(m_nChosen, 0);
    list->NextPage();
    list->PriorPage();
    EXPECT_EQ(list->m_nLastRow, -1);
}

TEST_F(ItemListTest, ZeroChoosesTheTenthRowAndPointTheEleventh)
{
    TItemList* list = List(12);
    list->SetDataSet(Songs(12));
    list->Draw();
    QList<int> rows;
    list->m_aColumnClick[0] = [&](QObject*) { rows << list->m_nSelRow; };
    SendVkKeyDown(m_pScreen, '0');
    SendVkKeyDown(m_pScreen, 46);
    SendVkKeyDown(m_pScreen, '1');
    EXPECT_EQ(rows, (QList<int>{9, 10, 0}));
    // The station-wide handling saw every key first.
}

TEST_F(ItemListTest, StationKeysGoFirstAndReturnClosesTheScreen)
{
    QList<int> dispatched;
    UiHooks().DispatchKey = [&](int key) { dispatched << key; };
    TItemList* list = List(10);
    list->SetDataSet(Songs(3));
    list->Draw();
    SendVkKeyDown(m_pScreen, 'X');
    SendVkKeyDown(m_pScreen, 27);
    EXPECT_EQ(dispatched, (QList<int>{'X', 27}));
    EXPECT_FALSE(m_pScreen->isVisible());
}

TEST_F(ItemListTest, FocusOffHighlightsNothing)
{
    TItemList* list = List(10);
    list->m_bFocus = false;
    list->SetDataSet(Songs(5));
    list->Draw();
    list->SetCurFocus(3);
    EXPECT_EQ(list->FCurFocus, 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list->Label(0, i)->FontColor(), WinColor(0xFFFFFF));

    list->m_bFocus = true;
    list->SetCurFocus(3);
    EXPECT_EQ(list->Label(0, 3)->FontColor(), WinColor(0x0000FF));
    list->SetCurFocus(9); // limited to the last row with content
    EXPECT_EQ(list->FCurFocus, 4);
    EXPECT_EQ(list->Label(0, 3)->FontColor(), WinColor(0xFFFFFF));
}

TEST_F(ItemListTest, RefreshKeepsPageAndFocusWhereTheyStillExist)
{
    TItemList* list = List(10);
    list->SetDataSet(Songs(25));
    list->SetSelPage(3);
    list->Draw();
    list->SetCurFocus(2);
    list->Refresh();
    EXPECT_EQ(list->FSelPage, 3);
    EXPECT_EQ(list->FCurFocus, 2);
    // Fewer songs now: the page count shrinks and the page follows.
    m_db.Execute("delete from song where SongNo > '1012'");
    m_songs->Requery();
    list->Refresh();
    EXPECT_EQ(list->m_nPageCount, 2);
    EXPECT_EQ(list->FSelPage, 2);
    EXPECT_EQ(list->m_nLastRow, 1);
    EXPECT_EQ(list->FCurFocus, 1);
}

TEST_F(ItemListTest, DoubleClickChoosesAndPlays)
{
    QList<int> keys;
    TItemList* list = List(10);
    list->SetDataSet(Songs(3));
    list->Draw();
    m_pScreen->OnKeyDown = [&](QObject*, int& key) { keys << key; };
    list->CellDblClick(list->Label(0, 1));
    EXPECT_EQ(m_nChosen, 1);
    EXPECT_EQ(keys, (QList<int>{45, 116}));
}

TEST_F(ItemListTest, TextModePagesThroughItems)
{
    auto* list = new TItemList(m_pScreen);
    list->SetColCount(1);
    list->m_nPageItems = 4;
    list->m_nListLeft = 10;
    list->m_nRowHeight = 30;
    list->m_bNumbers = true;
    list->Arrange(false);
    list->SetItemCount(10);
    for (int i = 0; i < 10; ++i)
        list->m_aItems[i] = QString("item%1").arg(i);
    // SetItemCount ran before the labels existed: created labels follow FItemCount.
    EXPECT_EQ(list->FItemCount, 4);
    EXPECT_EQ(list->m_aColumnLabels[0].size(), 0);
    auto* fresh = new TItemList(m_pScreen);
    fresh->SetColCount(1);
    fresh->m_nPageItems = 4;
    fresh->m_nRowHeight = 30;
    fresh->m_bNumbers = true;
    fresh->SetItemCount(10);
    for (int i = 0; i < 10; ++i)
        fresh->m_aItems[i] = QString("item%1").arg(i);
    fresh->Arrange(false);
    ASSERT_EQ(fresh->m_aColumnLabels[0].size(), 4);
    ASSERT_EQ(fresh->m_pNumberLabels.size(), 4);
    EXPECT_EQ(fresh->m_pNumberLabels[0]->Caption(), "1.");
    fresh->Draw();
    EXPECT_EQ(fresh->m_nPageCount, 3);
    EXPECT_EQ(Text(fresh, 0), "item0");
    fresh->PriorPage();
    EXPECT_EQ(fresh->FSelPage, 3);
    EXPECT_EQ(Text(fresh, 0), "item8");
    EXPECT_EQ(fresh->m_nLastRow, 1);
    EXPECT_TRUE(fresh->m_pNumberLabels[2]->isHidden());
    fresh->SetSelected(1);
    EXPECT_EQ(fresh->GetSelected(), 9);
    fresh->NextPage();
    EXPECT_EQ(Text(fresh, 3), "item3");
}

TEST_F(ItemListTest, ColumnOutsideTheListRaises)
{
    TItemList* list = List(2);
    EXPECT_THROW(list->BindLabel(3, new TSubTitle(m_pScreen), 0), Exception);
}

// ---- singer grid ----

class StarListTest : public ItemListTest
{
protected:
    TStarList* Grid(int singers)
    {
        m_db.Begin();
        for (int i = 0; i < singers; ++i)
            m_db.Execute("insert into singer values (?, ?, ?)",
                         {QString::number(i), QString("Singer%1").arg(i), i == 0 ? "D:\\photos\\s0.jpg" : ""});
        m_db.Commit();
        m_singers = std::make_unique<DataSet>();
        m_singers->setObjectName("CD_Singer");
        m_singers->SetConnection(&m_db);
        m_singers->SetCommandText("select * from singer order by SINGERNO");
        m_singers->Open();

        auto* grid = new TStarList(m_pScreen);
        grid->SetColCount(4);
        grid->SetRowCount(3);
        grid->m_aFieldName[0] = "SINGERNAME";
        grid->m_nPageItems = 12;
        grid->m_nOverColor = 0x0000FF;
        grid->m_aColumnClick[0] = [this, grid](QObject*) { m_chosen << grid->m_nSelIndex; };
        grid->m_bSkinLabels = true;
        grid->OnLayout = [this](TItemList* l) {
            auto* g = static_cast<TStarList*>(l);
            for (int c = 0; c < 4; ++c)
                for (int r = 0; r < 3; ++r) {
                    auto* label = new TSubTitle(m_pScreen);
                    g->BindLabel(c, label, c * 3 + r);
                    auto* photo = new QLabel(m_pScreen);
                    g->m_aPhotos[c].append(photo);
                }
        };
        grid->Arrange(true);
        grid->SetDataSet(m_singers.get());
        grid->Draw();
        return grid;
    }

    std::unique_ptr<DataSet> m_singers;
    QList<int> m_chosen;
};

TEST_F(StarListTest, LastPageCellsAndMoves)
{
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(m_sExe + "Images/Star/default.jpg"));
    ASSERT_TRUE(picture.save(m_sExe + "Images/Star/s0.jpg"));
    TStarList* grid = Grid(7);
    EXPECT_EQ(grid->m_nLastRow, 6);
    EXPECT_EQ(grid->Label(0, 0)->Caption(), "Singer0");
    EXPECT_EQ(grid->Label(1, 0)->Caption(), "Singer3") << "cells go column by column";
    EXPECT_TRUE(grid->Label(2, 1)->isHidden());
    EXPECT_TRUE(grid->Photo(2, 1)->isHidden());
    EXPECT_FALSE(grid->Photo(0, 1)->pixmap().isNull());

    grid->SetCurFocus(6);
    grid->MoveRight(1);
    EXPECT_EQ(grid->FCurFocus, 0);
    grid->SetCurFocus(5);
    grid->MoveDown(1);
    EXPECT_EQ(grid->FCurFocus, 0);
    grid->SetCurFocus(1);
    grid->MoveUp(1);
    EXPECT_EQ(grid->FCurFocus, 6);
    EXPECT_EQ(grid->Label(2, 0)->FontColor(), WinColor(0x0000FF));

    SendVkKeyDown(m_pScreen, '9'); // cell 8 shows nothing
    EXPECT_TRUE(m_chosen.isEmpty());
    SendVkKeyDown(m_pScreen, '6');
    EXPECT_EQ(m_chosen, QList<int>{5});
    EXPECT_EQ(m_singers->FieldByName("SINGERNAME").AsString(), "Singer5");
}

TEST_F(StarListTest, PhotoPathUsesTheFileNameAloneAndAMissingDefaultFails)
{
    EXPECT_EQ(TStarList::PhotoPath("C:\\pics\\none.jpg"), m_sExe + "Images/Star/default.jpg");
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(m_sExe + "Images/Star/s0.jpg"));
    EXPECT_EQ(TStarList::PhotoPath("D:\\photos\\s0.jpg"), m_sExe + "Images/Star/s0.jpg");
    EXPECT_EQ(TStarList::PhotoPath("photos/s0.jpg"), m_sExe + "Images/Star/s0.jpg");
    // Singer1 has no photo and there is no default picture.
    EXPECT_THROW(Grid(3), Exception);
}
