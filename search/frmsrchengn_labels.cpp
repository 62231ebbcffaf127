// Labels for the whole result: every party the last search found, on a
// sheet of labels or on envelopes, handed to the label window.

#include "data/connmodule.h"
#include "party/partyblocks.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "search/frmsrchengn.h"

#include <QSet>

QList<Integer> FrmSrchEngn::ResultPartyIds() {
    QList<Integer> ids;
    if (ResultStatement.isEmpty() || LstvewSrch->Count() < 1) return ids;
    Recordset rs;
    rs.Open(ResultStatement, Conn, adOpenStatic, adLockBatchOptimistic);
    QSet<Integer> seen;
    while (!rs.Eof()) {
        if (!rs.Fields("adrsname").IsNull()) {
            const Integer id = CInt(rs.Fields("adrsid").Value());
            if (!seen.contains(id)) {
                seen.insert(id);
                ids.append(id);
            }
        }
        rs.MoveNext();
    }
    return ids;
}

void FrmSrchEngn::CmdLabels_Click() {
    const QList<Integer> ids = ResultPartyIds();
    if (ids.isEmpty()) {
        MsgBox(tr("The list holds no party to print: search first."), vbInformation, Caption());
        return;
    }
    int leftOut = 0;
    const QList<AddressBlock> parties = ReadPartyBlocks(ids, leftOut);
    emit LabelsWanted(parties, 1, false, LabelSummary(parties, leftOut));
}
