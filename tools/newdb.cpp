// adrsbook-newdb [--if-missing] [--] FILE
// adrsbook-newdb --server SETTINGS.ini
// Creates a fresh, empty address book database file with its four tables,
// keyed with the program's password. An existing file is never touched:
// with --if-missing that is quietly fine, otherwise it is refused (exit
// status 2, as for a wrong command line).
// With --server, creates the four tables in the empty database that the
// settings file names (the server password from ~/.pgpass or PGPASSWORD);
// a database that already holds them is left as it is.

#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/pgengine.h"
#include "data/schema.h"
#include "tools/place.h"
#include "tools/toolargs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const ToolSyntax tool{"adrsbook-newdb",
                          "adrsbook-newdb [--if-missing] [--] FILE\n"
                          "       adrsbook-newdb --server SETTINGS.ini",
                          {QStringLiteral("--if-missing"), QStringLiteral("--server")},
                          {}};
    int status = 0;
    const auto args = ReadToolArgs(tool, QCoreApplication::arguments().mid(1), status);
    if (!args) return status;
    const bool ifMissing = args->Has(QStringLiteral("--if-missing"));
    const bool server = args->Has(QStringLiteral("--server"));
    if (server && ifMissing)
        return RefuseTool(tool, QStringLiteral("--if-missing is for a book file, not --server"));
    if (server) {
        const Place place = PlaceOf(args->names.first());
        if (!place.server)
            return RefuseTool(tool, QStringLiteral("--server takes a settings file (*.ini)"));
        try {
            PgEngine::CreateTables(ConnString::Parse(place.connectionString));
        } catch (const std::exception& e) {
            return FailTool(tool, QString::fromUtf8(e.what()));
        }
        std::printf("created the address book tables in %s\n", qPrintable(place.shown));
        return 0;
    }
    const QString file = args->names.first();
    if (QFileInfo::exists(file)) {
        if (ifMissing) return 0;
        return RefuseTool(tool, QStringLiteral("%1 already exists; it is left as it is").arg(file));
    }
    try {
        Schema::CreateDatabase(file, QString::fromLatin1(kDatabasePassword));
    } catch (const std::exception& e) {
        return FailTool(tool, QString::fromUtf8(e.what()));
    }
    std::printf("created %s\n", qPrintable(file));
    return 0;
}
