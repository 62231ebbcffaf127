// adrsbook-copy [--] FROM TO
// Copies an address book between a keyed book file and a database server:
// a book file into an empty server database (its tables are made when it
// has none), or a server database into a new book file. FROM and TO are
// book files or settings files (*.ini) naming a server, as beside the
// program. At the end every table's row count and digest is printed for
// both sides and compared; any difference is an error. A FROM that is no
// address book, or a TO file that exists, is refused with exit status 2.

#include "data/bookcopy.h"
#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/pgengine.h"
#include "data/schema.h"
#include "tools/place.h"
#include "tools/toolargs.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const ToolSyntax tool{"adrsbook-copy",
                          "adrsbook-copy [--] FROM TO   (each a book file or a settings .ini "
                          "naming a server)",
                          {},
                          {},
                          2,
                          2};
    int status = 0;
    const auto args = ReadToolArgs(tool, QCoreApplication::arguments().mid(1), status);
    if (!args) return status;
    const QString fromName = args->names[0], toName = args->names[1];
    const Place from = PlaceOf(fromName), to = PlaceOf(toName);
    if (!to.server && QFileInfo::exists(toName))
        return RefuseTool(
            tool,
            QStringLiteral("%1 already exists; a copy goes into a new book file").arg(toName));
    // The book copied from is opened first: one that cannot be used leaves
    // nothing behind.
    Connection source;
    try {
        source.Open(from.connectionString);
        Schema::RequireTables(source);
    } catch (const std::exception& e) {
        return RefuseTool(tool, QString::fromUtf8(e.what()));
    }
    try {
        if (!to.server)
            Schema::CreateDatabase(QFileInfo(toName).absoluteFilePath(),
                                   QString::fromLatin1(kDatabasePassword));
        Connection target;
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
            if (!to.server) QFile::remove(QFileInfo(toName).absoluteFilePath());
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
        if (!same) return FailTool(tool, QStringLiteral("the copy differs from ") + from.shown);
        std::printf("copied %s to %s: every table the same\n", qPrintable(from.shown),
                    qPrintable(to.shown));
    } catch (const std::exception& e) {
        return FailTool(tool, QString::fromUtf8(e.what()));
    }
    return 0;
}
