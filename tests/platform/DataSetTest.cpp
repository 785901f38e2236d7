#include "platform/db/DataSet.h"

#include "DataTestUtil.h"
#include "support/TestPg.h"

#include <QSignalSpy>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

QStringList Column(DataSet& ds, const QString& field)
{
    QStringList out;
    for (ds.First(); !ds.Eof(); ds.Next())
        out << ds.FieldByName(field).AsString();
    return out;
}

struct SongView
{
    datatest::SqliteCatalogue cat;
    DataSet songs;
    SongView()
    {
        songs.setObjectName("CD_Song");
        songs.SetConnection(&cat.connection);
        songs.SetTableName("qu_song");
        songs.Open();
    }
};

const QStringList kSongFields = {"SongNo",     "Is_Local",   "FilePath", "TotalTimes", "TimesYear", "TimesSeason",
                                 "TimesWeek",  "TimesMonth", "TimesDay", "Name",       "Disc_no",   "Singer_Nam",
                                 "Str_len",    "Lan_Type",   "Lan_Name", "Type",       "Voice_Pos", "First_Char",
                                 "CreateDate", "Price",      "STROKES",  "Version",    "Music",     "Remark",
                                 "song_vol",   "Disk"};

} // namespace

TEST(DataSet, CatalogueViewsGiveTheFieldsInOrderWithTypes)
{
    SongView v;
    QStringList names = v.songs.FieldNames();
    ASSERT_EQ(names.size(), kSongFields.size());
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(names[i].toLower(), kSongFields[i].toLower());
    EXPECT_EQ(v.songs.FieldByName("is_local").DataType(), FieldType::Boolean);
    EXPECT_EQ(v.songs.FieldByName("Str_len").DataType(), FieldType::SmallInt);
    EXPECT_EQ(v.songs.FieldByName("TotalTimes").DataType(), FieldType::Integer);
    EXPECT_EQ(v.songs.FieldByName("Voice_Pos").DataType(), FieldType::Float);
    EXPECT_EQ(v.songs.FieldByName("CreateDate").DataType(), FieldType::DateTime);
    EXPECT_EQ(v.songs.FieldByName("Name").DataType(), FieldType::String);
    EXPECT_GE(v.songs.FieldByName("Name").Size(), 50);
    EXPECT_GE(v.songs.FieldByName("FilePath").Size(), 120);

    DataSet singers;
    singers.SetConnection(&v.cat.connection);
    singers.SetTableName("qu_Singer");
    singers.Open();
    EXPECT_EQ(singers.FieldNames().join(',').toUpper(), "SINGERNO,SINGERNAME,PHOTO,SEX,PLACE,PYCODE,TIMES,LEN");

    DataSet trimmed;
    trimmed.SetConnection(&v.cat.connection);
    trimmed.SetTableName("qu_song");
    trimmed.RemoveField("Music");
    trimmed.RemoveField("remark");
    trimmed.Open();
    EXPECT_EQ(trimmed.FieldCount(), kSongFields.size() - 2);
    EXPECT_FALSE(trimmed.FindField("Music").IsValid());
    EXPECT_THROW(trimmed.FieldByName("Remark"), DbError);
}

