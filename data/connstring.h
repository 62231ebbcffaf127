#pragma once
// Connection strings, built and read in one place for the program and every
// tool:
//   PROVIDER=<engine>;Data Source=<file>;Jet OLEDB:Database Password='<password>';
// A value that holds a ';', a quote, a backslash or blanks at either end is written
// between double quotes with its double quotes doubled, so any folder name
// (with ';', '\', '=' or quotes in it) reads back exactly as it was.

#include <QString>

namespace ConnString {

struct Parts {
    QString provider;
    QString dataSource;
    QString password;
};

// The value as it may stand after "key=" in a connection string.
QString QuoteValue(const QString& value);

QString Build(const Parts& parts);
// The keyed address book file `file`, opened with `password`.
QString ForFile(const QString& file, const QString& password);
Parts Parse(const QString& connectionString);

} // namespace ConnString
