#pragma once
// Carries the sync state when a book is copied between a file and a server
// (a server's backup, its restore, the copy tools), beside the four tables.

#include <QStringList>

class Connection;

namespace SyncCopy {

// Inside the transaction open on `to`: replaces the sync state of `to` with
// that of `from`. A book that never synced (no sync tables, or empty ones)
// leaves `to` without any state, and a book file without the tables stays
// without them. The rows are read back from both sides and compared; a
// difference raises a DbError.
void Write(Connection& from, Connection& to);

// The sync tables `conn` holds (none, or both), to be locked with the book's.
QStringList TablesOf(Connection& conn);

} // namespace SyncCopy
