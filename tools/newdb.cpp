// adrsbook-newdb [--if-missing] FILE
// Creates a fresh, empty address book database file with its four tables,
// keyed with the program's password. An existing file is never touched:
// with --if-missing that is quietly fine, otherwise it is an error.

#include "data/connmodule.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: adrsbook-newdb [--if-missing] FILE\n");
        return 2;
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
