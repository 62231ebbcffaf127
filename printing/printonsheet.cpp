// The printing form's labels: the loaded party on a sheet of labels or an
// envelope, handed to the label window.

#include "party/partyblocks.h"
#include "platform/errors.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/vb.h"
#include "printing/frmprntrpt.h"

#include <QLabel>
#include <QLineEdit>

// The copies the form shows, at least one.
void FrmPrntrpt::CmdSheet_Click() {
    if (Trim(TxtName->text()).isEmpty()) {
        MsgBox(tr("Select a record"), vbInformation, tr("Error Handler"));
        LstvewPrnt->setFocus();
        return;
    }
    AddressBlock party;
    if (!ReadPartyForPrint(party, true)) return;
    try {
        ReadCityAndPin(party, AdrsId);
    } catch (const std::exception& e) {
        ReportFailure(this, tr("The party could not be read for printing."), e);
        return;
    }
    const int copies = Copies > 0 ? Copies : qMax(1, Trim(txtNoco->text()).toInt());
    emit LabelsWanted({party}, copies, MarkAttn, LabelSummary({party}, 0));
}
