#include "platform/db/DataSource.h"

#include "platform/db/DbConnection.h"
#include "platform/dbase/DbfTable.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>
#include <sqlite3.h>

namespace dbsource {

using dbstore::Column;
using dbstore::Store;

namespace {

// Type and width of a declared SQL column type ("VARCHAR(50)", "SMALLINT").
bool TypeFromDeclared(const QString& declared, FieldType& type, int& size)
{
    const QString d = declared.toUpper();
    size = 0;
    static const QRegularExpression width(QStringLiteral("\\(\\s*(\\d+)"));
    const auto m = width.match(d);
    if (d.isEmpty())
        return false;
    if (d.contains(QLatin1String("BOOL")) || d == QLatin1String("BIT"))
        type = FieldType::Boolean;
    else if (d.contains(QLatin1String("SMALLINT")) || d.contains(QLatin1String("TINYINT")))
        type = FieldType::SmallInt;
    else if (d.contains(QLatin1String("INT")))
        type = FieldType::Integer;
    else if (d.contains(QLatin1String("CHAR")) || d.contains(QLatin1String("TEXT")) ||
             d.contains(QLatin1String("CLOB"))) {
        type = FieldType::String;
        if (m.hasMatch())
            size = m.captured(1).toInt();
    } else if (d.contains(QLatin1String("DATE")) || d.contains(QLatin1String("TIME")))
        type = FieldType::DateTime;
    else if (d.contains(QLatin1String("REAL")) || d.contains(QLatin1String("FLOA")) ||
             d.contains(QLatin1String("DOUB")) || d.contains(QLatin1String("NUMERIC")) ||
             d.contains(QLatin1String("DECIMAL")) || d.contains(QLatin1String("MONEY")))
        type = FieldType::Float;
    else
        type = FieldType::String;
    return true;
}

bool Removed(const QStringList& removed, const QString& name)
{
    return removed.contains(name, Qt::CaseInsensitive);
}

// Fixes a column whose type was inferred: rows before the first value were null.
void SettleType(Column& c, FieldType type, size_t rowsSoFar)
{
    c.type = type;
    c.typeKnown = true;
    c.ints.clear();
    c.floats.clear();
    c.texts.clear();
    if (c.IsText())
        c.texts.assign(rowsSoFar, 0);
    else if (c.IsFloat())
        c.floats.assign(rowsSoFar, 0);
    else
        c.ints.assign(rowsSoFar, 0);
}

// UTF-8 (as SQLite keeps texts) to UTF-16 in a reused buffer; invalid bytes
// become U+FFFD.
QStringView Utf16(const char* p, int n, std::vector<char16_t>& out)
{
    out.resize(size_t(n));
    size_t o = 0;
    int i = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c < 0x80) {
            out[o++] = c;
            ++i;
            continue;
        }
        char32_t cp = 0xFFFD;
        int len = 1;
        auto cont = [&](int k) { return i + k < n && (static_cast<unsigned char>(p[i + k]) & 0xC0) == 0x80; };
        if (c >= 0xC2 && c < 0xE0 && cont(1)) {
            cp = char32_t(c & 0x1F) << 6 | (p[i + 1] & 0x3F);
            len = 2;
        } else if (c >= 0xE0 && c < 0xF0 && cont(1) && cont(2)) {
            cp = char32_t(c & 0x0F) << 12 | char32_t(p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000))
                cp = 0xFFFD;
        } else if (c >= 0xF0 && c < 0xF5 && cont(1) && cont(2) && cont(3)) {
            cp = char32_t(c & 0x07) << 18 | char32_t(p[i + 1] & 0x3F) << 12 | char32_t(p[i + 2] & 0x3F) << 6 |
                 (p[i + 3] & 0x3F);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF)
                cp = 0xFFFD;
        }
        i += len;
        if (cp >= 0x10000) {
            if (o + 2 > out.size())
                out.resize(o + 2);
            out[o++] = char16_t(0xD7C0 + (cp >> 10));
            out[o++] = char16_t(0xDC00 | (cp & 0x3FF));
        } else {
            out[o++] = char16_t(cp);
        }
    }
    return QStringView(out.data(), qsizetype(o));
}

