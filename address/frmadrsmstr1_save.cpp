// Validating, saving and deleting a party. A party row and its group links
// are written together or not at all.

#include "address/frmadrsmstr1.h"

#include "party/duplicateentry.h"

#include "data/connmodule.h"
#include "data/dberror.h"
#include "platform/errors.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/vb.h"
#include "platform/writefailure.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QColor kFailedBack(192, 255, 192); // light green
const QColor kFailedText(0, 0, 255);
const QColor kNormalBack(255, 255, 255);
const QColor kNormalText(0, 0, 0);

void SetColours(QWidget* field, bool failed) {
    QPalette palette = field->palette();
    const QColor& back = failed ? kFailedBack : kNormalBack;
    const QColor& text = failed ? kFailedText : kNormalText;
    palette.setColor(QPalette::Base, back);
    palette.setColor(QPalette::Window, back);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::WindowText, text);
    field->setPalette(palette);
    if (qobject_cast<QLabel*>(field)) field->setAutoFillBackground(true);
}

QString Id(Integer id) {
    return QString::number(id);
}

} // namespace

void FrmAdrsMstr1::ValidateEntry() {
    Validating = true;
    // Each failed field takes the focus in turn, so it ends on the last one.
    auto check = [&](QWidget* field, bool failed, QWidget* focus) {
        SetColours(field, failed);
        if (!failed) return;
        ++ErrCount;
        focus->setFocus();
    };
    check(Txtname, Trim(Txtname->text()).isEmpty(), Txtname);
    check(TxtAddrs, Trim(TxtAddrs->text()).isEmpty(), TxtAddrs);
    if (!CmbxCty->isHidden()) check(CmbxCty, Trim(CmbxCty->currentText()).isEmpty(), CmbxCty);
    if (!LblCty->isHidden()) {
        const bool failed = Trim(LblCty->text()).isEmpty();
        if (failed) CmbxCty->show();
        check(LblCty, failed, CmbxCty);
    }
    check(LstvewGrup1, TickedGroups() < 1, LstvewGrup1);
    if (ErrCount == 0 && !ResolveTypedCity()) {
        const QString typed = ShownCity();
        if (CmbxCty->isHidden()) {
            CmbxCty->setEditText(typed);
            CmbxCty->show();
            CmbxCty->raise();
        }
        check(CmbxCty, true, CmbxCty);
        MsgBox(tr("The city must be chosen from the list: no city is named \"%1\".").arg(typed),
               vbCritical, Caption());
    }
    Validating = false;
}

bool FrmAdrsMstr1::SaveAddress() {
    try {
        if (!ConfirmNotDuplicate(*Conn, EnteredNow(), Caption())) return false;
        if (Rs.State() == adStateOpen) Rs.Close();
        if (MsgBox(tr("Are you Sure to save this Record"), vbYesNo, Caption()) != vbYes)
            return false;
        const QVariant stamp(QDateTime::currentDateTime());

        // The new ids are taken inside the write that adds the rows: another
        // program writing meanwhile waits for it, so no two parties (or
        // links) share an id and no party gets another's groups. A change
        // is checked against the party as it was loaded.
        const bool written = SaveCheckingChanges(Loaded, PartyFields(), Caption(), [&] {
            InTransaction(*Conn, [&] {
                // A change keeps its ids, so only a new party needs free ones: a
                // full register refuses a new party but never a change.
                Integer NewId = AdrsId;
                int NextLink = 1;
                Rs.Open(QStringLiteral("Select max(adrsid) from adrsmstr"), Conn, adOpenStatic,
                        adLockBatchOptimistic);
                if (NewEntry) NewId = NextId(Rs);
                Rs.Close();
                Rs.Open(QStringLiteral("Select max(adrsgrpid) from adrsgrpdtails"), Conn,
                        adOpenStatic, adLockBatchOptimistic);
                if (NewEntry) NextLink = NextId(Rs);
                Rs.Close();
                Rs.Open(QStringLiteral("Select * from adrsmstr"), Conn, adOpenStatic,
                        adLockBatchOptimistic);
                if (NewEntry) {
                    Rs.AddNew();
                    Rs.Fields("Adrsid") = QVariant(NewId);
                    WriteParty(stamp);
                    WriteLinks(NewId, NextLink);
                    return;
                }
                Rs.Close();
                LockRowForChange(*Conn, QStringLiteral("adrsmstr"), QVariant(AdrsId));
                Rs.Open(QStringLiteral("Select * from adrsmstr where adrsid like '") + Id(AdrsId) +
                            QStringLiteral("'"),
                        Conn, adOpenStatic, adLockBatchOptimistic);
                if (Rs.RecordCount() < 1)
                    throw DbError(
                        tr("The party with id %1 is no longer in the address book.").arg(AdrsId));
                RequireUnchanged();
                WriteParty(stamp);
                Rs.Close();
                Rs.Open(QStringLiteral("delete * from adrsgrpdtails where adrsconcrnid like '") +
                            Id(AdrsId) + QStringLiteral("'"),
                        Conn, adOpenStatic, adLockBatchOptimistic);
                if (Rs.State() == adStateOpen) Rs.Close();
                Rs.Open(QStringLiteral("Select max(adrsgrpid) from adrsgrpdtails"), Conn,
                        adOpenStatic, adLockBatchOptimistic);
                NextLink = NextId(Rs);
                WriteLinks(AdrsId, NextLink);
            });
        });
        if (!written) return false;
        MsgBox(NewEntry ? tr("Record has been Saved") : tr("Record has been updated"),
               vbInformation, Caption());
    } catch (const std::exception& e) {
        if (Rs.State() == adStateOpen) Rs.Close();
        ReportWriteFailure(this, tr("The party could not be saved."), e);
        return false;
    }
    ClearEntry();
    Buttons.Set(SaveState::New, EditState::Edit);
    return true;
}

