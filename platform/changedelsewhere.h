#pragma once
// A record that another desk or another program changed after a window
// loaded it for change: the save writes nothing, the user is told which
// fields differ (theirs and yours) and chooses to keep editing, to take
// the other values into the form, or to save over them.

#include "data/rowcheck.h"

#include <functional>

// One field of a window's entry, as the question names it and as taking
// the other values fills it.
struct EntryField {
    QString column;                                    // as stored, or as given to LoadedRow::Set
    QString caption;                                   // as the window names it
    std::function<QString()> yours;                    // what the entry holds now, as shown
    std::function<void(const QString&)> take;          // puts a stored value into the entry
    std::function<QString(const QString&)> shown = {}; // a stored value as shown (else as it is)
};

class QLineEdit;

// A text box of the entry: yours and theirs as trimmed text.
EntryField TextBoxField(QLineEdit* box, const QString& column, const QString& caption);
// A register's deleted mark, which the entry does not show: a change-save
// marks the record in use.
EntryField DeletedMarkField(const QString& column);

enum class ChangeChoice { KeepEditing, TakeTheirs, SaveOver };

ChangeChoice AskAboutChange(const QList<ChangedField>& changes, const QList<EntryField>& fields,
                            const QString& title);

// Runs `save`, a change-save that checks `loaded` inside its write (and so
// may raise ChangedElsewhere), and settles a change made elsewhere as the
// user chooses: taken into the form (nothing saved), or saved over (the
// save runs again, checked again). True when it saved.
bool SaveCheckingChanges(LoadedRow& loaded, const QList<EntryField>& fields, const QString& title,
                         const std::function<void()>& save);
