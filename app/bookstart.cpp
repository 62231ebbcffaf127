#include "app/bookstart.h"

#include "app/serverpassword.h"
#include "data/connmodule.h"
#include "data/dberror.h"
#include "data/privatefile.h"
#include "platform/errors.h"
#include "platform/msgbox.h"

#include <QCoreApplication>
#include <QDir>

namespace {

const QString kTitle = QStringLiteral("ORVANE ADDRESS BOOK");

void Refuse(const QString& text) {
    MsgBox(text, vbCritical, kTitle);
}

QString Native(const QString& file) {
    return QDir::toNativeSeparators(file);
}

constexpr int kPasswordTries = 3;

// Opens Conn, asking for the server's password when it wants one the
// user's password file has not (or refused): up to three times, saying
// after a refused one that it was wrong.
void OpenConnAskingPassword() {
    for (int asked = 0;; ++asked) {
        try {
            OpenConn();
            return;
        } catch (const PasswordNeeded& e) {
            CloseConns();
            if (asked == kPasswordTries) throw;
            QString why;
            if (dynamic_cast<const PasswordWrong*>(&e))
                why = ServerPassword.isEmpty()
                          ? QCoreApplication::translate(
                                "BookStart", "The server refused the password in your password "
                                             "file (~/.pgpass).")
                          : QCoreApplication::translate(
                                "BookStart", "The password was wrong: the server refused it.");
            QString password;
            if (!AskServerPassword(nullptr, ServerWhere(), password, why)) throw;
            ServerPassword = password;
        }
    }
}

// A book on a database server: no file and no lock beside the program; the
// server's password, when asked for, is typed masked and kept for this run
// only.
bool OpenServerBook() {
    try {
        OpenConnAskingPassword();
        OpenConn2();
    } catch (const std::exception& e) {
        CloseConns();
        Refuse(QCoreApplication::translate(
                   "BookStart", "The address book cannot start: its database could not be "
                                "opened.\n\n") +
               ErrorText(e));
        return false;
    }
    return true;
}

// Says why this copy cannot have the book; true when it may still open it
// for reading only.
bool LockRefused(BookLock& lock, BookLock::Outcome outcome, const QString& file) {
    switch (outcome) {
    case BookLock::Outcome::HeldElse:
        MsgBox(QCoreApplication::translate(
                   "BookStart", "The address book is already open in another copy of the program "
                                "(%1%2).\n\nUse the window that is open already; this copy ends "
                                "without touching the book.")
                   .arg(Native(file),
                        lock.Holder().isEmpty() ? QString() : QStringLiteral(": ") + lock.Holder()),
               vbExclamation, kTitle);
        return false;
    case BookLock::Outcome::Unsure:
        MsgBox(QCoreApplication::translate(
                   "BookStart",
                   "The address book %1 may be open on another computer: its lock file "
                   "%2 names %3. The folder's file system keeps no locks, so this "
                   "computer cannot see whether that copy still runs.\n\nIf the address "
                   "book is closed on that computer (or the computer is off), delete "
                   "the file %2 and start again. This copy ends without touching the "
                   "book.")
                   .arg(Native(file), Native(BookLock::LockPath(file)), lock.Holder()),
               vbExclamation, kTitle);
        return false;
    case BookLock::Outcome::Failed:
        return MsgBox(QCoreApplication::translate(
                          "BookStart", "The address book %1 cannot be kept for this copy alone: "
                                       "%2\n\nAnother copy could change it unseen. Open it "
                                       "read-only (look up, search, print and export; nothing can "
                                       "be saved)?\n\nNo ends this copy without touching the book.")
                          .arg(Native(file), lock.Problem()),
                      vbYesNo | vbExclamation, kTitle) == vbYes;
    default:
        return true;
    }
}

enum class DamagedChoice { Restored, ReadOnly, End };

// A book the full check found damaged after an unclean end: restore a
// backup now, open it read-only to export what can be read, or end.
DamagedChoice OfferForDamagedBook(const QString& file, const QString& found,
                                  const std::function<bool()>& restore) {
    const int answer =
        MsgBox(QCoreApplication::translate(
                   "BookStart", "The database file %1 is damaged. The program did not end normally "
                                "the last time, and the full check of the book found:\n%2\n\n"
                                "Yes: restore a backup now (the damaged book is kept beside it).\n"
                                "No: open the book read-only, to look up and export what can "
                                "still be read.\nCancel: end the program; the book is left as it "
                                "is.")
                   .arg(Native(file), found.section(u'\n', 0, 9)),
               vbYesNoCancel | vbCritical, kTitle);
    if (answer == vbYes) {
        CloseConns();
        return restore && restore() ? DamagedChoice::Restored : DamagedChoice::End;
    }
    return answer == vbNo ? DamagedChoice::ReadOnly : DamagedChoice::End;
}

} // namespace

bool OpenBook(std::unique_ptr<BookLock>& lock, const std::function<bool()>& restore) {
    if (ServerMode()) return OpenServerBook();
    SetBookReadOnly(false);
    const QString file = DatabaseFile();
    lock = std::make_unique<BookLock>(file);
    const BookLock::Outcome outcome = lock->Take();
    if (!LockRefused(*lock, outcome, file)) {
        lock.reset();
        return false;
    }
    if (outcome == BookLock::Outcome::Failed) SetBookReadOnly(true);
    bool damaged = false;
    try {
        OpenConn();
        OpenConn2();
        if (lock->EndedUncleanly()) {
            const QString check = Conn->IntegrityCheck();
            if (check != QLatin1String("ok")) {
                switch (OfferForDamagedBook(file, check, restore)) {
                case DamagedChoice::Restored:
                    break;
                case DamagedChoice::ReadOnly:
                    CloseConns();
                    SetBookReadOnly(true);
                    OpenConn();
                    OpenConn2();
                    damaged = true;
                    break;
                case DamagedChoice::End:
                    CloseConns();
                    lock.reset(); // the marker stays: the next start checks again
                    return false;
                }
            }
        }
    } catch (const std::exception& e) {
        CloseConns();
        lock.reset(); // the marker stays: the next start checks again
        const bool busy = dynamic_cast<const BusyError*>(&e) != nullptr;
        Refuse((busy ? QCoreApplication::translate(
                           "BookStart", "The address book cannot start: the book is in use.\n\n")
                     : QCoreApplication::translate(
                           "BookStart", "The address book cannot start: its database could not "
                                        "be opened.\n\n")) +
               ErrorText(e));
        return false;
    }
    lock->MarkOpen();
    if (damaged) {
        lock->KeepMarker();
        MsgBox(QCoreApplication::translate(
                   "BookStart", "The damaged address book %1 is open read-only: look up and export "
                                "what can still be read (Administrator, Import / Export), then "
                                "restore a backup. Nothing you save will be kept.")
                   .arg(Native(file)),
               vbInformation, kTitle);
        return true;
    }
    // A book made by an earlier release may still be readable by others.
    if (!Conn->ReadOnly()) MakePrivate(file);
    if (Conn->ReadOnly() && outcome != BookLock::Outcome::Failed)
        MsgBox(QCoreApplication::translate(
                   "BookStart", "The address book %1 is opened read-only: its file or its folder "
                                "may not be written, or no lock keeps it for this copy alone. You "
                                "can look up, search and print, but nothing you save will be kept.")
                   .arg(Native(file)),
               vbInformation, kTitle);
    return true;
}
