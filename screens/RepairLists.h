#pragma once
// The fixed choices of the song maintenance screen. A choice's position in
// its list is what the catalogue stores (Lan_Type, Type); versions, music
// versions and picture remarks are stored as their texts.
#include <QStringList>

namespace repairlists {

// The 22 languages; the position is the song's Lan_Type.
const QStringList& Languages();
// Song versions, music versions and picture remarks.
const QStringList& Versions();
const QStringList& MusicVersions();
const QStringList& Remarks();
// The song types of a language position (film, adult film, disco, or the
// song types every other language shares); the position is the song's Type.
const QStringList& TypesOf(int languagePosition);

// The language positions with a type list of their own.
constexpr int kFilm = 0;
constexpr int kAdultFilm = 20;
constexpr int kDisco = 21;
// The version and music version that mark a song as unusable; a reason is
// then required in the remark.
const QString& Unusable();

} // namespace repairlists
