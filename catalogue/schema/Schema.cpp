#include "catalogue/schema/Schema.h"

#include "platform/db/DbConnection.h"

namespace {

// SQLite keeps the tables keyed by a song or singer number clustered on that
// key (WITHOUT ROWID), so reading the views in number order reads each table
// in file order.
// Column widths are those of the catalogue (in GBK bytes) or wider. Names are
// spelled as the station writes them; PostgreSQL keeps them in lower case.
// One script for both engines; the words in $ are spelled per engine.
const char* const kScript = R"SQL(
CREATE TABLE song (
  SongNo VARCHAR(10) NOT NULL PRIMARY KEY,
  Is_Local BOOLEAN DEFAULT $TRUE,
  FilePath VARCHAR(254)
) $CLUSTERED;
CREATE TABLE original (
  SONGNO VARCHAR(10) NOT NULL PRIMARY KEY,
  Name VARCHAR(50),
  Disc_no VARCHAR(2),
  Singer_Nam VARCHAR(30),
  Str_len SMALLINT,
  Lan_Type SMALLINT,
  Lan_Name VARCHAR(8),
  Type SMALLINT,
  Voice_Pos $DOUBLE,
  First_Char VARCHAR(6),
  CreateDate $DATETIME,
  Price $DOUBLE,
  STROKES VARCHAR(6),
  Version VARCHAR(6),
  Music VARCHAR(6),
  Remark VARCHAR(70),
  song_vol $DOUBLE,
  Disk VARCHAR(6),
  TimesTotal INTEGER DEFAULT 0,
  TimesDay INTEGER DEFAULT 0,
  TimesWeek INTEGER DEFAULT 0,
  TimesMonth INTEGER DEFAULT 0,
  TimesSeason INTEGER DEFAULT 0,
  TimesYear INTEGER DEFAULT 0,
  InitTimes INTEGER DEFAULT 0
) $CLUSTERED;
CREATE INDEX original_singer ON original (Singer_Nam);
CREATE TABLE singer (
  SINGERNO VARCHAR(10) NOT NULL PRIMARY KEY,
  SINGERNAME VARCHAR(30),
  PHOTO VARCHAR(60),
  SEX VARCHAR(1),
  PLACE VARCHAR(1),
  PYCODE VARCHAR(10),
  TIMES $DOUBLE DEFAULT 0,
  SONGS INTEGER DEFAULT 0,
  LEN SMALLINT
) $CLUSTERED;
CREATE INDEX singer_name ON singer (SINGERNAME);
CREATE TABLE timesDetail (
  id $SERIAL,
  SongNo VARCHAR(10),
  Times INTEGER DEFAULT 1,
  ClickTime $DATETIME,
  UserId VARCHAR(20),
  Ip VARCHAR(50)
);
CREATE INDEX timesdetail_song ON timesDetail (SongNo);
CREATE TABLE Times (
  SongNo VARCHAR(10) NOT NULL PRIMARY KEY,
  TotalTimes INTEGER DEFAULT 0,
  TimesYear INTEGER DEFAULT 0,
  TimesSeason INTEGER DEFAULT 0,
  TimesMonth INTEGER DEFAULT 0,
  TimesWeek INTEGER DEFAULT 0,
  TimesDay INTEGER DEFAULT 0
) $CLUSTERED;
CREATE TABLE mylove (
  id $SERIAL,
  UserId VARCHAR(20),
  SongNo VARCHAR(10)
);
CREATE INDEX mylove_user ON mylove (UserId);
CREATE TABLE "user" (
  USERID VARCHAR(20) NOT NULL PRIMARY KEY,
  LASTLOGIN $DATETIME
);
CREATE TABLE Room (
  id $SERIAL,
  RoomId VARCHAR(10),
  RoomName VARCHAR(50),
  RoomComputer VARCHAR(20)
);
CREATE TABLE Setting (
  type VARCHAR(50) NOT NULL,
  name VARCHAR(50) NOT NULL,
  value VARCHAR(255),
  PRIMARY KEY (type, name)
) $CLUSTERED;
CREATE TABLE "order" (
  id $SERIAL,
  Disc_No VARCHAR(2),
  Name VARCHAR(120),
  SongNo VARCHAR(10),
  FilePath VARCHAR(254),
  Voice_pos $DOUBLE,
  Singer_nam VARCHAR(60),
  Lan_Type VARCHAR(6),
  Price $DOUBLE,
  Song_Vol $DOUBLE,
  Num INTEGER,
  Playing VARCHAR(1),
  Flag VARCHAR(1)
);
CREATE INDEX order_num ON "order" (Num);
CREATE VIEW qu_song AS
  SELECT s.SongNo AS SongNo, s.Is_Local AS Is_Local, s.FilePath AS FilePath,
         o.TimesTotal AS TotalTimes, o.TimesYear AS TimesYear, o.TimesSeason AS TimesSeason,
         o.TimesWeek AS TimesWeek, o.TimesMonth AS TimesMonth, o.TimesDay AS TimesDay,
         o.Name AS Name, o.Disc_no AS Disc_no, o.Singer_Nam AS Singer_Nam, o.Str_len AS Str_len,
         o.Lan_Type AS Lan_Type, o.Lan_Name AS Lan_Name, o.Type AS Type, o.Voice_Pos AS Voice_Pos,
         o.First_Char AS First_Char, o.CreateDate AS CreateDate, o.Price AS Price, o.STROKES AS STROKES,
         o.Version AS Version, o.Music AS Music, o.Remark AS Remark, o.song_vol AS song_vol, o.Disk AS Disk
  FROM song s JOIN original o ON s.SongNo = o.SONGNO
  ORDER BY s.SongNo;
CREATE VIEW qu_Singer AS
  SELECT SINGERNO AS SINGERNO, SINGERNAME AS SINGERNAME, PHOTO AS PHOTO, SEX AS SEX, PLACE AS PLACE,
         PYCODE AS PYCODE, TIMES AS TIMES, LEN AS LEN
  FROM singer
  ORDER BY SINGERNO;
)SQL";

} // namespace