TEST(DataSet, NavigationAndValueAccess)
{
    SongView v;
    DataSet& s = v.songs;
    EXPECT_EQ(s.RecordCount(), 8);
    EXPECT_TRUE(s.Bof());
    EXPECT_FALSE(s.Eof());
    EXPECT_EQ(s.RecNo(), 1);
    EXPECT_EQ(s.FieldByName("SongNo").AsString(), "00001");
    EXPECT_EQ(s.FieldByName("Is_Local").AsString(), "True");
    EXPECT_TRUE(s.FieldByName("Is_Local").AsBoolean());
    EXPECT_EQ(s.FieldByName("TotalTimes").AsInteger(), 10);
    EXPECT_DOUBLE_EQ(s.FieldByName("Price").AsFloat(), 2.5);
    EXPECT_EQ(s.FieldByName("Price").DisplayText(), "2.5");
    EXPECT_EQ(s.FieldByName("CreateDate").AsDateTime().date(), QDate(2026, 1, 5));
    EXPECT_EQ(s.FieldByName("CreateDate").AsString(), "2026-01-05");
    EXPECT_EQ(s.FieldByName("Lan_Type").AsString(), "1");
    EXPECT_EQ(s.MoveBy(3), 3);
    EXPECT_EQ(s.RecNo(), 4);
    EXPECT_EQ(s.FieldByName("Name").AsString(), "王者");
    EXPECT_TRUE(s.FieldByName("Disk").IsNull());
    EXPECT_EQ(s.MoveBy(100), 4);
    EXPECT_TRUE(s.Eof());
    EXPECT_EQ(s.RecNo(), 8);
    s.Prior();
    EXPECT_FALSE(s.Eof());
    EXPECT_EQ(s.RecNo(), 7);
    s.First();
    s.Prior();
    EXPECT_TRUE(s.Bof());
    EXPECT_EQ(s.RecNo(), 1);
    s.Last();
    EXPECT_EQ(s.FieldByName("SongNo").AsString(), "00008");
    s.Next();
    EXPECT_TRUE(s.Eof());
    EXPECT_EQ(s.FieldByName("SongNo").AsString(), "00008");
    s.SetRecNo(2);
    EXPECT_EQ(s.FieldByName("SongNo").AsString(), "00002");
    EXPECT_FALSE(s.FieldByName("Is_Local").AsBoolean());
    EXPECT_THROW(s.FieldByName("Name").SetAsString("x"), DbError); // not editing
}

// The filter texts the song filter, the play queue and the price engine build.
TEST(DataSet, FiltersOfTheStation)
{
    SongView v;
    DataSet& s = v.songs;
    auto rows = [&](const QString& filter) {
        s.SetFilter(filter);
        s.SetFiltered(true);
        return Column(s, "SongNo").join(',');
    };
    EXPECT_EQ(rows("Lan_Type=1 and First_Char like 'Z%'"), "00001");
    EXPECT_EQ(rows("Lan_Type=1 and First_Char like 'zs%'"), "00001"); // ignoring case
    EXPECT_EQ(rows("Lan_Type > 9 and Lan_Type <> 20 and Lan_Type <> 21"), "00006");
    EXPECT_EQ(rows("Lan_Type=1 and TotalTimes > 0 "), "00001,00004,00008");
    EXPECT_EQ(rows("TimesWeek > 0 "), "00001,00004");
    EXPECT_EQ(rows("Singer_Nam like '%学友%'"), "00001,00008");
    EXPECT_EQ(rows("Singer_Nam like '%ADELE%'"), "00006,00007");
    EXPECT_EQ(rows("Lan_Type=2 and disk<>'外语' "), "");
    EXPECT_EQ(rows("Lan_Type=1 and disk<>'外语' "), "00001,00002,00004,00008"); // empty disk differs
    EXPECT_EQ(rows("[CreateDate] <> null and [CreateDate]>='2026-09-01'"), "00003");
    EXPECT_EQ(rows("[CreateDate] = null"), "00002,00004,00005,00006,00007,00008");
    EXPECT_EQ(rows("Lan_Type > 0 and type <> null and type=2 and  Str_Len = 4"), "00001");
    EXPECT_EQ(rows("Lan_Type = 20 and type <> null and type=1"), "00005");
    EXPECT_EQ(rows("Strokes like '1%'"), "00001");
    EXPECT_EQ(rows("Name like '王*'"), "00004");
    EXPECT_EQ(rows("Name like '*山'"), "00003");
    EXPECT_EQ(rows("Name like 'o''b%'"), "00008");
    EXPECT_EQ(rows("Str_Len >= 8 "), "00008");
    EXPECT_EQ(rows("Is_Local = '1'"), "00001,00003,00004,00005,00006,00007,00008");
    EXPECT_EQ(rows("Is_Local = false"), "00002");
    EXPECT_EQ(rows("(Lan_Type = 20 or Lan_Type = 21) and TotalTimes > 0"), "00007");
    EXPECT_EQ(rows("Name = 'HELLO'"), "00006");
    EXPECT_EQ(rows("SongNo = 3"), "00003"); // text compared with a number
    EXPECT_EQ(rows("  "), "00001,00002,00003,00004,00005,00006,00007,00008");
    EXPECT_EQ(s.RecordCount(), 8);
    s.SetFilter("Lan_Type=1");
    s.SetFiltered(false);
    EXPECT_EQ(s.RecordCount(), 8);
    s.SetFiltered(true);
    EXPECT_EQ(s.RecordCount(), 4);
}

