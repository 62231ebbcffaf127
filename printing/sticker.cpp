#include "printing/sticker.h"

#include "platform/vb.h"
#include "printing/printfile.h"

namespace {

const QString kStickerMargin = QStringLiteral("     ");
constexpr int kEnvelopeTopLines = 12;
constexpr int kEnvelopeMargin = 40;

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

QStringList AddressSlots(const AddressBlock& p, bool markAttn) {
    QStringList texts;
    for (const BlockLine& line : SlotParts(p, markAttn))
        texts.append(line.text);
    return texts;
}

} // namespace

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

QStringList StickerLines(const AddressBlock& party, bool markAttn) {
    const qsizetype slotCount = AddressSlots(party, markAttn).size() + 1; // and the phone line
    QStringList lines;
    for (const QString& value : AddressBlockLines(party, markAttn))
        lines.append(kStickerMargin + value);
    const qsizetype fillers = slotCount - lines.size() + (markAttn ? 2 : 3);
    for (qsizetype i = 0; i < fillers; ++i)
        lines.append(kStickerMargin);
    return lines;
}

QByteArray StickerSheet(const AddressBlock& party, bool markAttn, int copies) {
    if (copies <= 0) return QByteArray();
    return EncodeLines(StickerLines(party, markAttn)).repeated(copies);
}

QStringList EnvelopeLines(const AddressBlock& party, bool markAttn) {
    QStringList lines;
    for (int i = 0; i < kEnvelopeTopLines; ++i)
        lines.append(QString());
    const QString margin(kEnvelopeMargin, u' ');
    for (const QString& value : AddressSlots(party, markAttn))
        if (!Trim(value).isEmpty()) lines.append(margin + value);
    return lines;
}
