#include "platform/db/DataSet.h"

#include "platform/db/ColumnStore.h"
#include "platform/db/DataSource.h"
#include "platform/db/DataView.h"
#include "platform/db/DbConnection.h"
#include "platform/db/RecordFilter.h"
#include "platform/db/SortOrder.h"

#include <QHash>
#include <QLocale>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <numeric>
#include <shared_mutex>
#include <thread>

using dbsort::Order;
using dbsort::SortKey;
using dbstore::Column;
using dbstore::Store;

// ====================================================================== Impl

struct DataSet::Impl
{
    // configuration
    DbConnection* connection = nullptr;
    QString table, command, dbfPath, updateTable, keyField;
    QVariantList params;
    QStringList removed;
    bool readOnly = false;
    bool autoRefresh = true;

    std::unique_ptr<dbsource::Source> source;
    bool active = false;

    // storage; replaced or changed only under an exclusive lock
    Store store;
    mutable std::shared_mutex storeMutex;
    std::atomic<quint64> generation{1}; // changes with every change of the rows
    quint64 loadGeneration = 1;         // changes with every load (bookmarks)

    // prepared sorts
    std::mutex prepareMutex;
    mutable std::mutex cacheMutex;
    QHash<QString, Order> cache;
    quint64 cacheGeneration = 0;

    // filter
    QString filterText;
    std::unique_ptr<dbfilter::Node> filterTree;
    std::unique_ptr<dbfilter::Predicate> predicate;
    bool filtered = false;

    // index
    QString indexList;
    Order order;

    // view: rows that pass, in order; put in order on demand
    dbview::View view;
    int count = 0; // view.Count(), while active

    // cursor
    int pos = 0;
    bool eof = true;
    bool bof = true;

    // editing
    State state = State::Inactive;
    std::vector<QVariant> buffer;
    std::vector<bool> changed;
    qint64 editRow = -1;

    int disabled = 0;
    int updates = 0; // depth of BeginUpdates
    bool pending = false;

    // ---------------------------------------------------------------
    void RequireActive() const
    {
        if (!active)
            throw DbError(QStringLiteral("the data set is not open"));
    }

    std::vector<SortKey> ParseList(const QString& list, const Store& s) const
    {
        std::vector<SortKey> keys;
        const QStringList parts = list.split(u';', Qt::SkipEmptyParts);
        for (const QString& raw : parts) {
            QStringList words = raw.simplified().split(u' ', Qt::SkipEmptyParts);
            if (words.isEmpty())
                continue;
            SortKey k;
            if (words.size() >= 2) {
                const QString dir = words.last().toUpper();
                if (dir == QLatin1String("DESC") || dir == QLatin1String("DESCENDING")) {
                    k.desc = true;
                    words.removeLast();
                } else if (dir == QLatin1String("ASC") || dir == QLatin1String("ASCENDING")) {
                    words.removeLast();
                }
            }
            QString name = words.join(u' ');
            if (name.startsWith(u'[') && name.endsWith(u']'))
                name = name.mid(1, name.size() - 2);
            k.col = s.FindColumn(name);
            if (k.col < 0)
                throw FilterError(QStringLiteral("unknown field %1 in index field list %2").arg(name, list));
            keys.push_back(k);
        }
        return keys;
    }

    static QString CacheKey(const std::vector<SortKey>& keys)
    {
        QString key;
        for (const SortKey& k : keys)
            key += QString::number(k.col) + (k.desc ? u'-' : u'+');
        return key;
    }

    Order Cached(const QString& key) const
    {
        std::lock_guard lock(cacheMutex);
        if (cacheGeneration != generation.load())
            return nullptr;
        return cache.value(key);
    }

    // The prepared order for a list, computing it when missing. Safe on any thread.
    Order GetOrder(const QString& list)
    {
        std::vector<SortKey> keys;
        {
            std::shared_lock read(storeMutex);
            keys = ParseList(list, store);
        }
        if (keys.empty())
            return nullptr;
        const QString key = CacheKey(keys);
        if (Order o = Cached(key))
            return o;
        std::lock_guard prepare(prepareMutex);
        if (Order o = Cached(key))
            return o;
        std::shared_lock read(storeMutex);
        const quint64 gen = generation.load();
        auto result = std::make_shared<const std::vector<quint32>>(dbsort::Sort(store, keys));
        std::lock_guard lock(cacheMutex);
        if (gen == generation.load()) {
            if (cacheGeneration != gen) {
                cache.clear();
                cacheGeneration = gen;
            }
            cache.insert(key, result);
        }
        return result;
    }

