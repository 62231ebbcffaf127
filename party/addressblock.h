#pragma once
// A party's address as every printed form of it shows it: the attention
// line, the name, three address lines, "CITY (STATE), COUNTRY" and the phone
// line. The stickers, the labels, the envelopes and the exports read it.

#include <QList>
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

// The slots of the block in print order, upper-cased by slot (with the
// attention line address lines 1 and 2 are in capitals, without it lines 2
// and 3), empty ones kept: the sticker counts them.
QStringList AddressSlots(const AddressBlock& party, bool markAttn);

// The address block as a sticker prints it, without margin or fillers: the
// slots in print order (upper-cased by slot), empty ones left out; the phone
// line last when `withPhone`. Labels on sheets print the same lines.
QStringList AddressBlockLines(const AddressBlock& party, bool markAttn, bool withPhone = true);
// The same lines, each with what it holds.
QList<BlockLine> AddressBlockParts(const AddressBlock& party, bool markAttn, bool withPhone = true);
