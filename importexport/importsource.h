#pragma once
// Reading a contacts file for an import: CSV or vCard, told apart by their
// content, decoded, limited in size, and turned into party records.

#include "importexport/csv.h"
#include "importexport/importplan.h"

struct ContactsFile {
    bool vcard = false;
    QString encoding;
    CsvTable csv;       // for CSV
    QStringList header; // the first CSV record
    QVector<PartyField> mapping;
    ImportSource source; // the records through the mapping
    QString error;       // the file cannot be imported at all
    QString text;        // the decoded CSV text, for another delimiter
};

// Reads and decodes the file; a file too large or not text is refused.
ContactsFile ReadContactsFile(const QString& path, const ReadProgress& progress = {});
// The same from bytes already read (the name only tells the kind apart).
ContactsFile ReadContacts(const QByteArray& bytes, const QString& name,
                          const ReadProgress& progress = {});
// Re-reads the CSV records through another delimiter or mapping.
void ApplyDelimiter(ContactsFile& file, QChar delimiter, const ReadProgress& progress = {});
void ApplyMapping(ContactsFile& file, const QVector<PartyField>& mapping,
                  const ReadProgress& progress = {});

QString DelimiterName(QChar delimiter);
