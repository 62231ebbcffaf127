#pragma once
// A private PostgreSQL server for the tests that need one, started once per
// test process: initdb into a temporary folder (as the postgres system user
// when the tests run as root, since the server refuses to run as root),
// listening on a Unix socket in that folder and on 127.0.0.1 at a free port,
// and stopped when the process ends. When it cannot be started, every test
// that asks for it fails with the reason.

#include "data/connstring.h"

#include <QString>

namespace PgServer {

// The superuser reaches the server over the socket without a password; the
// desk user, which may only read and write the four tables, over TCP with
// its password.
inline const char* const kDeskUser = "adrsdesk";
inline const char* const kDeskPassword = "desk pass'word";

// Starts the server if it is not running; throws a std::runtime_error saying
// why when it cannot.
void Start();
// For a test class's initTestCase: starts the server, or fails the class
// (and so every test in it) with the reason.
#define REQUIRE_PG_SERVER()                                                                        \
    do {                                                                                           \
        QString why_;                                                                              \
        try {                                                                                      \
            PgServer::Start();                                                                     \
        } catch (const std::exception& e_) {                                                       \
            why_ = QString::fromLocal8Bit(e_.what());                                              \
        }                                                                                          \
        if (!why_.isEmpty()) QFAIL(qPrintable(why_));                                              \
    } while (false)
// Stops it (the next Start() brings it back with the same data and port).
void Stop();
QString SocketFolder();
QString Port();

// A new, empty database holding the four tables; the desk user may use them.
QString NewBook();
// A new, empty database without the tables.
QString NewEmptyDatabase();
void Drop(const QString& database);

// The parts of a connection string to `database`: as the superuser over the
// socket, or as the desk user over TCP (with `password`).
ConnString::Parts Socket(const QString& database);
ConnString::Parts Tcp(const QString& database, const QString& password = kDeskPassword);

// Runs SQL as the superuser in `database` (the default: postgres); throws on failure.
void Sql(const QString& sql, const QString& database = QStringLiteral("postgres"));

// The server's log.
QString LogFile();

// Turns TLS on in the running server: openssl makes, in `folder`, a private
// certificate authority (root.crt) and a certificate for 127.0.0.1 and
// localhost signed by it (server.crt), which the server then presents.
// Returns root.crt's path; throws when it cannot. TlsOff() turns it off.
QString TlsOn(const QString& folder);
void TlsOff();
// Makes a certificate authority of its own in `folder`: `name`.crt and .key.
QString MakeAuthority(const QString& folder, const QString& name);

} // namespace PgServer
