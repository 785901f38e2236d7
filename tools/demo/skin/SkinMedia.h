#pragma once
// The shared pictures and sounds of the demo installation: singer photos,
// advert pictures, the on-screen-display pictures with their sounds, the
// list cursor and number pictures, and the font configuration.
#include <QByteArray>
#include <QImage>
#include <QString>

// A portrait-like picture for the singer photo file with number n (1-based).
QImage PaintSingerPhoto(int n, int size = 200);
// The generic photo for singers without one.
QImage PaintDefaultPhoto(int size = 200);
// Advert picture i (0-based) of the given count, 1024 x 768.
QImage PaintAdvert(int i);
int AdvertCount();
// On-screen display picture "<n>.bmp" (1-based, 1..OsdCount()).
QImage PaintOsdPicture(int n);
int OsdCount();
// A short tone as a 16-bit mono PCM WAV file: frequencies glide from f0 to f1.
QByteArray ToneWav(double seconds, double f0, double f1, int sampleRate = 22050);
// List cursor (Cursor.BMP) and row number pictures ("<n>.bmp").
QImage PaintCursor();
QImage PaintRowNumber(int n);
// fonts.conf: the system configuration plus the Windows font names.
QByteArray FontsConf();
