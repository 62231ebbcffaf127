#pragma once
// Backup and restore when the address book lives on a database server. A
// backup is a keyed book file like every other (so a backup is the same
// kind of file on every desk); a restore loads such a book into the server,
// all or nothing, and only while no other desk is connected.

#include <QString>

class Connection;

namespace ServerBackup {

// Writes the server's data, read as one consistent snapshot, into a new
// keyed book at `target` (replacing a file of that name once the copy is
// proved the same, table by table).
// Refused (WriteRefused) when `target` is one of the book's files or not
// a file that can be written whole (data/userfile.h).
void BackupTo(Connection& conn, const QString& target);
// The same into the copy a restore keeps beside the program.
void KeepAs(Connection& conn, const QString& kept);

// The number of other desks connected to the database of `conn`.
int OtherDesks(Connection& conn);

// Replaces every row on the server with the rows of the book file `book`
// (one the program made or rebuilt, already checked): locks the four
// tables, empties them, loads the book and compares counts and digests
// before committing. Refused when another desk is connected.
void RestoreFrom(Connection& conn, const QString& book);

} // namespace ServerBackup
