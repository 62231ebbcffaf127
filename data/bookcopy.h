#pragma once
// Copies an address book from one place to another (a keyed file to an
// empty server database, a server database to a new keyed file), table by
// table in one transaction, and proves the copy: every table's row count
// and a digest of all its rows, read back from both sides.

#include <QByteArray>
#include <QList>
#include <QString>

class Connection;

namespace BookCopy {

struct TableSummary {
    QString table;
    int rows = 0;
    QByteArray digest; // hex SHA-256 of the rows in key order
    bool operator==(const TableSummary&) const = default;
};

// The four tables' counts and digests. Values are compared as text: whole
// numbers as numbers, dates as "yyyy-MM-dd HH:mm:ss", Null apart from empty.
QList<TableSummary> Summarise(Connection& conn);

// Writes every row of `from` into `to`, whose tables must be empty; all or
// nothing. Raises a DbError saying what is wrong.
void CopyRows(Connection& from, Connection& to);
// Raises a DbError unless every table of `conn` is empty.
void RequireEmpty(Connection& conn);
// Writes every row of `from` into `to` inside the transaction open on `to`,
// and the sync state with them (data/synccopy.h).
void WriteRows(Connection& from, Connection& to);

} // namespace BookCopy
