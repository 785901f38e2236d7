#pragma once
// Picture loading for skins, singer photos and adverts. JPEG pictures are
// decoded with libjpeg; bitmaps and other formats go through Qt. Every failure
// (missing file, corrupt or truncated data, absurd dimensions) is an Exception
// with a readable message, never a crash.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Decodes JPEG data into an RGBX image. Throws Exception on any error. With a
// `fit` size, a large picture is decoded at a half, a quarter or an eighth of
// its size where that still covers `fit` (much faster; the caller scales the
// rest of the way).
QImage DecodeJpeg(const QByteArray& data, const QSize& fit = QSize());

// Reads and decodes a JPEG file. Throws Exception when the file cannot be read
// or does not hold a valid JPEG picture.
QImage LoadJpeg(const QString& path);

// Reads a picture of any supported kind: JPEG (recognised by its signature,
// whatever the file name says) through libjpeg, everything else (BMP, PNG)
// through Qt. Throws Exception on failure. `fit` as for DecodeJpeg.
QImage LoadPicture(const QString& path, const QSize& fit = QSize());
