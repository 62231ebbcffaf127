#pragma once
// The small settings file beside the program, adrsbook.ini. When it names a
// database server the program opens its connections there; otherwise it
// opens the keyed file beside it. It never holds a password: that comes
// from the user's password file (~/.pgpass) or is asked for at start-up.
//
//   [Server]
//   Host=db.example.local      ; a name, an address, or a Unix socket folder
//   Port=5432
//   Database=adrsbook
//   User=frontdesk
//   SSLMode=prefer             ; disable, prefer, require, verify-ca, verify-full

#include <QString>

namespace ServerSettings {

struct Server {
    QString host, port, database, user, sslMode;
    bool IsSet() const { return !host.isEmpty() || !database.isEmpty(); }
};

// "adrsbook.ini"
QString FileName();
// The server the settings file in `folder` names; not set when there is no
// file or it names none. TLS is used when the server offers it unless the
// file says otherwise.
Server Read(const QString& folder);
// The same from a settings file of any name.
Server ReadFile(const QString& file);
// Writes the settings file in `folder` (for the tests and the set-up notes).
void Write(const QString& folder, const Server& server);

} // namespace ServerSettings