    void RowsChanged() { generation.fetch_add(1); }

    std::vector<SortKey> OrderKeys() const
    {
        if (!order || indexList.isEmpty())
            return {};
        try {
            return ParseList(indexList, store);
        } catch (const FilterError&) {
            return {};
        }
    }

    void RebuildView()
    {
        if (order && order->size() != store.rows)
            order.reset(); // stale: rebuilt by RefreshOrder
        view.Rebuild(store, filtered ? predicate.get() : nullptr, order, OrderKeys());
        count = view.Count();
    }

    qint64 CurrentRow()
    {
        if (!active || count == 0 || pos < 0 || pos >= count)
            return -1;
        return view.RowAt(size_t(pos));
    }

    int PositionOf(qint64 row) { return row < 0 ? -1 : view.PositionOf(size_t(row)); }

    void RefreshOrder() { order = indexList.isEmpty() ? nullptr : GetOrder(indexList); }

    // After a post of one row (edited, or appended as the last row): the
    // current order mended for that row instead of sorted again, cached for
    // the rows as they are now. False when it cannot be mended (a text key
    // got a value the collation ranks do not know yet, or the order is stale).
    bool MendOrder(size_t row, bool appended, const std::vector<bool>& changedColumns)
    {
        if (!order || indexList.isEmpty())
            return false;
        const size_t before = appended ? store.rows - 1 : store.rows;
        if (order->size() != before || row >= store.rows)
            return false;
        const std::vector<SortKey> keys = OrderKeys();
        if (keys.empty() || !dbsort::RowOrder::Usable(store, keys))
            return false;
        bool keyChanged = appended;
        for (const SortKey& k : keys)
            keyChanged = keyChanged || changedColumns[size_t(k.col)];
        Order mended = order;
        if (keyChanged) {
            auto rows = std::make_shared<std::vector<quint32>>(*order);
            if (!appended) {
                const auto at = std::find(rows->begin(), rows->end(), quint32(row));
                if (at == rows->end())
                    return false;
                rows->erase(at);
            }
            const dbsort::RowOrder less(store, keys);
            rows->insert(std::lower_bound(rows->begin(), rows->end(), quint32(row), less), quint32(row));
            mended = std::move(rows);
        }
        std::lock_guard lock(cacheMutex);
        if (cacheGeneration != generation.load()) {
            cache.clear();
            cacheGeneration = generation.load();
        }
        cache.insert(CacheKey(keys), mended);
        order = std::move(mended);
        return true;
    }

    void BindFilter()
    {
        predicate.reset();
        if (filterTree) {
            try {
                predicate = dbfilter::Bind(*filterTree, store);
            } catch (const FilterError&) {
                // The reloaded source lacks a field the filter names: it no longer applies.
                filterTree.reset();
                filterText.clear();
            }
        }
    }

    void ToFirst()
    {
        pos = 0;
        bof = true;
        eof = count == 0;
    }

    void Load()
    {
        Store fresh;
        source->Load(fresh, removed);
        {
            std::unique_lock write(storeMutex);
            store = std::move(fresh);
            RowsChanged();
            ++loadGeneration;
        }
        BindFilter();
        try {
            RefreshOrder();
        } catch (const FilterError&) {
            indexList.clear();
            order.reset();
        }
        RebuildView();
    }
};

// ====================================================================== Field

static const Column& ColumnOf(DataSet::Impl& d, int index)
{
    return d.store.cols[size_t(index)];
}

QString Field::Name() const
{
    return m_pSet ? ColumnOf(*m_pSet->d, m_nIndex).name : QString();
}

FieldType Field::DataType() const
{
    return m_pSet ? ColumnOf(*m_pSet->d, m_nIndex).type : FieldType::String;
}

