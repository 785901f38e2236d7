#pragma once
// The favourites in the catalogue database: signing a guest in under the
// numeric id they chose (a new id creates its [user] row), the list of the
// signed-in user's songs and deleting one of them. The user id is typed by
// a guest and the song numbers come from the database: every statement binds
// both as values, never as part of its text.
#include <QString>

class DataSet;
class DbConnection;

// At most this many digits in a user id (the width of [user].USERID).
constexpr int kMaxUserIdDigits = 20;

// Signs the id in: a known id gets today's LASTLOGIN, an unknown one a new
// [user] row. True when the id may be used; false when the catalogue could
// not be read or the new row could not be written.
bool SignInFavourites(DbConnection& connection, const QString& userId);

// The detail query's columns beside the song's record: the favourite's song
// number (set even when the record is missing) and the name to show (the
// song's name, or its number when the record is missing).
inline const QString kFavouriteSongNo = QStringLiteral("LoveSongNo");
inline const QString kFavouriteName = QStringLiteral("LoveName");

// Opens the detail query on the user's favourites (the song's file path,
// kFavouriteSongNo, kFavouriteName and the song's catalogue record), by
// singer and name.
void LoadFavourites(DataSet& detail, const QString& userId);

// Deletes one song from the user's favourites; true when the statement ran.
bool DeleteFavourite(DbConnection& connection, const QString& userId, const QString& songNo);
