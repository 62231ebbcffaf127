#include "masters/frmcsc.h"

#include "data/connmodule.h"
#include "data/dberror.h"
#include "data/fieldlengths.h"
#include "masters/anywheredblclick.h"
#include "masters/registerflow.h"
#include "masters/registerlist.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/listview.h"
#include "platform/twips.h"
#include "platform/vb.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int kNarrowWidth = 4515; // entry only
constexpr int kWideWidth = 7635;   // entry and the city list

const QString kSelectCityById = QStringLiteral("Select * from cscmstr where ctyid like '");

QLineEdit* NewTextBox(QWidget* parent, const char* name, int maxLength) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(maxLength);
    return box;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}
} // namespace

FrmCsC::FrmCsC(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("FrmCsC"));

    FrameCsC = new QGroupBox(this);
    FrameCsC->setObjectName(QStringLiteral("FrameCsC"));
    PlaceTwips(FrameCsC, 120, 0, 4095, 1935);
    Label1 = NewLabel(FrameCsC, "Label1", tr("City:-"));
    PlaceTwips(Label1, 120, 405, 1215, 195);
    txtcty = NewTextBox(FrameCsC, "txtcty", FieldLength::City);
    PlaceTwips(txtcty, 1440, 360, 2535, 285);
    Label2 = NewLabel(FrameCsC, "Label2", tr("State:-"));
    PlaceTwips(Label2, 120, 885, 1215, 195);
    txtstate = NewTextBox(FrameCsC, "txtstate", FieldLength::State);
    PlaceTwips(txtstate, 1440, 840, 2535, 285);
    Label3 = NewLabel(FrameCsC, "Label3", tr("Country:-"));
    PlaceTwips(Label3, 120, 1365, 1215, 195);
    txtcontry = NewTextBox(FrameCsC, "txtcontry", FieldLength::Country);
    PlaceTwips(txtcontry, 1440, 1320, 2535, 285);
    FrameCsC->setEnabled(false);

    CmdSave = NewButton(this, "CmdSave", tr("&New"));
    PlaceTwips(CmdSave, 120, 2160, 855, 375);
    CmdEdt = NewButton(this, "CmdEdt", tr("&Edit"));
    Buttons.Attach(CmdSave, CmdEdt);
    PlaceTwips(CmdEdt, 1200, 2160, 855, 375);
    CmdDel = NewButton(this, "CmdDel", tr("&Delete"));
    PlaceTwips(CmdDel, 2280, 2160, 855, 375);
    CmdDel->setEnabled(false);
    CmdClos = NewButton(this, "CmdClos", tr("&Close"));
    PlaceTwips(CmdClos, 3360, 2160, 855, 375);

    LstvewCsc = new ListView(this);
    LstvewCsc->setObjectName(QStringLiteral("LstvewCsc"));
    PlaceTwips(LstvewCsc, 4320, 90, 3015, 2445);
    LstvewCsc->AddColumn(tr("City Name"), 3015);
    LstvewCsc->AddColumn(tr("IdNo"), 0); // carried, not shown
    LstvewCsc->setColumnHidden(1, true);
    LstvewCsc->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    LstvewCsc->hide();

    Flow.Attach({.window = this,
                 .buttons = &Buttons,
                 .entry = FrameCsC,
                 .boxes = {txtcty, txtstate, txtcontry},
                 .list = LstvewCsc,
                 .del = CmdDel,
                 .narrowWidth = kNarrowWidth,
                 .wideWidth = kWideWidth});

    QWidget::setTabOrder(txtcty, txtstate);
    QWidget::setTabOrder(txtstate, txtcontry);
    QWidget::setTabOrder(txtcontry, CmdSave);
    QWidget::setTabOrder(CmdSave, CmdEdt);
    QWidget::setTabOrder(CmdEdt, CmdDel);
    QWidget::setTabOrder(CmdDel, CmdClos);
    QWidget::setTabOrder(CmdClos, LstvewCsc);

    On::Click(CmdSave, [this] { CmdSave_Click(); });
    On::Click(CmdEdt, [this] { CmdEdt_Click(); });
    On::Click(CmdDel, [this] { CmdDel_Click(); });
    On::Click(CmdClos, [this] { CmdClos_Click(); });
    OnDblClickAnywhere(LstvewCsc, [this] { LstvewCsc_DblClick(); });
    On::KeyPress(LstvewCsc, [this](int& KeyAscii) { LstvewCsc_KeyPress(KeyAscii); });
    On::GotFocus(txtcty, [this] { txtcty_GotFocus(); });
    On::KeyPress(txtcty, [this](int& KeyAscii) { txtcty_KeyPress(KeyAscii); });
    On::GotFocus(txtstate, [this] { txtstate_GotFocus(); });
    On::KeyPress(txtstate, [this](int& KeyAscii) { txtstate_KeyPress(KeyAscii); });
    On::GotFocus(txtcontry, [this] { txtcontry_GotFocus(); });
    On::KeyPress(txtcontry, [this](int& KeyAscii) { txtcontry_KeyPress(KeyAscii); });
}

