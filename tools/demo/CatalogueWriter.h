#pragma once
// Writes generated singers and songs into a catalogue database whose schema
// already exists (CreateCatalogueSchema), and the Setting rows of the demo.
#include "tools/demo/CatalogueGenerator.h"

#include <QList>
#include <QPair>
#include <vector>

class DbConnection;

// Inserts singer, original and song rows in one transaction. Throws DbError.
void WriteCatalogue(DbConnection& connection, const std::vector<DemoSinger>& singers,
                    const std::vector<DemoSong>& songs);

struct SettingRow
{
    QString type;
    QString name;
    QString value;
};
// Replaces the Setting table's rows. Throws DbError.
void WriteSettings(DbConnection& connection, const QList<SettingRow>& rows);
