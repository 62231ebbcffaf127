// adrsbook-copy FROM TO
// Copies an address book between a keyed book file and a database server:
// a book file into an empty server database (its tables are made when it
// has none), or a server database into a new book file. FROM and TO are
// book files or settings files (*.ini) naming a server, as beside the
// program. At the end every table's row count and digest is printed for
// both sides and compared; any difference is an error.

#include "data/bookcopy.h"
#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/pgengine.h"
#include "data/schema.h"
#include "tools/place.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: adrsbook-copy FROM TO   (a book file or a settings .ini "
                             "naming a server)\n");
        return 2;
    }
    const Place from = PlaceOf(args[0]), to = PlaceOf(args[1]);
    try {
        if (!to.server) {
            if (QFileInfo::exists(args[1])) {
                std::fprintf(stderr,
                             "adrsbook-copy: %s already exists; a copy goes into a new "
                             "book file\n",
                             qPrintable(args[1]));
                return 1;
            }
            Schema::CreateDatabase(QFileInfo(args[1]).absoluteFilePath(),
                                   QString::fromLatin1(kDatabasePassword));
        }
        Connection source, target;
        source.Open(from.connectionString);
        Schema::RequireTables(source);
        target.Open(to.connectionString);
        if (to.server && target.engine().MissingTables().size() == Schema::Tables().size()) {
            target.Close();
            PgEngine::CreateTables(ConnString::Parse(to.connectionString));
            target.Open(to.connectionString);
        }
        Schema::RequireTables(target);
        try {
            BookCopy::CopyRows(source, target);
        } catch (...) {
            target.Close();
            if (!to.server) QFile::remove(QFileInfo(args[1]).absoluteFilePath());
            throw;
        }
        const auto a = BookCopy::Summarise(source), b = BookCopy::Summarise(target);
        std::printf("%-14s %8s %8s  %s\n", "table", "from", "to", "digest (SHA-256 of the rows)");
        bool same = true;
        for (int i = 0; i < a.size(); ++i) {
            const bool ok = a[i] == b[i];
            same = same && ok;
            std::printf("%-14s %8d %8d  %s%s\n", qPrintable(a[i].table), a[i].rows, b[i].rows,
                        a[i].digest.left(16).constData(),
                        ok ? "" : qPrintable(QStringLiteral(" != ") + b[i].digest.left(16)));
        }
        if (!same) {
            std::fprintf(stderr, "adrsbook-copy: the copy differs from %s\n",
                         qPrintable(from.shown));
            return 1;
        }
        std::printf("copied %s to %s: every table the same\n", qPrintable(from.shown),
                    qPrintable(to.shown));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "adrsbook-copy: %s\n", e.what());
        return 1;
    }
    return 0;
}
