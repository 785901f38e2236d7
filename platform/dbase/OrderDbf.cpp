#include "platform/dbase/OrderDbf.h"

std::vector<DbfField> OrderDbfFields()
{
    return {
        {QStringLiteral("DISC_NO"), 'C', 2, 0},    {QStringLiteral("NAME"), 'C', 120, 0},
        {QStringLiteral("SONGNO"), 'C', 10, 0},    {QStringLiteral("FILEPATH"), 'C', 254, 0},
        {QStringLiteral("VOICE_POS"), 'N', 10, 3}, {QStringLiteral("SINGER_NAM"), 'C', 60, 0},
        {QStringLiteral("LAN_TYPE"), 'C', 6, 0},   {QStringLiteral("PRICE"), 'N', 12, 2},
        {QStringLiteral("SONG_VOL"), 'N', 10, 3},  {QStringLiteral("NUM"), 'N', 10, 0},
        {QStringLiteral("PLAYING"), 'C', 1, 0},    {QStringLiteral("FLAG"), 'C', 1, 0},
    };
}

void CreateOrderDbf(const QString& path)
{
    DbfTable::Create(path, OrderDbfFields());
}
