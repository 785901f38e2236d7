#pragma once
// The bill of an open room as the bill screen shows it, for the venue's
// tools: the twelve checkout results, one "Name=value" line each.
#include <QDateTime>
#include <QStringList>

class DbConnection;

// Computes the bill of the room named (t_kf.cRoomName) at `now` (the
// database server's clock when invalid). False with a message when the room
// is not open; database errors throw DbError. The station's clock is left
// alone.
bool BillLines(DbConnection& connection, const QString& roomName, const QDateTime& now, QStringList& lines,
               QString& error);
