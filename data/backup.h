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
// current file is kept beside it as a copy under a dated name, returned.
// The file under the usual name is whole at every moment; on any failure
// it is the current one.
QString RestoreFrom(const QString& source, const QString& databaseFile);

// Puts a kept copy back in place of `databaseFile` (which must not be open).
void PutBack(const QString& kept, const QString& databaseFile);

// The dated name under which a replaced database file is kept.
QString KeptCopyName(const QString& databaseFile);
} // namespace Backup
