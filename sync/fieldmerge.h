#pragma once
// Two changes of one party, made on the desk and on the contacts server
// since the last sync, merged field by field.

#include "party/partyrecord.h"

#include <QList>

// Whether two stored values of a field are the same party data: notes
// differing only in CR LF against LF are, and so are groups listed in
// another order or letter case.
bool SameValue(PartyField field, const QString& a, const QString& b);

struct FieldMerge {
    PartyRecord merged; // fitted; the UID is the desk's
    // Changed on both sides to different values: the desk's value is kept.
    QList<PartyField> conflicts;
    // Where the merged party differs from the server's (to send) and from
    // the desk's (to store). A field changed on both sides to the same value
    // is in neither.
    QList<PartyField> deskChanged, serverChanged;
};

// A field changed on one side only takes that side's value; changed on both
// to different values, the desk's. City, state and country go together (a
// city is named with its state and country). Groups merge as sets: what
// either side added is in, what either side took out is out, so they never
// conflict. The records are fitted first (FitParty), so that "Sharma
// Traders" and "SHARMA TRADERS" are one value.
FieldMerge MergeFields(const PartyRecord& base, const PartyRecord& desk, const PartyRecord& server);
