// The entry side of the address master: key and focus rules, the city
// picker, the group checklist and the buttons.

#include "address/frmadrsmstr1.h"

#include "data/connmodule.h"
#include "data/sqltext.h"
#include "platform/errors.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/vb.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

// ---- Key and focus rules ----------------------------------------------------

void FrmAdrsMstr1::Txtname_GotFocus() {
    Txtname->setSelection(0, int(Txtname->text().size()));
}

void FrmAdrsMstr1::Txtname_KeyPress(int& KeyAscii) {
    KeyAscii = UpperKey(KeyAscii);
    if (KeyAscii == vbKeyReturn) TxtCntact->setFocus();
}

void FrmAdrsMstr1::TxtCntact_KeyPress(int& KeyAscii) {
    KeyAscii = UpperKey(KeyAscii);
    if (KeyAscii == vbKeyReturn) TxtAddrs->setFocus();
}

void FrmAdrsMstr1::TxtAddrs_KeyPress(int& KeyAscii) {
    KeyAscii = UpperKey(KeyAscii);
    if (KeyAscii == vbKeyReturn) Txtarea->setFocus();
}

void FrmAdrsMstr1::Txtarea_KeyPress(int& KeyAscii) {
    KeyAscii = UpperKey(KeyAscii);
    if (KeyAscii == vbKeyReturn) Txtland->setFocus();
}

void FrmAdrsMstr1::Txtland_KeyPress(int& KeyAscii) {
    KeyAscii = UpperKey(KeyAscii);
    if (KeyAscii == vbKeyReturn) LstvewGrup1->setFocus();
}

// The phone fields select from the third character on, leaving a two-digit
// prefix in place. A character of two code units counts as one, so the
// selection never starts inside it.
static void SelectFromThird(QLineEdit* box) {
    const QString text = box->text();
    const int length = int(text.size());
    int start = 0;
    for (int characters = 0; characters < 2 && start < length; ++characters) {
        const bool pair =
            text[start].isHighSurrogate() && start + 1 < length && text[start + 1].isLowSurrogate();
        start += pair ? 2 : 1;
    }
    box->setSelection(start, length);
}

void FrmAdrsMstr1::MskedtPhno_GotFocus() {
    SelectFromThird(MskedtPhno);
}

void FrmAdrsMstr1::MskedtPhno_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) MskedtMobNo->setFocus();
}

void FrmAdrsMstr1::MskedtPhno_LostFocus() {}

void FrmAdrsMstr1::MskedtMobNo_GotFocus() {
    SelectFromThird(MskedtMobNo);
}

void FrmAdrsMstr1::MskedtMobNo_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) CmdSave->setFocus();
}

// ---- City picker --------------------------------------------------------------

void FrmAdrsMstr1::CmbxCty_GotFocus() {
    try {
        FillCityCombo();
    } catch (const std::exception& e) {
        ReportFailure(this, tr("The list of cities could not be read."), e);
    }
}

void FrmAdrsMstr1::FillCityCombo() {
    if (Rs.State() == adStateOpen) Rs.Close();
    Rs.Open(QStringLiteral("Select * from cscmstr where delstatus like '") + QString::number(0) +
                QStringLiteral("'"),
            Conn, adOpenStatic, adLockBatchOptimistic);
    // Refilling the list leaves what the box shows as it was.
    const QString shown = CmbxCty->currentText();
    QStringList names;
    names.reserve(Rs.RecordCount());
    const Field ctyname = Rs.Fields("ctyname");
    while (!Rs.Eof()) {
        names.append(ctyname.Str());
        Rs.MoveNext();
    }
    CmbxCty->clear();
    CmbxCty->addItems(names);
    CmbxCty->setCurrentIndex(-1);
    CmbxCty->setEditText(shown);
}

void FrmAdrsMstr1::CmbxCty_Click() {
    try {
        LookUpCity();
    } catch (const std::exception& e) {
        ReportFailure(this, tr("The city could not be looked up."), e);
    }
}

