#pragma once
// Conversions between the station's internal text (QString) and the GBK
// bytes (Windows code page 936) that files, datagrams, window messages and
// the databases carry, byte for byte as Windows converts them:
// - reading, invalid bytes and a lead byte cut off at the end decode to U+FFFD;
// - writing, a character code page 936 cannot hold becomes the look-alike
//   Windows writes for it ("¥" as "￥", "²" as "2") or else one '?', so no
//   character ever vanishes.
// Neither direction ever fails.
#include <QByteArray>
#include <QString>

QString ToWide(const QByteArray& gbk);
QString ToWide(const char* gbk, qsizetype length);
QByteArray ToNarrow(const QString& text);
