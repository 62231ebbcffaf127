#pragma once
// The address blocks of many parties at once, read as the stickers read
// one: with the contact person, the city line and the phone line; and for
// labels, the city's name and the PIN too.

#include "data/ids.h"
#include "party/addressblock.h"

#include <QList>

// One block per id, in the order given; a party without its city, or
// marked deleted, has no block and is counted in `leftOut`.
QList<AddressBlock> ReadPartyBlocks(const QList<Integer>& ids, int& leftOut);

// Reads the city's name and the PIN of party `id` into its block (the
// stickers' query reads neither).
void ReadCityAndPin(AddressBlock& party, Integer id);

// "Labels for <name>" for one party, else "Labels for <n> parties", and the
// parties left out when there are any.
QString LabelSummary(const QList<AddressBlock>& parties, int leftOut);
