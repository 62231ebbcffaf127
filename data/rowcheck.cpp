#include "data/rowcheck.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "data/schema.h"

ChangedElsewhere::ChangedElsewhere(QList<ChangedField> changes)
    : DbError(QStringLiteral("The record was changed elsewhere since it was loaded; nothing was "
                             "saved.")),
      changes_(std::move(changes)) {}

void LoadedRow::Take(Recordset& rs, const QStringList& columns) {
    values_.clear();
    for (const QString& column : columns)
        values_.append({column, rs.Fields(column).Str()});
}

void LoadedRow::Set(const QString& name, const QString& value) {
    for (auto& [n, v] : values_)
        if (n == name) {
            v = value;
            return;
        }
    values_.append({name, value});
}

void LoadedRow::Require(Recordset& rs, const QList<std::pair<QString, QString>>& others) const {
    QList<ChangedField> changes;
    for (const auto& [name, loaded] : values_) {
        QString stored;
        bool other = false;
        for (const auto& [n, v] : others)
            if (n == name) {
                stored = v;
                other = true;
            }
        if (!other) stored = rs.Fields(name).Str();
        if (stored != loaded) changes.append({name, loaded, stored});
    }
    if (!changes.isEmpty()) throw ChangedElsewhere(changes);
}

void LoadedRow::Accept(const QList<ChangedField>& changes) {
    for (const ChangedField& c : changes)
        Set(c.column, c.stored);
}

void LockRowForChange(Connection& conn, const QString& table, const QVariant& key) {
    conn.engine().LockRow(table, Schema::KeyColumn(table), key);
}