int Field::Size() const
{
    return m_pSet ? ColumnOf(*m_pSet->d, m_nIndex).size : 0;
}

int Field::Decimals() const
{
    return m_pSet ? ColumnOf(*m_pSet->d, m_nIndex).decimals : 0;
}

QVariant Field::Value() const
{
    if (!m_pSet)
        return QVariant();
    DataSet::Impl& d = *m_pSet->d;
    if (size_t(m_nIndex) >= d.store.cols.size())
        return QVariant();
    if (d.state == DataSet::State::Edit || d.state == DataSet::State::Insert)
        return d.buffer[size_t(m_nIndex)];
    const qint64 row = d.CurrentRow();
    if (row < 0)
        return QVariant();
    return d.store.cols[size_t(m_nIndex)].Get(size_t(row));
}

bool Field::IsNull() const
{
    const QVariant v = Value();
    return !v.isValid() || v.isNull();
}

QString Field::AsString() const
{
    const QVariant v = Value();
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::QDateTime:
        return dbstore::FormatDateTime(dbstore::EncodeDateTime(v.toDateTime()));
    default:
        return v.toString();
    }
}

qint64 Field::AsInteger() const
{
    const QVariant v = Value();
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.isEmpty())
            return 0;
        bool ok = false;
        const qlonglong i = t.toLongLong(&ok);
        if (ok)
            return i;
        const double dd = t.toDouble(&ok);
        if (ok && std::isfinite(dd))
            return qint64(std::llround(dd));
        throw DbError(QStringLiteral("'%1' is not a valid integer value for field %2").arg(t, Name()));
    }
    if (v.typeId() == QMetaType::Double)
        return qint64(std::llround(v.toDouble()));
    return v.toLongLong();
}

double Field::AsFloat() const
{
    const QVariant v = Value();
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.isEmpty())
            return 0;
        bool ok = false;
        const double dd = t.toDouble(&ok);
        if (!ok)
            throw DbError(QStringLiteral("'%1' is not a valid floating point value for field %2").arg(t, Name()));
        return dd;
    }
    return v.toDouble();
}

bool Field::AsBoolean() const
{
    const QVariant v = Value();
    if (!v.isValid() || v.isNull())
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed().toLower();
        return t == QLatin1String("1") || t == QLatin1String("true") || t == QLatin1String("-1") ||
               t == QLatin1String("t") || t == QLatin1String("yes");
    }
    return v.toBool();
}

QDateTime Field::AsDateTime() const
{
    const QVariant v = Value();
    if (!v.isValid() || v.isNull())
        return QDateTime();
    if (v.typeId() == QMetaType::QString) {
        qint64 e = 0;
        return dbstore::ParseDateTime(v.toString(), e) ? dbstore::DecodeDateTime(e) : QDateTime();
    }
    return v.toDateTime();
}

QString Field::DisplayText() const
{
    return AsString();
}

void Field::SetValue(const QVariant& value)
{
    if (!m_pSet)
        throw DbError(QStringLiteral("no such field"));
    DataSet::Impl& d = *m_pSet->d;
    if (d.state != DataSet::State::Edit && d.state != DataSet::State::Insert)
        throw DbError(QStringLiteral("the data set is not in edit or insert mode (field %1)").arg(Name()));
    d.buffer[size_t(m_nIndex)] = d.store.cols[size_t(m_nIndex)].Convert(value);
    d.changed[size_t(m_nIndex)] = true;
}

void Field::SetAsString(const QString& text)
{
    SetValue(text);
}
void Field::SetAsInteger(qint64 value)
{
    SetValue(qlonglong(value));
}
void Field::SetAsFloat(double value)
{
    SetValue(value);
}
void Field::SetAsBoolean(bool value)
{
    SetValue(value);
}
void Field::SetAsDateTime(const QDateTime& value)
{
    SetValue(value);
}
void Field::Clear()
{
    SetValue(QVariant());
}

// ====================================================================== DataSet