QVariant ForBinding(DbEngine engine, const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    if (engine == DbEngine::SQLite) {
        if (v.typeId() == QMetaType::QDateTime)
            return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        if (v.typeId() == QMetaType::Bool)
            return v.toBool() ? 1 : 0;
    }
    return v;
}

class SqlSource final : public Source
{
public:
    explicit SqlSource(const SqlOptions& options) : m_options(options)
    {
        if (!m_options.connection)
            throw DbError(QStringLiteral("data set has no connection"));
        m_sUpdateTable = m_options.updateTable;
        if (m_sUpdateTable.isEmpty()) {
            m_sUpdateTable = m_options.table.isEmpty() ? TableOfQuery(m_options.command) : m_options.table;
            // A view (a stored query) is read only.
            if (!m_sUpdateTable.isEmpty() &&
                m_options.connection->Database().tables(QSql::Views).contains(m_sUpdateTable, Qt::CaseInsensitive))
                m_sUpdateTable.clear();
        }
    }

    QString Sql() const
    {
        if (!m_options.table.isEmpty())
            return QStringLiteral("SELECT * FROM ") + Quote(m_options.table);
        return m_options.command;
    }

    QString Quote(const QString& name) const
    {
        QString n = name;
        if (n.startsWith(u'[') && n.endsWith(u']'))
            n = n.mid(1, n.size() - 2);
        else if (n.startsWith(u'"') && n.endsWith(u'"'))
            n = n.mid(1, n.size() - 2);
        return m_options.connection->Dialect().QuoteName(n);
    }