TEST(DataSet, SingerClassFiltersOnTextColumns)
{
    datatest::SqliteCatalogue cat;
    DataSet singers;
    singers.SetConnection(&cat.connection);
    singers.SetTableName("qu_Singer");
    singers.Open();
    singers.SetFiltered(true);
    // SEX = n % 3, PLACE = n % 4, LEN = characters of the name
    singers.SetFilter("place<3 and len=3 and sex=1");
    EXPECT_EQ(Column(singers, "SINGERNAME").join(','), "张学友");
    singers.SetFilter("place<3 and sex=2");
    EXPECT_EQ(Column(singers, "SINGERNAME").join(','), "李白,陈奕迅");
    singers.SetFilter("place=3 and sex=0 and PyCode like 'P*'");
    EXPECT_EQ(Column(singers, "SINGERNAME").join(','), "阿杜");
    singers.SetFilter("PyCode like 'p1%'");
    EXPECT_EQ(Column(singers, "SINGERNAME").join(','), "张学友");
}

TEST(DataSet, InvalidFilterRaisesAndKeepsThePreviousOne)
{
    SongView v;
    DataSet& s = v.songs;
    s.SetFilter("Lan_Type=1");
    s.SetFiltered(true);
    const QStringList before = Column(s, "SongNo");
    for (const char* bad :
         {"Lan_Type=", "Name = 'x", "Nope = 1", "Lan_Type = 'abc'", "Name like 3", "Lan_Type=1 and", "(Lan_Type=1",
          "Lan_Type=1)", "Name > null", "Singer_Nam like '%O'Brien%'", "[CreateDate] >= 5", "= 1", "Name == 'x'"}) {
        EXPECT_THROW(s.SetFilter(bad), FilterError) << bad;
        EXPECT_EQ(s.Filter(), "Lan_Type=1");
        EXPECT_EQ(Column(s, "SongNo"), before) << bad;
    }
    try {
        s.SetFilter("Name = 'x");
    } catch (const Exception& e) { // the station's error type catches it
        EXPECT_FALSE(e.Message().isEmpty());
    }
}

