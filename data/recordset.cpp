#include "data/recordset.h"

#include "data/dberror.h"
#include "data/statementlog.h"

#include <algorithm>
#include <utility>

// ---- Field ---------------------------------------------------------------

QVariant Field::Value() const {
    return rs_->value(column_);
}
bool Field::IsNull() const {
    return rs_->isNull(column_);
}
QString Field::Str() const {
    return rs_->text(column_);
}
QUtf8StringView Field::Utf8() const {
    return rs_->utf8(column_);
}
QString Field::Name() const {
    return rs_->columns().names.at(rs_->baseColumn(column_));
}
Field& Field::operator=(const QVariant& value) {
    rs_->assign(column_, value);
    return *this;
}

// ---- Recordset -------------------------------------------------------------

Recordset::~Recordset() {
    onReuse_ = nullptr;
    Close();
}

void Recordset::Open(const QString& source, Connection* connection, int, int, int options) {
    Close();
    if (!connection) throw DbError(QStringLiteral("The recordset has no connection."));
    Engine& engine = connection->engine();
    source_ = source;
    StatementLog::Record(source);
    const EngineStatement statement = connection->Translate(source);
    if (options != -1 && (options & adAsyncFetch)) {
        ResultTable rows;
        std::unique_ptr<RowStream> rest = engine.OpenRows(statement, &rows, kFirstRows);
        connection_ = connection;
        rows_ = std::move(rows);
        keyed_ = statement.keyed;
        table_ = statement.table;
        open_ = true;
        if (rest) {
            rest_ = std::move(rest);
            fetching_ = true;
            Defer(this); // a write first reads the rest, as they are now
        }
        return;
    }
    if (statement.keyed && statement.params.isEmpty()) {
        // Rows that can be written back, from a whole table: read them when
        // they are first needed (a lookup by id is read at once).
        columns_ = engine.Columns(statement);
        connection_ = connection;
        statement_ = statement;
        keyed_ = true;
        table_ = statement.table;
        deferred_ = true;
        open_ = true;
        Defer(this);
        return;
    }
    ResultTable rows;
    affected_ = connection->Run(statement, &rows);
    connection_ = connection;
    if (rows.ColumnCount() == 0) return; // a statement that returns no rows leaves it closed
    rows_ = std::move(rows);
    columns_.reset();
    keyed_ = statement.keyed;
    table_ = statement.table;
    open_ = true;
}

void Recordset::TakeSnapshot() {
    if (fetching_) {
        // The rest of the rows, after those read so far.
        const std::unique_ptr<RowStream> rest = std::move(rest_);
        endOfRows();
        rest->Read(connection_->engine(), &rows_, -1);
        return;
    }
    if (!deferred_) return;
    Undefer(this);
    deferred_ = false;
    ResultTable rows;
    connection_->Run(statement_, &rows);
    if (!ownKeys_.isEmpty()) {
        // Leave out the rows this recordset added itself: they follow as its added rows.
        ResultTable kept;
        kept.Reset(rows.InfoPtr());
        for (int r = 0; r < rows.RowCount(); ++r)
            if (!ownKeys_.contains(rows.Value(r, 0))) kept.AddRowFrom(rows, r);
        rows = std::move(kept);
    }
    rows_ = std::move(rows);
    // Added rows keep their places after the rows read now.
    const int base = rows_.RowCount();
    if (base > 0 && !edits_.isEmpty()) {
        QHash<int, RowEdit> moved;
        for (auto it = edits_.cbegin(); it != edits_.cend(); ++it)
            moved.insert(it.key() + base, it.value());
        edits_ = std::move(moved);
    }
    if (added_ > 0) current_ += base;
}

void Recordset::ensureRows() const {
    if (deferred_ || fetching_) const_cast<Recordset*>(this)->TakeSnapshot();
}

