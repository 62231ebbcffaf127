// The printing form's output: stickers or an envelope for the loaded party,
// written to the print file and handed to the print batch.

#include "data/connmodule.h"
#include "platform/errors.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "platform/vb.h"
#include "printing/frmprntrpt.h"
#include "printing/printfile.h"
#include "printing/sticker.h"
#include "printing/stickerrow.h"

#include <QLabel>
#include <QLineEdit>
#include <stdexcept>

void FrmPrntrpt::SaveContactPerson() {
    if (Trim(TxtCntact1->text()) == Trim(OrigContact)) return;
    if (MsgBox(QStringLiteral("Save Changes to the concern file(s)?"), vbYesNo,
               QStringLiteral("Contact Person's Name")) != vbYes)
        return;
    if (RsPrint.State() == adStateOpen) RsPrint.Close();
    RsPrint.Open(QStringLiteral("Select * from adrsmstr where adrsid like '") +
                     QString::number(AdrsId) + QStringLiteral("'"),
                 Conn, adOpenStatic, adLockBatchOptimistic);
    RsPrint.Fields("adrscontact") = QVariant(Trim(TxtCntact1->text()));
    RsPrint.UpdateBatch(adAffectAllChapters);
}

// Offers to store an edited contact person, then reads the party with its
// city (and its contact person when `withContact`). False when there is
// nothing to print; the user has been told why.
bool FrmPrntrpt::ReadPartyForPrint(AddressBlock& party, bool withContact) {
    if (MarkAttn) {
        try {
            SaveContactPerson();
        } catch (const std::exception& e) {
            ReportFailure(
                this,
                QStringLiteral("The contact person could not be saved, so nothing was printed."),
                e);
            return false;
        }
    }
    try {
        if (RsPrint.State() == adStateOpen) RsPrint.Close();
        RsPrint.Open(StickerQuery(AdrsId, withContact), Conn, adOpenStatic, adLockBatchOptimistic);
        if (RsPrint.RecordCount() < 1) {
            MsgBox(
                QStringLiteral("Nothing was printed: the party could not be found with its city. "
                               "It may have been deleted, or its city may be missing."),
                vbInformation, Caption());
            return false;
        }
        RsPrint.MoveFirst();
        party = ReadStickerRow(RsPrint, withContact, TxtCntact->text());
    } catch (const std::exception& e) {
        ReportFailure(this, QStringLiteral("The party could not be read for printing."), e);
        return false;
    }
    return true;
}

bool FrmPrntrpt::WritePrint(const QByteArray& bytes) {
    try {
        WritePrintFile(PrintFilePath(), bytes);
        return true;
    } catch (const std::exception& e) {
        ReportFailure(this, QStringLiteral("The print file could not be written."), e);
        return false;
    }
}

bool FrmPrntrpt::StartPrintBatch() {
    const QString batch = PrintBatchPath();
    if (Shell::StartHidden(batch)) return true;
    ReportFailure(
        this, QStringLiteral("The print batch could not be started."),
        std::runtime_error(
            QStringLiteral("%1 is missing or could not be run.").arg(batch).toStdString()));
    return false;
}

// The copies count stays as the copies field shows it, so Print again
// prints the same number again.
void FrmPrntrpt::PrintStickers() {
    AddressBlock party;
    if (!ReadPartyForPrint(party, MarkAttn)) return;
    if (!WritePrint(StickerSheet(party, MarkAttn, Copies))) return;
    if (!StartPrintBatch()) return;
    // A print of nothing must not pass for a print.
    if (Copies <= 0)
        ShowStatus(QStringLiteral("Nothing printed: the number of copies is 0"));
    else if (Copies == 1)
        ShowStatus(QStringLiteral("1 sticker sent to the printer"));
    else
        ShowStatus(QStringLiteral("%1 stickers sent to the printer").arg(Copies));
}

void FrmPrntrpt::PrintEnvelope() {
    AddressBlock party;
    if (!ReadPartyForPrint(party, MarkAttn)) return;
    if (!WritePrint(EncodeLines(EnvelopeLines(party, MarkAttn)))) return;
    if (StartPrintBatch()) ShowStatus(QStringLiteral("Envelope sent to the printer"));
}
