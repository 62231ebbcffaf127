#include "masters/frmgrupmstr.h"

#include "data/connmodule.h"
#include "data/dberror.h"
#include "data/fieldlengths.h"
#include "masters/anywheredblclick.h"
#include "masters/entrycolours.h"
#include "masters/registerlist.h"
#include "platform/changedelsewhere.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "platform/vb.h"
#include "platform/writefailure.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int kNarrowWidth = 4410; // entry only
constexpr int kWideWidth = 7560;   // entry and the group list

const QString kSelectGroupById = QStringLiteral("Select * from adrsgrupmstr where grpid like '");

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}
} // namespace

FrmGrupMstr::FrmGrupMstr(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("FrmGrupMstr"));

    FrameCsC = new QGroupBox(this);
    FrameCsC->setObjectName(QStringLiteral("FrameCsC"));
    PlaceTwips(FrameCsC, 120, 0, 4095, 735);
    Label1 = new QLabel(QStringLiteral("Group Name :-"), FrameCsC);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(QFont(QStringLiteral("Arial"), 8));
    PlaceTwips(Label1, 120, 240, 1335, 195);
    txtGrup = new QLineEdit(FrameCsC);
    txtGrup->setObjectName(QStringLiteral("txtGrup"));
    txtGrup->setMaxLength(FieldLength::Group);
    PlaceTwips(txtGrup, 1440, 240, 2535, 285);
    FrameCsC->setEnabled(false);

    CmdSave = NewButton(this, "CmdSave", QStringLiteral("&New"));
    PlaceTwips(CmdSave, 120, 2040, 855, 375);
    CmdEdt = NewButton(this, "CmdEdt", QStringLiteral("&Edit"));
    Buttons.Attach(CmdSave, CmdEdt);
    PlaceTwips(CmdEdt, 1200, 2040, 855, 375);
    CmdDel = NewButton(this, "CmdDel", QStringLiteral("&Delete"));
    PlaceTwips(CmdDel, 2280, 2040, 855, 375);
    CmdDel->setEnabled(false);
    CmdClos = NewButton(this, "CmdClos", QStringLiteral("&Close"));
    PlaceTwips(CmdClos, 3360, 2040, 855, 375);

    LstvewGrup = new ListView(this);
    LstvewGrup->setObjectName(QStringLiteral("LstvewGrup"));
    PlaceTwips(LstvewGrup, 4320, 90, 3015, 2295);
    LstvewGrup->AddColumn(QStringLiteral("Group Name"), 2055);
    LstvewGrup->AddColumn(QStringLiteral("IdNo"), 660);
    LstvewGrup->header()->setStretchLastSection(true);
    LstvewGrup->hide();

    QWidget::setTabOrder(FrameCsC, txtGrup);
    QWidget::setTabOrder(txtGrup, CmdSave);
    QWidget::setTabOrder(CmdSave, CmdEdt);
    QWidget::setTabOrder(CmdEdt, CmdDel);
    QWidget::setTabOrder(CmdDel, CmdClos);
    QWidget::setTabOrder(CmdClos, LstvewGrup);

    On::GotFocus(txtGrup, [this] { txtGrup_GotFocus(); });
    On::KeyPress(txtGrup, [this](int& KeyAscii) { txtGrup_KeyPress(KeyAscii); });
    On::Click(CmdSave, [this] { CmdSave_Click(); });
    On::Click(CmdEdt, [this] { CmdEdt_Click(); });
    On::Click(CmdDel, [this] { CmdDel_Click(); });
    On::Click(CmdClos, [this] { CmdClos_Click(); });
    OnDblClickAnywhere(LstvewGrup, [this] { LstvewGrup_DblClick(); });
    On::KeyPress(LstvewGrup, [this](int& KeyAscii) { LstvewGrup_KeyPress(KeyAscii); });
}

void FrmGrupMstr::Form_Load() {
    SetHeight(2940);
    SetWidth(kNarrowWidth);
    SetTop(0);
    SetLeft(100);
    SetCaption(AppTitle + QStringLiteral(" ") + QStringLiteral("(GROUP MASTER)"));
}

// ---- Input rules -----------------------------------------------------------