void FrmCsC::Form_Load() {
    SetHeight(3165);
    SetWidth(kNarrowWidth);
    SetTop(0);
    SetCaption(AppTitle + QStringLiteral(" ") + tr("(CITY MASTER)"));
}

// ---- Input rules -----------------------------------------------------------

void FrmCsC::txtcty_GotFocus() {
    txtcty->setSelection(0, int(txtcty->text().size()));
}

void FrmCsC::txtcty_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) txtstate->setFocus();
    KeyAscii = UpperKey(KeyAscii);
}

// In add mode the state and country offer their usual values each time
// they are entered, ready to be typed over.
void FrmCsC::txtstate_GotFocus() {
    if (!NewEntry) return;
    txtstate->setText(QStringLiteral("PUNJAB"));
    txtstate->setSelection(0, int(txtstate->text().size()));
}

void FrmCsC::txtstate_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) txtcontry->setFocus();
    KeyAscii = UpperKey(KeyAscii);
}

void FrmCsC::txtcontry_GotFocus() {
    if (!NewEntry) return;
    txtcontry->setText(QStringLiteral("INDIA"));
    txtcontry->setSelection(0, int(txtcontry->text().size()));
}

void FrmCsC::txtcontry_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) CmdSave->setFocus();
    KeyAscii = UpperKey(KeyAscii);
}

// ---- Buttons ---------------------------------------------------------------

void FrmCsC::CmdSave_Click() {
    if (Buttons.Save() == SaveState::New) {
        NewEntry = true;
        Flow.OpenNew();
    } else if (Buttons.Save() == SaveState::Save) {
        if (Flow.MarkMissing() != 0) return;
        // A declined or failed save leaves the loaded city on screen, so it
        // keeps its id for the next Save.
        if (SaveCity()) CtyId = 0;
    }
}

void FrmCsC::CmdEdt_Click() {
    if (Buttons.Edit() == EditState::Edit) {
        NewEntry = false;
        Flow.ShowList([&] { FillCityList(); }, CityListAgain());
    } else if (Buttons.Edit() == EditState::Cancel) {
        Flow.HideList();
    }
    Flow.ClearEntry();
}

void FrmCsC::CmdDel_Click() {
    const QDateTime now = QDateTime::currentDateTime();
    if (!(CtyId > 0)) return;
    if (Rs.State() == adStateOpen) Rs.Close();
    if (!Flow.ConfirmDelete()) return;
    if (!Flow.Written([&] { MarkCityDeleted(now); }, tr("The city could not be deleted."))) return;
    Flow.Deleted();
}

void FrmCsC::CmdClos_Click() {
    Unload();
}

// ---- The list ----------------------------------------------------------------

void FrmCsC::LstvewCsc_DblClick() {
    ResumeNext([&] {
        const auto item = LstvewCsc->SelectedItem();
        CtyId = item ? CInt(item->SubItem(1)) : Integer(0);
    });
    int found = 0;
    ResumeNext([&] {
        if (Rs.State() == adStateOpen) Rs.Close();
        Rs.Open(kSelectCityById + QString::number(CtyId) + QStringLiteral("'"), Conn, adOpenStatic,
                adLockBatchOptimistic);
        found = Rs.RecordCount();
    });
    if (found < 1) {
        Flow.SayNotFound();
        return;
    }
    ResumeNext([&] { txtcty->setText(Trim(Rs.Fields("ctyname").Str())); });
    ResumeNext([&] { txtstate->setText(Trim(Rs.Fields("statename").Str())); });
    ResumeNext([&] { txtcontry->setText(Trim(Rs.Fields("contryname").Str())); });
    ResumeNext([&] { Loaded.Take(Rs, {"ctyname", "statename", "contryname", "delstatus"}); });
    Flow.OpenLoaded();
}

void FrmCsC::LstvewCsc_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) LstvewCsc_DblClick();
}

// Live cities in name order; the id rides along unseen.
void FrmCsC::FillCityList() {
    LstvewCsc->Clear(); // a fill still running is stale now
    if (Rs.State() == adStateOpen) Rs.Close();
    Rs.Open(QStringLiteral("Select Ctyname,Ctyid from cscmstr where delstatus like '") +
                QStringLiteral("0") + QStringLiteral("' order by ctyname"),
            Conn, adOpenStatic, adLockBatchOptimistic, adAsyncFetch);
    LstvewCsc->Clear();
    // Errors ignored: a failing row ends the list there (another program's
    // lock is said, and the list read again when it lets go).
    FillFromRows(
        LstvewCsc, Rs,
        [this] { LstvewCsc->Add(Rs.Fields(0).Str()).SetSubItem(1, Trim(Rs.Fields(1).Str())); },
        [this](const std::exception& e) { NoteIfBusy(LstvewCsc, e, CityListAgain()); });
}

