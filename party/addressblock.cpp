#include "party/addressblock.h"

#include "platform/vb.h"

namespace {

// The slots in print order, upper-cased by slot: with the attention line
// address lines 1 and 2 are in capitals, without it lines 2 and 3.
QList<BlockLine> SlotParts(const AddressBlock& p, bool markAttn) {
    using enum BlockPart;
    if (markAttn)
        return {{Attention, p.contact}, {Name, p.name},      {Address, UCase(p.adrs1)},
                {Area, UCase(p.adrs2)}, {LandMark, p.adrs3}, {City, p.cityLine}};
    return {{Name, p.name},
            {Address, p.adrs1},
            {Area, UCase(p.adrs2)},
            {LandMark, UCase(p.adrs3)},
            {City, p.cityLine}};
}

} // namespace

QStringList AddressSlots(const AddressBlock& p, bool markAttn) {
    QStringList texts;
    for (const BlockLine& line : SlotParts(p, markAttn))
        texts.append(line.text);
    return texts;
}

QString PhoneLine(const QString& phone, const QString& mobile) {
    const QString p = Trim(phone), m = Trim(mobile);
    if (!p.isEmpty() && !m.isEmpty())
        return QStringLiteral("(Ph)") + p + QStringLiteral(" (M)") + m;
    if (!p.isEmpty()) return QStringLiteral("(Ph) ") + p;
    if (!m.isEmpty()) return QStringLiteral("(M) ") + m;
    return QString();
}

QList<BlockLine> AddressBlockParts(const AddressBlock& party, bool markAttn, bool withPhone) {
    QList<BlockLine> values = SlotParts(party, markAttn);
    if (withPhone) values.append({BlockPart::Phone, party.phoneLine});
    values.removeIf([](const BlockLine& line) { return Trim(line.text).isEmpty(); });
    return values;
}

QStringList AddressBlockLines(const AddressBlock& party, bool markAttn, bool withPhone) {
    QStringList lines;
    for (const BlockLine& line : AddressBlockParts(party, markAttn, withPhone))
        lines.append(line.text);
    return lines;
}