    // "select ... from <table> [where|order ...]" over one table.
    static QString TableOfQuery(const QString& sql)
    {
        static const QRegularExpression re(
            QStringLiteral("^\\s*select\\s+.+?\\s+from\\s+(\\[[^\\]]+\\]|\"[^\"]+\"|[A-Za-z_][A-Za-z0-9_]*)\\s*"
                           "(?:(?:as\\s+)?[A-Za-z_][A-Za-z0-9_]*\\s*)?(?:where\\b.*|order\\b.*)?$"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
        const auto m = re.match(sql);
        if (!m.hasMatch())
            return QString();
        const QString whereAndAfter = sql.mid(m.capturedEnd(1));
        if (QRegularExpression(QStringLiteral("\\bjoin\\b|^\\s*,"), QRegularExpression::CaseInsensitiveOption)
                .match(whereAndAfter)
                .hasMatch())
            return QString();
        QString t = m.captured(1);
        if (t.startsWith(u'[') || t.startsWith(u'"'))
            t = t.mid(1, t.size() - 2);
        const QString lower = t.toLower();
        if (lower == QLatin1String("where") || lower == QLatin1String("order"))
            return QString();
        return t;
    }

    void Load(Store& store, const QStringList& removed) override
    {
        m_nKey = -2;
        QSqlDatabase db = m_options.connection->Database();
        if (m_options.connection->Engine() == DbEngine::SQLite) {
            const QVariant h = db.driver()->handle();
            if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) {
                if (sqlite3* handle = *static_cast<sqlite3* const*>(h.data())) {
                    LoadSqlite(handle, store, removed);
                    return;
                }
            }
        }
        LoadQuery(store, removed);
    }

    void LoadSqlite(sqlite3* db, Store& store, const QStringList& removed)
    {
        const QByteArray sql = Sql().toUtf8();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral(" [") + Sql().left(300) +
                          QLatin1Char(']'));
        struct Guard
        {
            sqlite3_stmt* s;
            ~Guard() { sqlite3_finalize(s); }
        } guard{st};
        for (qsizetype i = 0; i < m_options.params.size(); ++i) {
            const QVariant v = ForBinding(DbEngine::SQLite, m_options.params[i]);
            const int at = int(i + 1);
            if (!v.isValid() || v.isNull())
                sqlite3_bind_null(st, at);
            else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong ||
                     v.typeId() == QMetaType::UInt || v.typeId() == QMetaType::Bool)
                sqlite3_bind_int64(st, at, v.toLongLong());
            else if (v.typeId() == QMetaType::Double)
                sqlite3_bind_double(st, at, v.toDouble());
            else {
                const QString s = v.toString();
                sqlite3_bind_text16(st, at, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
            }
        }
        const int n = sqlite3_column_count(st);
        std::vector<int> source; // store column -> statement column
        for (int i = 0; i < n; ++i) {
            const QString name = QString::fromUtf8(sqlite3_column_name(st, i));
            if (Removed(removed, name))
                continue;
            Column c;
            c.name = name;
            const char* decl = sqlite3_column_decltype(st, i);
            c.typeKnown = decl && TypeFromDeclared(QString::fromUtf8(decl), c.type, c.size);
            store.cols.push_back(std::move(c));
            source.push_back(i);
        }
        size_t rows = 0;
        std::vector<char16_t> scratch;
        for (;;) {
            const int rc = sqlite3_step(st);
            if (rc == SQLITE_DONE)
                break;
            if (rc != SQLITE_ROW)
                throw DbError(QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral(" [") + Sql().left(300) +
                              QLatin1Char(']'));
            for (size_t k = 0; k < source.size(); ++k) {
                Column& c = store.cols[k];
                const int i = source[k];
                const int kind = sqlite3_column_type(st, i);
                if (kind == SQLITE_NULL) {
                    c.PushNull();
                    continue;
                }
                if (!c.typeKnown)
                    SettleType(c,
                               kind == SQLITE_INTEGER ? FieldType::Integer
                               : kind == SQLITE_FLOAT ? FieldType::Float
                                                      : FieldType::String,
                               rows);
                switch (c.type) {
                case FieldType::String: {
                    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                    const int bytes = sqlite3_column_bytes(st, i);
                    c.PushText(Utf16(p, bytes, scratch));
                    break;
                }
                case FieldType::Float:
                    c.PushFloat(sqlite3_column_double(st, i));
                    break;
                case FieldType::DateTime: {
                    if (kind == SQLITE_TEXT) {
                        const void* p = sqlite3_column_text16(st, i);
                        const int bytes = sqlite3_column_bytes16(st, i);
                        qint64 v = 0;
                        if (dbstore::ParseDateTime(QStringView(static_cast<const char16_t*>(p), bytes / 2), v))
                            c.PushInt(v);
                        else
                            c.PushNull();
                    } else {
                        c.PushNull();
                    }
                    break;
                }
                case FieldType::Boolean:
                    if (kind == SQLITE_TEXT) {
                        const QString t = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)))
                                              .trimmed()
                                              .toLower();
                        c.PushInt(t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("-1") ||
                                          t == QLatin1String("t") || t == QLatin1String("yes")
                                      ? 1
                                      : 0);
                    } else {
                        c.PushInt(sqlite3_column_int64(st, i) != 0 ? 1 : 0);
                    }
                    break;
                default:
                    if (kind == SQLITE_FLOAT)
                        c.PushInt(qint64(sqlite3_column_double(st, i)));
                    else if (kind == SQLITE_TEXT) {
                        bool ok = false;
                        const qlonglong v = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)))
                                                .trimmed()
                                                .toLongLong(&ok);
                        if (ok)
                            c.PushInt(v);
                        else
                            c.PushNull();
                    } else
                        c.PushInt(sqlite3_column_int64(st, i));
                }
            }
            ++rows;
        }
        for (Column& c : store.cols) {
            if (!c.typeKnown)
                SettleType(c, FieldType::String, rows);
            c.Shrink();
        }
        store.rows = rows;
        store.deleted.assign(rows, 0);
    }

    void LoadQuery(Store& store, const QStringList& removed)
    {
        QSqlQuery q = m_options.connection->Query(Sql(), m_options.params);
        const QSqlRecord rec = q.record();
        std::vector<int> source;
        for (int i = 0; i < rec.count(); ++i) {
            const QSqlField f = rec.field(i);
            if (Removed(removed, f.name()))
                continue;
            Column c;
            c.name = f.name();
            switch (f.metaType().id()) {
            case QMetaType::Short:
            case QMetaType::UShort:
            case QMetaType::Char:
            case QMetaType::UChar:
                c.type = FieldType::SmallInt;
                break;
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Long:
            case QMetaType::ULong:
                c.type = FieldType::Integer;
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                c.type = FieldType::Float;
                break;
            case QMetaType::Bool:
                c.type = FieldType::Boolean;
                break;
            case QMetaType::QDate:
            case QMetaType::QDateTime:
            case QMetaType::QTime:
                c.type = FieldType::DateTime;
                break;
            default:
                c.type = FieldType::String;
                c.size = f.length() > 0 ? f.length() : 0;
            }
            store.cols.push_back(std::move(c));
            source.push_back(i);
        }
        size_t rows = 0;
        while (q.next()) {
            for (size_t k = 0; k < source.size(); ++k) {
                Column& c = store.cols[k];
                QVariant v = q.value(source[k]);
                if (c.type == FieldType::DateTime && v.typeId() == QMetaType::QTime && !v.isNull())
                    v = QDateTime(QDate(1899, 12, 30), v.toTime());
                try {
                    c.Push(v);
                } catch (const DbError&) {
                    c.PushNull();
                }
            }
            ++rows;
        }
        for (Column& c : store.cols)
            c.Shrink();
        store.rows = rows;
        store.deleted.assign(rows, 0);
    }

    bool Writable() const override { return !m_sUpdateTable.isEmpty(); }

    void BeginUpdates() override
    {
        // Inside a transaction the caller already runs, the edits simply join it.
        m_bTransaction = !m_options.connection->InTransaction();
        if (m_bTransaction)
            m_options.connection->Begin();
    }

    void EndUpdates() override
    {
        if (!m_bTransaction)
            return;
        m_bTransaction = false;
        try {
            m_options.connection->Commit();
        } catch (...) {
            m_options.connection->Rollback();
            throw;
        }
    }

    void CancelUpdates() override
    {
        // Inside the caller's transaction, rolling back is the caller's call.
        if (!m_bTransaction)
            return;
        m_bTransaction = false;
        try {
            m_options.connection->Rollback();
        } catch (...) {
        }
    }

    int KeyColumn(const Store& store) const override
    {
        if (m_nKey != -2)
            return m_nKey;
        m_nKey = -1;
        if (!m_options.keyField.isEmpty()) {
            m_nKey = store.FindColumn(m_options.keyField);
            return m_nKey;
        }
        if (m_sUpdateTable.isEmpty())
            return m_nKey;
        QSqlDatabase db = m_options.connection->Database();
        QString table = m_sUpdateTable;
        if (m_options.connection->Engine() == DbEngine::PostgreSQL)
            table = table.toLower();
        const QSqlIndex index = db.primaryIndex(table);
        if (index.count() == 1)
            m_nKey = store.FindColumn(index.fieldName(0));
        return m_nKey;
    }

    void Require() const
    {
        if (m_sUpdateTable.isEmpty())
            throw DbError(QStringLiteral("this data set cannot be changed (its query has no single table)"));
    }

    QString Where(const Store& store, size_t row, QVariantList& params) const
    {
        const int key = KeyColumn(store);
        const DbEngine engine = m_options.connection->Engine();
        if (key >= 0 && !store.cols[size_t(key)].nulls[row]) {
            params << ForBinding(engine, store.cols[size_t(key)].Get(row));
            return QStringLiteral(" WHERE ") + Quote(store.cols[size_t(key)].name) + QStringLiteral("=?");
        }
        QStringList parts;
        for (const Column& c : store.cols) {
            if (c.nulls[row]) {
                parts << Quote(c.name) + QStringLiteral(" IS NULL");
            } else {
                parts << Quote(c.name) + QStringLiteral("=?");
                params << ForBinding(engine, c.Get(row));
            }
        }
        return QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
    }

    qint64 Insert(const Store& store, std::vector<QVariant>& values, const std::vector<bool>& changed) override
    {
        Require();
        const DbEngine engine = m_options.connection->Engine();
        QStringList names, marks;
        QVariantList params;
        for (size_t c = 0; c < store.cols.size(); ++c)
            if (changed[c]) {
                names << Quote(store.cols[c].name);
                marks << QStringLiteral("?");
                params << ForBinding(engine, values[c]);
            }
        QString sql = QStringLiteral("INSERT INTO ") + Quote(m_sUpdateTable);
        sql += names.isEmpty() ? QStringLiteral(" DEFAULT VALUES")
                               : QStringLiteral(" (") + names.join(u',') + QStringLiteral(") VALUES (") +
                                     marks.join(u',') + QLatin1Char(')');
        const int key = KeyColumn(store);
        const bool returning = engine == DbEngine::PostgreSQL && key >= 0;
        if (returning)
            sql += QStringLiteral(" RETURNING ") + Quote(store.cols[size_t(key)].name);
        QSqlQuery q = m_options.connection->Query(sql, params);
        if (key >= 0 && !changed[size_t(key)]) {
            QVariant id = returning ? (q.next() ? q.value(0) : QVariant()) : q.lastInsertId();
            if (id.isValid())
                values[size_t(key)] = store.cols[size_t(key)].Convert(id);
        }
        // Read the row back so defaults of the table show.
        if (key >= 0 && values[size_t(key)].isValid()) {
            try {
                QSqlQuery back = m_options.connection->Query(
                    QStringLiteral("SELECT * FROM ") + Quote(m_sUpdateTable) + QStringLiteral(" WHERE ") +
                        Quote(store.cols[size_t(key)].name) + QStringLiteral("=?"),
                    {ForBinding(engine, values[size_t(key)])});
                if (back.next()) {
                    const QSqlRecord r = back.record();
                    for (size_t c = 0; c < store.cols.size(); ++c) {
                        if (changed[c])
                            continue;
                        const int i = r.indexOf(store.cols[c].name);
                        if (i >= 0)
                            values[c] = store.cols[c].Convert(back.value(i));
                    }
                }
            } catch (const DbError&) {
                // The insert stands; defaults simply do not show.
            }
        }
        return -1;
    }

    void Update(const Store& store, size_t row, const std::vector<QVariant>& values,
                const std::vector<bool>& changed) override
    {
        Require();
        const DbEngine engine = m_options.connection->Engine();
        QStringList sets;
        QVariantList params;
        for (size_t c = 0; c < store.cols.size(); ++c)
            if (changed[c]) {
                sets << Quote(store.cols[c].name) + QStringLiteral("=?");
                params << ForBinding(engine, values[c]);
            }
        if (sets.isEmpty())
            return;
        const QString sql = QStringLiteral("UPDATE ") + Quote(m_sUpdateTable) + QStringLiteral(" SET ") +
                            sets.join(u',') + Where(store, row, params);
        QSqlQuery q = m_options.connection->Query(sql, params);
        if (q.numRowsAffected() == 0)
            throw DbError(QStringLiteral("the record to change was not found (changed or removed meanwhile)"));
    }

    void Remove(const Store& store, size_t row) override
    {
        Require();
        QVariantList params;
        const QString sql = QStringLiteral("DELETE FROM ") + Quote(m_sUpdateTable) + Where(store, row, params);
        m_options.connection->Query(sql, params);
    }