void FrmGrupMstr::txtGrup_GotFocus() {
    txtGrup->setSelection(0, int(txtGrup->text().size()));
}

void FrmGrupMstr::txtGrup_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) CmdSave->setFocus();
    KeyAscii = UpperKey(KeyAscii);
}

// ---- Buttons ---------------------------------------------------------------

void FrmGrupMstr::CmdSave_Click() {
    if (Buttons.Save() == SaveState::New) {
        NewEntry = true;
        Buttons.Set(SaveState::Save, EditState::Cancel);
        FrameCsC->setEnabled(true);
        txtGrup->setFocus();
        LstvewGrup->hide();
        SetWidth(kNarrowWidth);
    } else if (Buttons.Save() == SaveState::Save) {
        ValidateEntry();
        if (ErrCount != 0) {
            ErrCount = 0;
            return;
        }
        // A declined or failed save leaves the loaded group on screen, so it
        // keeps its id for the next Save.
        if (SaveGroup()) GrpId = 0;
    }
}

void FrmGrupMstr::CmdEdt_Click() {
    if (Buttons.Edit() == EditState::Edit) {
        SetWidth(kWideWidth);
        LstvewGrup->show();
        ResumeNext([&] { FillGroupList(); }, GroupListAgain());
        LstvewGrup->setFocus();
        NewEntry = false;
        Buttons.Set(EditState::Cancel);
    } else if (Buttons.Edit() == EditState::Cancel) {
        Buttons.Set(EditState::Edit);
        LstvewGrup->hide();
        SetWidth(kNarrowWidth);
        txtGrup->setFocus();
    }
    ClearEntry();
}

void FrmGrupMstr::CmdDel_Click() {
    if (!(GrpId > 0)) return;
    if (Rs.State() == adStateOpen) Rs.Close();
    if (MsgBox(QStringLiteral("Are you sure to delete this record?"), vbYesNo, Caption()) !=
        vbYes) {
        CmdDel->setFocus();
        return;
    }
    try {
        DeleteGroup();
    } catch (const std::exception& e) {
        ReportWriteFailure(this, QStringLiteral("The group could not be deleted."), e);
        return;
    }
    MsgBox(QStringLiteral("Record has been Deleted"), vbInformation, Caption());
    ClearEntry();
    Buttons.Set(SaveState::New, EditState::Edit);
    CmdDel->setEnabled(false);
}

void FrmGrupMstr::CmdClos_Click() {
    Unload();
}

// ---- The list ----------------------------------------------------------------

void FrmGrupMstr::LstvewGrup_DblClick() {
    ResumeNext([&] {
        const auto item = LstvewGrup->SelectedItem();
        GrpId = item ? CInt(item->SubItem(1)) : Integer(0);
    });
    int found = 0;
    ResumeNext([&] {
        if (Rs.State() == adStateOpen) Rs.Close();
        Rs.Open(kSelectGroupById + QString::number(GrpId) + QStringLiteral("'"), Conn, adOpenStatic,
                adLockBatchOptimistic);
        found = Rs.RecordCount();
    });
    if (found < 1) {
        MsgBox(QStringLiteral("No record found"), vbInformation, Caption());
        return;
    }
    ResumeNext([&] { txtGrup->setText(Trim(Rs.Fields("grpname").Str())); });
    ResumeNext([&] { Loaded.Take(Rs, {QStringLiteral("grpname")}); });
    Buttons.Set(SaveState::Save, EditState::Edit);
    CmdDel->setEnabled(true);
    LstvewGrup->hide();
    FrameCsC->setEnabled(true);
    txtGrup->setFocus();
    SetWidth(kNarrowWidth);
}

void FrmGrupMstr::LstvewGrup_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) LstvewGrup_DblClick();
}

void FrmGrupMstr::FillGroupList() {
    LstvewGrup->Clear(); // a fill still running is stale now
    if (Rs.State() == adStateOpen) Rs.Close();
    Rs.Open(QStringLiteral("Select grpname,grpid from adrsgrupmstr  order by grpname"), Conn,
            adOpenStatic, adLockBatchOptimistic, adAsyncFetch);
    LstvewGrup->Clear();
    // Errors ignored: a failing row ends the list there (another program's
    // lock is said, and the list read again when it lets go).
    FillFromRows(
        LstvewGrup, Rs,
        [this] { LstvewGrup->Add(Rs.Fields(0).Str()).SetSubItem(1, Trim(Rs.Fields(1).Str())); },
        [this](const std::exception& e) { NoteIfBusy(LstvewGrup, e, GroupListAgain()); });
}

