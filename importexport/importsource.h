#pragma once
// Reading a contacts file for an import: CSV or vCard, told apart by their
// content, decoded, limited in size, and turned into party records.

#include "importexport/csv.h"
#include "party/importplan.h"

struct ContactsFile {
    bool vcard = false;
    QString encoding;
    CsvTable csv;            // for CSV: once mapped, only its first records (see sampled)
    bool sampled = false;    // csv was cut to its first records, read again for a new mapping
    QStringList header;      // the first CSV record ("Column 1" ... when it is data)
    bool headerless = false; // the first record is data, not a header
    QVector<PartyField> mapping;
    ImportSource source; // the records through the mapping
    QString error;       // the file cannot be imported at all
    QString text;        // the decoded CSV text, for another delimiter or mapping
    QByteArray packed;   // the same as UTF-8 while it waits (half the memory)
    // What the letters may have suffered: the encoding was the detector's
    // guess, or some bytes could not be read in it (U+FFFD stands for them).
    bool guessed = false;
    QList<int> unreadable; // lines of the records holding U+FFFD
    QList<int> doubtful;   // guessed: lines of the records holding letters beyond ASCII
};

// Reads and decodes the file; a file too large or not text is refused.
// `encoding`, when given, is the one the user chose to read it in.
ContactsFile ReadContactsFile(const QString& path, const ReadProgress& progress = {},
                              const QString& encoding = {});
// The same from bytes already read (the name only tells the kind apart).
ContactsFile ReadContacts(QByteArray bytes, const QString& name, const ReadProgress& progress = {},
                          const QString& encoding = {});
// What the window says about the letters of the file; empty when they
// were read without doubt.
QString EncodingWarning(const ContactsFile& file);
// Whether the CSV records can be read again (another delimiter, mapping).
bool CanReadAgain(const ContactsFile& file);
// Re-reads the CSV records through another delimiter or mapping.
void ApplyDelimiter(ContactsFile& file, QChar delimiter, const ReadProgress& progress = {});
void ApplyMapping(ContactsFile& file, const QVector<PartyField>& mapping,
                  const ReadProgress& progress = {});

QString DelimiterName(QChar delimiter);
