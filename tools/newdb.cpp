// adrsbook-newdb [--if-missing] FILE
// adrsbook-newdb --server SETTINGS.ini
// Creates a fresh, empty address book database file with its four tables,
// keyed with the program's password. An existing file is never touched:
// with --if-missing that is quietly fine, otherwise it is an error.
// With --server, creates the four tables in the empty database that the
// settings file names (the server password from ~/.pgpass or PGPASSWORD);
// a database that already holds them is left as it is.

#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/pgengine.h"
#include "data/schema.h"
#include "tools/place.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    const bool server = args.removeAll(QStringLiteral("--server")) > 0;
    if (args.size() != 1 || (server && ifMissing)) {
        std::fprintf(stderr, "usage: adrsbook-newdb [--if-missing] FILE\n"
                             "       adrsbook-newdb --server SETTINGS.ini\n");
        return 2;
    }
    if (server) {
        const Place place = PlaceOf(args.first());
        if (!place.server) {
            std::fprintf(stderr, "adrsbook-newdb: --server takes a settings file (*.ini)\n");
            return 2;
        }
        try {
            PgEngine::CreateTables(ConnString::Parse(place.connectionString));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "adrsbook-newdb: %s\n", e.what());
            return 1;
        }
        std::printf("created the address book tables in %s\n", qPrintable(place.shown));
        return 0;
    }
    const QString file = args.first();
    if (QFileInfo::exists(file)) {
        if (ifMissing) return 0;
        std::fprintf(stderr, "adrsbook-newdb: %s already exists; it is left as it is\n",
                     qPrintable(file));
        return 1;
    }
    try {
        Schema::CreateDatabase(file, QString::fromLatin1(kDatabasePassword));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "adrsbook-newdb: %s\n", e.what());
        return 1;
    }
    std::printf("created %s\n", qPrintable(file));
    return 0;
}
