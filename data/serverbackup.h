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

// Raises a DbError saying how many other desks (and other connections of
// this desk) have the book open, when any has, whatever their logins
// (data/desklock.h).
void RequireNoOtherDesk(Connection& conn);

// Replaces every row on the server with the rows of the book file `book`
// (one the program made or rebuilt, already checked): takes the book's
// lock exclusively (refused, with the desks connected, while any other
// connection has the book open), locks the four tables (and the sync
// state's), empties them, loads the book and its sync state (none when the
// book has none) and compares counts and digests before committing.
void RestoreFrom(Connection& conn, const QString& book);

} // namespace ServerBackup
