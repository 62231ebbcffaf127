#pragma once
// Backup and restore of the database file. Nothing here ever leaves the
// live file damaged or missing: copies are made beside their target under
// a temporary name, proved whole, and only then renamed into place in one
// step. A file chosen for Restore is never taken as it is: it is read in a
// child process and rebuilt into a new book (data/checkchild.h). Every
// file written here is readable by its owner only.

#include <QList>
#include <QString>
#include <functional>

class Connection;

namespace Backup {
// Raises a DbError saying what is wrong unless `file` opens with the
// password and holds the address book's four tables. Only for files the
// program made itself: a file from outside is opened by the child only.
void VerifyDatabaseFile(const QString& file);

// Writes a consistent copy of the database open on `conn` to `target`,
// replacing an earlier file of that name in one step once the copy is
// verified. Refused (WriteRefused) when `target` is the database or one of
// its files, or not a file that can be written whole (data/userfile.h).
void BackupTo(Connection& conn, const QString& target);

// Rebuilds `source` into a new book beside `databaseFile` (in a child
// process, see data/checkchild.h) and checks it in full; returns its name.
// A refused or damaged file raises FileRefused, and nothing is left behind.
QString PrepareRestore(const QString& source, const QString& databaseFile,
                       const std::function<bool()>& waiting = {});

// Puts the book made by PrepareRestore in place of `databaseFile`, which
// must not be open. The current file is kept beside it under a dated name,
// returned. A journal left by a write cut short is rolled back into the
// current file first, and no journal of it remains to meet the new one.
// The file under the usual name is whole at every moment; on any failure
// it is the current one.
QString SwapIn(const QString& incoming, const QString& databaseFile);

// Called with the name of each step of a backup or a restore as it is
// reached ("backup-copying", "restore-swapped" ...). The program installs
// none; the crash tests stop the program dead at one.
void SetStepHook(std::function<void(const char* step)> hook);

// PrepareRestore, then SwapIn.
QString RestoreFrom(const QString& source, const QString& databaseFile);

// Removes a book made by PrepareRestore that is not to be used.
void Discard(const QString& incoming);

// Puts a kept copy back in place of `databaseFile` (which must not be open).
void PutBack(const QString& kept, const QString& databaseFile);

// The dated name under which a replaced database file is kept.
QString KeptCopyName(const QString& databaseFile);

// Parties of a book that the address master cannot save again as they
// stand: their city is not in the book's city register, or none of their
// groups is in its group register (ids in order).
struct Unsaveable {
    QList<int> noCity;
    QList<int> noGroup;
    bool IsEmpty() const { return noCity.isEmpty() && noGroup.isEmpty(); }
};
Unsaveable FindUnsaveable(const QString& book);
} // namespace Backup
