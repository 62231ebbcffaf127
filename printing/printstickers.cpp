// The printing form's output: stickers or an envelope for the loaded party,
// written to the print file and handed to the print batch.

#include "data/connmodule.h"
#include "party/stickerrow.h"
#include "platform/errors.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "platform/vb.h"
#include "platform/writefailure.h"
#include "printing/frmprntrpt.h"
#include "printing/printfile.h"
#include "printing/sticker.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <stdexcept>

void FrmPrntrpt::SaveContactPerson() {
    if (Trim(TxtCntact1->text()) == Trim(OrigContact)) return;
    if (MsgBox(tr("Save Changes to the concern file(s)?"), vbYesNo, tr("Contact Person's Name")) !=
        vbYes)
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
            ReportWriteFailure(
                this, tr("The contact person could not be saved, so nothing was printed."), e);
            return false;
        }
    }
    try {
        if (RsPrint.State() == adStateOpen) RsPrint.Close();
        RsPrint.Open(StickerQuery(AdrsId, withContact), Conn, adOpenStatic, adLockBatchOptimistic);
        if (RsPrint.RecordCount() < 1) {
            MsgBox(tr("Nothing was printed: the party could not be found with its city. "
                      "It may have been deleted, or its city may be missing."),
                   vbInformation, Caption());
            return false;
        }
        RsPrint.MoveFirst();
        party = ReadStickerRow(RsPrint, withContact, TxtCntact->text());
    } catch (const std::exception& e) {
        ReportFailure(this, tr("The party could not be read for printing."), e);
        return false;
    }
    return true;
}

bool FrmPrntrpt::WritePrint(const QByteArray& bytes) {
    try {
        WritePrintFile(PrintFilePath(), bytes);
        return true;
    } catch (const std::exception& e) {
        ReportFailure(this, tr("The print file could not be written."), e);
        return false;
    }
}

// Hands the print file to the print batch. The status bar says that `what`
// (when not empty) was sent to the printer once the batch has done so, or
// that it was written but not printed, and why, followed by `note`. False
// when the batch could not be started at all (said in a box).
bool FrmPrntrpt::StartPrintBatch(const QString& what, const QString& note) {
    const QString batch = PrintBatchPath();
    const QString file = QDir::toNativeSeparators(PrintFilePath());
    Shell::BatchDone done;
    if (!what.isEmpty()) {
        ShowStatus(tr("%1: handing the print file to the printer…").arg(what));
        done = [self = QPointer<FrmPrntrpt>(this), run = PrintRun, what, note,
                file](const Shell::BatchOutcome& outcome) {
            // A later Print, or a closed window, has the status bar now.
            if (!self || self->PrintRun != run) return;
            self->ShowStatus((outcome.ok ? tr("%1 sent to the printer").arg(what)
                                         : QStringLiteral("%1 written to %2 but not printed: %3")
                                               .arg(what, file, outcome.why)) +
                             note);
        };
    }
    if (Shell::StartHidden(batch, done)) return true;
    ShowStatus(QString());
    ReportFailure(
        this, tr("The print batch could not be started."),
        std::runtime_error(tr("%1 is missing or could not be run.").arg(batch).toStdString()));
    return false;
}

// What the status bar adds when the print file had to put "?" for letters
// the text printer cannot print.
QString FrmPrntrpt::UnprintableNote(const QStringList& lines) {
    const int count = CountUnprintable(lines);
    if (count == 0) return {};
    return count == 1 ? tr("; 1 line contains letters the text printer cannot print: use "
                           "Print on sheet")
                      : tr("; %1 lines contain letters the text printer cannot print: use "
                           "Print on sheet")
                            .arg(count);
}

// The copies count stays as the copies field shows it, so Print again
// prints the same number again.
void FrmPrntrpt::PrintStickers() {
    AddressBlock party;
    if (!ReadPartyForPrint(party, MarkAttn)) return;
    if (!WritePrint(StickerSheet(party, MarkAttn, Copies))) return;
    // A print of nothing must not pass for a print.
    if (Copies <= 0) {
        if (StartPrintBatch({}, {})) ShowStatus(tr("Nothing printed: the number of copies is 0"));
        return;
    }
    StartPrintBatch(Copies == 1 ? tr("1 sticker") : tr("%1 stickers").arg(Copies),
                    UnprintableNote(AddressBlockLines(party, MarkAttn)));
}

void FrmPrntrpt::PrintEnvelope() {
    AddressBlock party;
    if (!ReadPartyForPrint(party, MarkAttn)) return;
    if (!WritePrint(EncodeLines(EnvelopeLines(party, MarkAttn)))) return;
    StartPrintBatch(tr("Envelope"), UnprintableNote(AddressBlockLines(party, MarkAttn, false)));
}
