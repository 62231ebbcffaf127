#pragma once
// The four tables of the address book and the column that keys each: what
// the engines, the schema and the copies all name.

#include <QString>
#include <QStringList>

namespace Schema {
// The tables every address book file must hold.
const QStringList& Tables();
// The column that keys the rows of `table` (any letter case): its id.
// Empty for a table that is not the address book's.
QString KeyColumn(const QString& table);
} // namespace Schema