BusyRerun FrmGrupMstr::GroupListAgain() {
    return RegisterListAgain(LstvewGrup, [this] { FillGroupList(); });
}

// ---- Entry -----------------------------------------------------------------

void FrmGrupMstr::ValidateEntry() {
    if (Trim(txtGrup->text()).isEmpty()) {
        MarkEmpty(txtGrup);
        ErrCount = Integer(ErrCount + 1);
        txtGrup->setFocus();
    } else {
        MarkFilled(txtGrup);
    }
}

void FrmGrupMstr::ClearEntry() {
    txtGrup->clear();
}

// Adds the group in add mode, else renames the loaded one. True when a row
// was written; false when the user declined or the save failed.
bool FrmGrupMstr::SaveGroup() {
    bool saved = false;
    TrapInvalidInput([&] {
        Rs.Close(); // a fresh recordset
        if (MsgBox(QStringLiteral("Are you Sure to save this Record"), vbYesNo, Caption()) != vbYes)
            return;
        // The new id is taken inside the write that adds the row: another
        // program writing meanwhile waits for it, so no two groups share an id.
        // A rename is checked against the group as it was loaded.
        const QList<EntryField> fields{
            TextBoxField(txtGrup, QStringLiteral("grpname"), QStringLiteral("Group"))};
        const bool written = SaveCheckingChanges(Loaded, fields, Caption(), [&] {
            InTransaction(*Conn, [&] {
                Rs.Open(QStringLiteral("Select max(grpid) from adrsgrupmstr"), Conn, adOpenStatic,
                        adLockBatchOptimistic);
                // Only a new group needs an id: a rename must not fail because the
                // register has reached the largest id.
                const Integer newId = NewEntry ? NextId(Rs) : Integer(0);
                Rs.Close();
                Rs.Open(QStringLiteral("Select * from adrsgrupmstr"), Conn, adOpenStatic,
                        adLockBatchOptimistic);
                if (NewEntry) {
                    Rs.AddNew();
                    Rs.Fields("grpid") = QVariant(newId);
                    Rs.Fields("grpname") = QVariant(Trim(txtGrup->text()));
                    Rs.UpdateBatch(adAffectAllChapters);
                    Rs.MoveNext();
                } else {
                    Rs.Close();
                    LockRowForChange(*Conn, QStringLiteral("adrsgrupmstr"), QVariant(GrpId));
                    Rs.Open(kSelectGroupById + QString::number(GrpId) + QStringLiteral("'"), Conn,
                            adOpenStatic, adLockBatchOptimistic);
                    if (Rs.RecordCount() > 0) Loaded.Require(Rs);
                    Rs.Fields("grpname") = QVariant(Trim(txtGrup->text()));
                    Rs.UpdateBatch(adAffectAllChapters);
                }
            });
        });
        if (!written) return;
        Loaded.Clear();
        saved = true;
        MsgBox(NewEntry ? QStringLiteral("Record has been Saved")
                        : QStringLiteral("Record has been updated"),
               vbInformation, Caption());
        ClearEntry();
        Buttons.Set(SaveState::New, EditState::Edit);
    });
    return saved;
}

// Removes the loaded group and its memberships together, so a later group
// that gets the same id starts with no members.
void FrmGrupMstr::DeleteGroup() {
    const QString id = QString::number(GrpId);
    InTransaction(*Conn, [&] {
        Rs.Open(QStringLiteral("Delete * from adrsgrupmstr where grpid like '") + id +
                    QStringLiteral("'"),
                Conn, adOpenStatic, adLockBatchOptimistic);
        if (Rs.RecordsAffected() < 1)
            throw DbError(QStringLiteral("Group %1 is no longer in the register.").arg(id));
        Rs.Open(QStringLiteral("Delete * from adrsgrpdtails where adrsgrupid like '") + id +
                    QStringLiteral("'"),
                Conn, adOpenStatic, adLockBatchOptimistic);
    });
}
