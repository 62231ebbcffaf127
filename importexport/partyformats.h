#pragma once
// Parties to and from the two file formats: a CSV record per party with the
// readable column names as header, or one vCard per party.

#include "importexport/csv.h"
#include "importexport/partyrecord.h"
#include "importexport/vcard.h"

#include <QVector>

// The header record of an export: every field's caption.
QStringList CsvHeader();
QStringList CsvFields(const PartyRecord& party);

// The field each column of a CSV file feeds, guessed from its header
// (Count for a column left out).
QVector<PartyField> GuessMapping(const QStringList& header);
// The records after the header, through a mapping; a field fed by several
// columns gets their values joined by a blank (groups by "; ").
PartyRecord RecordFromCsv(const QStringList& fields, const QVector<PartyField>& mapping);

enum class VCardVersion { V3, V4 };
// One card, folded and ended with CR LF.
QString VCardText(const PartyRecord& party, VCardVersion version);
// A card as a party. Numbers beyond the first land line, mobile and fax
// are left out and said so in `notice`.
PartyRecord RecordFromVCard(const VCard& card, QString* notice);
