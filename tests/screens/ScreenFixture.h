#pragma once
// A demo installation (catalogue, order.dbf, configuration, skins) in a
// temporary folder with the catalogue data module and the form manager on
// it, and the song screens registered.
#include "catalogue/FrmData.h"
#include "ui/KVFormManager.h"

#include <QDomElement>
#include <QList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class TKVFormXML;
class TSubTitle;

class ScreenTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // Changes the installation before the data module opens it (another
    // catalogue in vod.ini, ...).
    virtual void Install() {}

    // Opens the screen of a skin node (path or, for "sing", the first element of that name).
    TKVFormXML* Open(const QString& elementName);
    TSubTitle* Label(TKVFormXML* screen, const QString& name);
    // Orders the n-th record (1-based) of CD_Song as it is filtered now.
    void OrderRow(int recNo);
    // The queue view's entries in queue order: SongNo and Num, Playing.
    QStringList QueueSongs();
    QList<qint64> QueueNums();
    // Runs posted events (posted keys, deferred row actions).
    static void Settle();
    int HistoryRows(const QString& songNo);

    QTemporaryDir m_dir;
    QString m_sExe;
    std::unique_ptr<TFrmData> m_pData;
    std::unique_ptr<TKVFormManager> m_pManager;
    QList<int> m_aDispatched; // keys that reached the station-wide handling
};