TEST(DataSet, SortsByPinyinStablyAndCachesPreparedLists)
{
    SongView v;
    DataSet& s = v.songs;
    s.SetFilter("Lan_Type < 10 and Lan_Type <> 1 or SongNo <= 5");
    s.SetFiltered(true);
    s.SetIndexFieldNames("Name");
    // 阿 a, 陈 chen, 李 li, 王 wang, 张 zhang
    EXPECT_EQ(Column(s, "Name").join(','), "阿里山,陈年旧事,李白,王者,张三的歌");
    s.SetFiltered(false);
    // Equal keys keep the source's order, ascending and descending.
    s.SetIndexFieldNames("Lan_Type");
    EXPECT_EQ(Column(s, "SongNo").join(','), "00001,00002,00004,00008,00003,00006,00005,00007");
    s.SetIndexFieldNames("TotalTimes DESC");
    EXPECT_EQ(Column(s, "SongNo").join(','), "00001,00006,00003,00004,00008,00007,00002,00005");
    // Texts compare ignoring case: Adele and adele are equal keys.
    s.SetIndexFieldNames("Singer_Nam;SongNo DESC");
    const QStringList singers = Column(s, "SongNo");
    EXPECT_EQ(singers.indexOf("00007") + 1, singers.indexOf("00006"));
    s.SetIndexFieldNames("STR_LEN ASC;Name");
    EXPECT_EQ(Column(s, "SongNo").mid(0, 2).join(','), "00002,00004"); // length 2 first, then by name
    EXPECT_TRUE(s.IsIndexPrepared("str_len;NAME ASC"));
    EXPECT_FALSE(s.IsIndexPrepared("Strokes"));
    EXPECT_THROW(s.SetIndexFieldNames("Nope"), FilterError);
    EXPECT_EQ(s.IndexFieldNames(), "STR_LEN ASC;Name");
    // Sorting applies to the filtered rows.
    s.SetFilter("Lan_Type = 1");
    s.SetFiltered(true);
    s.SetIndexFieldNames("TotalTimes DESC");
    EXPECT_EQ(Column(s, "SongNo").join(','), "00001,00004,00008,00002");
}

TEST(DataSet, PreparingOnAnotherThreadWhileTheGuiUsesTheSet)
{
    SongView v;
    DataSet& s = v.songs;
    const QStringList lists = {"Lan_type",  "Type",     "STR_LEN;Name", "Name",           "First_Char",
                               "SongNo",    "Strokes",  "TimesYear",    "TimesSeason",    "TimesMonth",
                               "TimesWeek", "TimesDay", "TotalTimes",   "Name;Singer_nam"};
    std::atomic<bool> done{false};
    std::thread loader([&] {
        for (int round = 0; round < 20; ++round)
            for (const QString& l : lists)
                s.PrepareIndex(l + (round % 2 ? " DESC" : ""));
        done = true;
    });
    int loops = 0;
    while (!done || loops < 50) {
        s.SetFilter(loops % 2 ? "Lan_Type=1" : "TotalTimes > 0");
        s.SetFiltered(true);
        s.SetIndexFieldNames(lists[loops % lists.size()]);
        for (s.First(); !s.Eof(); s.Next())
            (void)s.FieldByName("Name").AsString();
        ++loops;
    }
    loader.join();
    for (const QString& l : lists)
        EXPECT_TRUE(s.IsIndexPrepared(l)) << l.toStdString();
    s.SetFiltered(false);
    s.SetIndexFieldNames("SongNo");
    EXPECT_EQ(Column(s, "SongNo").first(), "00001");
}

TEST(DataSet, LocateBookmarksAndControls)
{
    SongView v;
    DataSet& s = v.songs;
    s.SetFilter("Lan_Type=1");
    s.SetFiltered(true);
    s.SetIndexFieldNames("Name");
    s.First();
    s.Next();
    const Bookmark mark = s.GetBookmark();
    const QString markedName = s.FieldByName("Name").AsString();
    // The look-up of a song number in the whole catalogue.
    s.SetFiltered(false);
    EXPECT_TRUE(s.Locate("SongNo", "00006"));
    EXPECT_EQ(s.FieldByName("Name").AsString(), "hello");
    EXPECT_TRUE(s.Locate("Singer_Nam;Lan_Type", {"ADELE", 21}));
    EXPECT_EQ(s.FieldByName("SongNo").AsString(), "00007");
    EXPECT_FALSE(s.Locate("SongNo", "99999"));
    EXPECT_EQ(s.FieldByName("SongNo").AsString(), "00007"); // cursor unchanged
    EXPECT_FALSE(s.Locate("TotalTimes", "not a number"));
    s.SetFiltered(true);
    ASSERT_TRUE(s.GotoBookmark(mark));
    EXPECT_EQ(s.FieldByName("Name").AsString(), markedName);
    EXPECT_FALSE(s.Locate("SongNo", "00006")); // outside the filter

    QSignalSpy spy(&s, &DataSet::Changed);
    s.DisableControls();
    s.First();
    for (int i = 0; i < 3; ++i)
        s.Next();
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(s.ControlsDisabled());
    s.EnableControls();
    EXPECT_EQ(spy.count(), 1);
    s.Next();
    EXPECT_EQ(spy.count(), 2);
    s.Requery();
    EXPECT_FALSE(s.GotoBookmark(mark)); // bookmarks end with the load
}

