#pragma once
// A party as a contacts file carries it, field by field, and the rules that
// turn it into what the address master could have saved: the same lengths,
// upper case where the address master upper-cases typed letters, one-line
// fields on one line, a name, an address and a city present.

#include <QString>
#include <QStringList>
#include <array>

enum class PartyField {
    Name,
    Contact,
    Address,
    Area,
    LandMark,
    City,
    State,
    Country,
    Pin,
    Vat,
    Phone,
    Mobile,
    Fax,
    Email,
    Web,
    Notes,
    Groups,
    Uid,
    Count
};
constexpr int kPartyFields = int(PartyField::Count);

// The column of the party table that stores a field, as the address master
// reads and writes it; nullptr for what is stored elsewhere (the city, its
// state and country, the groups) or made from the row (the UID).
const char* PartyColumn(PartyField field);

struct PartyRecord {
    std::array<QString, kPartyFields> v;
    QString& operator[](PartyField f) { return v[size_t(f)]; }
    const QString& operator[](PartyField f) const { return v[size_t(f)]; }
    QStringList GroupNames() const; // the groups field split on ";" or " ::: "
};
// Moved in memory as it stands: a list of thousands grows without copying.
Q_DECLARE_TYPEINFO(PartyRecord, Q_RELOCATABLE_TYPE);

// The readable column name of a field ("Party Name"), used as the CSV
// header on export and in the mapping of an import.
QString FieldCaption(PartyField field);
// The field a CSV header names, or Count when it names none. Common
// spellings of spreadsheet and phone exports are recognised.
PartyField GuessField(const QString& header);

struct FittedParty {
    PartyRecord party;   // the values as they will be stored
    QStringList groups;  // group names as the group master stores them
    QString invalid;     // why the party cannot be stored; empty when it can
    QStringList cut;     // captions of the fields that were shortened
    QStringList compact; // captions of the numbers stored in their compact form
};

// Applies the address master's rules to a record read from a file.
FittedParty FitParty(const PartyRecord& record);
// Upper-cases letter by letter as the windows do for typed text.
QString UpperTyped(const QString& text);
// Cuts a text to `length` UTF-16 code units without splitting a character.
QString CutTo(const QString& text, int length);
// Adds whole items to the notes after `label`, as many as the notes box
// holds; returns how many were left out.
int AddToNotes(QString& notes, const QString& label, const QStringList& items);