private:
    bool m_bTransaction = false;
    SqlOptions m_options;
    QString m_sUpdateTable;
    mutable int m_nKey = -2;
};

class DbfSource final : public Source
{
public:
    explicit DbfSource(const QString& path) : m_table(path) {}

    void Load(Store& store, const QStringList& removed) override
    {
        // Opened again each time (the file may have been restored from a
        // backup), except inside a series of edits, whose lock the open
        // file description holds. The stamp is read under the same lock as
        // the rows, so no write of another process falls between them.
        if (!m_bSeries)
            m_table.Open();
        const auto records = m_table.ReadAll(&m_stamp);
        m_seriesStart = m_stamp;
        m_bStaleAtSeries = false;
        const auto& fields = m_table.Fields();
        std::vector<int> source;
        for (size_t i = 0; i < fields.size(); ++i) {
            const DbfField& f = fields[i];
            if (Removed(removed, f.name))
                continue;
            Column c;
            c.name = f.name;
            c.size = f.type == 'C' ? f.length : 0;
            c.decimals = f.decimals;
            switch (f.type) {
            case 'N':
            case 'F':
                c.type = f.decimals == 0 && f.type == 'N' ? FieldType::Integer : FieldType::Float;
                break;
            case 'L':
                c.type = FieldType::Boolean;
                break;
            case 'D':
                c.type = FieldType::DateTime;
                break;
            default:
                c.type = FieldType::String;
            }
            store.cols.push_back(std::move(c));
            source.push_back(int(i));
        }
        for (const auto& rec : records) {
            if (rec.deleted)
                continue;
            std::vector<QVariant> values;
            values.reserve(source.size());
            for (int f : source) {
                QVariant v = m_table.Decode(rec.data, f);
                if (v.typeId() == QMetaType::QDate)
                    v = QDateTime(v.toDate(), QTime(0, 0));
                values.push_back(v);
            }
            for (size_t k = 0; k < source.size(); ++k) {
                try {
                    store.cols[k].Push(values[k]);
                } catch (const DbError&) {
                    store.cols[k].PushNull();
                }
            }
            store.rowIds.push_back(rec.recno);
            ++store.rows;
        }
        store.deleted.assign(store.rows, 0);
    }