QString CatalogueSchemaScript(DbEngine engine)
{
    struct Spelling
    {
        const char* word;
        const char* sqlite;
        const char* postgres;
    };
    static const Spelling spellings[] = {
        {"$CLUSTERED", "WITHOUT ROWID", ""},
        {"$DATETIME", "DATETIME", "TIMESTAMP(0)"},
        {"$DOUBLE", "DOUBLE", "DOUBLE PRECISION"},
        {"$SERIAL", "INTEGER PRIMARY KEY AUTOINCREMENT", "SERIAL PRIMARY KEY"},
        {"$TRUE", "1", "TRUE"},
    };
    if (engine != DbEngine::SQLite && engine != DbEngine::PostgreSQL)
        throw DbError(QStringLiteral("no catalogue schema for this database engine"));
    QString script = QString::fromUtf8(kScript);
    for (const Spelling& s : spellings)
        script.replace(QLatin1String(s.word), QLatin1String(engine == DbEngine::SQLite ? s.sqlite : s.postgres));
    script.replace(QStringLiteral(") ;"), QStringLiteral(");"));
    return script;
}

void CreateCatalogueSchema(DbConnection& connection)
{
    connection.ExecuteScriptInTransaction(CatalogueSchemaScript(connection.Engine()));
}

QStringList OrderTableColumns()
{
    return {QStringLiteral("Disc_No"),  QStringLiteral("Name"),      QStringLiteral("SongNo"),
            QStringLiteral("FilePath"), QStringLiteral("Voice_pos"), QStringLiteral("Singer_nam"),
            QStringLiteral("Lan_Type"), QStringLiteral("Price"),     QStringLiteral("Song_Vol"),
            QStringLiteral("Num"),      QStringLiteral("Playing"),   QStringLiteral("Flag")};
}
