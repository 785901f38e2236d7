#include "catalogue/HistoryWriter.h"

#include "platform/db/DbConnection.h"

#include <memory>

THistoryWriter::THistoryWriter(QString connectionString, QString exeDir)
    : m_sConnectionString(std::move(connectionString)), m_sExeDir(std::move(exeDir))
{
    m_thread = std::thread([this] { Run(); });
}

THistoryWriter::~THistoryWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void THistoryWriter::Add(const QString& sql, const QVariantList& params)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_aItems.push_back({sql, params});
    }
    m_wake.notify_one();
}

void THistoryWriter::Flush()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return m_aItems.empty() && m_nBusy == 0; });
}

int THistoryWriter::Failures() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nFailures;
}

int THistoryWriter::WriteBatch(DbConnection& db, const std::deque<Item>& batch)
{
    const auto eachAlone = [&] {
        int failed = 0;
        for (const Item& item : batch)
            failed += db.RunSql(item.sql, item.params) ? 0 : 1;
        return failed;
    };
    if (batch.size() < 2)
        return eachAlone();
    // Together in one transaction, the fast way. A server aborts the whole
    // transaction on one failing row, so when any row fails the batch is
    // rolled back and every row is written on its own: a bad row loses only
    // itself.
    try {
        db.Begin();
    } catch (const DbError&) {
        return eachAlone();
    }
    bool ok = true;
    for (const Item& item : batch)
        if (!db.RunSql(item.sql, item.params)) {
            ok = false;
            break;
        }
    if (ok) {
        try {
            db.Commit();
            return 0;
        } catch (const DbError&) {
        }
    }
    db.Rollback();
    return eachAlone();
}

void THistoryWriter::Run()
{
    // The connection belongs to this thread; it is opened at the first row.
    std::unique_ptr<DbConnection> db;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || !m_aItems.empty(); });
        if (m_aItems.empty()) {
            if (m_bStop)
                break;
            continue;
        }
        // Everything waiting goes in one transaction.
        std::deque<Item> batch;
        batch.swap(m_aItems);
        m_nBusy = int(batch.size());
        lock.unlock();
        int failed = 0;
        try {
            if (!db) {
                db = std::make_unique<DbConnection>();
                db->Open(m_sConnectionString, m_sExeDir);
            }
            failed = WriteBatch(*db, batch);
        } catch (...) {
            failed = int(batch.size());
            db.reset(); // try a new connection with the next rows
        }
        lock.lock();
        m_nFailures += failed;
        m_nBusy = 0;
        if (m_aItems.empty())
            m_done.notify_all();
    }
    lock.unlock();
    db.reset();
    m_done.notify_all();
}
