#pragma once
// A record as a window loaded it for change. At save time, inside the
// write, the row is read again and compared with what was loaded, column
// by column: when another desk or another program (an import, the
// sqlcipher command line) changed it meanwhile, nothing is written and the
// window asks the user what to do. The edit date alone would not do: it
// has one-second resolution, and not every writer sets it.

#include "data/dberror.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>

class Connection;
class Recordset;

struct ChangedField {
    QString column;
    QString loaded; // what the window loaded
    QString stored; // what the book holds now
};

// Raised inside a save's transaction (which it rolls back): the record was
// changed elsewhere since it was loaded.
class ChangedElsewhere : public DbError {
  public:
    explicit ChangedElsewhere(QList<ChangedField> changes);
    const QList<ChangedField>& Changes() const { return changes_; }

  private:
    QList<ChangedField> changes_;
};

class LoadedRow {
  public:
    // Remembers `columns` of the current row of `rs` (a Null as the empty text).
    void Take(Recordset& rs, const QStringList& columns);
    // Remembers a value that is not a column of the row (a party's groups).
    void Set(const QString& name, const QString& value);
    // Raises ChangedElsewhere when the current row of `rs`, or one of the
    // values `others` gives for the names set with Set, is not what was
    // loaded. Nothing loaded: nothing to compare.
    void Require(Recordset& rs, const QList<std::pair<QString, QString>>& others = {}) const;
    // The stored values become the loaded ones: the next check compares
    // with them (the user took them into the form, or saves over them).
    void Accept(const QList<ChangedField>& changes);
    void Clear() { values_.clear(); }

  private:
    QList<std::pair<QString, QString>> values_; // name, value
};

// Keeps other desks from changing the row until the transaction ends, so
// nothing can come between the check and the write.
void LockRowForChange(Connection& conn, const QString& table, const QVariant& key);
