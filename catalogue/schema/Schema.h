#pragma once
// The catalogue database's schema: tables song, original, singer, timesDetail,
// Times, mylove, user, Room, Setting, order (hall-mode play queue, with a key
// column id of its own) and the views qu_song and qu_Singer that give the
// fields of CD_Song and CD_Singer in their order.
// The station itself never creates the catalogue; the demo generator and the
// tests do, with these scripts.
#include "platform/db/Dialect.h"

#include <QString>

class DbConnection;

// The script for an engine (statements separated by ";\n").
QString CatalogueSchemaScript(DbEngine engine);
// Creates every table and view on an open connection (SQLite or PostgreSQL).
// Throws DbError.
void CreateCatalogueSchema(DbConnection& connection);
// The column list of the order table (in the order the station reads them).
QStringList OrderTableColumns();
