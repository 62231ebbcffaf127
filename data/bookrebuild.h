#pragma once
// A file that comes from outside (a backup chosen for Restore) is never
// taken as it is: a new, empty book is made with the program's own tables
// and the rows of the four tables are copied into it column by column,
// each value checked against what the windows can hold. Nothing else of
// the file comes along: no trigger, view, index, extra column or table.
// Run on an untrusted file only inside the checking child process
// (data/checkchild.h), where a crash or a hang ends only that process.

#include "data/dberror.h"

#include <QString>
#include <QStringList>

// The chosen file is damaged, or is not a book the program can take.
class FileRefused : public DbError {
  public:
    using DbError::DbError;
};

namespace BookRebuild {
// Checks `source` (opened read-only, never written) and writes its rows into
// the new book `target`, which must not exist. A damaged file or a row that
// breaks a rule raises FileRefused naming the table, the row and the
// reason; a target that cannot be written raises a DbError.
void Rebuild(const QString& source, const QString& target);

// The columns checked and copied for `table`, in the order of the table.
QStringList Columns(const QString& table);
} // namespace BookRebuild
