#pragma once
// Phone numbers as contacts files write them, read with libphonenumber: the
// region a number without a country code belongs to (a setting, India
// unless changed), the compact international form (E.164, "+911612401234")
// a number takes when it is too long for its box as written, and which box
// each number of a vCard goes to.

#include <QList>
#include <QString>
#include <QStringList>

// The two-letter region of numbers written without a country code ("IN"),
// kept in the user's settings (adrsbook/import, key phone/region).
QString PhoneRegion();
// Stores a region; false (and nothing changed) for a code the phone-number
// library does not know.
bool SetPhoneRegion(const QString& region);

// The number in its compact international form, "x" and the extension
// after it ("+911612401234x55"); empty when the text is no possible number
// (too short or too long, words in it). `region` empty: PhoneRegion().
QString CompactNumber(const QString& number, const QString& region = QString());

// The number as a box of `length` characters stores it: as written when it
// fits, else in its compact form when that fits, else empty. A number is
// never shortened.
QString FitNumber(const QString& number, int length, const QString& region = QString());

// A TEL line of a vCard: lower-case types ("cell", "work", "pref") and the
// other parameters as NAME=value ("PREF=1").
struct CardNumber {
    QString number;
    QStringList types;
    QStringList params;
};

// The boxes filled from a card's numbers: a cell number goes to the mobile;
// a work, home, voice or untyped number to the land line, in that order of
// preference; a fax number to the fax; a preferred number (PREF, pref=1)
// before the others of its box, else the first in the file. The rest are
// kept, with their types, for the notes ("home: 0161-2401234").
struct PlacedNumbers {
    QString phone, mobile, fax;
    QStringList others;
    int phoneAt = -1, mobileAt = -1, faxAt = -1; // which of the numbers each box took
};
PlacedNumbers PlaceNumbers(const QList<CardNumber>& numbers);