void FrmAdrsMstr1::LookUpCity() {
    const QString city = Trim(CmbxCty->currentText());
    if (Rs.State() == adStateOpen) Rs.Close();
    Rs.Open(QStringLiteral("Select * from cscmstr where ctyname like '") + Quote(city) +
                QStringLiteral("'"),
            Conn, adOpenStatic, adLockBatchOptimistic);
    if (Rs.RecordCount() > 0) {
        // like also matches other names when the chosen one holds % or _ or
        // differs from them only in the case of its letters: take the city
        // of exactly that name, the first row when none has it.
        while (!Rs.Eof() && Trim(Rs.Fields("ctyname").Str()) != city)
            Rs.MoveNext();
        if (Rs.Eof()) Rs.MoveFirst();
        LblState->setText(Rs.Fields("Statename").Str());
        LblContry->setText(Rs.Fields("Contryname").Str());
        CtyId = CInt(Rs.Fields("ctyid").Value());
        PickedCity = Trim(Rs.Fields("ctyname").Str());
    }
}

// The city the entry shows: the combo while it is up, else the label.
QString FrmAdrsMstr1::ShownCity() const {
    return Trim(CmbxCty->isHidden() ? LblCty->text() : CmbxCty->currentText());
}

// A city typed rather than chosen from the list would keep the id of the
// city chosen before it. At Save it is taken for the live city of exactly
// that name, letter case aside (the first by id when names repeat). False
// when no city has that name.
bool FrmAdrsMstr1::ResolveTypedCity() {
    const QString typed = ShownCity();
    if (typed.isEmpty() || (CtyId != 0 && typed.compare(PickedCity, Qt::CaseInsensitive) == 0))
        return true;
    if (Rs.State() == adStateOpen) Rs.Close();
    Rs.Open(QStringLiteral("Select * from cscmstr where delstatus like '0' order by ctyid"), Conn,
            adOpenStatic, adLockBatchOptimistic);
    const Field ctyname = Rs.Fields("ctyname");
    while (!Rs.Eof()) {
        if (Trim(ctyname.Str()).compare(typed, Qt::CaseInsensitive) == 0) {
            CtyId = CInt(Rs.Fields("ctyid").Value());
            PickedCity = Trim(ctyname.Str());
            LblState->setText(Rs.Fields("Statename").Str());
            LblContry->setText(Rs.Fields("Contryname").Str());
            if (CmbxCty->isHidden()) LblCty->setText(PickedCity);
            return true;
        }
        Rs.MoveNext();
    }
    return false;
}

// A new entry keeps the city the box still shows (the last party's, for
// parties of one town entered in turn) only as a city of the register,
// with its state and country beside it; else the box starts empty. What
// is saved is then what the entry shows.
void FrmAdrsMstr1::KeepShownCity() {
    CtyId = 0;
    PickedCity.clear();
    bool kept = false;
    if (!Trim(CmbxCty->currentText()).isEmpty()) {
        try {
            kept = ResolveTypedCity();
        } catch (const std::exception&) {
            kept = false; // unreadable now: the city is chosen afresh
        }
    }
    if (kept) return;
    CtyId = 0;
    PickedCity.clear();
    CmbxCty->setEditText(QString());
    LblState->setText(QString());
    LblContry->setText(QString());
}

void FrmAdrsMstr1::CmbxCty_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn && !Trim(CmbxCty->currentText()).isEmpty()) CmbxCty_LostFocus();
}

void FrmAdrsMstr1::CmbxCty_LostFocus() {
    if (Validating) return;
    // Enter goes on to the land line; Tab or a click into another field of
    // the entry (the PIN, say) leaves the focus where the user put it.
    QWidget* now = QApplication::focusWidget();
    const bool movedOn = now && now != CmbxCty && !CmbxCty->isAncestorOf(now) &&
                         FrameAdrs->isAncestorOf(now) && now->isVisible();
    if (!NewEntry) {
        LblCty->setText(Trim(CmbxCty->currentText()));
        CmbxCty->hide();
    }
    if (!movedOn) MskedtPhno->setFocus();
}

void FrmAdrsMstr1::LblCty_Click() {
    CmbxCty->show();
    CmbxCty->raise();
}

// ---- Group checklist ------------------------------------------------------------

void FrmAdrsMstr1::LstvewGrup1_GotFocus() {
    if (NewEntry) FillGroupList();
    LstvewGrup1->setFocus();
}

