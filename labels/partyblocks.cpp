#include "labels/partyblocks.h"

#include "data/connmodule.h"
#include "data/recordset.h"
#include "printing/stickerrow.h"

QList<AddressBlock> ReadPartyBlocks(const QList<Integer>& ids, int& leftOut) {
    QList<AddressBlock> parties;
    leftOut = 0;
    Recordset rs;
    InOneRead(*Conn, [&] {
        for (Integer id : ids) {
            if (rs.State() == adStateOpen) rs.Close();
            rs.Open(StickerQuery(id, true), Conn, adOpenStatic, adLockBatchOptimistic);
            if (rs.RecordCount() < 1) {
                ++leftOut;
                continue;
            }
            rs.MoveFirst();
            parties.append(ReadStickerRow(rs, true, QString()));
        }
    });
    return parties;
}

QString LabelSummary(const QList<AddressBlock>& parties, int leftOut) {
    QString summary = parties.size() == 1
                          ? QStringLiteral("Labels for ") + parties.first().name
                          : QStringLiteral("Labels for %1 parties").arg(parties.size());
    if (leftOut == 1)
        summary += QStringLiteral(" (1 party left out: its city is missing)");
    else if (leftOut > 1)
        summary += QStringLiteral(" (%1 parties left out: their city is missing)").arg(leftOut);
    return summary;
}
