#pragma once
// Statement texts of the windows are written in the old desktop database's
// SQL. This is the one place where they are turned into SQLite's:
//   - "Delete * from t"           becomes "Delete from t";
//   - a + next to a text literal  becomes || (both make the whole value Null
//                                  when one side is Null);
//   - col like '<whole number>'   becomes col = ? with the number bound, when
//                                  col is a known column (an exact id match,
//                                  which an index can serve);
//   - "Select * from <table> ..." also returns the table's key column
//                                  first, so that the recordset can write
//                                  its rows back by it;
//   - in a join, col like '<text>' becomes unlikely(col like '<text>')
//                                  when few rows of col's table match it:
//                                  the engine cannot know that by itself,
//                                  and then reads that table first (by its
//                                  index on the join column) instead of
//                                  walking every row of the other in order.

#include "data/engine.h"

#include <QHash>
#include <functional>

class SqliteDialect {
  public:
    enum class Affinity { Integer, Text };
    // Columns of the open database, by lower-case name.
    void SetColumns(const QHash<QString, Affinity>& columns) { columns_ = columns; }
    // Whether `column like pattern` holds for few rows of the column's table.
    using FewMatch = std::function<bool(const QString& column, const QString& pattern)>;
    void SetFewMatch(FewMatch fewMatch) { fewMatch_ = std::move(fewMatch); }
    EngineStatement Translate(const QString& text) const;

  private:
    QHash<QString, Affinity> columns_;
    FewMatch fewMatch_;
};