BusyRerun FrmCsC::CityListAgain() {
    return RegisterListAgain(LstvewCsc, [this] { FillCityList(); });
}

// ---- Entry -----------------------------------------------------------------

// Adds the city in add mode, else changes the loaded one. True when a row
// was written; false when the user declined or the save failed.
bool FrmCsC::SaveCity() {
    bool saved = false;
    TrapInvalidInput([&] {
        Rs.Close(); // a fresh recordset
        if (!Flow.ConfirmSave()) return;
        const QDateTime now = QDateTime::currentDateTime();
        // The new id is taken inside the write that adds the row: another
        // program writing meanwhile waits for it, so no two cities share an id.
        // A change is checked against the city as it was loaded.
        const bool written = SaveCheckingChanges(Loaded, CityFields(), Caption(), [&] {
            InTransaction(*Conn, [&] {
                Rs.Open(QStringLiteral("Select max(ctyid) from cscmstr"), Conn, adOpenStatic,
                        adLockBatchOptimistic);
                // Only a new city needs an id: a change must not fail because the
                // register has reached the largest id.
                const Integer newId = NewEntry ? NextId(Rs) : Integer(0);
                Rs.Close();
                Rs.Open(QStringLiteral("Select * from cscmstr"), Conn, adOpenStatic,
                        adLockBatchOptimistic);
                if (NewEntry) {
                    Rs.AddNew();
                    Rs.Fields("Ctyid") = QVariant(newId);
                    Rs.Fields("ctyname") = QVariant(Trim(txtcty->text()));
                    Rs.Fields("statename") = QVariant(Trim(txtstate->text()));
                    Rs.Fields("contryname") = QVariant(Trim(txtcontry->text()));
                    Rs.Fields("addt") = QVariant(now);
                    Rs.Fields("delstatus") = QVariant(0);
                    Rs.UpdateBatch(adAffectAllChapters);
                } else {
                    Rs.Close();
                    LockRowForChange(*Conn, QStringLiteral("cscmstr"), QVariant(CtyId));
                    Rs.Open(kSelectCityById + QString::number(CtyId) + QStringLiteral("'"), Conn,
                            adOpenStatic, adLockBatchOptimistic);
                    if (Rs.RecordCount() > 0) Loaded.Require(Rs);
                    Rs.Fields("ctyname") = QVariant(Trim(txtcty->text()));
                    Rs.Fields("statename") = QVariant(Trim(txtstate->text()));
                    Rs.Fields("contryname") = QVariant(Trim(txtcontry->text()));
                    Rs.Fields("edtdt") = QVariant(now);
                    Rs.Fields("delstatus") = QVariant(0);
                    Rs.UpdateBatch(adAffectAllChapters);
                }
            });
        });
        if (!written) return;
        Loaded.Clear();
        saved = true;
        Flow.Saved(NewEntry);
    });
    return saved;
}

// The entry's fields, as a change made elsewhere is told and taken.
QList<EntryField> FrmCsC::CityFields() {
    return {TextBoxField(txtcty, QStringLiteral("ctyname"), tr("City")),
            TextBoxField(txtstate, QStringLiteral("statename"), tr("State")),
            TextBoxField(txtcontry, QStringLiteral("contryname"), tr("Country")),
            DeletedMarkField(QStringLiteral("delstatus"))};
}

// Marks the loaded city deleted. The row stays for the parties that point
// to it, so a box left empty never blanks the name stored there.
void FrmCsC::MarkCityDeleted(const QDateTime& now) {
    Rs.Open(kSelectCityById + QString::number(CtyId) + QStringLiteral("'"), Conn, adOpenStatic,
            adLockBatchOptimistic);
    if (Rs.RecordCount() < 1) throw DbError(tr("City %1 is no longer in the register.").arg(CtyId));
    const QList<std::pair<const char*, QLineEdit*>> names{
        {"ctyname", txtcty}, {"statename", txtstate}, {"contryname", txtcontry}};
    for (const auto& [column, box] : names)
        if (!Trim(box->text()).isEmpty()) Rs.Fields(column) = QVariant(Trim(box->text()));
    Rs.Fields("deldt") = QVariant(now);
    Rs.Fields("delstatus") = QVariant(1);
    Rs.UpdateBatch(adAffectAllChapters);
}