void FrmAdrsMstr1::FillGroupList() {
    ResumeNext([&] {
        if (RsGrp.State() == adStateOpen) RsGrp.Close();
    });
    ResumeNext([&] {
        RsGrp.Open(QStringLiteral("Select grpname,grpid from adrsgrupmstr  order by grpname"), Conn,
                   adOpenStatic, adLockBatchOptimistic);
    });
    ResumeNext([&] { LstvewGrup1->Clear(); });
    ResumeNext([&] {
        const Field grpname = RsGrp.Fields("grpname");
        const Field grpid = RsGrp.Fields("grpid");
        while (!RsGrp.Eof()) {
            LstvewGrup1->Add(grpname.Str()).SetSubItem(1, Trim(grpid.Str()));
            RsGrp.MoveNext();
        }
    });
    LstvewGrup1->Flush(); // rows can be ticked at once
}

int FrmAdrsMstr1::TickedGroups() {
    int ticked = 0;
    for (int i = 1; i <= LstvewGrup1->Count(); ++i)
        if (LstvewGrup1->Item(i).Checked()) ++ticked;
    return ticked;
}

void FrmAdrsMstr1::LstvewGrup1_KeyPress(int& KeyAscii) {
    if (KeyAscii != vbKeyReturn) return;
    if (TickedGroups() < 1) {
        MsgBox(tr("Please select atleat on group to proceed further"), vbInformation, Caption());
        LstvewGrup1->setFocus();
        return;
    }
    if (!LblCty->isHidden())
        MskedtPhno->setFocus();
    else
        CmbxCty->setFocus();
}

// ---- Clearing and the buttons -----------------------------------------------------

void FrmAdrsMstr1::ClearEntry() {
    Txtname->setText(QString());
    TxtCntact->setText(QString());
    TxtAddrs->setText(QString());
    Txtarea->setText(QString());
    Txtland->setText(QString());
    LblState->setText(QString());
    LblContry->setText(QString());
    MskedtPhno->setText(QString());
    MskedtMobNo->setText(QString());
    Txtfax->setText(QString());
    Txtemail->setText(QString());
    Txtweb->setText(QString());
    Txtnote->setPlainText(QString());
    Long.Clear();
    Loaded.Clear();
    LblLong->hide();
    LblCty->setText(QString());
    if (LstvewGrup1->Count() > 0) LstvewGrup1->Clear();
}

void FrmAdrsMstr1::CmdSave_Click() {
    if (Buttons.Save() == SaveState::New) {
        NewEntry = true;
        Buttons.Set(SaveState::Save, EditState::Cancel);
        CmbxCty->show();
        KeepShownCity();
        FrameAdrs->setEnabled(true);
        Txtname->setFocus();
        Lstvewadrs->hide();
        LblCty->hide();
        SetWidth(kNarrowWidth);
    } else if (Buttons.Save() == SaveState::Save) {
        ValidateEntry();
        if (ErrCount != 0) {
            ErrCount = 0;
            return;
        }
        // A party stays loaded until it is saved: a declined or failed save
        // leaves it on screen, and the next Save still updates it.
        if (SaveAddress()) AdrsId = 0;
    }
}

void FrmAdrsMstr1::CmdEdt_Click() {
    if (Buttons.Edit() == EditState::Edit) {
        SetWidth(kWideWidth);
        Lstvewadrs->show();
        TxtSrchadrs->setFocus();
        CmbxCty->hide();
        LblCty->show();
        NewEntry = false;
        Buttons.Set(EditState::Cancel);
    } else if (Buttons.Edit() == EditState::Cancel) {
        // Cancelled while choosing a party: nothing stays loaded. With Save
        // still showing (from an earlier New or load) the entry goes back to
        // a new party, whose groups and city can be chosen and saved.
        if (!NewEntry && Buttons.Save() == SaveState::Save) {
            NewEntry = true;
            AdrsId = 0;
            LblCty->hide();
            CmbxCty->show();
        }
        Lstvewadrs->hide();
        FrameAdrs->setEnabled(true);
        SetWidth(kNarrowWidth);
        Txtname->setFocus();
        Buttons.Set(EditState::Edit);
    }
    ClearEntry();
    if (NewEntry && !CmbxCty->isHidden()) KeepShownCity();
}

void FrmAdrsMstr1::CmdClos_Click() {
    Unload();
}
