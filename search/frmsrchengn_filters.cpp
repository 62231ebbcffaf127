// The filter area: the group box, "Select All Group", the filter box and the
// value box, and which search a change of the value runs.

#include "search/frmsrchengn.h"

#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/vb.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

void FrmSrchEngn::CmbxGrup1_GotFocus() {
    LoadGroups();
}

void FrmSrchEngn::CmbxGrup1_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) ChkAll->setFocus();
}

// The id of the group named in the box. Every row is looked at, so of two
// groups with one name the last in name order wins; no match keeps the id.
void FrmSrchEngn::CmbxGrup1_LostFocus() {
    const QString name = Trim(CmbxGrup1->currentText());
    if (name == tr("All")) return;
    for (int i = 1; i <= LstvewGrup2->Count(); ++i) {
        ListItem row = LstvewGrup2->Item(i);
        if (Trim(row.Text()) == name) SelectedGroupId = CInt(row.SubItem(1));
    }
}

void FrmSrchEngn::ChkAll_Click() {
    if (ChkAll->checkState() == Qt::Checked) {
        CmbxGrup1->setEditText(tr("All"));
        CmbxGrup1->setEnabled(false);
    } else if (ChkAll->checkState() == Qt::Unchecked) {
        CmbxGrup1->setEditText(QString());
        CmbxGrup1->setEnabled(true);
    }
    DecideAllGroups();
}

void FrmSrchEngn::ChkAll_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) Cmbxfiltr->setFocus();
}

void FrmSrchEngn::Cmbxfiltr_GotFocus() {
    DecideAllGroups();
}

// The search spans all groups when the group box reads "All" or nothing.
// Decided again whenever the choice may have changed (the filter box
// entered, "Select All Group" ticked or unticked, the value changed), so
// that a search always uses the choice on screen.
void FrmSrchEngn::DecideAllGroups() {
    const QString group = Trim(CmbxGrup1->currentText());
    AllGroups = group == tr("All") || group.isEmpty();
}

void FrmSrchEngn::Cmbxfiltr_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) {
        TxtValue->setEnabled(true);
        TxtValue->setFocus();
    }
}

void FrmSrchEngn::Cmbxfiltr_LostFocus() {
    // Only a move inside this window counts: switching to another window or
    // closing this one leaves the filter box alone.
    QWidget* next = QApplication::focusWidget();
    if (!next || !isAncestorOf(next) || !isVisible()) return;

    if (Cmbxfiltr->currentText().isEmpty()) {
        MsgBox(tr("Please select a filter to proceed further"), vbInformation, Caption());
        Cmbxfiltr->setFocus();
    } else if (Trim(Cmbxfiltr->currentText()) == tr("All")) {
        TxtValue->setEnabled(false);
        SearchAllGroups();
    } else {
        TxtValue->setEnabled(true);
        TxtValue->setFocus();
    }
}

// Entering the value box always starts afresh: the text goes to "A" and
// then to nothing, and each change runs its search.
void FrmSrchEngn::TxtValue_GotFocus() {
    TxtValue->setText(QStringLiteral("A"));
    TxtValue->setText(QString());
}

void FrmSrchEngn::TxtValue_Change() {
    DecideAllGroups();
    if (!AllGroups)
        SearchInGroup();
    else
        SearchAllGroups();
}
