#pragma once
// A recordset in the old data-objects style: opened on a statement text over
// a connection, it holds a snapshot of the returned rows (the static cursor)
// and walks them with MoveNext until Eof. A recordset opened on
// "Select * from <table> ..." can also add and change rows; UpdateBatch
// writes every pending row in one step, all or nothing.

#include "data/connection.h"
#include "data/engine.h"
#include "data/resulttable.h"

#include <QHash>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

enum CursorTypeEnum {
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockTypeEnum {
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};
enum AffectEnum {
    adAffectCurrent = 1,
    adAffectGroup = 2,
    adAffectAll = 3,
    adAffectAllChapters = 4
};
enum ObjectStateEnum { adStateClosed = 0, adStateOpen = 1 };
// Open option: read the first rows now and the rest when they are needed.
enum ExecuteOptionEnum { adAsyncFetch = 0x20 };

class Recordset;

// One field of the current row, read or assigned by column name or position.
class Field {
  public:
    QVariant Value() const;
    bool IsNull() const;
    QString Str() const; // the value as text; Null reads as the empty text
    // The value as UTF-8 text, Null as the empty text: a text is read in
    // place. It holds until the recordset reads on or this is asked again.
    QUtf8StringView Utf8() const;
    QString Name() const;
    Field& operator=(const QVariant& value);
    Field& operator=(const QString& value) { return *this = QVariant(value); }
    Field& operator=(const char*) = delete;

  private:
    friend class Recordset;
    Field(Recordset* rs, int column) : rs_(rs), column_(column) {}
    Recordset* rs_;
    int column_;
};

class Recordset : private DeferredSnapshot {
  public:
    Recordset() = default;
    ~Recordset() override;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void Open(const QString& source, Connection* connection, int cursorType = adOpenStatic,
              int lockType = adLockBatchOptimistic, int options = -1);
    void Close();
    int State() const { return open_ ? adStateOpen : adStateClosed; }

    // Opened with adAsyncFetch, a recordset reads only its first rows (a
    // small result whole, a long one's first screens) with the statement,
    // and the rest when a row beyond them is first asked for: the file in
    // one go (no read stays open in between), a server kMoreRows at a time
    // as it sends them. The record count, or anything written, first reads
    // all of the rest.
    static constexpr int kFirstRows = 1000;
    static constexpr int kMoreRows = 512;
    // Rows read and not yet passed by MoveNext: walking them reads nothing.
    int ReadyRows() const;
    // Rows remain that have not been read yet.
    bool StillReading() const { return fetching_; }
    // `finish` runs once, before the recordset is next closed or opened: a
    // list still filling from its rows completes first.
    void OnReuse(std::function<void()> finish) { onReuse_ = std::move(finish); }

    int RecordCount() const;
    bool Eof() const;
    void MoveNext();
    void MoveFirst();
    int FieldCount() const;
    Field Fields(int index);
    Field Fields(const QString& name);
    Field Fields(const char* name);

    void AddNew();
    void UpdateBatch(int affectRecords = adAffectAllChapters);

    // Rows changed by the last statement that returned none (a delete).
    qint64 RecordsAffected() const { return affected_; }
    // The statement text the recordset was last opened on, as issued.
    QString Source() const { return source_; }

  private:
    friend class Field;
    struct RowEdit {
        QVector<QVariant> values;
        QVector<bool> assigned;
        bool added = false;
        bool dirty = false;
        QVariant key;
    };
    void TakeSnapshot() override;
    void ensureRows() const;
    // Reads on until row `row` is there or the rows run out.
    void reach(int row) const;
    void endOfRows();
    int baseRows() const { return deferred_ ? 0 : rows_.RowCount(); }
    const ColumnInfo& columns() const;
    void requireOpen() const;
    void requireRow() const;
    int column(const QString& name) const;
    int baseColumn(int column) const { return keyed_ ? column + 1 : column; }
    QVariant value(int column) const;
    bool isNull(int column) const;
    QString text(int column) const;
    QUtf8StringView utf8(int column) const;
    const QVariant* assignedValue(int column) const;
    void assign(int column, const QVariant& value);
    RowEdit& editOf(int row);

    Connection* connection_ = nullptr;
    bool open_ = false;
    bool keyed_ = false;
    QString table_;
    QString source_;
    EngineStatement statement_;
    // An updatable recordset reads its rows only when they are first needed
    // (see DeferredSnapshot); until then only its columns are known.
    bool deferred_ = false;
    bool fetching_ = false; // opened with adAsyncFetch, rows still to read
    std::unique_ptr<RowStream> rest_;
    std::function<void()> onReuse_;
    std::shared_ptr<const ColumnInfo> columns_;
    QList<QVariant> ownKeys_; // rows this recordset added while deferred
    ResultTable rows_;
    int added_ = 0;
    int current_ = 0;
    qint64 affected_ = 0;
    QHash<int, RowEdit> edits_;
    mutable QByteArray utf8Scratch_; // a value that is not stored as text, as text
};

// Runs `row` on up to `count` rows from the current one, moving past each
// (reading the rest of an adAsyncFetch recordset when they are reached).
// True while rows remain: a list fills a slice at a time with it.
template <class Row> bool WalkRows(Recordset& rs, int count, Row&& row) {
    for (int n = 0; n < count && !rs.Eof(); ++n) {
        row();
        rs.MoveNext();
    }
    return rs.ReadyRows() > 0 || rs.StillReading();
}
