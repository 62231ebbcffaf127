#include "data/recordset.h"

#include "data/dberror.h"
#include "data/statementlog.h"

#include <algorithm>

// ---- Field ---------------------------------------------------------------

QVariant Field::Value() const { return rs_->value(column_); }
bool Field::IsNull() const {
    const QVariant v = rs_->value(column_);
    return !v.isValid() || v.isNull();
}
QString Field::Str() const {
    const QVariant v = rs_->value(column_);
    return v.isNull() ? QString() : v.toString();
}
QString Field::Name() const { return rs_->rows_.Columns().at(rs_->baseColumn(column_)); }
Field& Field::operator=(const QVariant& value) {
    rs_->assign(column_, value);
    return *this;
}

// ---- Recordset -------------------------------------------------------------

void Recordset::Open(const QString& source, Connection* connection, int, int, int) {
    Close();
    if (!connection) throw DbError(QStringLiteral("The recordset has no connection."));
    Engine& engine = connection->engine();
    source_ = source;
    StatementLog::Record(source);
    const EngineStatement statement = engine.Translate(source);
    ResultTable rows;
    affected_ = engine.Run(statement, &rows);
    connection_ = connection;
    if (rows.ColumnCount() == 0) return; // a statement that returns no rows leaves it closed
    rows_ = std::move(rows);
    keyed_ = statement.keyed;
    table_ = statement.table;
    open_ = true;
}

void Recordset::Close() {
    open_ = false;
    keyed_ = false;
    table_.clear();
    rows_.Reset(std::shared_ptr<const ColumnInfo>());
    added_ = 0;
    current_ = 0;
    edits_.clear();
}

void Recordset::requireOpen() const {
    if (!open_) throw DbError(QStringLiteral("Operation is not allowed when the recordset is closed."));
}

void Recordset::requireRow() const {
    requireOpen();
    if (current_ < 0 || current_ >= RecordCount())
        throw DbError(QStringLiteral("Either BOF or EOF is True: there is no current record."));
}

int Recordset::RecordCount() const {
    requireOpen();
    return rows_.RowCount() + added_;
}

bool Recordset::Eof() const {
    requireOpen();
    return current_ >= RecordCount();
}

bool Recordset::Bof() const {
    requireOpen();
    return current_ < 0 || RecordCount() == 0;
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
    return rows_.ColumnCount() - (keyed_ ? 1 : 0);
}

Field Recordset::Fields(int index) {
    if (index < 0 || index >= FieldCount())
        throw DbError(QStringLiteral("Item %1 cannot be found in the fields of the recordset.").arg(index));
    return Field(this, index);
}

Field Recordset::Fields(const QString& name) { return Field(this, column(name)); }

int Recordset::column(const QString& name) const {
    requireOpen();
    const QHash<QString, int>& index = rows_.Info().index;
    auto found = index.constFind(name.toLower());
    if (found == index.constEnd()) {
        QString key = name.trimmed().toLower();
        if (key.contains(u'.')) key = key.section(u'.', -1);
        found = index.constFind(key);
    }
    // The row key, when there is one, is column 0 and no field.
    if (found == index.constEnd() || (keyed_ && *found == 0))
        throw DbError(QStringLiteral("Item \"%1\" cannot be found in the fields of the recordset.").arg(name));
    return *found - (keyed_ ? 1 : 0);
}

QVariant Recordset::value(int column) const {
    requireRow();
    const auto edit = edits_.constFind(current_);
    if (edit != edits_.constEnd() && edit->assigned[column]) return edit->values[column];
    if (current_ >= rows_.RowCount()) return QVariant();
    return rows_.Value(current_, baseColumn(column));
}

Recordset::RowEdit& Recordset::editOf(int row) {
    auto found = edits_.find(row);
    if (found == edits_.end()) {
        RowEdit edit;
        edit.values.resize(FieldCount());
        edit.assigned.resize(FieldCount());
        if (row < rows_.RowCount() && keyed_) edit.key = rows_.Value(row, 0);
        found = edits_.insert(row, edit);
    }
    return *found;
}

void Recordset::assign(int column, const QVariant& value) {
    requireRow();
    if (table_.isEmpty())
        throw DbError(QStringLiteral("The recordset cannot be changed: it was not opened on a single table."));
    RowEdit& edit = editOf(current_);
    edit.values[column] = value;
    edit.assigned[column] = true;
    edit.dirty = true;
}

void Recordset::AddNew() {
    requireOpen();
    if (table_.isEmpty())
        throw DbError(QStringLiteral("Rows cannot be added: the recordset was not opened on a single table."));
    ++added_;
    current_ = RecordCount() - 1;
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
    const QString savepoint = QStringLiteral("batch_update");
    engine.Savepoint(savepoint);
    QHash<int, QVariant> newKeys;
    try {
        for (int row : pending) {
            const RowEdit& edit = edits_[row];
            QStringList columns;
            QVariantList values;
            for (int c = 0; c < edit.values.size(); ++c) {
                if (!edit.assigned[c]) continue;
                columns.append(rows_.Columns().at(baseColumn(c)));
                values.append(edit.values[c]);
            }
            if (edit.added)
                newKeys.insert(row, engine.Insert(table_, columns, values));
            else
                engine.Update(table_, edit.key, columns, values);
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
        }
    }
}