void Recordset::reach(int row) const {
    auto* self = const_cast<Recordset*>(this);
    while (fetching_ && row >= rows_.RowCount()) {
        bool ended = true;
        try {
            ended = rest_->Read(self->connection_->engine(), &self->rows_, kMoreRows);
        } catch (...) {
            self->endOfRows();
            throw;
        }
        if (ended) self->endOfRows();
    }
}

void Recordset::endOfRows() {
    if (fetching_) Undefer(this);
    fetching_ = false;
    rest_.reset();
}

int Recordset::ReadyRows() const {
    if (!open_ || deferred_) return 0;
    return std::max(0, rows_.RowCount() + added_ - current_);
}

const ColumnInfo& Recordset::columns() const {
    return columns_ ? *columns_ : rows_.Info();
}

void Recordset::Close() {
    if (onReuse_) std::exchange(onReuse_, nullptr)();
    if (deferred_) Undefer(this);
    deferred_ = false;
    endOfRows(); // a result left before its end stops its statement
    open_ = false;
    keyed_ = false;
    table_.clear();
    statement_ = EngineStatement();
    columns_.reset();
    ownKeys_.clear();
    rows_.Reset(std::shared_ptr<const ColumnInfo>());
    added_ = 0;
    current_ = 0;
    edits_.clear();
}

void Recordset::requireOpen() const {
    if (!open_)
        throw DbError(QStringLiteral("Operation is not allowed when the recordset is closed."));
}

void Recordset::requireRow() const {
    // A row read and held: the common case, asked of every field.
    if (open_ && !deferred_ && current_ >= 0 && current_ < rows_.RowCount()) return;
    requireOpen();
    if (current_ >= baseRows() && current_ - baseRows() < added_) return; // an added row
    reach(current_);
    if (fetching_ && current_ >= 0 && current_ < rows_.RowCount()) return; // read already
    ensureRows();
    if (current_ < 0 || current_ >= RecordCount())
        throw DbError(QStringLiteral("Either BOF or EOF is True: there is no current record."));
}

int Recordset::RecordCount() const {
    requireOpen();
    ensureRows();
    return rows_.RowCount() + added_;
}

bool Recordset::Eof() const {
    reach(current_);
    if (fetching_ && current_ < rows_.RowCount()) return false;
    return current_ >= RecordCount();
}

void Recordset::MoveNext() {
    requireRow();
    ++current_;
}

void Recordset::MoveFirst() {
    requireOpen();
    current_ = 0;
}

int Recordset::FieldCount() const {
    requireOpen();
    return int(columns().names.size()) - (keyed_ ? 1 : 0);
}

Field Recordset::Fields(int index) {
    if (index < 0 || index >= FieldCount())
        throw DbError(
            QStringLiteral("Item %1 cannot be found in the fields of the recordset.").arg(index));
    return Field(this, index);
}

Field Recordset::Fields(const QString& name) {
    return Field(this, column(name));
}

Field Recordset::Fields(const char* name) {
    return Fields(QString::fromUtf8(name));
}

int Recordset::column(const QString& name) const {
    requireOpen();
    const QHash<QString, int>& index = columns().index;
    auto found = index.constFind(name);
    if (found == index.constEnd()) found = index.constFind(name.toLower());
    if (found == index.constEnd()) {
        QString key = name.trimmed().toLower();
        if (key.contains(u'.')) key = key.section(u'.', -1);
        found = index.constFind(key);
    }
    // The row key, when there is one, is column 0 and no field.
    if (found == index.constEnd() || (keyed_ && *found == 0))
        throw DbError(QStringLiteral("Item \"%1\" cannot be found in the fields of the recordset.")
                          .arg(name));
    return *found - (keyed_ ? 1 : 0);
}

// The value assigned to the current row's field and not yet written, if any.
const QVariant* Recordset::assignedValue(int column) const {
    const auto edit = edits_.constFind(current_);
    return edit != edits_.constEnd() && edit->assigned[column] ? &edit->values[column] : nullptr;
}

