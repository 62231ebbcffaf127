#include "masters/registerflow.h"

#include "masters/entrycolours.h"
#include "platform/entrybuttons.h"
#include "platform/errors.h"
#include "platform/form.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/vb.h"
#include "platform/writefailure.h"

#include <QLineEdit>
#include <QPushButton>

void RegisterFlow::OpenNew() {
    p_.buttons->Set(SaveState::Save, EditState::Cancel);
    p_.entry->setEnabled(true);
    p_.boxes.first()->setFocus();
    p_.list->hide();
    p_.window->SetWidth(p_.narrowWidth);
}

void RegisterFlow::ShowList(const std::function<void()>& fill, const BusyRerun& again) {
    p_.window->SetWidth(p_.wideWidth);
    p_.list->show();
    ResumeNext(fill, again);
    p_.list->setFocus();
    p_.buttons->Set(EditState::Cancel);
}

void RegisterFlow::HideList() {
    p_.buttons->Set(EditState::Edit);
    p_.list->hide();
    p_.window->SetWidth(p_.narrowWidth);
    p_.boxes.first()->setFocus();
}

void RegisterFlow::OpenLoaded() {
    p_.buttons->Set(SaveState::Save, EditState::Edit);
    p_.del->setEnabled(true);
    p_.list->hide();
    p_.entry->setEnabled(true);
    p_.boxes.first()->setFocus();
    p_.window->SetWidth(p_.narrowWidth);
}

int RegisterFlow::MarkMissing() {
    int missing = 0;
    for (QLineEdit* box : p_.boxes) {
        if (Trim(box->text()).isEmpty()) {
            MarkEmpty(box);
            ++missing;
            box->setFocus();
        } else {
            MarkFilled(box);
        }
    }
    return missing;
}

void RegisterFlow::ClearEntry() {
    for (QLineEdit* box : p_.boxes)
        box->clear();
}

bool RegisterFlow::ConfirmSave() {
    return MsgBox(tr("Are you Sure to save this Record"), vbYesNo, p_.window->Caption()) == vbYes;
}

bool RegisterFlow::ConfirmDelete() {
    if (MsgBox(tr("Are you sure to delete this record?"), vbYesNo, p_.window->Caption()) == vbYes)
        return true;
    p_.del->setFocus();
    return false;
}

bool RegisterFlow::Written(const std::function<void()>& work, const QString& what) {
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        ReportWriteFailure(p_.window, what, e);
        return false;
    }
}

void RegisterFlow::Saved(bool newEntry) {
    MsgBox(newEntry ? tr("Record has been Saved") : tr("Record has been updated"), vbInformation,
           p_.window->Caption());
    Reset();
}

void RegisterFlow::Deleted() {
    MsgBox(tr("Record has been Deleted"), vbInformation, p_.window->Caption());
    Reset();
    p_.del->setEnabled(false);
}

void RegisterFlow::SayNotFound() {
    MsgBox(tr("No record found"), vbInformation, p_.window->Caption());
}

void RegisterFlow::Reset() {
    ClearEntry();
    p_.buttons->Set(SaveState::New, EditState::Edit);
}