namespace {

// The hall-mode queue table as a data set.
struct QueueTable
{
    datatest::SqliteCatalogue cat{false};
    DataSet queue;
    QueueTable(const QString& filter = "PLAYING = '0'")
    {
        queue.setObjectName("ado_Order");
        queue.SetConnection(&cat.connection);
        queue.SetTableName("order");
        queue.SetIndexFieldNames("NUM");
        queue.SetFilter(filter);
        queue.SetFiltered(true);
        queue.Open();
    }
    void Add(const QString& song, int num, const QString& playing = "0")
    {
        queue.Append();
        queue.FieldByName("SongNo").SetAsString(song);
        queue.FieldByName("Name").SetAsString("name " + song);
        queue.FieldByName("Num").SetAsInteger(num);
        queue.FieldByName("Playing").SetAsString(playing);
        queue.FieldByName("Voice_pos").SetAsString("1.5");
        queue.Post();
    }
    QString Stored()
    {
        QStringList out;
        QSqlQuery q = cat.connection.Query("SELECT SongNo, Num, Playing FROM \"order\" ORDER BY Num, id");
        while (q.next())
            out << q.value(0).toString() + ":" + q.value(1).toString() + ":" + q.value(2).toString();
        return out.join(' ');
    }
};

} // namespace

TEST(DataSet, EditsAreWrittenBackByKey)
{
    QueueTable t;
    t.Add("A", 1);
    t.Add("B", 2);
    t.Add("C", 3);
    EXPECT_EQ(t.Stored(), "A:1:0 B:2:0 C:3:0");
    EXPECT_FALSE(t.queue.FieldByName("id").IsNull()); // the generated key is known
    EXPECT_DOUBLE_EQ(t.queue.FieldByName("Voice_pos").AsFloat(), 1.5);
    // The cursor follows the record to its new place.
    ASSERT_TRUE(t.queue.Locate("SongNo", "C"));
    t.queue.Edit();
    t.queue.FieldByName("Num").SetAsInteger(0);
    t.queue.Post();
    EXPECT_EQ(t.queue.RecNo(), 1);
    EXPECT_EQ(t.queue.FieldByName("SongNo").AsString(), "C");
    EXPECT_EQ(t.Stored(), "C:0:0 A:1:0 B:2:0");
    // A record that leaves the view leaves the cursor on the one after it.
    t.queue.First();
    while (!t.queue.Eof()) {
        t.queue.Edit();
        t.queue.FieldByName("Playing").SetAsString("5");
        t.queue.Post();
    }
    EXPECT_EQ(t.queue.RecordCount(), 0);
    EXPECT_EQ(t.Stored(), "C:0:5 A:1:5 B:2:5");
    t.queue.SetFilter("PLAYING = '5'");
    t.queue.Last();
    t.queue.Delete();
    EXPECT_EQ(t.Stored(), "C:0:5 A:1:5");
    EXPECT_EQ(t.queue.RecordCount(), 2);
    t.queue.Edit();
    t.queue.FieldByName("Name").SetAsString("O'Brien; DROP TABLE song; --");
    t.queue.Post();
    EXPECT_EQ(t.cat.connection.Scalar("SELECT Name FROM \"order\" WHERE SongNo='A'").toString(),
              "O'Brien; DROP TABLE song; --");
    t.queue.Refresh();
    EXPECT_EQ(t.queue.FieldByName("SongNo").AsString(), "A"); // refresh keeps the record
}

