#pragma once
// Parties to and from the two file formats: a CSV record per party with the
// readable column names as header, or one vCard per party.

#include "importexport/csv.h"
#include "party/vcardparty.h"
#include "party/partyrecord.h"

#include <QVector>

// The header record of an export: every field's caption.
QStringList CsvHeader();
QStringList CsvFields(const PartyRecord& party);

// The field each column of a CSV file feeds, guessed from its header
// (Count for a column left out).
QVector<PartyField> GuessMapping(const QStringList& header);
// A record through a mapping. A field fed by several columns gets their
// values joined by a blank (groups by "; "), except where the header says
// more: name parts in the order given, middle, family; a company makes the
// person its contact; of several land lines a work number before a home one
// before any other; a job title, further numbers and further e-mail
// addresses (also of one field holding several) go to the notes, and what
// finds no room there is said in `notice`.
PartyRecord RecordFromCsv(const QStringList& fields, const QVector<PartyField>& mapping,
                          const QStringList& header = {}, QString* notice = nullptr);
