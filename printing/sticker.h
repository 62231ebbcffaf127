#pragma once
// The layouts of the print file: address stickers, nine lines each, and a
// plain-text envelope. Both take the party's values as read for printing.

#include "party/addressblock.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// One sticker: exactly 9 lines behind a five-space margin. Empty slots are
// left out and made up for by margin-only lines after the last one written.
QStringList StickerLines(const AddressBlock& party, bool markAttn);

// `copies` identical stickers as the file holds them (none for 0 or less).
QByteArray StickerSheet(const AddressBlock& party, bool markAttn, int copies);

// One envelope: 12 blank lines, then the address block (no phone line),
// each line behind a margin of 40 spaces.
QStringList EnvelopeLines(const AddressBlock& party, bool markAttn);