QVariant Recordset::value(int column) const {
    requireRow();
    if (const QVariant* v = assignedValue(column)) return *v;
    if (current_ >= baseRows()) return QVariant();
    return rows_.Value(current_, baseColumn(column));
}

QString Recordset::text(int column) const {
    requireRow();
    if (const QVariant* v = assignedValue(column)) return v->isNull() ? QString() : v->toString();
    if (current_ >= baseRows()) return QString();
    return rows_.Text(current_, baseColumn(column)); // straight from the row, no QVariant
}

// A text stored as the engine gave it is read in place; anything else (an
// assigned value, a number, a Null) through its text.
QUtf8StringView Recordset::utf8(int column) const {
    requireRow();
    if (!assignedValue(column) && current_ < baseRows()) {
        const int c = baseColumn(column);
        if (rows_.KindAt(current_, c) == ResultTable::Kind::Text)
            return rows_.TextBytes(current_, c);
    }
    utf8Scratch_ = text(column).toUtf8();
    return utf8Scratch_;
}

bool Recordset::isNull(int column) const {
    requireRow();
    if (const QVariant* v = assignedValue(column)) return !v->isValid() || v->isNull();
    if (current_ >= baseRows()) return true;
    return rows_.IsNull(current_, baseColumn(column)); // no need to read the text
}

Recordset::RowEdit& Recordset::editOf(int row) {
    auto found = edits_.find(row);
    if (found == edits_.end()) {
        RowEdit edit;
        edit.values.resize(FieldCount());
        edit.assigned.resize(FieldCount());
        if (row < baseRows() && keyed_) edit.key = rows_.Value(row, 0);
        found = edits_.insert(row, edit);
    }
    return *found;
}

void Recordset::assign(int column, const QVariant& value) {
    requireRow();
    if (table_.isEmpty())
        throw DbError(QStringLiteral(
            "The recordset cannot be changed: it was not opened on a single table."));
    RowEdit& edit = editOf(current_);
    edit.values[column] = value;
    edit.assigned[column] = true;
    edit.dirty = true;
}

void Recordset::AddNew() {
    requireOpen();
    if (table_.isEmpty())
        throw DbError(QStringLiteral(
            "Rows cannot be added: the recordset was not opened on a single table."));
    ++added_;
    current_ = baseRows() + added_ - 1;
    editOf(current_).added = true;
}

void Recordset::UpdateBatch(int) {
    requireOpen();
    QList<int> pending;
    for (auto it = edits_.cbegin(); it != edits_.cend(); ++it)
        if (it->dirty) pending.append(it.key());
    if (pending.isEmpty()) return;
    std::sort(pending.begin(), pending.end());

    Engine& engine = connection_->engine();
    const DeferredSnapshot::Writer writing(this); // its own snapshot may wait
    const QString savepoint = QStringLiteral("batch_update");
    engine.Savepoint(savepoint);
    QHash<int, QVariant> newKeys;
    try {
        for (int row : pending) {
            const RowEdit& edit = edits_[row];
            QStringList names;
            QVariantList values;
            for (int c = 0; c < edit.values.size(); ++c) {
                if (!edit.assigned[c]) continue;
                names.append(columns().names.at(baseColumn(c)));
                values.append(edit.values[c]);
            }
            if (edit.added)
                newKeys.insert(row, connection_->Insert(table_, names, values));
            else
                connection_->Update(table_, edit.key, names, values);
        }
        engine.Release(savepoint);
    } catch (...) {
        try {
            engine.RollbackTo(savepoint);
        } catch (...) {
            // the engine may already have rolled the whole transaction back
        }
        throw;
    }
    for (int row : pending) {
        RowEdit& edit = edits_[row];
        edit.dirty = false;
        if (edit.added) {
            edit.added = false;
            edit.key = newKeys.value(row);
            if (deferred_) ownKeys_.append(edit.key);
        }
    }
}
