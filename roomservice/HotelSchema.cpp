#include "roomservice/HotelSchema.h"

#include "platform/db/DbConnection.h"

namespace {

// One script for every engine; the words in $ are spelled per engine. Names
// are spelled as the station writes them; PostgreSQL keeps them in lower case.
const char* const kScript = R"SQL(
CREATE TABLE t_fj (
  cRoomNo VARCHAR(10) NOT NULL PRIMARY KEY,
  cRoomName VARCHAR(20) NOT NULL,
  cRoomType VARCHAR(20),
  cFloor VARCHAR(10),
  cComputer VARCHAR(50)
);
CREATE INDEX t_fj_computer ON t_fj (cComputer);
CREATE TABLE t_kf (
  cTabNo VARCHAR(20) NOT NULL PRIMARY KEY,
  cRoomNo VARCHAR(10),
  cRoomName VARCHAR(20),
  cRoomType VARCHAR(20),
  iArrId INTEGER,
  cArrName VARCHAR(30),
  cFloor VARCHAR(10),
  cGuestType VARCHAR(20),
  dCheckINTime $DATETIME,
  iOPenRNum INTEGER DEFAULT 0,
  mRoomRate $MONEY DEFAULT 0,
  mLowRate $MONEY DEFAULT 0,
  mTeaCharge $MONEY DEFAULT 0,
  mPrepmoney $MONEY DEFAULT 0,
  fDiscount $FLOAT DEFAULT 100,
  mServiceRate $FLOAT DEFAULT 0
);
CREATE INDEX t_kf_room ON t_kf (cRoomName);
CREATE TABLE t_cl (
  cFoodTypeNo VARCHAR(16) NOT NULL PRIMARY KEY,
  cFoodTypeName VARCHAR(50),
  cDepartment VARCHAR(10)
);
CREATE TABLE t_cp (
  cFoodNo VARCHAR(13) NOT NULL PRIMARY KEY,
  cFoodName VARCHAR(50),
  cFoodTypeNo VARCHAR(16),
  cFoodTypename VARCHAR(50),
  cUnit VARCHAR(4),
  mCost $MONEY DEFAULT 0,
  mPrice $MONEY DEFAULT 0,
  bCanDiscount $BOOL DEFAULT 1,
  iLowDiscount INTEGER DEFAULT 0,
  bAttendLowconsume $BOOL DEFAULT 1,
  bHaveServiceCharge $BOOL DEFAULT 1,
  cKitch VARCHAR(8),
  bStop $BOOL DEFAULT 0,
  bLack $BOOL DEFAULT 0,
  cDepartment VARCHAR(10)
);
CREATE INDEX t_cp_type ON t_cp (cFoodTypeNo);
CREATE TABLE t_metadata (
  ID $SERIAL,
  ctype VARCHAR(10),
  cName VARCHAR(50)
);
CREATE TABLE t_fwy (
  CEmployeeNO VARCHAR(10) NOT NULL PRIMARY KEY,
  CEmployeeName VARCHAR(20),
  CCardNO VARCHAR(30)
);
CREATE INDEX t_fwy_card ON t_fwy (CCardNO);
CREATE TABLE t_cpSend (
  ID $SERIAL,
  bFlag $BOOL DEFAULT 1,
  cBuyCpNo VARCHAR(13),
  dBeginTime VARCHAR(5),
  dEndTime VARCHAR(5),
  fBuyNum $FLOAT,
  fSendNum $FLOAT,
  cSendCpNo VARCHAR(13)
);
CREATE INDEX t_cpsend_buy ON t_cpSend (cBuyCpNo);
CREATE TABLE t_dc (
  ID $SERIAL,
  cTabNo VARCHAR(20),
  iWaterNo INTEGER,
  cRoomNo VARCHAR(10),
  cRoomName VARCHAR(20),
  cRoomType VARCHAR(20),
  cArrName VARCHAR(30),
  cFloor VARCHAR(10),
  cDepartment VARCHAR(10),
  dOrderFoodTime $DATETIME,
  dXdTime $DATETIME,
  cXdy VARCHAR(20),
  cXdyNo VARCHAR(10),
  bXd $BOOL DEFAULT 0,
  bOut $BOOL DEFAULT 0,
  bCasherXd $BOOL DEFAULT 0,
  cFoodTypeNo VARCHAR(16),
  cFoodTypeName VARCHAR(50),
  cFoodNo VARCHAR(13),
  cFoodName VARCHAR(50),
  cUnit VARCHAR(4),
  fNum $FLOAT,
  fDiscount $FLOAT DEFAULT 100,
  mCost $MONEY DEFAULT 0,
  mPrice $MONEY DEFAULT 0,
  mTotal $MONEY DEFAULT 0,
  bCanDiscount $BOOL DEFAULT 1,
  bAttendLowConsume $BOOL DEFAULT 1,
  bhaveServiceCharge $BOOL DEFAULT 1,
  iLowDiscount INTEGER DEFAULT 0,
  cKitch VARCHAR(8),
  bSend $BOOL DEFAULT 0,
  cSendMan VARCHAR(20),
  cAddons VARCHAR(50),
  mAddonsPrice $MONEY DEFAULT 0,
  mAddPrice $MONEY DEFAULT 0,
  bBlankout $BOOL DEFAULT 0,
  iType INTEGER,
  iPayment INTEGER
);
CREATE INDEX t_dc_tab ON t_dc (cTabNo, bXd);
CREATE TABLE t_price (
  ID $SERIAL,
  bused $BOOL DEFAULT 1,
  cDepartment VARCHAR(10),
  dDate VARCHAR(10),
  cItemType VARCHAR(1),
  cBeginTime VARCHAR(8),
  cEndTime VARCHAR(8),
  cPriceType VARCHAR(30)
);
CREATE TABLE t_ratetype (
  ID $SERIAL,
  cRateTypeName VARCHAR(30),
  cItemNo VARCHAR(16),
  cItemName VARCHAR(50),
  cRoomType VARCHAR(30),
  cGuestGrade VARCHAR(20),
  cArtGrade VARCHAR(20),
  cUnit VARCHAR(4),
  mRate $MONEY DEFAULT 0,
  fDiscount $FLOAT DEFAULT 100,
  mSerRate $MONEY DEFAULT 0,
  mSurRate $MONEY DEFAULT 0,
  mLowFree $MONEY DEFAULT 0,
  fLowTimes $FLOAT DEFAULT 0,
  mTimePrice $MONEY DEFAULT 0
);
CREATE INDEX t_ratetype_name ON t_ratetype (cRateTypeName);
CREATE TABLE t_RoomArr (
  iArrId INTEGER NOT NULL PRIMARY KEY,
  cArrName VARCHAR(30),
  mRoomRate $MONEY DEFAULT 0,
  mServiceCharge $MONEY DEFAULT 0,
  mLowCharge $MONEY DEFAULT 0,
  fLowTimes $FLOAT DEFAULT 0,
  mTimePrice $MONEY DEFAULT 0
);
CREATE TABLE t_fjsj (
  ID $SERIAL,
  iArrId INTEGER,
  cDate VARCHAR(10),
  cBeginTime VARCHAR(8),
  cEndTime VARCHAR(8),
  mPrice $MONEY DEFAULT 0,
  fDiscount $FLOAT DEFAULT 100
);
CREATE INDEX t_fjsj_arr ON t_fjsj (iArrId, cDate);
CREATE TABLE t_sys (
  ID $SERIAL,
  bTimeprice $BOOL DEFAULT 0,
  iTimeUnit INTEGER DEFAULT 60
);
CREATE TABLE t_WaterId (
  cKey VARCHAR(10) NOT NULL PRIMARY KEY,
  iWaterId INTEGER NOT NULL,
  cLastId VARCHAR(20)
);
INSERT INTO t_WaterId (cKey, iWaterId) VALUES ('dc', 0);
)SQL";

