#include "platform/db/DataView.h"

#include <algorithm>
#include <cstring>

namespace dbview {

using dbstore::Store;

namespace {

// Rows of the order walked for every passing row before the view sorts an
// index's few rows itself instead (the walk found them too sparsely).
constexpr size_t kWalkPerRow = 4;
constexpr size_t kWalkAtLeast = 4096;

// Where a value stands against an inclusive range: -1 below (or null), 0
// inside, 1 above.
int Against(const dbstore::Column& c, quint32 row, qint64 lo, qint64 hi)
{
    if (c.nulls[row])
        return -1;
    const qint64 v = c.ints[row];
    return v < lo ? -1 : (v > hi ? 1 : 0);
}

} // namespace

void View::Rebuild(const Store& store, const dbfilter::Predicate* predicate, dbsort::Order order,
                   const std::vector<dbsort::SortKey>& keys)
{
    m_pStore = &store;
    m_pPredicate = predicate;
    const size_t n = store.rows;
    SetOrder(std::move(order), keys);
    if (!predicate) {
        m_eMode = Mode::All;
        m_nCount = int(n - store.deletedRows);
        return;
    }

    // A comparison on the order's leading key: along the order its values
    // rise (or fall) steadily, nulls at the low end, so the rows that pass
    // are one stretch of it.
    int col = -1;
    qint64 lo = 0, hi = 0;
    if (m_order && store.deletedRows == 0 && predicate->Interval(col, lo, hi) && m_aKeys.front().col == col) {
        const dbstore::Column& c = store.cols[size_t(col)];
        const quint32* ord = m_order->data();
        const bool desc = m_aKeys.front().desc;
        // Ascending: below, inside, above; descending: above, inside, below.
        const auto before = [&](quint32 r) { return desc ? Against(c, r, lo, hi) > 0 : Against(c, r, lo, hi) < 0; };
        const auto notAfter = [&](quint32 r) { return desc ? Against(c, r, lo, hi) >= 0 : Against(c, r, lo, hi) <= 0; };
        m_nBegin = size_t(std::partition_point(ord, ord + n, before) - ord);
        m_nEnd = size_t(std::partition_point(ord + m_nBegin, ord + n, notAfter) - ord);
        m_nScan = m_nBegin;
        m_eMode = Mode::Stretch;
        m_nCount = int(m_nEnd - m_nBegin);
        return;
    }

    m_eMode = Mode::Marked;
    m_aMask.resize(n); // kept between filters: no new pages each time
    std::vector<quint32> fresh;
    if (predicate->Rows(store, fresh)) {
        // Only the marks of the last list need clearing.
        if (m_bMaskClean)
            for (quint32 r : m_aList)
                m_aMask[r] = 0;
        else
            std::fill(m_aMask.begin(), m_aMask.end(), uint8_t(0));
        if (store.deletedRows > 0)
            fresh.erase(std::remove_if(fresh.begin(), fresh.end(), [&](quint32 r) { return store.deleted[r] != 0; }),
                        fresh.end());
        m_aList.swap(fresh);
        MarkList();
        return;
    }
    predicate->Eval(store, m_aMask.data());
    m_aList.clear();
    m_bListFromIndex = false;
    m_bMaskClean = false;
    // Bytes are 0 or 1: eight at a time, a word's population count is their sum.
    const uint8_t* del = store.deleted.data();
    const uint8_t* m = m_aMask.data();
    size_t count = 0, r = 0;
    for (; r + 8 <= n; r += 8) {
        quint64 dw, mw;
        std::memcpy(&dw, del + r, 8);
        std::memcpy(&mw, m + r, 8);
        count += size_t(__builtin_popcountll(mw & ~dw & 0x0101010101010101ull));
    }
    for (; r < n; ++r)
        count += m[r] & (del[r] == 0);
    m_nCount = int(count);
}

void View::MarkList()
{
    for (quint32 r : m_aList)
        m_aMask[r] = 1;
    m_bListFromIndex = true;
    m_bMaskClean = true;
    m_nCount = int(m_aList.size());
}

void View::Reorder(dbsort::Order order, const std::vector<dbsort::SortKey>& keys)
{
    if (!m_pStore)
        return;
    if (m_eMode == Mode::Stretch) {
        // The stretch belonged to the old order.
        Rebuild(*m_pStore, m_pPredicate, std::move(order), keys);
        return;
    }
    SetOrder(std::move(order), keys);
}

void View::SetOrder(dbsort::Order order, const std::vector<dbsort::SortKey>& keys)
{
    const size_t n = m_pStore->rows;
    // An order is walked only with the keys it was sorted by.
    m_order = order && order->size() == n && !keys.empty() ? std::move(order) : nullptr;
    m_aKeys = m_order ? keys : std::vector<dbsort::SortKey>();
    m_aRows.clear();
    m_nScan = 0;
    m_nBegin = 0;
    m_nEnd = n;
}

void View::Clear()
{
    m_pStore = nullptr;
    m_pPredicate = nullptr;
    m_order.reset();
    m_aKeys.clear();
    m_eMode = Mode::All;
    m_nCount = 0;
    m_nBegin = m_nEnd = m_nScan = 0;
    m_aMask = {};
    m_aList = {};
    m_bListFromIndex = m_bMaskClean = false;
    m_aRows = {};
}

bool View::SortList()
{
    if (!dbsort::RowOrder::Usable(*m_pStore, m_aKeys))
        return false;
    std::vector<quint32> sorted = m_aList;
    std::sort(sorted.begin(), sorted.end(), dbsort::RowOrder(*m_pStore, m_aKeys));
    m_aRows = std::move(sorted);
    m_nScan = m_nEnd;
    return true;
}

void View::Extend(size_t upto)
{
    if (!m_pStore || m_aRows.size() > upto || m_nScan >= m_nEnd)
        return;
    const quint32* ord = m_order ? m_order->data() : nullptr;
    const uint8_t* del = m_pStore->deleted.data();
    switch (m_eMode) {
    case Mode::All:
        while (m_aRows.size() <= upto && m_nScan < m_nEnd) {
            const quint32 r = ord ? ord[m_nScan] : quint32(m_nScan);
            ++m_nScan;
            if (!del[r])
                m_aRows.push_back(r);
        }
        break;
    case Mode::Stretch:
        while (m_aRows.size() <= upto && m_nScan < m_nEnd)
            m_aRows.push_back(ord[m_nScan++]);
        break;
    case Mode::Marked: {
        const uint8_t* mask = m_aMask.data();
        // Walking the order over an index's few rows pays while they come
        // often; past a budget the rows are sorted instead.
        const bool canSort = ord && m_bListFromIndex;
        const size_t budget = canSort ? std::max(kWalkAtLeast, kWalkPerRow * m_aList.size()) : m_nEnd;
        const size_t stop = std::max(m_nScan, std::min(m_nEnd, budget));
        while (m_aRows.size() <= upto && m_nScan < stop) {
            const quint32 r = ord ? ord[m_nScan] : quint32(m_nScan);
            ++m_nScan;
            if (mask[r] && !del[r])
                m_aRows.push_back(r);
        }
        if (m_aRows.size() <= upto && m_nScan < m_nEnd && !(canSort && SortList())) {
            while (m_aRows.size() <= upto && m_nScan < m_nEnd) {
                const quint32 r = ord ? ord[m_nScan] : quint32(m_nScan);
                ++m_nScan;
                if (mask[r] && !del[r])
                    m_aRows.push_back(r);
            }
        }
        break;
    }
    }
}

qint64 View::RowAt(size_t position)
{
    if (position >= size_t(m_nCount))
        return -1;
    Extend(position);
    return position < m_aRows.size() ? qint64(m_aRows[position]) : -1;
}

int View::PositionOf(size_t row)
{
    if (!Visible(row))
        return -1;
    for (size_t i = 0; i < m_aRows.size(); ++i)
        if (m_aRows[i] == row)
            return int(i);
    while (m_nScan < m_nEnd) {
        const size_t before = m_aRows.size();
        Extend(before);
        for (size_t i = before; i < m_aRows.size(); ++i)
            if (m_aRows[i] == row)
                return int(i);
        if (m_aRows.size() == before)
            break;
    }
    return -1;
}

bool View::Visible(size_t row) const
{
    if (!m_pStore || row >= m_pStore->rows || m_pStore->deleted[row])
        return false;
    switch (m_eMode) {
    case Mode::All:
        return true;
    case Mode::Stretch:
        return m_pPredicate->Match(*m_pStore, row);
    case Mode::Marked:
        return m_aMask[row] != 0;
    }
    return false;
}

size_t View::Bytes() const
{
    return m_aMask.capacity() + (m_aList.capacity() + m_aRows.capacity()) * sizeof(quint32);
}

} // namespace dbview
