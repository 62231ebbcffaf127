#include "app/bookstart.h"

#include "data/connmodule.h"
#include "data/dberror.h"
#include "data/privatefile.h"
#include "platform/errors.h"
#include "platform/msgbox.h"

namespace {

const QString kTitle = QStringLiteral("ORVANE ADDRESS BOOK");

void Refuse(const QString& text) {
    MsgBox(text, vbCritical, kTitle);
}

} // namespace

bool OpenBook(std::unique_ptr<BookLock>& lock) {
    const QString file = DatabaseFile();
    lock = std::make_unique<BookLock>(file);
    if (lock->Take() == BookLock::Outcome::HeldElse) {
        lock.reset();
        MsgBox(QStringLiteral("The address book is already open in another copy of the program "
                              "(%1).\n\nUse the window that is open already; this copy ends "
                              "without touching the book.")
                   .arg(file),
               vbExclamation, kTitle);
        return false;
    }
    try {
        OpenConn();
        OpenConn2();
        if (lock->EndedUncleanly()) {
            const QString check = Conn->IntegrityCheck();
            if (check != QLatin1String("ok"))
                throw DbError(
                    QStringLiteral("The database file %1 is damaged. The program did not end "
                                   "normally the last time, and the full check of the book "
                                   "found:\n%2\n\nRestore a backup or call for help; the book "
                                   "is left as it is.")
                        .arg(file, check.section(u'\n', 0, 9)));
        }
    } catch (const std::exception& e) {
        CloseConns();
        lock.reset(); // the marker stays: the next start checks again
        const bool busy = dynamic_cast<const BusyError*>(&e) != nullptr;
        Refuse((busy ? QStringLiteral("The address book cannot start: the book is in use.\n\n")
                     : QStringLiteral("The address book cannot start: its database could not "
                                      "be opened.\n\n")) +
               ErrorText(e));
        return false;
    }
    lock->MarkOpen();
    // A book made by an earlier release may still be readable by others.
    if (!Conn->ReadOnly()) MakePrivate(file);
    if (Conn->ReadOnly())
        MsgBox(QStringLiteral("The address book %1 is opened read-only: its file or its folder "
                              "may not be written. You can look up, search and print, but "
                              "nothing you save will be kept.")
                   .arg(file),
               vbInformation, kTitle);
    return true;
}
