#pragma once
// The parts of the demo installation beyond its configuration files: the
// generated catalogue data/kroom.db (optionally also loaded into a
// PostgreSQL database), the queue table data/order.dbf with its backups in
// data/bak/, and the player program's settings.
#include <QString>

struct DemoOptions
{
    int songs = 20000;
    int singers = 0; // 0: one singer per 12 songs, at least 300
    quint32 seed = 20091;
    bool force = false;       // rewrite the catalogue even when it exists
    QString postgres;         // connection string of a PostgreSQL database to load too
    int playerSongMs = 15000; // how long the player stand-in "plays" a song
    int photos = 0;           // singer photos to draw; 0: one per singer, at most 2000
};

// Number of singers the options give.
int DemoSingerCount(const DemoOptions& options);

// Writes the catalogue, the queue files and vodplayer.ini. False with a
// message on failure.
bool WriteDemoData(const QString& exeDir, const DemoOptions& options, QString& error);
