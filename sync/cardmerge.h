#pragma once
// A party's changes written into the card the contacts server holds. A card
// may come from a phone and carry photos, birthdays, further numbers,
// labels and properties of other programs: the card sent back is that card
// with only the properties that carry the changed fields rewritten, added
// or removed; every other property stays byte for byte.

#include "party/partyrecord.h"
#include "sync/fieldmerge.h"
#include "sync/rawcard.h"

// The party a card gives, fitted to the address master's rules: what the
// book would store. `notice` says what did not fit (further numbers left
// out of the notes).
FittedParty PartyOfCard(const QByteArray& card, QString* notice = nullptr);

// The stored card with the fields where `now` (the desk's party) differs
// from `was` (the party the stored card gave) written in; values are
// compared fitted, so a desk's "SHARMA TRADERS" leaves the card's "Sharma
// Traders" alone. Properties added take the style of the card's VERSION and
// go before END; rewritten and added ones end with CR LF. The UID is never
// changed. A stored text that is no card gives NewCard(now).
//
// `readsOtherwise`, when given, gets the fields the merged card, read
// again, does not give as `now` has them: a cleared e-mail whose card holds
// a second one, which is then the party's e-mail; the notes, when a changed
// number moved another one into or out of the line of further numbers.
QByteArray MergeIntoCard(const QByteArray& stored, const PartyRecord& was, const PartyRecord& now,
                         QList<PartyField>* readsOtherwise = nullptr);

// A card for a party the server has none of yet: vCard 3.0, with `uid`.
QByteArray NewCard(const PartyRecord& party, const QString& uid);
