#pragma once
// Sort orders of a DataSet's rows: the rows of a store arranged by a list of
// key columns, each ascending or descending. Nulls come first ascending,
// texts sort by the Chinese (pinyin) collation ignoring case, NaN after
// every number; rows with equal keys keep the store's order.
#include "platform/db/ColumnStore.h"

#include <memory>
#include <vector>

namespace dbsort {

struct SortKey
{
    int col = 0;
    bool desc = false;
};

using Order = std::shared_ptr<const std::vector<quint32>>;

// Every row of the store in key order. Computes the collation ranks of the
// text key columns first (the store is changed only there).
std::vector<quint32> Sort(dbstore::Store& store, const std::vector<SortKey>& keys);

// The same order as a comparison of two rows, for arranging a few rows
// without sorting the whole store.
class RowOrder
{
public:
    RowOrder(const dbstore::Store& store, const std::vector<SortKey>& keys) : m_store(store), m_keys(keys) {}
    // False when a text key's collation ranks do not cover its values (Sort
    // has not run since they changed).
    static bool Usable(const dbstore::Store& store, const std::vector<SortKey>& keys);
    bool operator()(quint32 a, quint32 b) const;

private:
    const dbstore::Store& m_store;
    const std::vector<SortKey>& m_keys;
};

} // namespace dbsort
