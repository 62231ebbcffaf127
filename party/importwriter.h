#pragma once
// Stores a planned import in one transaction: all or nothing. Ids are taken
// inside the transaction (each the largest so far plus 1), and the 16-bit
// limits of parties, links, cities and groups are checked before the first
// row is written.

#include "party/importplan.h"

#include <functional>
#include <stdexcept>

class Connection;

struct ImportOptions {
    QList<int> groupIds;    // groups every stored party joins
    bool fileGroups = true; // also the groups the file names (created when new)
    // An update stores every field as the row has it, empty ones too, and
    // the groups the row names replace the party's (a row naming none keeps
    // them): the contacts server's card is the party, not an addition to it.
    bool exact = false;
};

struct ImportResult {
    int added = 0, updated = 0, skipped = 0, invalid = 0;
    int unchanged = 0; // updates that found the party as the file has it
    int citiesAdded = 0, groupsAdded = 0;
    QList<int> ids; // per row, the party it stored or updated; 0 for the others
};
// "Import finished: 2 parties added, 1 updated, 50 parties unchanged, ..."
QString ResultText(const ImportResult& result);

// Refused before anything was written: the text says what would not fit.
class ImportRefused : public std::runtime_error {
  public:
    explicit ImportRefused(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};
// The user stopped the import; nothing was written.
class ImportCancelled : public std::runtime_error {
  public:
    ImportCancelled() : std::runtime_error("cancelled") {}
};

// `progress(done, total)` is called now and then; returning false cancels.
using ImportProgress = std::function<bool(int done, int total)>;

// Rows that would be stored with no group at all.
int RowsWithoutGroup(const QList<ImportRow>& rows, const ImportOptions& options);

ImportResult ApplyImport(Connection& conn, const QList<ImportRow>& rows,
                         const ImportOptions& options, const ImportProgress& progress = {});
// The same inside a transaction the caller holds (and commits with its own
// writes, or rolls back).
ImportResult WriteImport(Connection& conn, const QList<ImportRow>& rows,
                         const ImportOptions& options, const ImportProgress& progress = {});
