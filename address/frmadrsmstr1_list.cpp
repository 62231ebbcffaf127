// The party list on the right of the address master: filled from the
// search box on every keystroke, and the picked party loaded for change.

#include "address/frmadrsmstr1.h"

#include "data/connmodule.h"
#include "data/sqltext.h"
#include "platform/errors.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/vb.h"

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
        ReportFailure(this, QStringLiteral("The list of parties could not be read."), e);
    }
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
        [this](const std::exception& e) {
            ReportFailure(this, QStringLiteral("The list of parties could not be read."), e);
        });
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
        ReportFailure(this, QStringLiteral("The party could not be loaded."), e);
    }
}

void FrmAdrsMstr1::LoadAddress(const QString& id) {
    AdrsId = CInt(id);
    if (Rs.State() == adStateOpen) Rs.Close();
    Rs.Open(QStringLiteral("Select * from Adrsmstr where Adrsid like '") + QString::number(AdrsId) +
                QStringLiteral("'"),
            Conn, adOpenStatic, adLockBatchOptimistic);
    if (Rs.RecordCount() < 1) {
        MsgBox(QStringLiteral("No record found"), vbInformation, Caption());
        return;
    }

    // A column that is null leaves its field as it was.
    const auto fill = [&](QLineEdit* field, const char* column, bool trimmed) {
        const Field value = Rs.Fields(column);
        if (!value.IsNull()) field->setText(trimmed ? Trim(value.Str()) : value.Str());
    };
    fill(Txtname, "adrsname", true);
    fill(TxtCntact, "adrscontact", true);
    fill(TxtAddrs, "adrs1", true);
    fill(Txtarea, "adrs2", true);
    fill(Txtland, "adrs3", true);
    fill(MskedtPhno, "adrsphno", false);
    fill(MskedtMobNo, "adrsmobno", false);
    fill(Txtfax, "adrsfax", false);
    fill(Txtemail, "adrsemail", false);
    fill(Txtweb, "adrsweb", false);
    if (!Rs.Fields("adrsnotes").IsNull()) Txtnote->setPlainText(Rs.Fields("adrsnotes").Str());
    fill(TxtPin, "adrspin", false);
    fill(TxtVat, "adrscstno", false);
    CtyId = CInt(Rs.Fields("adrsctyid").Value());

    Rs.Close();
    Rs.Open(QStringLiteral("Select * from cscmstr where ctyid like '") + QString::number(CtyId) +
                QStringLiteral("'"),
            Conn, adOpenStatic, adLockBatchOptimistic);
    if (Rs.RecordCount() > 0) {
        LblCty->setText(Rs.Fields("ctyname").Str());
        PickedCity = Trim(LblCty->text());
        LblState->setText(Rs.Fields("Statename").Str());
        LblContry->setText(Rs.Fields("Contryname").Str());
        LoadGroups();
    }

    CmdSave->setText(QStringLiteral("&Save"));
    CmdEdt->setText(QStringLiteral("&Edit"));
    CmdDel->setEnabled(true);
    Lstvewadrs->hide();
    FrameAdrs->setEnabled(true);
    Txtname->setFocus();
    SetWidth(kNarrowWidth);
}

// Fills the group checklist and ticks every group the party belongs to,
// whatever the order of its links and of the group names.
void FrmAdrsMstr1::LoadGroups() {
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
    const Field grpname = RsGrp.Fields("grpname");
    const Field grpid = RsGrp.Fields("grpid");
    while (!RsGrp.Eof()) {
        ListItem row = LstvewGrup1->Add(grpname.Str());
        row.SetSubItem(1, Trim(grpid.Str()));
        if (MemberIds.contains(CInt(row.SubItem(1)))) row.SetChecked(true);
        RsGrp.MoveNext();
    }
    LstvewGrup1->Flush();
}
