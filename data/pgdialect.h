#pragma once
// Statement texts of the windows are written in the old desktop database's
// SQL. This is the one place where they are turned into PostgreSQL's:
//   - "Delete * from t"           becomes "Delete from t";
//   - a + next to a text literal  becomes || (a Null side makes the whole
//                                  value Null, as before);
//   - col like '<whole number>'   becomes col = $n with the number bound,
//                                  when col is a known column;
//   - any other like on a whole-number column compares the number's text,
//                                  on a text column it is ilike on its text,
//                                  and no like treats '\' as an escape;
//   - "Select * from <table> ..." also returns the table's key column
//                                  first, so that the recordset can write its
//                                  rows back by it;
//   - "Select max(<id>) from <table>" is marked as the read of a new id,
//                                  which the engine serialises per table.
// Texts compare without regard to case because the text columns are citext.

#include "data/engine.h"

#include <QHash>

class PgDialect {
  public:
    enum class Kind { Integer, Text };
    // Columns of the open database, by lower-case name.
    void SetColumns(const QHash<QString, Kind>& columns) { columns_ = columns; }
    // `newIdOf`, when given, receives the table whose next id the statement
    // reads ("Select max(<id>) from <table>"), else the empty text.
    EngineStatement Translate(const QString& text, QString* newIdOf = nullptr) const;
    // The name the row key is returned under, in front of the fields.
    static QString KeyAlias() { return QStringLiteral("row_key_"); }

  private:
    QHash<QString, Kind> columns_;
};
