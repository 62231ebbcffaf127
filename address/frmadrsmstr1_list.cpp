// The party list on the right of the address master: filled from the
// search box on every keystroke, and the picked party loaded for change.

#include "address/frmadrsmstr1.h"

#include "data/connmodule.h"
#include "data/fieldlengths.h"
#include "data/sqltext.h"
#include "platform/errors.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/vb.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>

void FrmAdrsMstr1::TxtSrchadrs_GotFocus() {
    // "A" first, so that emptying the box is a change even when it was empty.
    TxtSrchadrs->setText(QStringLiteral("A"));
    TxtSrchadrs->setText(QString());
}

void FrmAdrsMstr1::TxtSrchadrs_Change() {
    try {
        FillAddressList();
    } catch (const std::exception& e) {
        PartyListFailed(e);
    }
}

// A list that gave up on another program's lock is read again, for what
// the search box then holds, once the book is free (unless the list has
// been put away meanwhile).
void FrmAdrsMstr1::PartyListFailed(const std::exception& e) {
    const BusyRerun again{Lstvewadrs, [this] {
                              if (!Lstvewadrs->isHidden()) TxtSrchadrs_Change();
                          }};
    if (!NoteIfBusy(this, e, again))
        ReportFailure(this, tr("The list of parties could not be read."), e);
}

void FrmAdrsMstr1::TxtSrchadrs_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) Lstvewadrs->setFocus();
    KeyAscii = UpperKey(KeyAscii);
}

void FrmAdrsMstr1::FillAddressList() {
    const QString text = Trim(TxtSrchadrs->text());
    Lstvewadrs->Clear(); // a fill still running is stale now
    if (Rs.State() == adStateOpen) Rs.Close();
    Rs.Open(QStringLiteral("Select adrsname,adrsid from Adrsmstr  where  adrsname like '%") +
                Quote(text) + QStringLiteral("%' order by adrsname"),
            Conn, adOpenStatic, adLockBatchOptimistic, adAsyncFetch);
    Lstvewadrs->Clear();
    // The first screen now, the rest a slice at a time.
    FillFromRows(
        Lstvewadrs, Rs,
        [this] {
            Lstvewadrs->Add(Rs.Fields("adrsname").Str())
                .SetSubItem(1, Trim(Rs.Fields("adrsid").Str()));
        },
        [this](const std::exception& e) { PartyListFailed(e); });
}

void FrmAdrsMstr1::Lstvewadrs_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) Lstvewadrs_DblClick();
}

void FrmAdrsMstr1::Lstvewadrs_DblClick() {
    const std::optional<ListItem> picked = Lstvewadrs->SelectedItem();
    if (!picked) return;
    try {
        LoadAddress(picked->SubItem(1));
    } catch (const std::exception& e) {
        ReportFailure(this, tr("The party could not be loaded."), e);
    }
}

void FrmAdrsMstr1::LoadAddress(const QString& id) {
    AdrsId = CInt(id);
    if (Rs.State() == adStateOpen) Rs.Close();
    Rs.Open(QStringLiteral("Select * from Adrsmstr where Adrsid like '") + QString::number(AdrsId) +
                QStringLiteral("'"),
            Conn, adOpenStatic, adLockBatchOptimistic);
    if (Rs.RecordCount() < 1) {
        MsgBox(tr("No record found"), vbInformation, Caption());
        return;
    }

    ShowLoadedValues();
    Loaded.Take(Rs, PartyColumns());
    CtyId = CInt(Rs.Fields("adrsctyid").Value());

    Rs.Close();
    Rs.Open(QStringLiteral("Select * from cscmstr where ctyid like '") + QString::number(CtyId) +
                QStringLiteral("'"),
            Conn, adOpenStatic, adLockBatchOptimistic);
    const Integer partyCity = CtyId;
    const bool cityFound = Rs.RecordCount() > 0;
    if (cityFound) {
        LblCty->setText(Rs.Fields("ctyname").Str());
        PickedCity = Trim(LblCty->text());
        LblState->setText(Rs.Fields("Statename").Str());
        LblContry->setText(Rs.Fields("Contryname").Str());
    } else {
        // Gone from the register (a restored book): the city is chosen anew.
        CtyId = 0;
        PickedCity.clear();
        CmbxCty->setEditText(QString());
        LblCty_Click();
    }
    const QList<Integer> lostGroups = LoadGroups();

    Buttons.Set(SaveState::Save, EditState::Edit);
    CmdDel->setEnabled(true);
    Lstvewadrs->hide();
    FrameAdrs->setEnabled(true);
    Txtname->setFocus();
    SetWidth(kNarrowWidth);
    SayWhatIsMissing(cityFound ? -1 : partyCity, lostGroups);
}

