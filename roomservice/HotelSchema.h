#pragma once
// The room-service database's schema: the tables the station reads (rooms,
// open rooms, food types, menu, additions, staff, gift rules, price rules,
// rate types, room arrangements, time segments, system settings), the order
// table it writes, and the flow-number counter with its procedure
// sp_GetWaterId. The database belongs to the venue's front desk and kitchen
// software; the station never creates it. The demo generator, the tools and
// the tests do, with these scripts.
//
// Flags are 0/1 numbers (BIT on SQL Server, SMALLINT on PostgreSQL) because
// the station's statements compare them with 0 and 1. Times of day are texts
// ("HH:mm:ss" for price rules and time segments, "hh:nn" for gift rules) and
// rule dates are texts "yyyy-MM-dd" or "0000-00-00" for every day.
#include "platform/db/Dialect.h"

#include <QString>

class DbConnection;

// The script for an engine (statements separated by ";" at line ends).
QString HotelSchemaScript(DbEngine engine);
// Creates every table and the flow-number procedure on an open connection
// (SQLite or PostgreSQL), in one transaction. Throws DbError.
void CreateHotelSchema(DbConnection& connection);
