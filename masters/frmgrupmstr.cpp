#include "masters/frmgrupmstr.h"

#include "data/connmodule.h"
#include "data/dberror.h"
#include "data/fieldlengths.h"
#include "masters/anywheredblclick.h"
#include "masters/registerflow.h"
#include "masters/registerlist.h"
#include "platform/changedelsewhere.h"
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
    Label1 = new QLabel(tr("Group Name :-"), FrameCsC);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(QFont(QStringLiteral("Arial"), 8));
    PlaceTwips(Label1, 120, 240, 1335, 195);
    txtGrup = new QLineEdit(FrameCsC);
    txtGrup->setObjectName(QStringLiteral("txtGrup"));
    txtGrup->setMaxLength(FieldLength::Group);
    PlaceTwips(txtGrup, 1440, 240, 2535, 285);
    FrameCsC->setEnabled(false);

    CmdSave = NewButton(this, "CmdSave", tr("&New"));
    PlaceTwips(CmdSave, 120, 2040, 855, 375);
    CmdEdt = NewButton(this, "CmdEdt", tr("&Edit"));
    Buttons.Attach(CmdSave, CmdEdt);
    PlaceTwips(CmdEdt, 1200, 2040, 855, 375);
    CmdDel = NewButton(this, "CmdDel", tr("&Delete"));
    PlaceTwips(CmdDel, 2280, 2040, 855, 375);
    CmdDel->setEnabled(false);
    CmdClos = NewButton(this, "CmdClos", tr("&Close"));
    PlaceTwips(CmdClos, 3360, 2040, 855, 375);

    LstvewGrup = new ListView(this);
    LstvewGrup->setObjectName(QStringLiteral("LstvewGrup"));
    PlaceTwips(LstvewGrup, 4320, 90, 3015, 2295);
    LstvewGrup->AddColumn(tr("Group Name"), 2055);
    LstvewGrup->AddColumn(tr("IdNo"), 660);
    LstvewGrup->header()->setStretchLastSection(true);
    LstvewGrup->hide();

    Flow.Attach({.window = this,
                 .buttons = &Buttons,
                 .entry = FrameCsC,
                 .boxes = {txtGrup},
                 .list = LstvewGrup,
                 .del = CmdDel,
                 .narrowWidth = kNarrowWidth,
                 .wideWidth = kWideWidth});

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
    SetCaption(AppTitle + QStringLiteral(" ") + tr("(GROUP MASTER)"));
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
        Flow.OpenNew();
    } else if (Buttons.Save() == SaveState::Save) {
        if (Flow.MarkMissing() != 0) return;
        // A declined or failed save leaves the loaded group on screen, so it
        // keeps its id for the next Save.
        if (SaveGroup()) GrpId = 0;
    }
}

void FrmGrupMstr::CmdEdt_Click() {
    if (Buttons.Edit() == EditState::Edit) {
        NewEntry = false;
        Flow.ShowList([&] { FillGroupList(); }, GroupListAgain());
    } else if (Buttons.Edit() == EditState::Cancel) {
        Flow.HideList();
    }
    Flow.ClearEntry();
}

void FrmGrupMstr::CmdDel_Click() {
    if (!(GrpId > 0)) return;
    if (Rs.State() == adStateOpen) Rs.Close();
    if (!Flow.ConfirmDelete()) return;
    if (!Flow.Written([&] { DeleteGroup(); }, tr("The group could not be deleted."))) return;
    Flow.Deleted();
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
        Flow.SayNotFound();
        return;
    }
    ResumeNext([&] { txtGrup->setText(Trim(Rs.Fields("grpname").Str())); });
    ResumeNext([&] { Loaded.Take(Rs, {QStringLiteral("grpname")}); });
    Flow.OpenLoaded();
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

// Adds the group in add mode, else renames the loaded one. True when a row
// was written; false when the user declined or the save failed.
bool FrmGrupMstr::SaveGroup() {
    bool saved = false;
    TrapInvalidInput([&] {
        Rs.Close(); // a fresh recordset
        if (!Flow.ConfirmSave()) return;
        // The new id is taken inside the write that adds the row: another
        // program writing meanwhile waits for it, so no two groups share an id.
        // A rename is checked against the group as it was loaded.
        const QList<EntryField> fields{
            TextBoxField(txtGrup, QStringLiteral("grpname"), tr("Group"))};
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
        Flow.Saved(NewEntry);
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
            throw DbError(tr("Group %1 is no longer in the register.").arg(id));
        Rs.Open(QStringLiteral("Delete * from adrsgrpdtails where adrsgrupid like '") + id +
                    QStringLiteral("'"),
                Conn, adOpenStatic, adLockBatchOptimistic);
    });
}
