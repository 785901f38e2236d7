#pragma once
// The song selection screens of the station (song list, ordered songs, sung
// songs, singers, strokes, pinyin, song number, favourites) and the helpers
// they share: their registration with the form
// manager, the list colours read from a screen's skin node and saving a song
// into the signed-in user's favourites.
#include <QDomElement>
#include <QPointer>
#include <QString>
#include <functional>

class DataSet;
class QObject;
class TItemList;
class TKVFormXML;
class TSubTitle;

// Registers the song selection screens with the form manager's factory
// table: TFrmSong (frmsong), TFrmSelect (frmorder), TFrmSing (sing),
// TFrmSinger (frmsinger, frmsingerlist), TFrmStorke (storke), TFrmPY
// (songbypy, singerbypy), TFrmNumber (number), TFrmLove (frmmylovelogin),
// TFrmMyLove (frmmylove) and TFrmOCR (frmocr).
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

// The song list of a search screen: the catalogue view CD_Song in three
// columns (Name, Lan_name, Singer_nam) on the screen's skin labels, bound by
// `layout` (see BindSongRows), drawn from page 1. A chosen row runs
// songClick and cannot be chosen again on that page; a singer label runs
// singerClick. With `focus` the focused row is highlighted (stations driven
// by the remote keypad). The list's colours come from the screen's node
// (ReadListColours, which may throw).
TItemList* MakeSongList(TKVFormXML& screen, bool focus, std::function<void()> songClick,
                        std::function<void(TSubTitle*)> singerClick, std::function<void(TItemList*)> layout);

// Binds the song list's row labels: songname<i> (their number sets the page
// size), songlang<i> and songsinger<i> (singerClick), and pagelabel.
void BindSongRows(TKVFormXML& screen, TItemList& list, const std::function<void(TSubTitle*)>& singerClick);

// Looks up a search screen's labels title, notfound (given the interface
// text NotFound, hidden) and Input.
void FindSearchLabels(TKVFormXML& screen, QPointer<TSubTitle>& title, QPointer<TSubTitle>& notFound,
                      QPointer<TSubTitle>& input);

// Shows the not-found label, with the interface text NotFound, when the
// list's page has no rows; hides it otherwise.
void ShowNotFound(TSubTitle* notFound, const TItemList* list);

// Orders the song on CD_Song's current record, chosen on a song screen's
// list (OrderChosenSong). While the station sells songs through the room
// service (HotelVod), a song with a price above 0 is not ordered here and
// the list is drawn again without the chosen mark. True when it is queued.
bool OrderListedSong(TItemList* list);