DataSet::DataSet(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {}

DataSet::~DataSet()
{
    // A preparation on another thread holds the store's lock; wait for it.
    std::lock_guard prepare(d->prepareMutex);
}

void DataSet::Notify()
{
    if (d->disabled > 0) {
        d->pending = true;
        return;
    }
    emit Changed();
}

static void RequireClosed(const DataSet::Impl& d)
{
    if (d.active)
        throw DbError(QStringLiteral("cannot change the source of an open data set"));
}

void DataSet::SetConnection(DbConnection* connection)
{
    RequireClosed(*d);
    d->connection = connection;
}
DbConnection* DataSet::Connection() const
{
    return d->connection;
}

void DataSet::SetTableName(const QString& table)
{
    RequireClosed(*d);
    d->table = table;
    d->command.clear();
    d->dbfPath.clear();
}
QString DataSet::TableName() const
{
    return d->table;
}

void DataSet::SetCommandText(const QString& sql)
{
    RequireClosed(*d);
    d->command = sql;
    d->table.clear();
    d->dbfPath.clear();
}
QString DataSet::CommandText() const
{
    return d->command;
}

void DataSet::SetParameters(const QVariantList& params)
{
    d->params = params;
}

void DataSet::SetDbfFile(const QString& path)
{
    RequireClosed(*d);
    d->dbfPath = path;
    d->table.clear();
    d->command.clear();
}
QString DataSet::DbfFile() const
{
    return d->dbfPath;
}

void DataSet::SetUpdateTable(const QString& table, const QString& keyField)
{
    RequireClosed(*d);
    d->updateTable = table;
    d->keyField = keyField;
}

void DataSet::SetReadOnly(bool readOnly)
{
    d->readOnly = readOnly;
}
bool DataSet::ReadOnly() const
{
    return d->readOnly;
}

void DataSet::RemoveField(const QString& name)
{
    RequireClosed(*d);
    if (!d->removed.contains(name, Qt::CaseInsensitive))
        d->removed << name;
}

void DataSet::SetAutoRefresh(bool on)
{
    d->autoRefresh = on;
}

void DataSet::Open()
{
    if (d->active)
        return;
    if (!d->dbfPath.isEmpty()) {
        d->source = dbsource::MakeDbfSource(d->dbfPath);
    } else {
        if (d->table.isEmpty() && d->command.trimmed().isEmpty())
            throw DbError(QStringLiteral("data set %1 has no table or query").arg(objectName()));
        dbsource::SqlOptions options;
        options.connection = d->connection;
        options.table = d->table;
        options.command = d->command;
        options.params = d->params;
        options.updateTable = d->updateTable;
        options.keyField = d->keyField;
        d->source = dbsource::MakeSqlSource(options);
    }
    try {
        d->Load();
    } catch (...) {
        d->source.reset();
        throw;
    }
    d->active = true;
    d->state = State::Browse;
    d->ToFirst();
    Notify();
}

void DataSet::Close()
{
    if (!d->active)
        return;
    if (d->updates > 0) {
        // Closing in the middle of a series drops it.
        d->updates = 0;
        d->source->CancelUpdates();
    }
    std::lock_guard prepare(d->prepareMutex);
    {
        std::unique_lock write(d->storeMutex);
        d->store = Store();
        d->RowsChanged();
    }
    {
        std::lock_guard lock(d->cacheMutex);
        d->cache.clear();
    }
    d->active = false;
    d->state = State::Inactive;
    d->buffer.clear();
    d->changed.clear();
    d->order.reset();
    d->view.Clear();
    d->predicate.reset();
    d->count = 0;
    d->pos = 0;
    d->eof = d->bof = true;
    d->source.reset();
    Notify();
}

bool DataSet::Active() const
{
    return d->active;
}

void DataSet::SetActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

DataSet::State DataSet::GetState() const
{
    return d->state;
}

void DataSet::Requery()
{
    d->RequireActive();
    CheckBrowseMode();
    d->Load();
    d->ToFirst();
    Notify();
}

bool DataSet::Refresh()
{
    d->RequireActive();
    CheckBrowseMode();
    // Remember the current record by its identity.
    const qint64 row = d->CurrentRow();
    const int key = d->source->KeyColumn(d->store);
    qint64 rowId = -1;
    QVariant keyValue;
    if (row >= 0) {
        if (!d->store.rowIds.empty())
            rowId = d->store.rowIds[size_t(row)];
        else if (key >= 0)
            keyValue = d->store.cols[size_t(key)].Get(size_t(row));
    }
    const int oldPos = d->pos;
    d->Load();
    int found = -1;
    if (rowId >= 0 || keyValue.isValid()) {
        for (size_t r = 0; r < d->store.rows && found < 0; ++r) {
            const bool same = rowId >= 0 ? d->store.rowIds[r] == rowId : d->store.cols[size_t(key)].Get(r) == keyValue;
            if (same)
                found = d->PositionOf(qint64(r));
        }
    }
    if (found >= 0) {
        d->pos = found;
        d->bof = d->eof = false;
    } else if (d->count == 0) {
        d->ToFirst();
    } else {
        d->pos = qBound(0, oldPos, d->count - 1);
        d->bof = d->eof = false;
    }
    Notify();
    return found >= 0;
}

// ---------------------------------------------------------------- navigation

void DataSet::First()
{
    d->RequireActive();
    CheckBrowseMode();
    if (d->autoRefresh && d->source->ChangedSinceLoad())
        d->Load();
    d->ToFirst();
    Notify();
}

void DataSet::Last()
{
    d->RequireActive();
    CheckBrowseMode();
    d->pos = d->count > 0 ? d->count - 1 : 0;
    d->eof = true;
    d->bof = d->count == 0;
    Notify();
}

void DataSet::Next()
{
    d->RequireActive();
    CheckBrowseMode();
    if (d->pos + 1 < d->count) {
        ++d->pos;
        d->eof = d->bof = false;
    } else {
        d->eof = true;
        d->bof = d->count == 0 ? true : false;
    }
    Notify();
}

void DataSet::Prior()
{
    d->RequireActive();
    CheckBrowseMode();
    if (d->pos > 0 && d->count > 0) {
        --d->pos;
        d->eof = d->bof = false;
    } else {
        d->bof = true;
        d->eof = d->count == 0;
    }
    Notify();
}

int DataSet::MoveBy(int distance)
{
    d->RequireActive();
    CheckBrowseMode();
    if (d->count == 0) {
        d->eof = d->bof = true;
        return 0;
    }
    const qint64 target = qint64(d->pos) + distance;
    const int old = d->pos;
    d->eof = d->bof = false;
    if (target >= d->count) {
        d->pos = d->count - 1;
        d->eof = true;
    } else if (target < 0) {
        d->pos = 0;
        d->bof = true;
    } else {
        d->pos = int(target);
    }
    Notify();
    return d->pos - old;
}

bool DataSet::Eof() const
{
    return !d->active || d->eof;
}
bool DataSet::Bof() const
{
    return !d->active || d->bof;
}
bool DataSet::IsEmpty() const
{
    return !d->active || d->count == 0;
}
int DataSet::RecordCount() const
{
    return d->active ? d->count : 0;
}
int DataSet::RecNo() const
{
    return d->active && d->count > 0 ? d->pos + 1 : 0;
}

void DataSet::SetRecNo(int recNo)
{
    d->RequireActive();
    CheckBrowseMode();
    if (d->count == 0)
        return;
    d->pos = qBound(0, recNo - 1, d->count - 1);
    d->eof = d->bof = false;
    Notify();
}

// ---------------------------------------------------------------- fields

int DataSet::FieldCount() const
{
    return int(d->store.cols.size());
}

Field DataSet::Fields(int index)
{
    if (index < 0 || index >= FieldCount())
        throw DbError(QStringLiteral("field index %1 out of range").arg(index));
    return Field(this, index);
}

Field DataSet::FieldByName(const QString& name)
{
    const int i = d->store.FindColumn(name);
    if (i < 0)
        throw DbError(QStringLiteral("%1: field '%2' not found").arg(objectName(), name));
    return Field(this, i);
}

Field DataSet::FindField(const QString& name)
{
    const int i = d->store.FindColumn(name);
    return i < 0 ? Field() : Field(this, i);
}

QStringList DataSet::FieldNames() const
{
    QStringList names;
    for (const Column& c : d->store.cols)
        names << c.name;
    return names;
}

// ---------------------------------------------------------------- filter

void DataSet::CheckFilter(const QString& text) const
{
    if (text.trimmed().isEmpty())
        return;
    auto tree = dbfilter::Parse(text);
    if (d->active)
        dbfilter::Bind(*tree, d->store);
}

void DataSet::SetFilter(const QString& text)
{
    if (text == d->filterText && (d->predicate || !d->active || text.trimmed().isEmpty()))
        return;
    std::unique_ptr<dbfilter::Node> tree;
    std::unique_ptr<dbfilter::Predicate> predicate;
    if (!text.trimmed().isEmpty()) {
        tree = dbfilter::Parse(text);
        if (d->active)
            predicate = dbfilter::Bind(*tree, d->store);
    }
    CheckBrowseMode();
    d->filterText = text;
    d->filterTree = std::move(tree);
    d->predicate = std::move(predicate);
    if (d->active && d->filtered) {
        d->RebuildView();
        d->ToFirst();
        Notify();
    }
}

QString DataSet::Filter() const
{
    return d->filterText;
}

void DataSet::SetFiltered(bool on)
{
    if (on == d->filtered)
        return;
    CheckBrowseMode();
    d->filtered = on;
    if (d->active) {
        d->RebuildView();
        d->ToFirst();
        Notify();
    }
}

bool DataSet::Filtered() const
{
    return d->filtered;
}

// ---------------------------------------------------------------- sort

void DataSet::SetIndexFieldNames(const QString& list)
{
    if (!d->active) {
        d->indexList = list;
        return;
    }
    Order order = list.trimmed().isEmpty() ? nullptr : d->GetOrder(list);
    CheckBrowseMode();
    d->indexList = list;
    d->order = std::move(order);
    d->view.Reorder(d->order, d->OrderKeys());
    d->count = d->view.Count();
    d->ToFirst();
    Notify();
}

QString DataSet::IndexFieldNames() const
{
    return d->indexList;
}

void DataSet::PrepareIndex(const QString& list)
{
    if (!d->active)
        throw DbError(QStringLiteral("the data set is not open"));
    if (!list.trimmed().isEmpty())
        d->GetOrder(list);
}

bool DataSet::IsIndexPrepared(const QString& list) const
{
    if (!d->active)
        return false;
    std::vector<SortKey> keys;
    try {
        std::shared_lock read(d->storeMutex);
        keys = d->ParseList(list, d->store);
    } catch (const FilterError&) {
        return false;
    }
    return keys.empty() || d->Cached(Impl::CacheKey(keys)) != nullptr;
}

// ---------------------------------------------------------------- locate

bool DataSet::Locate(const QString& fields, const QVariantList& values)
{
    d->RequireActive();
    CheckBrowseMode();
    const QStringList names = fields.split(u';', Qt::SkipEmptyParts);
    if (names.isEmpty() || names.size() != values.size())
        throw DbError(QStringLiteral("Locate needs one value per field: %1").arg(fields));
    struct Test
    {
        int col;
        bool wantNull;
        std::vector<uint8_t> texts; // text column: which dictionary entries match
        qint64 i = 0;
        double f = 0;
    };
    std::vector<Test> tests;
    for (qsizetype k = 0; k < names.size(); ++k) {
        const int col = d->store.FindColumn(names[k].trimmed());
        if (col < 0)
            throw DbError(QStringLiteral("%1: field '%2' not found").arg(objectName(), names[k]));
        const Column& c = d->store.cols[size_t(col)];
        Test t{col, false, {}};
        QVariant v;
        try {
            v = c.Convert(values[k]);
        } catch (const DbError&) {
            return false; // a value of the wrong kind matches nothing
        }
        t.wantNull = v.isNull();
        if (!t.wantNull) {
            if (c.IsText()) {
                const QString s = v.toString();
                t.texts.assign(c.dict.Size(), 0);
                for (quint32 e = 0; e < c.dict.Size(); ++e) {
                    const QStringView view = c.dict.View(e);
                    t.texts[e] = view.size() == s.size() && view.compare(s, Qt::CaseInsensitive) == 0;
                }
            } else if (c.IsFloat()) {
                t.f = v.toDouble();
            } else if (c.type == FieldType::DateTime) {
                t.i = dbstore::EncodeDateTime(v.toDateTime());
            } else if (c.type == FieldType::Boolean) {
                t.i = v.toBool() ? 1 : 0;
            } else {
                t.i = v.toLongLong();
            }
        }
        tests.push_back(std::move(t));
    }
    auto matches = [&](size_t r) {
        for (const Test& t : tests) {
            const Column& c = d->store.cols[size_t(t.col)];
            if (c.nulls[r])
                return t.wantNull ? true : false;
            if (t.wantNull)
                return false;
            if (c.IsText()) {
                if (!t.texts[c.texts[r]])
                    return false;
            } else if (c.IsFloat()) {
                if (c.floats[r] != t.f)
                    return false;
            } else if (c.ints[r] != t.i) {
                return false;
            }
        }
        return true;
    };
    // Any row at all? (saves walking the view when none matches)
    bool any = false;
    for (size_t r = 0; r < d->store.rows && !any; ++r)
        any = matches(r) && d->view.Visible(r);
    if (!any)
        return false;
    for (size_t i = 0;; ++i) {
        const qint64 row = d->view.RowAt(i);
        if (row < 0)
            return false;
        if (matches(size_t(row))) {
            d->pos = int(i);
            d->eof = d->bof = false;
            Notify();
            return true;
        }
    }
}

Bookmark DataSet::GetBookmark() const
{
    Bookmark b;
    b.row = d->CurrentRow();
    b.generation = d->loadGeneration;
    return b;
}

bool DataSet::BookmarkValid(const Bookmark& bookmark) const
{
    return d->active && bookmark.IsValid() && bookmark.generation == d->loadGeneration &&
           size_t(bookmark.row) < d->store.rows && !d->store.deleted[size_t(bookmark.row)];
}

bool DataSet::GotoBookmark(const Bookmark& bookmark)
{
    if (!BookmarkValid(bookmark))
        return false;
    const int p = d->PositionOf(bookmark.row);
    if (p < 0)
        return false;
    CheckBrowseMode();
    d->pos = p;
    d->eof = d->bof = false;
    Notify();
    return true;
}

size_t DataSet::MemoryBytes() const
{
    std::shared_lock read(d->storeMutex);
    size_t bytes = d->store.deleted.capacity() + d->store.rowIds.capacity() * 8 + d->view.Bytes();
    for (const Column& c : d->store.cols)
        bytes += c.Bytes();
    std::lock_guard lock(d->cacheMutex);
    for (const Order& o : d->cache)
        if (o && o != d->order)
            bytes += o->capacity() * 4;
    if (d->order)
        bytes += d->order->capacity() * 4;
    return bytes;
}

// ---------------------------------------------------------------- controls

void DataSet::DisableControls()
{
    ++d->disabled;
}

void DataSet::EnableControls()
{
    if (d->disabled > 0 && --d->disabled == 0 && d->pending) {
        d->pending = false;
        emit Changed();
    }
}

bool DataSet::ControlsDisabled() const
{
    return d->disabled > 0;
}

// ---------------------------------------------------------------- edits

void DataSet::Append()
{
    d->RequireActive();
    if (d->readOnly || !d->source->Writable())
        throw DbError(QStringLiteral("%1 is read-only").arg(objectName()));
    if (d->state != State::Browse)
        Post();
    d->buffer.assign(d->store.cols.size(), QVariant());
    d->changed.assign(d->store.cols.size(), false);
    d->editRow = -1;
    d->state = State::Insert;
}

void DataSet::Edit()
{
    d->RequireActive();
    if (d->state == State::Edit || d->state == State::Insert)
        return;
    if (d->readOnly || !d->source->Writable())
        throw DbError(QStringLiteral("%1 is read-only").arg(objectName()));
    const qint64 row = d->CurrentRow();
    if (row < 0)
        throw DbError(QStringLiteral("%1: no current record to edit").arg(objectName()));
    d->buffer.resize(d->store.cols.size());
    for (size_t c = 0; c < d->store.cols.size(); ++c)
        d->buffer[c] = d->store.cols[c].Get(size_t(row));
    d->changed.assign(d->store.cols.size(), false);
    d->editRow = row;
    d->state = State::Edit;
}

void DataSet::Post()
{
    if (d->state != State::Edit && d->state != State::Insert)
        return;
    const int oldPos = d->pos;
    qint64 row = -1;
    try {
        if (d->state == State::Insert) {
            const qint64 id = d->source->Insert(d->store, d->buffer, d->changed);
            std::unique_lock write(d->storeMutex);
            d->store.AddRow(d->buffer, id);
            row = qint64(d->store.rows) - 1;
            d->RowsChanged();
        } else {
            row = d->editRow;
            d->source->Update(d->store, size_t(row), d->buffer, d->changed);
            std::unique_lock write(d->storeMutex);
            for (size_t c = 0; c < d->store.cols.size(); ++c)
                if (d->changed[c])
                    d->store.cols[c].Set(size_t(row), d->buffer[c]);
            d->RowsChanged();
        }
    } catch (...) {
        Cancel();
        throw;
    }
    const bool appended = d->state == State::Insert;
    d->state = State::Browse;
    d->buffer.clear();
    const std::vector<bool> changed = std::move(d->changed);
    d->changed.clear();
    if (!d->MendOrder(size_t(row), appended, changed))
        d->RefreshOrder();
    d->RebuildView();
    const int p = d->PositionOf(row);
    if (p >= 0) {
        d->pos = p;
        d->eof = d->bof = false;
    } else if (d->count == 0) {
        d->ToFirst();
    } else {
        // The record left the view: the cursor rests on the one that followed it.
        d->eof = oldPos >= d->count;
        d->bof = false;
        d->pos = qBound(0, oldPos, d->count - 1);
    }
    Notify();
}

void DataSet::BeginUpdates()
{
    d->RequireActive();
    if (d->updates == 0)
        d->source->BeginUpdates();
    ++d->updates;
}

void DataSet::EndUpdates()
{
    if (d->updates == 0 || --d->updates > 0)
        return;
    try {
        d->source->EndUpdates();
    } catch (const DbError&) {
        // What we hold may differ from what the source kept.
        try {
            Refresh();
        } catch (const DbError&) {
        }
        throw;
    }
}

void DataSet::CancelUpdates()
{
    if (d->updates == 0 || --d->updates > 0)
        return;
    Cancel();
    d->source->CancelUpdates();
    // The rows hold edits the source never got.
    try {
        Refresh();
    } catch (const DbError&) {
    }
}

UpdateSeries::UpdateSeries(DataSet& set) : m_set(set)
{
    m_set.BeginUpdates();
}

UpdateSeries::~UpdateSeries()
{
    if (m_bOpen)
        m_set.CancelUpdates();
}

void UpdateSeries::Finish()
{
    m_bOpen = false;
    m_set.EndUpdates();
}

void DataSet::CheckBrowseMode()
{
    if (d->state == State::Edit || d->state == State::Insert)
        Post();
}

void DataSet::Cancel()
{
    if (d->state != State::Edit && d->state != State::Insert)
        return;
    d->state = State::Browse;
    d->buffer.clear();
    d->changed.clear();
    d->editRow = -1;
}

void DataSet::Delete()
{
    d->RequireActive();
    if (d->state == State::Insert) {
        Cancel();
        return;
    }
    Cancel();
    if (d->readOnly || !d->source->Writable())
        throw DbError(QStringLiteral("%1 is read-only").arg(objectName()));
    const qint64 row = d->CurrentRow();
    if (row < 0)
        throw DbError(QStringLiteral("%1: no current record to delete").arg(objectName()));
    d->source->Remove(d->store, size_t(row));
    {
        std::unique_lock write(d->storeMutex);
        d->store.deleted[size_t(row)] = 1;
        ++d->store.deletedRows;
    }
    const int oldPos = d->pos;
    d->RebuildView();
    if (d->count == 0) {
        d->ToFirst();
    } else {
        d->eof = oldPos >= d->count;
        d->bof = false;
        d->pos = qBound(0, oldPos, d->count - 1);
    }
    Notify();
}
