#pragma once
// Where a tool finds an address book: a settings file (*.ini) names a
// database server, anything else is a keyed book file. A server password
// comes from ~/.pgpass or PGPASSWORD, never from the command line.

#include <QString>

struct Place {
    QString connectionString;
    bool server = false;
    QString shown; // for messages
};

Place PlaceOf(const QString& argument);