TEST(DataSet, FailedPostCancelsAndRaises)
{
    QueueTable t;
    t.Add("A", 1);
    t.queue.Append();
    EXPECT_THROW(t.queue.FieldByName("Num").SetAsString("abc"), DbError);
    t.queue.FieldByName("SongNo").SetAsString("B");
    t.cat.connection.Execute("DROP TABLE \"order\"");
    EXPECT_THROW(t.queue.Post(), DbError);
    EXPECT_EQ(t.queue.GetState(), DataSet::State::Browse);
    EXPECT_EQ(t.queue.RecordCount(), 1);
    EXPECT_EQ(t.queue.FieldByName("SongNo").AsString(), "A");
    t.queue.Edit();
    t.queue.FieldByName("Num").SetAsInteger(7);
    EXPECT_THROW(t.queue.Post(), DbError);
    EXPECT_EQ(t.queue.FieldByName("Num").AsInteger(), 1);

    DataSet view;
    view.SetConnection(&t.cat.connection);
    view.SetTableName("qu_song");
    view.Open();
    EXPECT_THROW(view.Append(), DbError); // a view over a join has no table to write to
}

// The move-to-front walk of the play queue relies on the cursor following posts.
TEST(DataSet, MoveToFrontWalk)
{
    QueueTable t;
    for (int n : {1, 5, 9, 12})
        t.Add(QString::number(n), n);
    ASSERT_TRUE(t.queue.Locate("SongNo", "9"));
    t.queue.Edit();
    t.queue.FieldByName("Flag").SetAsString("1");
    t.queue.FieldByName("Num").SetAsInteger(0);
    t.queue.Post();
    t.queue.Last();
    int n = std::max<int>(t.queue.FieldByName("Num").AsInt(), t.queue.RecordCount());
    while (!t.queue.Bof()) {
        if (t.queue.FieldByName("Flag").AsString() != "1") {
            if (t.queue.FieldByName("Num").AsInt() != n) {
                t.queue.Edit();
                t.queue.FieldByName("Num").SetAsInteger(n);
                t.queue.Post();
            }
            --n;
        }
        t.queue.Prior();
    }
    t.queue.First();
    t.queue.Edit();
    t.queue.FieldByName("Flag").SetAsString("");
    t.queue.FieldByName("Num").SetAsInteger(1);
    t.queue.Post();
    EXPECT_EQ(t.Stored(), "9:1:0 1:10:0 5:11:0 12:12:0");
}

TEST(DataSet, QueryWithParametersIsWrittenToItsTable)
{
    datatest::SqliteCatalogue cat(false);
    cat.connection.Execute(
        "INSERT INTO Room (RoomId, RoomName, RoomComputer) VALUES ('1','A01','pc-a'),('2','A02','pc-b')");
    DataSet room;
    room.SetConnection(&cat.connection);
    room.SetCommandText("select * from Room where RoomComputer=?");
    room.SetParameters({"pc-b"});
    room.Open();
    ASSERT_EQ(room.RecordCount(), 1);
    EXPECT_EQ(room.FieldByName("RoomName").AsString(), "A02");
    room.Edit();
    room.FieldByName("RoomName").SetAsString("B02");
    room.Post();
    EXPECT_EQ(cat.connection.Scalar("SELECT RoomName FROM Room WHERE id=2").toString(), "B02");
    EXPECT_EQ(cat.connection.Scalar("SELECT RoomName FROM Room WHERE id=1").toString(), "A01");

    DataSet detail;
    detail.SetConnection(&cat.connection);
    detail.SetCommandText("SELECT a.filepath,b.* FROM song AS a LEFT JOIN original AS b ON a.SongNo=b.SONGNO");
    detail.Open();
    EXPECT_EQ(detail.RecordCount(), 0);
    EXPECT_THROW(detail.Append(), DbError);
}

