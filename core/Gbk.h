#pragma once
// Conversions between the station's internal text (QString) and the GBK
// bytes (Windows code page 936) that files, datagrams, window messages and
// the databases carry. Invalid bytes decode to U+FFFD; characters GBK cannot
// hold encode as '?'. Neither direction ever fails.
#include <QByteArray>
#include <QString>

QString ToWide(const QByteArray& gbk);
QString ToWide(const char* gbk, qsizetype length);
QByteArray ToNarrow(const QString& text);
