#pragma once
// The song selection screens of the station (song list, ordered songs, sung
// songs, singers, strokes, pinyin, song number, favourites) and the helpers
// they share: their registration with the form
// manager, the list colours read from a screen's skin node and saving a song
// into the signed-in user's favourites.
#include <QDomElement>
#include <QString>

class DataSet;
class QObject;
class TItemList;

// Registers the song selection screens with the form manager's factory
// table: TFrmSong (frmsong), TFrmSelect (frmorder), TFrmSing (sing),
// TFrmSinger (frmsinger, frmsingerlist), TFrmStorke (storke), TFrmPY
// (songbypy, singerbypy), TFrmNumber (number), TFrmLove (frmmylovelogin) and
// TFrmMyLove (frmmylove).
// Safe to call more than once.
void RegisterSongScreens();

// Reads the node's list colours and label shadow (fontcolor, selcolor,
// overcolor, shadowcolor, shadowwidth, shadowstyle) into the list. Each is
// required: a missing or malformed one raises Exception (a skin error).
void ReadListColours(TItemList* list, const QDomElement& node);

// Saves a song into the favourites of the signed-in user (the catalogue data
// module's m_sUserId): 1 saved, 2 already in the favourites, 0 not saved (no
// user, no song number, or the insert failed). A failing look-up raises its
// error. The user id and song number are bound values, never part of the
// statement text.
int SaveToFavourites(const QString& songNo);

// Hands a key of a screen with a typed input on to its list's key handling.
// DELSONG has cleared the input: it goes to the station-wide handling only,
// since the list would take it for POINT (the same code by default) and
// choose its eleventh row.
void HandOnToList(TItemList* list, QObject* screen, int key);

// Orders the song on the source's current record, chosen on the list. When
// it did not reach the queue (the queue could not be written) the list is
// drawn again, so the row loses the chosen mark: "√" stands only for queued
// songs. True when the song is queued.
bool OrderChosenSong(DataSet& source, TItemList* list);
