#include "party/partyblocks.h"

#include "data/connmodule.h"
#include "data/recordset.h"
#include "party/stickerrow.h"
#include "platform/vb.h"

#include <QCoreApplication>
#include <QHash>

namespace {

const QString kCityAndPin =
    QStringLiteral("Select adrsmstr.adrsid, cscmstr.ctyname, adrsmstr.adrspin from adrsmstr, "
                   "cscmstr where adrsmstr.adrsctyid = cscmstr.ctyid");

void TakeCityAndPin(Recordset& rs, AddressBlock& party) {
    party.city = Trim(rs.Fields(1).Str());
    party.pin = Trim(rs.Fields(2).Str());
}

} // namespace

QList<AddressBlock> ReadPartyBlocks(const QList<Integer>& ids, int& leftOut) {
    QList<AddressBlock> parties;
    QMultiHash<Integer, qsizetype> blockOf; // the party's id: its block
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
            blockOf.insert(id, parties.size());
            parties.append(ReadStickerRow(rs, true, QString()));
        }
        // Every party's city and PIN in one statement: one for each party
        // would cost as much again as the blocks.
        rs.Close();
        rs.Open(kCityAndPin, Conn, adOpenStatic, adLockBatchOptimistic);
        for (; !rs.Eof(); rs.MoveNext())
            for (qsizetype at : blockOf.values(Integer(rs.Fields(0).Value().toInt())))
                TakeCityAndPin(rs, parties[at]);
    });
    return parties;
}

void ReadCityAndPin(AddressBlock& party, Integer id) {
    Recordset rs;
    rs.Open(kCityAndPin + QStringLiteral(" and adrsmstr.adrsid like '") + QString::number(id) +
                QStringLiteral("'"),
            Conn, adOpenStatic, adLockBatchOptimistic);
    if (!rs.Eof()) TakeCityAndPin(rs, party);
}

QString LabelSummary(const QList<AddressBlock>& parties, int leftOut) {
    QString summary =
        parties.size() == 1
            ? QCoreApplication::translate("FrmLabels", "Labels for %1").arg(parties.first().name)
            : QCoreApplication::translate("FrmLabels", "Labels for %1 parties").arg(parties.size());
    if (leftOut == 1)
        summary +=
            QCoreApplication::translate("FrmLabels", " (1 party left out: its city is missing)");
    else if (leftOut > 1)
        summary += QCoreApplication::translate("FrmLabels",
                                               " (%1 parties left out: their city is missing)")
                       .arg(leftOut);
    return summary;
}
