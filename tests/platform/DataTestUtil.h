#pragma once
// Helpers of the data access tests: a small catalogue in a fresh SQLite file
// or PostgreSQL database, built with the catalogue schema.
#include "catalogue/schema/Schema.h"
#include "platform/db/DbConnection.h"
#include "support/QtPrint.h"

#include <QDate>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

namespace datatest {

struct SongRow
{
    QString no, name, singer, firstChar, strokes;
    int lanType = 1, type = 1, strLen = 2, total = 0, week = 0;
    QString createDate; // "yyyy-MM-dd" or empty (null)
    QString disk;
};

inline std::vector<SongRow> SampleSongs()
{
    return {
        {"00001", "张三的歌", "张学友", "ZSDG", "1", 1, 2, 4, 10, 1, "2026-01-05", ""},
        {"00002", "李白", "李白", "LB", "2", 1, 3, 2, 0, 0, "", ""},
        {"00003", "阿里山", "阿杜", "ALS", "3", 2, 2, 3, 5, 0, "2026-11-30", "外语"},
        {"00004", "王者", "王菲", "WZ", "4", 1, 2, 2, 5, 2, "", ""},
        {"00005", "陈年旧事", "陈奕迅", "CNJS", "5", 20, 1, 4, 0, 0, "", ""},
        {"00006", "hello", "Adele", "HELLO", "6", 10, 1, 5, 7, 0, "", ""},
        {"00007", "Zoo", "adele", "ZOO", "7", 21, 1, 3, 1, 0, "", ""},
        {"00008", "O'Brien; drop", "张学友", "OB", "8", 1, 2, 13, 3, 0, "", ""},
    };
}

// Fills the catalogue tables song, original and singer.
inline void FillCatalogue(DbConnection& c, const std::vector<SongRow>& songs)
{
    c.Begin();
    for (const SongRow& s : songs) {
        c.Execute("INSERT INTO song (SongNo, Is_Local, FilePath) VALUES (?, ?, ?)",
                  {s.no, s.no.endsWith('2') ? false : true, "/songs/" + s.no + ".mpg"});
        c.Execute("INSERT INTO original (SONGNO, Name, Disc_no, Singer_Nam, Str_len, Lan_Type, Lan_Name, Type, "
                  "Voice_Pos, First_Char, CreateDate, Price, STROKES, Version, Music, Remark, song_vol, Disk, "
                  "TimesTotal, TimesWeek) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                  {s.no,
                   s.name,
                   "1",
                   s.singer,
                   s.strLen,
                   s.lanType,
                   "国语",
                   s.type,
                   1.0,
                   s.firstChar,
                   s.createDate.isEmpty() ? QVariant() : QVariant(s.createDate + " 00:00:00"),
                   2.5,
                   s.strokes,
                   "V1",
                   "M",
                   "R",
                   0.8,
                   s.disk.isEmpty() ? QVariant() : QVariant(s.disk),
                   s.total,
                   s.week});
    }
    const QStringList singers = {"张学友", "李白", "阿杜", "王菲", "陈奕迅", "Adele"};
    int n = 0;
    for (const QString& name : singers) {
        ++n;
        c.Execute("INSERT INTO singer (SINGERNO, SINGERNAME, PHOTO, SEX, PLACE, PYCODE, TIMES, SONGS, LEN) "
                  "VALUES (?,?,?,?,?,?,?,?,?)",
                  {QString::number(n), name, name + ".jpg", QString::number(n % 3), QString::number(n % 4),
                   QString("P%1").arg(n), double(10 * (7 - n)), 1, int(name.size())});
    }
    c.Commit();
}

// A fresh SQLite catalogue file with the sample rows.
struct SqliteCatalogue
{
    QTemporaryDir dir;
    QString path;
    DbConnection connection;
    explicit SqliteCatalogue(bool fill = true)
    {
        path = dir.filePath("kroom.db");
        connection.Open("Provider=SQLite;Data Source=" + path + ";Create=1");
        CreateCatalogueSchema(connection);
        if (fill)
            FillCatalogue(connection, SampleSongs());
    }
};

} // namespace datatest
