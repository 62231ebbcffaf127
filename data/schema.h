#pragma once
// The four tables of the address book and the checks that a file holds them.

#include "data/tables.h"

#include <QString>
#include <QStringList>

class Connection;

namespace Schema {
// Creates a new, empty, keyed database file with the four tables and their
// indexes. Fails if the file exists. Used by the set-up tool and the tests.
void CreateDatabase(const QString& file, const QString& password);
// Raises a DbError naming the first table the open database lacks.
void RequireTables(Connection& conn);
// Raises a DbError unless the open database holds exactly the tables and
// indexes CreateDatabase makes, as it makes them, and besides them only
// the optional statements, each at most once.
void RequireOwnSchema(Connection& conn);
// Tables and indexes a book may also hold, as sqlite_master records their
// statements (without "IF NOT EXISTS").
const QStringList& OptionalStatements();
} // namespace Schema
