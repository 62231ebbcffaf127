#pragma once
// Files written into the test book's folder and imported as the window
// would import them, without the window.

#include "data/connmodule.h"
#include "party/bookdata.h"
#include "importexport/exportfile.h"
#include "importexport/importsource.h"
#include "party/importwriter.h"
#include "support/fixture.h"

#include <QFile>
#include <QTest>

inline QString WriteFile(const TestBook& book, const QString& name, const QByteArray& bytes) {
    const QString path = book.Path(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot write");
    return path;
}

inline QList<ImportRow> PlanFile(const QString& path, ContactsFile* read = nullptr) {
    ContactsFile file = ReadContactsFile(path);
    if (read) *read = file;
    return PlanImport(file.source, ReadBook(*Conn));
}

// Plans and stores a file with every duplicate given `choice`.
inline ImportResult ImportFile(const QString& path, DuplicateChoice choice = DuplicateChoice::Skip,
                               QList<int> groups = {}) {
    QList<ImportRow> plan = PlanFile(path);
    for (ImportRow& r : plan)
        r.choice = choice;
    ImportOptions options;
    options.groupIds = groups;
    return ApplyImport(*Conn, plan, options);
}

inline QByteArray ExportAll(ExportFormat format) {
    const BookData book = ReadBook(*Conn);
    QList<int> ids;
    for (const BookParty& p : book.parties)
        ids.append(p.id);
    return ExportBytes(book, ids, format);
}

// The book's parties with their cities and groups, ids and UIDs left out.
inline QStringList Contents() {
    QStringList out;
    for (const BookParty& p : ReadBook(*Conn).parties) {
        PartyRecord r = p.record;
        r[PartyField::Uid].clear();
        QStringList groups = r.GroupNames();
        groups.sort();
        r[PartyField::Groups] = groups.join(u';');
        out.append(QStringList(r.v.begin(), r.v.end()).join(u'|'));
    }
    out.sort();
    return out;
}