    std::vector<std::pair<int, QVariant>> Mapped(const Store& store, const std::vector<QVariant>& values,
                                                 const std::vector<bool>& changed)
    {
        std::vector<std::pair<int, QVariant>> out;
        for (size_t c = 0; c < store.cols.size(); ++c)
            if (changed[c]) {
                const int f = m_table.FieldIndex(store.cols[c].name);
                if (f >= 0)
                    out.emplace_back(f, values[c]);
            }
        return out;
    }

    qint64 Insert(const Store& store, std::vector<QVariant>& values, const std::vector<bool>& changed) override
    {
        std::vector<QVariant> record(m_table.Fields().size());
        for (auto& [f, v] : Mapped(store, values, changed))
            record[size_t(f)] = v;
        return Write([&] { return m_table.Append(record); });
    }

    void Update(const Store& store, size_t row, const std::vector<QVariant>& values,
                const std::vector<bool>& changed) override
    {
        const auto mapped = Mapped(store, values, changed);
        if (mapped.empty())
            return;
        Write([&] {
            m_table.Update(quint32(store.rowIds[row]), mapped);
            return 0u;
        });
    }

    void Remove(const Store& store, size_t row) override
    {
        Write([&] {
            m_table.MarkDeleted(quint32(store.rowIds[row]));
            return 0u;
        });
    }

