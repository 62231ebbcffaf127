#pragma once
// Files the user names: an export, a PDF, a backup. Before one is written
// its name is checked, and every writer goes through here:
//  - never the address book or a file that belongs to it (its journal, its
//    lock and crash marker, a restore's leftovers and the copies a restore
//    keeps), by name and by the file itself: a symbolic or a hard link to
//    one of them is refused as well;
//  - never a name the database engine takes for a journal ("-journal",
//    "-wal", "-shm"): beside a book of the same name it would be rolled
//    into that book, or deleted as stale;
//  - only a regular file or a new name: a device, a pipe, a socket or a
//    folder is refused; a symbolic link is followed to the file it names,
//    which is then replaced (the link stays).
// The file is then written whole or not at all (data/wholefile.h).

#include "data/dberror.h"

#include <QByteArrayView>
#include <QString>

class WriteRefused : public DbError {
  public:
    using DbError::DbError;
};

namespace UserFile {

// The file to write for the name the user gave: `target` itself, or the
// file a symbolic link names. Raises WriteRefused saying why when it may
// not be written. `book` is the address book whose files are out of bounds.
QString Check(const QString& target, const QString& book);
// The same for the book beside the program.
QString Check(const QString& target);

// True when the two names reach the same file: through a symbolic link, a
// hard link, or another spelling of the same path.
bool SameFile(const QString& a, const QString& b);

// Check, then `bytes` as the file's whole new content.
void Write(const QString& target, QByteArrayView bytes);

} // namespace UserFile
