#pragma once
// The song selection screens of the station (song list, ordered songs, sung
// songs) and the helpers they share: their registration with the form
// manager, the list colours read from a screen's skin node and saving a song
// into the signed-in user's favourites.
#include <QDomElement>
#include <QString>

class TItemList;

// Registers TFrmSong (frmsong), TFrmSelect (frmorder) and TFrmSing (sing)
// with the form manager's factory table. Safe to call more than once.
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