// A text-valued date column as the price rules keep it, with "or".
TEST(DataSet, OrFilterOnTextDates)
{
    datatest::SqliteCatalogue cat(false);
    cat.connection.Execute("CREATE TABLE t_price (id INTEGER PRIMARY KEY, dDate VARCHAR(10), cItemType VARCHAR(1))");
    cat.connection.Execute("INSERT INTO t_price (dDate, cItemType) VALUES ('2026-12-09','2'),('0000-00-00','2'),"
                           "('2026-12-08','2'),('0000-00-00','1')");
    DataSet rules;
    rules.SetConnection(&cat.connection);
    rules.SetCommandText("select * from t_price order by ddate desc");
    rules.Open();
    rules.SetFilter("dDate = '2026-12-09' or dDate = '0000-00-00'");
    rules.SetFiltered(true);
    EXPECT_EQ(Column(rules, "id").join(','), "1,2,4");
    rules.SetFilter("(dDate = '2026-12-09' or dDate = '0000-00-00') and cItemType = '1'");
    EXPECT_EQ(Column(rules, "id").join(','), "4");
}

// The same operations give the same rows in the same order on both engines.
TEST(DataSet, SameResultsOnSqliteAndPostgres)
{
    if (!testpg::Available())
        GTEST_SKIP() << "no test PostgreSQL server";
    datatest::SqliteCatalogue lite;
    DbConnection pg;
    pg.Open(testpg::ConnectionString(testpg::CreateDatabase("dataset")));
    CreateCatalogueSchema(pg);
    datatest::FillCatalogue(pg, datatest::SampleSongs());
    auto run = [](DbConnection& c) {
        DataSet s;
        s.SetConnection(&c);
        s.SetTableName("qu_song");
        s.Open();
        QStringList out;
        out << s.FieldNames().join(',').toLower();
        const QList<QPair<QString, QString>> cases = {
            {"Lan_Type=1 and First_Char like 'z%'", "First_Char"},
            {"Lan_Type > 9 and Lan_Type <> 20 and Lan_Type <> 21", "STR_LEN ASC;Name"},
            {"Lan_Type=1 and TotalTimes > 0 ", "TotalTimes DESC"},
            {"Singer_Nam like '%adele%'", "Name;Singer_nam"},
            {"[CreateDate] <> null and [CreateDate]>='2026-01-01'", "TotalTimes DESC"},
            {"Is_Local = '1' and disk<>'外语' ", "Name"},
            {"", "Singer_Nam;SongNo DESC"},
        };
        for (const auto& [filter, sort] : cases) {
            s.SetFilter(filter);
            s.SetFiltered(true);
            s.SetIndexFieldNames(sort);
            QStringList rows;
            for (s.First(); !s.Eof(); s.Next())
                rows << s.FieldByName("SongNo").AsString() + "/" + s.FieldByName("CreateDate").AsString() + "/" +
                            s.FieldByName("Is_Local").AsString() + "/" + s.FieldByName("Price").DisplayText();
            out << rows.join(' ');
        }
        return out;
    };
    const QStringList a = run(lite.connection), b = run(pg);
    ASSERT_EQ(a.size(), b.size());
    for (int i = 0; i < a.size(); ++i)
        EXPECT_EQ(a[i], b[i]) << i;
}

TEST(DataSet, MovingPostsAPendingEdit)
{
    QueueTable t;
    t.Add("A", 1);
    t.Add("B", 2);
    t.queue.First();
    t.queue.Edit();
    t.queue.FieldByName("Name").SetAsString("changed");
    t.queue.Next(); // posts, as the classic data set does
    EXPECT_EQ(t.queue.GetState(), DataSet::State::Browse);
    EXPECT_EQ(t.cat.connection.Scalar("SELECT Name FROM \"order\" WHERE SongNo='A'").toString(), "changed");
    EXPECT_EQ(t.queue.FieldByName("SongNo").AsString(), "B");
    t.queue.Edit();
    t.queue.FieldByName("Name").SetAsString("dropped");
    t.queue.Close(); // closing cancels
    EXPECT_EQ(t.cat.connection.Scalar("SELECT Name FROM \"order\" WHERE SongNo='B'").toString(), "name B");
}
