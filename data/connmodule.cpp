#include "data/connmodule.h"

#include "data/bookindexes.h"
#include "data/connstring.h"
#include "data/schema.h"
#include "data/serversettings.h"

#include <QCoreApplication>
#include <QDir>
#include <memory>

namespace {
QString appFolder;
bool bookReadOnly = false;
std::unique_ptr<Connection> conn1;
std::unique_ptr<Connection> conn2;

QString BuildConnStr() {
    const ServerSettings::Server server = ServerSettings::Read(AppFolder());
    if (server.IsSet())
        return ConnString::ForServer(server.host, server.port, server.database, server.user,
                                     server.sslMode, ServerPassword);
    return QStringLiteral("PROVIDER=SQLCipher;Data Source=") +
           ConnString::QuoteValue(AppFolder() + QDir::separator() +
                                  QStringLiteral("adrsbookHXS.mdb")) +
           QStringLiteral(";Jet OLEDB:Database Password='402@tarn#velio';") +
           (bookReadOnly ? QStringLiteral("Mode=Read;") : QString());
}

Connection* OpenOne(std::unique_ptr<Connection>& slot, QString& connStr, bool verify) {
    slot = std::make_unique<Connection>();
    connStr = BuildConnStr();
    try {
        slot->Open(connStr, QString(), QString(), -1);
        // The first connection reads the whole file once: damage anywhere is
        // found at start-up, and the pages are then in its cache.
        if (verify) slot->Verify();
        Schema::RequireTables(*slot);
        if (verify) BookIndexes::Add(*slot);
    } catch (...) {
        slot.reset();
        throw;
    }
    return slot.get();
}
} // namespace

QString AppFolder() {
    if (!appFolder.isEmpty()) return appFolder;
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

void SetAppFolder(const QString& folder) {
    appFolder = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

Connection* Conn = nullptr;
Connection* Conn2 = nullptr;
QString ConnStr;
QString ConnStr2;
QString AppTitle;
QString ServerPassword;

const char* const kDatabaseFileName = "adrsbookHXS.mdb";
const char* const kDatabasePassword = "402@tarn#velio";

void OpenConn() {
    Conn = nullptr;
    Conn = OpenOne(conn1, ConnStr, true);
}

void OpenConn2() {
    Conn2 = nullptr;
    Conn2 = OpenOne(conn2, ConnStr2, false);
}

void CloseConns() {
    Conn = nullptr;
    Conn2 = nullptr;
    conn1.reset();
    conn2.reset();
}

void SetBookReadOnly(bool readOnly) {
    bookReadOnly = readOnly;
}

bool ServerMode() {
    return ServerSettings::Read(AppFolder()).IsSet();
}

QString ServerWhere() {
    const ServerSettings::Server s = ServerSettings::Read(AppFolder());
    return QStringLiteral("database %1 on the server %2").arg(s.database, s.host);
}

QString BookBesideProgram() {
    return QDir(AppFolder()).filePath(QString::fromLatin1(kDatabaseFileName));
}

QString DatabaseFile() {
    return Connection::Parse(BuildConnStr()).dataSource;
}
