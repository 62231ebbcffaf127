#pragma once
// The layouts of the print file: address stickers, nine lines each, and a
// plain-text envelope. Both take the party's values as read for printing.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct AddressBlock {
    QString contact; // the attention line; printed only when attention is marked
    QString name;
    QString adrs1, adrs2, adrs3;
    QString cityLine;  // "CITY (STATE), COUNTRY", empty when a part is missing
    QString phoneLine; // see PhoneLine
    QString city;      // the city's name alone, and the party's PIN: read for
    QString pin;       // labels and envelopes on sheets, not for the print file
};

// What a line of the address block holds; labels leave the least important
// ones out when a block does not fit.
enum class BlockPart { Attention, Name, Address, Area, LandMark, City, Phone };
struct BlockLine {
    BlockPart part;
    QString text;
};

// "(Ph) P", "(M) M", "(Ph)P (M)M", or empty when there is neither number.
QString PhoneLine(const QString& phone, const QString& mobile);

// The address block as a sticker prints it, without margin or fillers: the
// slots in print order (upper-cased by slot), empty ones left out; the phone
// line last when `withPhone`. Labels on sheets print the same lines.
QStringList AddressBlockLines(const AddressBlock& party, bool markAttn, bool withPhone = true);
// The same lines, each with what it holds.
QList<BlockLine> AddressBlockParts(const AddressBlock& party, bool markAttn, bool withPhone = true);

// One sticker: exactly 9 lines behind a five-space margin. Empty slots are
// left out and made up for by margin-only lines after the last one written.
QStringList StickerLines(const AddressBlock& party, bool markAttn);

// `copies` identical stickers as the file holds them (none for 0 or less).
QByteArray StickerSheet(const AddressBlock& party, bool markAttn, int copies);

// One envelope: 12 blank lines, then the address block (no phone line),
// each line behind a margin of 40 spaces.
QStringList EnvelopeLines(const AddressBlock& party, bool markAttn);