    bool Writable() const override { return true; }
    int KeyColumn(const Store&) const override { return -1; }
    bool ChangedSinceLoad() override
    {
        // While a series holds the lock nobody else writes: only a change
        // made before it began counts.
        if (m_bSeries)
            return m_bStaleAtSeries;
        // A load that failed (the file unreadable for a moment) left the table
        // closed: the next access tries again rather than staying dead.
        return !m_table.IsOpen() || m_table.ChangeStamp() != m_stamp;
    }

    void BeginUpdates() override
    {
        m_table.LockExclusive();
        m_seriesStart = m_table.ChangeStamp();
        m_bStaleAtSeries = m_seriesStart != m_stamp;
        m_bSeries = true;
    }

    void EndUpdates() override
    {
        m_bSeries = false;
        // The lock goes on every way out; a series that cannot be written is
        // reported. The stamp after it is read before the lock goes.
        struct Release
        {
            DbfTable& table;
            ~Release()
            {
                try {
                    table.Unlock();
                } catch (const DbfError&) {
                }
            }
        } release{m_table};
        m_table.Commit();
        Wrote(m_seriesStart);
    }

    void CancelUpdates() override
    {
        m_bSeries = false;
        m_table.Abandon();
    }

private:
    template <typename F> quint32 Write(F write)
    {
        if (m_bSeries)
            return write();
        // Before, the write and after under one lock: another process's
        // write can fall neither between the stamps nor after the second.
        DbfWriteLock lock(m_table);
        const QByteArray before = m_table.ChangeStamp();
        const quint32 result = write();
        m_table.Commit();
        Wrote(before);
        return result;
    }

    // After a write of our own: when nobody else wrote since the load, the
    // file still matches what we hold; otherwise the next check reloads.
    void Wrote(const QByteArray& before)
    {
        if (before == m_stamp)
            m_stamp = m_table.ChangeStamp();
    }

    DbfTable m_table;
    QByteArray m_stamp;
    bool m_bSeries = false;        // a series of edits holds the write lock
    QByteArray m_seriesStart;      // the stamp when it began (or at a reload inside it)
    bool m_bStaleAtSeries = false; // another process wrote between the load and the series
};

} // namespace

std::unique_ptr<Source> MakeSqlSource(const SqlOptions& options)
{
    return std::make_unique<SqlSource>(options);
}

std::unique_ptr<Source> MakeDbfSource(const QString& path)
{
    return std::make_unique<DbfSource>(path);
}

} // namespace dbsource
