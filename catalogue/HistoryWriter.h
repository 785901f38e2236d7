#pragma once
// Writes the play-history rows (timesDetail) on a connection of its own in a
// background thread, so that ordering a song never waits for the catalogue's
// disk to sync. Rows are written in the order they were given; a row that
// fails is dropped alone (the order it belongs to stays, and so do the
// other rows of its batch). Flush waits until every
// row given so far has been written; the destructor flushes.
#include <QString>
#include <QVariantList>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class DbConnection;

class THistoryWriter
{
public:
    THistoryWriter(QString connectionString, QString exeDir);
    ~THistoryWriter();
    THistoryWriter(const THistoryWriter&) = delete;
    THistoryWriter& operator=(const THistoryWriter&) = delete;

    void Add(const QString& sql, const QVariantList& params);
    void Flush();
    // Rows that could not be written since the start.
    int Failures() const;

private:
    struct Item
    {
        QString sql;
        QVariantList params;
    };
    void Run();
    // Writes the rows; gives how many failed.
    static int WriteBatch(DbConnection& db, const std::deque<Item>& batch);

    QString m_sConnectionString, m_sExeDir;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::deque<Item> m_aItems;
    int m_nBusy = 0;
    int m_nFailures = 0;
    bool m_bStop = false;
    std::thread m_thread;
};
