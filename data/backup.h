#pragma once
// Backup and restore of the database file. Nothing here ever leaves the
// live file damaged or missing: copies are made beside their target first,
// proved to open with the password and to hold the four tables, and only
// then renamed into place.

#include <QString>

class Connection;

namespace Backup {
// Raises a DbError saying what is wrong unless `file` opens with the
// password and holds the address book's four tables.
void VerifyDatabaseFile(const QString& file);

// Writes a consistent copy of the database open on `conn` to `target`
// (replacing a file of that name) and verifies it.
void BackupTo(Connection& conn, const QString& target);

// Puts `source` in place of `databaseFile`, which must not be open. The
// current file is kept beside it under a dated name, returned. On any
// failure the current file stays where it was.
QString RestoreFrom(const QString& source, const QString& databaseFile);

// The dated name under which a replaced database file is kept.
QString KeptCopyName(const QString& databaseFile);
} // namespace Backup
