#pragma once
// How selective a "column like pattern" condition is, asked of the file
// itself: the engine's planner knows nothing of a like's pattern, and
// without that walks the larger table of a join in order even when only a
// handful of the smaller one's rows match.

#include <QString>

struct sqlite3;

namespace FewMatch {

// Tables larger than this are not counted (the count would cost more than
// it could save).
constexpr int kLargestCounted = 5000;

// True when fewer than one row in ten of `table` has `column` like
// `pattern`. False whenever that is not known: a larger table, an error or
// a lock held by another program.
bool FewRows(sqlite3* db, const QString& table, const QString& column, const QString& pattern);

} // namespace FewMatch
