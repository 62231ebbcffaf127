#include "printing/sticker.h"

#include "platform/vb.h"
#include "printing/printfile.h"

namespace {

const QString kStickerMargin = QStringLiteral("     ");
constexpr int kEnvelopeTopLines = 12;
constexpr int kEnvelopeMargin = 40;

} // namespace

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
