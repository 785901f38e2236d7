#pragma once
// The demo installation's skins and shared pictures, all drawn by the
// generator itself:
//   Images/<Chinese|English>/<1024x768|800x600>/  buttons.xml, SongList.ini,
//       ico.bmp, screen backgrounds, hover pictures, logo still
//   Images/Star/  singer photos S00001.jpg ... and default.jpg
//   Images/Ad/    advert pictures
//   Images/OSD/   on-screen pictures 1.bmp ... with their sounds 1.wav ...
//   Images/Cursor.BMP, Images/1.bmp ... (list cursor and row numbers)
//   fonts.conf    the Windows font names mapped to WenQuanYi Zen Hei
// Needs a QGuiApplication (the offscreen platform will do) for text drawing.
#include <QString>

// The language folders written, as Language.ini names them.
inline const char* const kDemoSkinFolders[] = {"Chinese", "English"};

// Writes everything below exeDir (created when missing). singerPhotos is the
// number of singer photos (S00001.jpg onward). False with a message when a
// file cannot be written or no GUI application exists.
bool WriteDemoSkin(const QString& exeDir, int singerPhotos = 500, QString* error = nullptr);
