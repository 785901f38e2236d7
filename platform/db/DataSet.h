#pragma once
// DataSet: the client-side record set of the station. It loads every row of a
// table, a view, a query or a dBASE table into memory at Open and then serves
// navigation, record filters, sort orders, locate, bookmarks and edits from
// there, writing edits back to the source.
//
//   DataSet songs;                      // objectName() is the component name
//   songs.setObjectName("CD_Song");
//   songs.SetConnection(&connection);
//   songs.SetTableName("qu_song");      // or SetCommandText("select ...")
//   songs.RemoveField("Music");         // before Open
//   songs.Open();
//   songs.SetIndexFieldNames("Name;Singer_nam");
//   songs.SetFilter("Lan_Type=1 and First_Char like 'ZG%'");
//   songs.SetFiltered(true);
//   for (songs.First(); !songs.Eof(); songs.Next())
//       qDebug() << songs.FieldByName("Name").AsString();
//
// Cursor. The current record is a position in the view: the rows that pass the
// filter (when Filtered) in the order of the index field list (or the source's
// order when it is empty). First/Last/Next/Prior/MoveBy behave as the classic
// data set: First sets Bof, Last sets Eof (both stay on a record), Next on the
// last record sets Eof and stays there, Prior on the first sets Bof; an empty
// view is Eof and Bof at once. RecNo is 1-based within the view (0 when empty).
// Setting a filter, switching it, or setting an index field list goes to the
// first record.
//
// Record filters. The syntax of the original data layer: comparisons
//   Field = value, <>, <, >, <=, >=   value: a number, 'text', #date#, or null
//   Field like 'pattern'              % and * match any run of characters
// joined by and / or, with parentheses; field names may be written [Field].
// Names and text comparisons ignore case. A text field compared with a number
// compares as a number; a date field compared with a text reads the text as a
// date ("yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss"); a boolean field takes 1/0,
// true/false, -1. "= null" matches empty (null) values, "<> null" the others;
// an empty value differs from every value, so it passes "<> value" and no
// other comparison.
// An invalid text raises FilterError and leaves the previous filter in force.
// A text is parsed once; switching Filtered off and on does not parse again.
//
// Index field lists. "Name;Singer_nam", "STR_LEN ASC;Name", "TotalTimes DESC":
// field names separated by ';' each with an optional ASC/DESC. The sort is
// stable (equal keys keep the source's order); nulls come first ascending;
// texts sort by the Chinese (pinyin) collation, ignoring case. Each list is
// prepared once and cached: setting a prepared list again costs nothing.
// PrepareIndex may be called from any thread while another thread uses the set.
//
// Edits. Append (or Insert), Edit, set fields, Post or Cancel; Delete removes
// the current record. A table source writes back by its primary key (or, when
// it has none, by the values read); a dBASE source by record number. A query
// text "select ... from <table> ..." over one table is written back to that
// table. Post failing raises DbError after cancelling the pending row. After a
// Post the cursor follows the record to its place in the view; when the record
// no longer passes the filter it leaves the view and the cursor rests on the
// record that followed it (Eof when there is none).
//
// Notifications. Changed() is emitted after every change of the view or of the
// cursor (open, close, filter, sort, move, post, delete, refresh), on the
// thread that made it, unless controls are disabled (DisableControls); the
// matching EnableControls emits once when anything changed meanwhile.
//
// Threads. Apart from PrepareIndex, one thread at a time uses a data set. A
// loader thread should Open and PrepareIndex; the GUI thread then sets the
// prepared list (which costs nothing) so that Changed() stays on the GUI thread.
//
// Sources. A table or view named by SetTableName, a query (SetCommandText,
// with '?' parameters bound from SetParameters), or a dBASE file. Views are
// read only. Text columns compare and sort as described above; dates of an
// SQLite file are texts "yyyy-MM-dd[ HH:mm:ss]".
#include "platform/db/DbError.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>

class DbConnection;
class DataSet;
class DbfTable;

enum class FieldType
{
    String,   // text
    SmallInt, // 16-bit integer
    Integer,  // 32/64-bit integer
    Float,    // floating point (and decimals)
    Boolean,
    DateTime, // date or date and time
};

// A handle on one field of a data set's current record (or of the pending row
// while editing). Cheap to copy; valid while the data set stays open.
class Field
{
public:
    Field() = default;
    bool IsValid() const { return m_pSet != nullptr; }

    QString Name() const;
    FieldType DataType() const;
    int Size() const;     // declared text width in bytes (0 when unknown or not text)
    int Decimals() const; // digits after the point (dBASE numeric fields)
    int Index() const { return m_nIndex; }

    bool IsNull() const;
    QVariant Value() const;   // null QVariant for null
    QString AsString() const; // "" for null; booleans "True"/"False"; dates "yyyy-MM-dd[ HH:mm:ss]"
    qint64 AsInteger() const; // 0 for null; texts converted, throws DbError when not numeric
    int AsInt() const { return int(AsInteger()); }
    double AsFloat() const;
    bool AsBoolean() const;
    QDateTime AsDateTime() const;
    // The text a list shows: AsString, with floats without trailing zeros.
    QString DisplayText() const;

    // Setters: only while the data set is in Edit or Insert state (DbError otherwise).
    void SetValue(const QVariant& value);  // null QVariant clears
    void SetAsString(const QString& text); // converted to the field's type
    void SetAsInteger(qint64 value);
    void SetAsFloat(double value);
    void SetAsBoolean(bool value);
    void SetAsDateTime(const QDateTime& value);
    void Clear();

private:
    friend class DataSet;
    Field(DataSet* set, int index) : m_pSet(set), m_nIndex(index) {}
    DataSet* m_pSet = nullptr;
    int m_nIndex = -1;
};

