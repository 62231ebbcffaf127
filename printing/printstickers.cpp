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

#include <QLabel>
#include <QLineEdit>
#include <stdexcept>

namespace {

// The print query, in its stored pieces. The attention layout also reads
// the contact person; the city line is joined inside the statement, so a
// missing state or country makes the whole line Null.
const QString kSelectWithAttn =
    QStringLiteral("SELECT (adrsmstr.adrsname),(adrsmstr.adrscontact),");
const QString kSelectWithoutAttn = QStringLiteral("SELECT (adrsmstr.adrsname),");
const QString kAddressColumns =
    QStringLiteral(" (adrsmstr.adrs1), (adrsmstr.adrs2), (adrsmstr.adrs3), (adrsmstr.adrsphno),");
const QString kMobileCityWithAttn =
    QStringLiteral(" (adrsmstr.adrsmobno), (cscmstr.ctyname +' ('+ cscmstr.statename +')' +', '+ "
                   "cscmstr.contryname)From adrsmstr,");
const QString kMobileCityWithoutAttn =
    QStringLiteral(" (adrsmstr.adrsmobno),(cscmstr.ctyname +' ('+ cscmstr.statename +')' +', '+ "
                   "cscmstr.contryname)From adrsmstr,");
const QString kJoinById =
    QStringLiteral(" cscmstr WHERE adrsmstr.adrsctyid = cscmstr.ctyid and adrsmstr.adrsid like '");
const QString kLiveOnly = QStringLiteral("' and adrsmstr.adrsdelstatus like '");

const Integer kLive = 0;

} // namespace

QString FrmPrntrpt::PrintQuery() const {
    const QString& select = MarkAttn ? kSelectWithAttn : kSelectWithoutAttn;
    const QString& mobileCity = MarkAttn ? kMobileCityWithAttn : kMobileCityWithoutAttn;
    return select + kAddressColumns + mobileCity + kJoinById + QString::number(AdrsId) + kLiveOnly +
           QString::number(kLive) + QStringLiteral("'");
}

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
// city. False when there is nothing to print; the user has been told why.
bool FrmPrntrpt::ReadPartyForPrint(AddressBlock& party) {
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
        RsPrint.Open(PrintQuery(), Conn, adOpenStatic, adLockBatchOptimistic);
        if (RsPrint.RecordCount() < 1) {
            MsgBox(
                QStringLiteral("Nothing was printed: the party could not be found with its city. "
                               "It may have been deleted, or its city may be missing."),
                vbInformation, Caption());
            return false;
        }
        RsPrint.MoveFirst();
        int col = 0;
        party.name = Trim(RsPrint.Fields(col++).Str());
        if (MarkAttn) {
            const Field contact = RsPrint.Fields(col++);
            party.contact = contact.IsNull() ? Trim(TxtCntact->text()) : Trim(contact.Str());
        }
        party.adrs1 = Trim(RsPrint.Fields(col++).Str());
        party.adrs2 = Trim(RsPrint.Fields(col++).Str());
        party.adrs3 = Trim(RsPrint.Fields(col++).Str());
        const QString phone = Trim(RsPrint.Fields(col++).Str());
        const QString mobile = Trim(RsPrint.Fields(col++).Str());
        party.phoneLine = PhoneLine(phone, mobile);
        party.cityLine = RsPrint.Fields(col).Str();
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
    if (!ReadPartyForPrint(party)) return;
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
    if (!ReadPartyForPrint(party)) return;
    if (!WritePrint(EncodeLines(EnvelopeLines(party, MarkAttn)))) return;
    if (StartPrintBatch()) ShowStatus(QStringLiteral("Envelope sent to the printer"));
}
