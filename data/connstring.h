#pragma once
// Connection strings, built and read in one place for the program and every
// tool. A keyed file:
//   PROVIDER=<engine>;Data Source=<file>;Jet OLEDB:Database Password='<password>';
// A database server:
//   PROVIDER=PostgreSQL;Server=<host>;Port=<port>;Database=<name>;User ID=<user>;
//   SSL Mode=<mode>;Password=<password>;
// A value that holds a ';', a quote, a backslash or blanks at either end is written
// between double quotes with its double quotes doubled, so any folder name
// (with ';', '\', '=' or quotes in it) reads back exactly as it was.

#include <QString>

namespace ConnString {

struct Parts {
    QString provider;
    QString dataSource; // the file of a keyed book
    QString password;
    // A database server (the provider says which engine).
    QString host; // a name, an address, or the folder of a Unix socket
    QString port;
    QString database;
    QString user;
    QString sslMode;       // disable, prefer, require, verify-ca, verify-full
    bool readOnly = false; // "Mode=Read": a keyed book opened for reading only

    bool IsServer() const { return !host.isEmpty() || !database.isEmpty(); }
};

// The value as it may stand after "key=" in a connection string.
QString QuoteValue(const QString& value);

QString Build(const Parts& parts);
// The keyed address book file `file`, opened with `password`.
QString ForFile(const QString& file, const QString& password);
// A book on a PostgreSQL server; an empty password leaves it to the user's
// password file.
QString ForServer(const QString& host, const QString& port, const QString& database,
                  const QString& user, const QString& sslMode, const QString& password = QString());
Parts Parse(const QString& connectionString);

} // namespace ConnString