// Holds a series of edits (DataSet::BeginUpdates) for a scope: Finish ends it
// reporting a failure; leaving the scope without Finish (an error half-way)
// drops the whole series.
class UpdateSeries
{
public:
    explicit UpdateSeries(DataSet& set);
    ~UpdateSeries();
    void Finish();
    UpdateSeries(const UpdateSeries&) = delete;
    UpdateSeries& operator=(const UpdateSeries&) = delete;

private:
    DataSet& m_set;
    bool m_bOpen = true;
};

// A remembered record. Invalid after the data set reloads (Refresh, Requery).
struct Bookmark
{
    qint64 row = -1;        // storage row
    quint64 generation = 0; // load the row belongs to
    bool IsValid() const { return row >= 0; }
};

class DataSet : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Inactive,
        Browse,
        Edit,
        Insert
    };

    explicit DataSet(QObject* parent = nullptr);
    ~DataSet() override;

    // ---- source (set while closed) ----
    void SetConnection(DbConnection* connection);
    DbConnection* Connection() const;
    void SetTableName(const QString& table); // a table or view
    QString TableName() const;
    void SetCommandText(const QString& sql); // a query
    QString CommandText() const;
    void SetParameters(const QVariantList& params); // values for '?' in the query
    // A dBASE table file (order.dbf); the set then writes by record number.
    void SetDbfFile(const QString& path);
    QString DbfFile() const;
    // The table a query's edits go to, and its key column, when they cannot be
    // derived from the query text or the table's primary key.
    void SetUpdateTable(const QString& table, const QString& keyField = QString());
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const;
    // Drops a field before the set opens (the view keeps the rest).
    void RemoveField(const QString& name);
    // For a dBASE source: reload on First() when another process changed the file.
    void SetAutoRefresh(bool on);

    // ---- state ----
    void Open();  // throws DbError
    void Close(); // drops a pending edit
    bool Active() const;
    void SetActive(bool active);
    State GetState() const;
    // Reload from the source keeping filter and index; cursor to the first record.
    void Requery();
    // Reload from the source keeping filter and index; the cursor stays on the
    // same record when it is still there (by key / record number), else it
    // keeps its position. True when the record was found again.
    bool Refresh();

    // ---- navigation ----
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance); // gives the distance actually moved
    bool Eof() const;
    bool Bof() const;
    bool IsEmpty() const;
    int RecordCount() const; // records in the view
    int RecNo() const;       // 1-based position in the view, 0 when empty
    void SetRecNo(int recNo);

    // ---- fields ----
    int FieldCount() const;
    Field Fields(int index);
    Field FieldByName(const QString& name); // throws DbError when absent
    Field FindField(const QString& name);   // invalid Field when absent
    QStringList FieldNames() const;

    // ---- record filter ----
    void SetFilter(const QString& text); // throws FilterError, keeps the old filter
    QString Filter() const;
    void SetFiltered(bool on);
    bool Filtered() const;
    // Checks a filter text without applying it (throws FilterError).
    void CheckFilter(const QString& text) const;

    // ---- sort ----
    void SetIndexFieldNames(const QString& list); // throws FilterError for an unknown field
    QString IndexFieldNames() const;
    // Builds and caches the sort for a list without making it current.
    // Thread-safe against every other operation of this set.
    void PrepareIndex(const QString& list);
    bool IsIndexPrepared(const QString& list) const;

    // ---- locate and bookmarks ----
    // Exact match (texts ignoring case) of several ';'-separated fields against
    // the values; searches the view from its first record; the found record
    // becomes current. Gives false (cursor unchanged) when none matches.
    bool Locate(const QString& fields, const QVariantList& values);
    bool Locate(const QString& field, const QVariant& value) { return Locate(field, QVariantList{value}); }
    Bookmark GetBookmark() const;
    // Goes to the record; false (cursor unchanged) when it is not in the view.
    bool GotoBookmark(const Bookmark& bookmark);
    void FreeBookmark(Bookmark& bookmark) { bookmark = Bookmark(); }
    bool BookmarkValid(const Bookmark& bookmark) const;

    // ---- notifications ----
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    // ---- edits ----
    void Append();
    void Insert() { Append(); }
    void Edit();
    void Post(); // throws DbError (the pending row is cancelled first)
    void Cancel();
    void Delete(); // throws DbError
    // A series of edits held together (nesting counted). Meanwhile a dBASE
    // table stays locked for writing, so the other process sees the whole
    // series or none of it and the header is stamped once; an SQL source runs
    // the series in one transaction (or in the caller's, when one is open).
    // EndUpdates throws DbError when the source cannot finish the series; the
    // rows are then reloaded from the source.
    void BeginUpdates();
    void EndUpdates();
    // Ends the series dropping its edits: nothing of it reaches the source,
    // and the rows are reloaded from there. Close drops an open series too.
    void CancelUpdates();
    // Posts a pending edit or append. Every move, filter, sort, locate,
    // refresh and requery does this first, as the classic data set does, so
    // an edit is never dropped silently; Close cancels it.
    void CheckBrowseMode();

    // Bytes held for the rows, their texts, sort ranks and prepared orders.
    size_t MemoryBytes() const;

    struct Impl; // internal state (DataSet.cpp)

signals:
    void Changed();

private:
    friend class Field;
    std::unique_ptr<Impl> d;
    void Notify();
};
