#pragma once
// The player's side of the song maintenance screen: the corrected song record
// the station sends (copy-data 6) written into the catalogue's song row.
//
// The record's fields, in order: song number, name, play count, initials,
// date added, version, singer, music version, language position, type
// position, remark. The play count and the date are the catalogue's own and
// are not written; an empty field or a position of -1 leaves the stored value.
#include "platform/db/DbConnection.h"

#include <QString>
#include <QStringList>

class SongCatalogue
{
public:
    // connectionString as vod.ini's KroomAdo; relative sources lie in exeDir.
    SongCatalogue(QString connectionString, QString exeDir);

    // Writes the record. False with the reason in `error` when the record is
    // incomplete, names no song of the catalogue or the database refuses it.
    bool Save(const QStringList& fields, QString& error);

    QString Describe() const { return m_sConnection; }

private:
    QString m_sConnection, m_sExeDir;
    DbConnection m_db;
};
