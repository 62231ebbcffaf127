#pragma once
// The program's global state: the two connections to the database file and
// the title every window puts in its caption.

#include "data/connection.h"

#include <QString>

extern Connection* Conn;  // used by every window for every query
extern Connection* Conn2; // a second connection, for lookups while a result on Conn is walked
extern QString ConnStr;
extern QString ConnStr2;
extern QString AppTitle;
// The database server's password when the user's password file has none:
// asked for once at start-up, kept in memory only.
extern QString ServerPassword;

extern const char* const kDatabaseFileName; // "adrsbookHXS.mdb"
extern const char* const kDatabasePassword;

// The application folder, where the book file and the settings file are:
// the program's own folder unless another is set (the tests set their own).
QString AppFolder();
void SetAppFolder(const QString& folder); // empty: the program's folder again

// Open Conn / Conn2 on the database file in the application folder.
// A missing, empty, unreadable or foreign file raises a DbError that says
// which file and what is wrong.
void OpenConn();
void OpenConn2();
// Closes both connections (restore puts another file in place meanwhile).
void CloseConns();
// Opens the book file for reading only from now on ("Mode=Read"): when no
// lock keeps it for this copy alone, or it is damaged and kept for export.
void SetBookReadOnly(bool readOnly);
// True when the settings file beside the program names a database server.
bool ServerMode();
// The database and server the settings file names, for messages.
QString ServerWhere();
// The book file's place beside the program, whichever mode: in server mode
// restore leftovers and kept copies are named after it.
QString BookBesideProgram();
// The database file the connection strings name (empty in server mode).
QString DatabaseFile();
