// Backup and Restore of the main menu's Administrator commands.

#include "app/frmmainmdi.h"
#include "data/backup.h"
#include "data/booklock.h"
#include "data/bookrebuild.h"
#include "data/connmodule.h"
#include "data/dberror.h"
#include "data/serverbackup.h"
#include "data/syncstore.h"
#include "data/userfile.h"
#include "platform/dialogfolders.h"
#include "platform/errors.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "sync/syncrunner.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

namespace {
const QString kBackupFolders = QStringLiteral("backup");

// Where the Backup and Restore dialogs open: the folder last used for
// either, else Documents, else home.
QString backupFolder() {
    return DialogFolders::Start(kBackupFolders);
}

void rememberFolder(const QString& chosen) {
    DialogFolders::Remember(kBackupFolders, chosen);
}

QString idList(const QList<int>& ids) {
    constexpr int kShown = 20;
    QStringList shown;
    for (int i = 0; i < ids.size() && i < kShown; ++i)
        shown << QString::number(ids[i]);
    return shown.join(QStringLiteral(", ")) +
           (ids.size() > kShown ? QStringLiteral(" ...") : QString());
}

// What a restored book holds that the address master cannot save again as
// it stands, said before and after the restore (empty when nothing).
QString UnsaveableText(const QString& book) {
    Backup::Unsaveable parties;
    try {
        parties = Backup::FindUnsaveable(book);
    } catch (const std::exception&) {
        return {};
    }
    const auto say = [](const QList<int>& ids, const QString& one, const QString& many) {
        if (ids.isEmpty()) return QString();
        return QCoreApplication::translate("FrmMainMdi", "\n\n%1 %2 (ids %3).")
            .arg(ids.size())
            .arg(ids.size() == 1 ? one : many, idList(ids));
    };
    QString text =
        say(parties.noCity,
            QCoreApplication::translate(
                "FrmMainMdi", "party of it names a city that is not in its city register"),
            QCoreApplication::translate(
                "FrmMainMdi", "parties of it name a city that is not in its city register")) +
        say(parties.noGroup,
            QCoreApplication::translate("FrmMainMdi",
                                        "party of it belongs to no group of its group register"),
            QCoreApplication::translate("FrmMainMdi",
                                        "parties of it belong to no group of its group register"));
    if (!text.isEmpty())
        text += QCoreApplication::translate(
            "FrmMainMdi", "\n\nSuch a party is restored as it is; before it can be saved "
                          "again, choose its city and tick a group in the Address Master.");
    return text;
}
} // namespace