// The party's texts from the current row of Rs. A column that is null
// leaves its box as it was; a text longer than its box shows cut.
void FrmAdrsMstr1::ShowLoadedValues() {
    Long.Clear();
    const auto fill = [&](QLineEdit* box, const char* column, const char* caption, bool trimmed) {
        const Field value = Rs.Fields(column);
        if (!value.IsNull()) Long.Show(box, tr(caption), trimmed ? Trim(value.Str()) : value.Str());
    };
    fill(Txtname, "adrsname", QT_TR_NOOP("Party Name"), true);
    fill(TxtCntact, "adrscontact", QT_TR_NOOP("Contact Person"), true);
    fill(TxtAddrs, "adrs1", QT_TR_NOOP("Address"), true);
    fill(Txtarea, "adrs2", QT_TR_NOOP("Area"), true);
    fill(Txtland, "adrs3", QT_TR_NOOP("Land Mark"), true);
    fill(MskedtPhno, "adrsphno", QT_TR_NOOP("Land Line"), false);
    fill(MskedtMobNo, "adrsmobno", QT_TR_NOOP("Mobile No."), false);
    fill(Txtfax, "adrsfax", QT_TR_NOOP("Fax No."), false);
    fill(Txtemail, "adrsemail", QT_TR_NOOP("E-Mail"), false);
    fill(Txtweb, "adrsweb", QT_TR_NOOP("Web Site"), false);
    const Field notes = Rs.Fields("adrsnotes");
    if (!notes.IsNull()) Long.Show(Txtnote, FieldLength::Notes, tr("Notes"), notes.Str());
    fill(TxtPin, "adrspin", QT_TR_NOOP("PIN Code"), false);
    fill(TxtVat, "adrscstno", QT_TR_NOOP("VAT/CST No."), false);
    LblLong->setText(Long.Word());
    LblLong->setVisible(!Long.Word().isEmpty());
}

// One message for a party whose city or groups are no longer in their
// registers (a book restored from an older backup): what is missing and
// what must be chosen before it can be saved. `lostCity` is -1 when the
// city was found.
void FrmAdrsMstr1::SayWhatIsMissing(Integer lostCity, const QList<Integer>& lostGroups) {
    QStringList said;
    if (lostCity >= 0)
        said << tr("Its city (id %1) is no longer in the city register: a city must "
                   "be chosen before the party can be saved.")
                    .arg(lostCity);
    if (!lostGroups.isEmpty()) {
        QStringList ids;
        for (Integer id : lostGroups)
            ids << QString::number(id);
        QString groups =
            (lostGroups.size() == 1 ? tr("Its group (id %1) is no longer in the group register")
                                    : tr("Its groups (ids %1) are no longer in the group register"))
                .arg(ids.join(QStringLiteral(", ")));
        if (LstvewGrup1->Count() == 0)
            groups += tr(", which is empty: a group must first be made in the Group "
                         "Master, then ticked here.");
        else if (TickedGroups() == 0)
            groups += tr(": at least one group must be ticked before the party can "
                         "be saved.");
        else
            groups += tr(": the party keeps only the groups ticked here.");
        said << groups;
    }
    if (!said.isEmpty())
        MsgBox(tr("Some of what the party \"%1\" refers to is no longer in the "
                  "address book.\n\n")
                       .arg(Trim(Txtname->text())) +
                   said.join(QStringLiteral("\n\n")),
               vbInformation, Caption());
}

// Fills the group checklist and ticks every group the party belongs to,
// whatever the order of its links and of the group names. Returns the ids
// of its groups that are no longer in the register.
QList<Integer> FrmAdrsMstr1::LoadGroups() {
    if (RsGrp.State() == adStateOpen) RsGrp.Close();
    RsGrp.Open(QStringLiteral("Select adrsgrupid from adrsgrpdtails where adrsconcrnid like '") +
                   QString::number(AdrsId) + QStringLiteral("'order by adrsgrpid"),
               Conn, adOpenStatic, adLockBatchOptimistic);
    QSet<Integer> MemberIds;
    MemberIds.reserve(RsGrp.RecordCount());
    const Field adrsgrupid = RsGrp.Fields("adrsgrupid");
    while (!RsGrp.Eof()) {
        MemberIds.insert(CInt(Trim(adrsgrupid.Str())));
        RsGrp.MoveNext();
    }

    RsGrp.Close();
    RsGrp.Open(QStringLiteral("Select grpname,grpid from adrsgrupmstr order by grpname"), Conn,
               adOpenStatic, adLockBatchOptimistic);
    LstvewGrup1->Clear();
    QSet<Integer> found;
    std::optional<ListItem> firstTicked;
    const Field grpname = RsGrp.Fields("grpname");
    const Field grpid = RsGrp.Fields("grpid");
    while (!RsGrp.Eof()) {
        ListItem row = LstvewGrup1->Add(grpname.Str());
        row.SetSubItem(1, Trim(grpid.Str()));
        const Integer id = CInt(row.SubItem(1));
        if (MemberIds.contains(id)) {
            row.SetChecked(true);
            found.insert(id);
            if (!firstTicked) firstTicked = row;
        }
        RsGrp.MoveNext();
    }
    LstvewGrup1->Flush();
    if (firstTicked) firstTicked->EnsureVisible(); // the party's groups are in sight
    RememberGroups(MemberIds.values());
    QList<Integer> lost;
    for (Integer id : std::as_const(MemberIds))
        if (!found.contains(id)) lost << id;
    std::sort(lost.begin(), lost.end());
    return lost;
}
