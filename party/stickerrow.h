#pragma once
// The party row that stickers and labels print: the print query, in its
// stored pieces, and the address block read from its row.

#include "data/ids.h"
#include "party/addressblock.h"

class Recordset;

// The party with its city line; `withContact` also reads the contact person.
// A party whose city is missing, or that is marked deleted, gives no row.
QString StickerQuery(Integer adrsId, bool withContact);

// The block from the current row of a recordset opened on StickerQuery. A
// Null contact column gives `contactFallback` instead.
AddressBlock ReadStickerRow(Recordset& rs, bool withContact, const QString& contactFallback);