void FrmMainMdi::Bak_Click() {
    const QString suggested =
        QDir(backupFolder())
            .filePath(QStringLiteral("adrsbookHXS-backup-%1.mdb")
                          .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    const QString target = FileDialogs::GetSaveFileName(this, tr("Backup"), suggested);
    if (target.isEmpty()) return;
    rememberFolder(target);
    try {
        UserFile::Check(target, ServerMode() ? BookBesideProgram() : Conn->File());
    } catch (const WriteRefused& e) {
        MsgBox(tr("The backup cannot be written there.\n\n") + ErrorText(e), vbCritical,
               windowTitle());
        return;
    }
    if (ServerMode()) {
        ServerBak(target);
        return;
    }
    try {
        Backup::BackupTo(*Conn, target);
    } catch (const std::exception& e) {
        MsgBox(tr("The backup could not be made.\n\n") + ErrorText(e), vbCritical, windowTitle());
        return;
    }
    MsgBox(tr("The address book has been backed up to\n") + QDir::toNativeSeparators(target),
           vbInformation, windowTitle());
}

void FrmMainMdi::Rtsr_Click() {
    // A round writes to the book through a connection of its own.
    if (Runner->Running()) {
        MsgBox(tr("A synchronization with the contacts server is running: restore once it "
                  "has ended, or cancel it in the status bar first."),
               vbInformation, windowTitle());
        return;
    }
    // The restored book brings its own sync settings.
    if (RestoreBook()) ResumeNext([&] { ScheduleSync(SyncStore::LoadSettings(*Conn)); });
}

bool FrmMainMdi::RestoreBook() {
    const QString source = FileDialogs::GetOpenFileName(this, tr("Restore"), backupFolder());
    if (source.isEmpty()) return false;
    rememberFolder(source);
    const QString database = ServerMode() ? BookBesideProgram() : DatabaseFile();
    if (UserFile::SameFile(source, database)) {
        MsgBox(tr("That file is the address book in use; there is nothing to restore."),
               vbInformation, windowTitle());
        return false;
    }
    // The file is read and rebuilt by a child process; the window waits
    // for it, and after half a second shows that it does.
    QString incoming, refused, failed;
    {
        QProgressDialog progress(tr("Checking %1 ...").arg(QDir::toNativeSeparators(source)),
                                 tr("Cancel"), 0, 0, this);
        progress.setWindowTitle(windowTitle());
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        try {
            incoming = Backup::PrepareRestore(source, database, [&] {
                QCoreApplication::processEvents();
                return !progress.wasCanceled();
            });
        } catch (const FileRefused& e) {
            refused = ErrorText(e);
        } catch (const std::exception& e) {
            failed = ErrorText(e);
        }
    }
    if (!refused.isEmpty()) {
        MsgBox(tr("The file %1 cannot be restored: nothing has been changed.\n\n")
                       .arg(QDir::toNativeSeparators(source)) +
                   refused,
               vbCritical, windowTitle());
        return false;
    }
    if (!failed.isEmpty()) {
        MsgBox(tr("The restore failed: the address book is unchanged.\n\n") + failed, vbCritical,
               windowTitle());
        return false;
    }
    const QString unsaveable = UnsaveableText(incoming);
    if (MsgBox(tr("Replace the address book with the data of\n%1?\n\nAll open windows "
                  "will be closed. "
                  "The current data is kept in a dated copy beside the program.")
                       .arg(QDir::toNativeSeparators(source)) +
                   unsaveable,
               vbYesNo, windowTitle()) != vbYes) {
        Backup::Discard(incoming);
        return false;
    }

    if (ServerMode()) return ServerRtsr(source, incoming, unsaveable);
    CloseChildren();
    CloseConns();
    QString kept;
    // The new file is this copy's before it takes the book's place.
    if (lock_) lock_->Hold(incoming);
    try {
        kept = Backup::SwapIn(incoming, database);
        FollowBook();
        // A book opened read-only because it was damaged is whole now.
        if (lock_ && lock_->Held()) {
            SetBookReadOnly(false);
            lock_->KeepMarker(false);
        }
        OpenConn();
        OpenConn2();
    } catch (const std::exception& e) {
        // Put the address book back as it was.
        CloseConns();
        if (!kept.isEmpty()) ResumeNext([&] { Backup::PutBack(kept, database); });
        FollowBook();
        try {
            OpenConn();
            OpenConn2();
        } catch (const std::exception& again) {
            MsgBox(tr("The restore failed, and the address book could not be opened again. "
                      "The program will close.\n\n") +
                       ErrorText(again),
                   vbCritical, windowTitle());
            close();
            return false;
        }
        MsgBox(tr("The restore failed: the address book is unchanged.\n\n") + ErrorText(e),
               vbCritical, windowTitle());
        return false;
    }
    MsgBox(tr("The address book has been restored from\n%1\n\nThe previous data is kept as\n%2")
                   .arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(kept)) +
               unsaveable,
           vbInformation, windowTitle());
    return true;
}

// After the book's file was replaced, the one-copy lock is kept on the file
// now under the book's name.
void FrmMainMdi::FollowBook() {
    if (lock_ && !lock_->Follow())
        MsgBox(tr("The restored address book could not be locked for this copy alone: "
                  "another copy of the program may have opened it."),
               vbExclamation, windowTitle());
}

// A backup of the server's data: a keyed book like every other.
void FrmMainMdi::ServerBak(const QString& target) {
    try {
        ServerBackup::BackupTo(*Conn, target);
    } catch (const std::exception& e) {
        MsgBox(tr("The backup could not be made.\n\n") + ErrorText(e), vbCritical, windowTitle());
        return;
    }
    MsgBox(tr("The address book on the server has been backed up to\n") +
               QDir::toNativeSeparators(target),
           vbInformation, windowTitle());
}

// Loads a checked book into the server: the current data is first kept in
// a dated book beside the program; then all or nothing, only while no
// other desk is connected (whatever login it uses).
bool FrmMainMdi::ServerRtsr(const QString& source, const QString& incoming,
                            const QString& unsaveable) {
    CloseChildren();
    Conn2->Close(); // it holds the book's lock too
    QString kept;
    QString failed;
    try {
        ServerBackup::RequireNoOtherDesk(*Conn);
        kept = Backup::KeptCopyName(BookBesideProgram());
        ServerBackup::KeepAs(*Conn, kept);
        ServerBackup::RestoreFrom(*Conn, incoming);
    } catch (const std::exception& e) {
        failed = ErrorText(e);
        if (!kept.isEmpty() && QFileInfo::exists(kept)) QFile::remove(kept);
    }
    Backup::Discard(incoming);
    try {
        OpenConn2();
    } catch (const std::exception& e) {
        failed += QStringLiteral("\n\n") + ErrorText(e);
    }
    if (!failed.isEmpty()) {
        MsgBox(tr("The restore was refused or failed: the address book on the server "
                  "is unchanged.\n\n") +
                   failed,
               vbCritical, windowTitle());
        return false;
    }
    MsgBox(tr("The address book on the server has been restored from\n%1\n\nThe "
              "previous data is kept as\n%2")
                   .arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(kept)) +
               unsaveable,
           vbInformation, windowTitle());
    return true;
}
