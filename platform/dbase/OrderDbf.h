#pragma once
// The play-queue table order.dbf: its columns and widths, wide enough for the
// catalogue's values (a hall-mode name carries "[room]:" in front).
//   DISC_NO C2, NAME C120, SONGNO C10, FILEPATH C254, VOICE_POS N10.3,
//   SINGER_NAM C60, LAN_TYPE C6, PRICE N12.2, SONG_VOL N10.3, NUM N10,
//   PLAYING C1, FLAG C1
#include "platform/dbase/DbfTable.h"

std::vector<DbfField> OrderDbfFields();
// Creates an empty order.dbf at path (replacing an existing file).
void CreateOrderDbf(const QString& path);