// Sets the party's columns on the current row of Rs and writes it: a new
// row with its added stamp, a changed row with its edited stamp. A value
// shown cut (longer than its box) and left as loaded is written back whole.
void FrmAdrsMstr1::WriteParty(const QVariant& stamp) {
    const auto text = [&](const QWidget* box, const QString& now, bool trimmed) {
        return QVariant(Long.Unchanged(box, now).value_or(trimmed ? Trim(now) : now));
    };
    const auto line = [&](const QLineEdit* box, bool trimmed = true) {
        return text(box, box->text(), trimmed);
    };
    Rs.Fields("adrsname") = line(Txtname);
    Rs.Fields("adrscontact") = line(TxtCntact);
    Rs.Fields("adrs1") = line(TxtAddrs);
    Rs.Fields("adrs2") = line(Txtarea);
    Rs.Fields("adrs3") = line(Txtland);
    Rs.Fields("AdrsCtyid") = QVariant(CtyId);
    Rs.Fields("adrspin") = line(TxtPin);
    Rs.Fields("adrscstno") = line(TxtVat);
    Rs.Fields("adrsphno") = line(MskedtPhno, false);
    Rs.Fields("adrsmobno") = line(MskedtMobNo, false);
    Rs.Fields("adrsfax") = line(Txtfax);
    Rs.Fields("adrsemail") = line(Txtemail);
    Rs.Fields("adrsweb") = line(Txtweb);
    Rs.Fields("adrsnotes") = text(Txtnote, Txtnote->toPlainText(), true);
    Rs.Fields(NewEntry ? "adrsaddt" : "adrsedtdt") = stamp;
    Rs.Fields("adrsdelstatus") = QVariant(Integer(0));
    Rs.UpdateBatch(adAffectAllChapters);
}

// Writes one link row per ticked group. Every row of the checklist takes a
// link id, ticked or not, so unticked rows leave gaps; an id is refused
// only when it is actually written beyond the 16-bit limit.
void FrmAdrsMstr1::WriteLinks(Integer partyId, int NextLink) {
    Rs.Close();
    Rs.Open(QStringLiteral("Select * from adrsgrpdtails"), Conn, adOpenStatic,
            adLockBatchOptimistic);
    for (int i = 1; i <= LstvewGrup1->Count(); ++i) {
        const ListItem row = LstvewGrup1->Item(i);
        if (row.Checked()) {
            Rs.AddNew();
            Rs.Fields("adrsgrpid") = QVariant(CInt(NextLink));
            Rs.Fields("adrsconcrnid") = QVariant(partyId);
            Rs.Fields("adrsgrupid") = QVariant(Trim(row.SubItem(1)));
            Rs.UpdateBatch(adAffectAllChapters);
        }
        ++NextLink;
    }
}

void FrmAdrsMstr1::CmdDel_Click() {
    if (AdrsId <= 0) return; // no party loaded
    if (Rs.State() == adStateOpen) Rs.Close();
    if (MsgBox(tr("Are you sure to delete this record?"), vbYesNo, Caption()) != vbYes) {
        CmdDel->setFocus();
        return;
    }
    try {
        // The party goes with its memberships, so a later party that gets
        // the same id starts without any.
        InTransaction(*Conn, [&] {
            Rs.Open(QStringLiteral("Delete  from adrsmstr where adrsid like '") + Id(AdrsId) +
                        QStringLiteral("'"),
                    Conn, adOpenStatic, adLockBatchOptimistic);
            Rs.Open(QStringLiteral("delete * from adrsgrpdtails where adrsconcrnid like '") +
                        Id(AdrsId) + QStringLiteral("'"),
                    Conn, adOpenStatic, adLockBatchOptimistic);
        });
    } catch (const std::exception& e) {
        ReportWriteFailure(this, tr("The party could not be deleted."), e);
        return;
    }
    MsgBox(tr("Record has been Deleted"), vbInformation, Caption());
    ClearEntry();
    Buttons.Set(SaveState::New, EditState::Edit);
    CmdDel->setEnabled(false);
    AdrsId = 0;
}

// The entry as the duplicate check compares it.
EnteredParty FrmAdrsMstr1::EnteredNow() const {
    return {NewEntry ? 0 : int(AdrsId), Trim(Txtname->text()), MskedtPhno->text(),
            MskedtMobNo->text(), Trim(Txtemail->text())};
}
