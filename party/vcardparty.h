#pragma once
// A party as one vCard and a vCard as a party: what export, import and the
// contacts server all write and read.

#include "party/partyrecord.h"
#include "party/vcard.h"

enum class VCardVersion { V3, V4 };
// One card, folded and ended with CR LF.
QString VCardText(const PartyRecord& party, VCardVersion version);

// Which property of a card gave which field: an index into the card's
// properties, -1 for none. What changes a field of a card on the contacts
// server changes the property it came from and no other.
struct VCardSources {
    int org = -1, fn = -1, n = -1, related = -1; // the name and the contact come from these
    QString orgName, fnName, nName;              // the names they give, trimmed
    int adr = -1;                                // the address lines, city, state, PIN and country
    int phone = -1, mobile = -1, fax = -1;
    int email = -1, web = -1, note = -1, vat = -1, uid = -1;
    QList<int> categories;
    QStringList others; // the further numbers, as the notes list them
};

// What starts the line of further numbers a card's party gets in its notes.
inline constexpr char kVCardOtherNumbers[] = "Other numbers: ";
// vCard has one line break, "\n"; notes typed with CR LF say so in this
// parameter, which other readers pass over.
inline constexpr char kVCardCrLfNote[] = "X-ADRSBOOK-BREAKS=CRLF";

// A card as a party. Its numbers go to their boxes as PlaceNumbers puts
// them; the others are added to the notes, and what finds no room there is
// said in `notice`.
PartyRecord RecordFromVCard(const VCard& card, QString* notice, VCardSources* sources = nullptr);