// sp_GetWaterId(@ID, @waterid output): the next flow number of the venue's
// one counter row. The update locks the row until the caller's transaction
// ends, so two stations asking at once never get the same number; the tab
// number that took it is kept beside it. SQLite takes the number with the
// dialect's UPDATE ... RETURNING statement instead.
const char* const kPostgresProcedure =
    "CREATE FUNCTION sp_GetWaterId(p_id VARCHAR) RETURNS INTEGER AS "
    "'UPDATE t_waterid SET iwaterid = iwaterid + 1, clastid = p_id WHERE ckey = ''dc'' RETURNING iwaterid' "
    "LANGUAGE sql;\n";
const char* const kSqlServerProcedure = "CREATE PROCEDURE sp_GetWaterId @ID VARCHAR(20), @waterid INT OUTPUT AS\n"
                                        "BEGIN\n"
                                        "  SET NOCOUNT ON\n"
                                        "  UPDATE t_WaterId SET @waterid = iWaterId = iWaterId + 1, cLastId = @ID\n"
                                        "    WHERE cKey = 'dc'\n"
                                        "  RETURN 0\n"
                                        "END;\n";

} // namespace

QString HotelSchemaScript(DbEngine engine)
{
    struct Spelling
    {
        const char* word;
        const char* sqlite;
        const char* postgres;
        const char* sqlServer;
    };
    static const Spelling spellings[] = {
        {"$BOOL", "BIT", "SMALLINT", "BIT"},
        {"$DATETIME", "DATETIME", "TIMESTAMP(0)", "DATETIME"},
        {"$FLOAT", "DOUBLE", "DOUBLE PRECISION", "FLOAT"},
        {"$MONEY", "NUMERIC(19,4)", "NUMERIC(19,4)", "MONEY"},
        {"$SERIAL", "INTEGER PRIMARY KEY AUTOINCREMENT", "SERIAL PRIMARY KEY", "INT IDENTITY(1,1) PRIMARY KEY"},
    };
    QString script = QString::fromUtf8(kScript);
    for (const Spelling& s : spellings) {
        const char* word = engine == DbEngine::SQLite       ? s.sqlite
                           : engine == DbEngine::PostgreSQL ? s.postgres
                                                            : s.sqlServer;
        script.replace(QLatin1String(s.word), QLatin1String(word));
    }
    if (engine == DbEngine::PostgreSQL)
        script += QLatin1String(kPostgresProcedure);
    else if (engine == DbEngine::SqlServer)
        script += QLatin1String(kSqlServerProcedure);
    return script;
}

void CreateHotelSchema(DbConnection& connection)
{
    connection.ExecuteScriptInTransaction(HotelSchemaScript(connection.Engine()));
}
