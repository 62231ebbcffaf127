#include "platform/entrybuttons.h"

#include <QCoreApplication>
#include <QPushButton>

void EntryButtons::Attach(QPushButton* save, QPushButton* edit) {
    saveButton_ = save;
    editButton_ = edit;
    Set(save_, edit_);
}

void EntryButtons::Set(SaveState save, EditState edit) {
    Set(save);
    Set(edit);
}

void EntryButtons::Set(SaveState save) {
    save_ = save;
    if (saveButton_)
        saveButton_->setText(save == SaveState::New
                                 ? QCoreApplication::translate("EntryButtons", "&New")
                                 : QCoreApplication::translate("EntryButtons", "&Save"));
}

void EntryButtons::Set(EditState edit) {
    edit_ = edit;
    if (editButton_)
        editButton_->setText(edit == EditState::Edit
                                 ? QCoreApplication::translate("EntryButtons", "&Edit")
                                 : QCoreApplication::translate("EntryButtons", "&Cancel"));
}
