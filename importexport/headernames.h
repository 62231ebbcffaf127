#pragma once
// The column headers that address books, mail clients and webmail write in
// their CSV exports (English, German, French, Spanish and Hindi spellings),
// what each column holds, and the field of a party it feeds.

#include "party/partyrecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

enum class Header {
    None,
    PartyName, // this program's own "Party Name"
    Company,
    FullName, // a person's whole name ("Display Name")
    GivenName,
    MiddleName,
    FamilyName,
    ContactPerson,
    JobTitle,
    Street,
    Area,
    LandMark,
    City,
    State,
    PostalCode,
    Country,
    Vat,
    WorkPhone,
    HomePhone,
    Phone,
    Mobile,
    Fax,
    Email,
    OtherEmail, // "E-mail 2 Address", "Secondary Email"
    Web,
    Notes,
    Groups,
    Uid,
};

// The header's meaning; letter case, blanks and punctuation are ignored.
Header HeaderOf(const QString& header);
// The field a column of that meaning feeds: company and person go to the
// party name, the person's name parts to the contact person, a job title to
// the notes, every kind of land line to the land line.
PartyField FieldOf(Header header);
// Whether the first record of a file is data rather than a header: no field
// is a known header and some field looks like data (an e-mail or web
// address, a number).
bool FirstRecordIsData(const QStringList& record);
// The fields of a file without a header, guessed from the values of the
// first records: e-mail and web addresses, phone numbers (land line, then
// mobile, then fax), the first column of words as the party name. The
// other columns are left for the user.
QVector<PartyField> MappingByContent(const QList<QStringList>& records);
