#include "platform/changedelsewhere.h"

#include "platform/msgbox.h"
#include "platform/vb.h"

#include <QCoreApplication>
#include <QLineEdit>

namespace {

const EntryField* fieldOf(const QList<EntryField>& fields, const QString& column) {
    for (const EntryField& f : fields)
        if (f.column.compare(column, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

QString quoted(const QString& text) {
    return text.isEmpty() ? QCoreApplication::translate("ChangedElsewhere", "(empty)")
                          : u'"' + text + u'"';
}

} // namespace

EntryField TextBoxField(QLineEdit* box, const QString& column, const QString& caption) {
    return {column, caption, [box] { return Trim(box->text()); },
            [box](const QString& value) { box->setText(Trim(value)); }};
}

EntryField DeletedMarkField(const QString& column) {
    return {column,
            QCoreApplication::translate("ChangedElsewhere", "Deleted"),
            [] { return QCoreApplication::translate("ChangedElsewhere", "no"); },
            {},
            [](const QString& value) {
                return value == QLatin1String("1")
                           ? QCoreApplication::translate("ChangedElsewhere", "yes")
                           : QCoreApplication::translate("ChangedElsewhere", "no");
            }};
}

ChangeChoice AskAboutChange(const QList<ChangedField>& changes, const QList<EntryField>& fields,
                            const QString& title) {
    QStringList lines;
    for (const ChangedField& c : changes) {
        const EntryField* f = fieldOf(fields, c.column);
        const QString theirs = f && f->shown ? f->shown(c.stored) : c.stored;
        lines << QCoreApplication::translate("ChangedElsewhere", "%1: theirs %2, yours %3")
                     .arg(f ? f->caption : c.column, quoted(theirs),
                          quoted(f && f->yours ? f->yours() : c.loaded));
    }
    const int answer =
        MsgChoice(QCoreApplication::translate(
                      "ChangedElsewhere",
                      "Another desk or program has changed this record since you loaded it. "
                      "Nothing has been saved.\n\n%1\n\nKeep editing: nothing is saved.\nTake "
                      "theirs: their values go into the form; press Save again for the rest of "
                      "your changes.\nSave over theirs: your entry is saved as it stands, and "
                      "their change is lost.")
                      .arg(lines.join(u'\n')),
                  {QCoreApplication::translate("ChangedElsewhere", "Keep editing"),
                   QCoreApplication::translate("ChangedElsewhere", "Take theirs"),
                   QCoreApplication::translate("ChangedElsewhere", "Save over theirs")},
                  vbExclamation, title);
    return answer == 1   ? ChangeChoice::TakeTheirs
           : answer == 2 ? ChangeChoice::SaveOver
                         : ChangeChoice::KeepEditing;
}

bool SaveCheckingChanges(LoadedRow& loaded, const QList<EntryField>& fields, const QString& title,
                         const std::function<void()>& save) {
    for (;;) {
        try {
            save();
            return true;
        } catch (const ChangedElsewhere& e) {
            switch (AskAboutChange(e.Changes(), fields, title)) {
            case ChangeChoice::KeepEditing:
                return false;
            case ChangeChoice::TakeTheirs:
                for (const ChangedField& c : e.Changes())
                    if (const EntryField* f = fieldOf(fields, c.column); f && f->take)
                        f->take(c.stored);
                loaded.Accept(e.Changes());
                return false;
            case ChangeChoice::SaveOver:
                loaded.Accept(e.Changes());
                break;
            }
        }
    }
}
