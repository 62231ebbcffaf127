#pragma once
// Letter case ignored for every alphabet, not only A to Z: the engine's
// like() and its NOCASE collation, replaced on each connection.
//
// Both fold each character with its simple Unicode case folding. For text
// of ASCII letters only they give exactly the engine's own results, so a
// file written before keeps its meaning; only letters beyond ASCII now
// match and sort without regard to case. `%` and `_` keep their meaning.

#include <QByteArrayView>

struct sqlite3;

namespace UnicodeCase {

// a < b: negative, a == b: 0, a > b: positive (UTF-8 texts).
int Compare(QByteArrayView a, QByteArrayView b);
// `text` like `pattern`; `escape` 0 when the pattern has no escape character.
bool Like(QByteArrayView pattern, QByteArrayView text, char32_t escape = 0);

// Registers like() (two and three arguments) and the NOCASE collation on
// the connection. False when the engine refused them.
bool Register(sqlite3* db);

// True when the file's NOCASE indexes follow this rule (see below); a
// connection that checks or writes such a file must register it first.
bool Ordered(sqlite3* db);

// Indexes on NOCASE columns were ordered by the ASCII-only rule in files
// written before; rebuilds them once, in one transaction, and marks the
// file so that it is not done again. Best effort: a file that cannot be
// written (read-only) is left as it is.
void ReorderIndexes(sqlite3* db);

// The file's user_version once its NOCASE indexes follow the rule above.
constexpr int kOrderedVersion = 2;

} // namespace UnicodeCase
