#pragma once
// What an import will do with each record of a file: store it as a new
// party, treat it as a duplicate of a party already in the book (or of an
// earlier record of the same file), or refuse it as invalid, with the
// reason. The user's choice for each duplicate is kept on its row.

#include "party/bookdata.h"
#include "party/progress.h"
#include "party/duplicates.h"

#include <QList>

enum class RowStatus { New, Duplicate, Invalid };
enum class DuplicateChoice { Skip, Update, Add };

struct ImportRow {
    int line = 0; // where the record starts in the file
    FittedParty fitted;
    RowStatus status = RowStatus::New;
    QString reason;       // invalid: why; duplicate: what matches; new: what was cut
    DuplicateMatch match; // a book party (id > 0) or an earlier row (id = -(row + 1))
    DuplicateChoice choice = DuplicateChoice::Skip;
};

struct ImportSource {
    QList<PartyRecord> records;
    QList<int> lines;
    QStringList notices;  // per record: what the reader cut (may be empty)
    QStringList warnings; // for the whole file
    QString format;       // "CSV (comma, UTF-8)" / "vCard"
};

QList<ImportRow> PlanImport(const ImportSource& source, const BookData& book,
                            const ReadProgress& progress = {});

// Text for the status column.
QString StatusText(RowStatus status);
QString ChoiceText(DuplicateChoice choice);

struct ImportCounts {
    int add = 0, update = 0, skip = 0, invalid = 0;
};
ImportCounts CountPlan(const QList<ImportRow>& rows);
