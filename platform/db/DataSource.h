#pragma once
// Internal: where a DataSet's rows come from and where its edits go.
#include "platform/db/ColumnStore.h"

#include <QStringList>
#include <QVariantList>
#include <memory>

class DbConnection;
class DbfTable;

namespace dbsource {

class Source
{
public:
    virtual ~Source() = default;
    // Loads every row into a new store, leaving out the removed fields.
    virtual void Load(dbstore::Store& store, const QStringList& removed) = 0;
    // values: one per store column (already converted); changed: which were set.
    // May fill generated values (a key) into values. Gives the row id.
    virtual qint64 Insert(const dbstore::Store& store, std::vector<QVariant>& values,
                          const std::vector<bool>& changed) = 0;
    virtual void Update(const dbstore::Store& store, size_t row, const std::vector<QVariant>& values,
                        const std::vector<bool>& changed) = 0;
    virtual void Remove(const dbstore::Store& store, size_t row) = 0;
    virtual bool Writable() const = 0;
    // The column that identifies a row across reloads (-1: the row id, or none).
    virtual int KeyColumn(const dbstore::Store& store) const = 0;
    // True when the source changed since the last Load (dBASE only).
    virtual bool ChangedSinceLoad() { return false; }
    // A series of edits held together (DataSet::BeginUpdates); the data set
    // counts the nesting and calls these once per series.
    virtual void BeginUpdates() {}
    virtual void EndUpdates() {}
    // Ends a series dropping its edits (none of them reaches the source).
    virtual void CancelUpdates() {}
};

struct SqlOptions
{
    DbConnection* connection = nullptr;
    QString table;   // table or view (SELECT * FROM it)
    QString command; // or a query text
    QVariantList params;
    QString updateTable; // where edits go (derived from the query when empty)
    QString keyField;
};

std::unique_ptr<Source> MakeSqlSource(const SqlOptions& options);
std::unique_ptr<Source> MakeDbfSource(const QString& path);

} // namespace dbsource
