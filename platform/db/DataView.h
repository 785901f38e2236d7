#pragma once
// The view of a DataSet: which rows of its store pass the record filter, and
// in what order. The count is known at once; the rows themselves are put in
// order only as far as the cursor goes. Three ways to find them:
//   - a comparison on the leading key of the order passes a stretch of the
//     order: the view is that stretch (found by two binary searches);
//   - when a value index leaves few candidates (see kSparseShare), they are
//     tested one by one and the view walks the order over those marks, or
//     sorts the few rows itself when the walk runs long;
//   - otherwise the filter marks every row at once, column by column.
#include "platform/db/ColumnStore.h"
#include "platform/db/RecordFilter.h"
#include "platform/db/SortOrder.h"

#include <vector>

namespace dbview {

class View
{
public:
    // Finds the passing rows. predicate: null for every row; order: null for
    // the store's own order, else the prepared order of `keys`. The store,
    // the predicate and the order must stay as they are until the next
    // Rebuild or Clear.
    void Rebuild(const dbstore::Store& store, const dbfilter::Predicate* predicate, dbsort::Order order,
                 const std::vector<dbsort::SortKey>& keys);
    // The order changed, the rows and the filter did not.
    void Reorder(dbsort::Order order, const std::vector<dbsort::SortKey>& keys);
    void Clear();

    int Count() const { return m_nCount; }
    // The storage row at a position of the view; -1 past the end.
    qint64 RowAt(size_t position);
    // The position of a storage row in the view; -1 when it is not there.
    int PositionOf(size_t row);
    bool Visible(size_t row) const;
    size_t Bytes() const;

private:
    enum class Mode
    {
        All,     // every live row
        Stretch, // the positions [m_nBegin, m_nEnd) of the order
        Marked,  // the rows marked in m_aMask
    };
    // The order to walk, from its start; a stale order (of another row count) is none.
    void SetOrder(dbsort::Order order, const std::vector<dbsort::SortKey>& keys);
    void Extend(size_t upto);
    void MarkList();
    bool SortList();

    const dbstore::Store* m_pStore = nullptr;
    const dbfilter::Predicate* m_pPredicate = nullptr;
    dbsort::Order m_order;
    std::vector<dbsort::SortKey> m_aKeys;
    Mode m_eMode = Mode::All;
    int m_nCount = 0;
    size_t m_nBegin = 0, m_nEnd = 0; // the stretch of the order (or of the rows) to walk

    std::vector<uint8_t> m_aMask; // 1: passes (Marked)
    // The passing rows when they came from an index (empty otherwise), and
    // whether the mask is 0 everywhere else (so that clearing them clears it).
    std::vector<quint32> m_aList;
    bool m_bListFromIndex = false;
    bool m_bMaskClean = false;

    // The view in order as far as it has been walked.
    std::vector<quint32> m_aRows;
    size_t m_nScan = 0;
};

} // namespace dbview
