#include "printing/sticker.h"

#include "platform/vb.h"
#include "printing/printfile.h"

namespace {

const QString kStickerMargin = QStringLiteral("     ");
constexpr int kEnvelopeTopLines = 12;
constexpr int kEnvelopeMargin = 40;

// The slots in print order, upper-cased by slot: with the attention line
// address lines 1 and 2 are in capitals, without it lines 2 and 3.
QStringList AddressSlots(const AddressBlock& p, bool markAttn) {
    if (markAttn) return {p.contact, p.name, UCase(p.adrs1), UCase(p.adrs2), p.adrs3, p.cityLine};
    return {p.name, p.adrs1, UCase(p.adrs2), UCase(p.adrs3), p.cityLine};
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

QStringList AddressBlockLines(const AddressBlock& party, bool markAttn, bool withPhone) {
    QStringList values = AddressSlots(party, markAttn);
    if (withPhone) values.append(party.phoneLine);
    QStringList lines;
    for (const QString& value : values)
        if (!Trim(value).isEmpty()) lines.append(value);
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
