// The contacts server commands of the Administrator menu, and the rounds
// that run at start-up and every few minutes.

#include "app/frmmainmdi.h"
#include "data/connmodule.h"
#include "data/syncstore.h"
#include "platform/errors.h"
#include "platform/msgbox.h"
#include "sync/certprompt.h"
#include "sync/frmcontactsserver.h"
#include "sync/frmsyncreport.h"
#include "sync/passwordstore.h"
#include "sync/syncprogressline.h"
#include "sync/syncround.h"
#include "sync/syncrunner.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <utility>

void FrmMainMdi::SetUpSync() {
    Runner = new SyncRunner(this);
    SyncLine = new SyncProgressLine(this);
    statusBar()->addPermanentWidget(SyncLine);
    SyncLine->hide();
    SyncTimer = new QTimer(this);
    SyncTimer->setObjectName(QStringLiteral("SyncTimer"));
    connect(Runner, &SyncRunner::Progress, SyncLine, &SyncProgressLine::ShowProgress);
    connect(Runner, &SyncRunner::Finished, this,
            [this](const SyncReport& report) { Guarded(this, [&] { SyncFinished(report); }); });
    connect(SyncLine->CmdStopSync, &QPushButton::clicked, this, [this] {
        Runner->Cancel();
        SyncLine->ShowStopping();
    });
    connect(SyncTimer, &QTimer::timeout, this,
            [this] { Guarded(this, [&] { StartSync(false); }); });
}

void FrmMainMdi::ScheduleSync(const SyncSettings& settings) {
    SyncTimer->stop();
    if (settings.everyMinutes > 0 && !settings.bookUrl.isEmpty())
        SyncTimer->start(settings.everyMinutes * 60 * 1000);
}

// The program is closing: the round stops and nobody hears of it.
void FrmMainMdi::StopSync() {
    if (!Runner || !Runner->Running()) return;
    Runner->blockSignals(true);
    Runner->Cancel();
    Runner->Wait();
}

void FrmMainMdi::CntsSrvr_Click() {
    const bool open = Child<FrmContactsServer>() != nullptr;
    FrmContactsServer* form = Load<FrmContactsServer>();
    if (!open)
        connect(form, &FrmContactsServer::Saved, this,
                [this](const SyncSettings& settings) { ScheduleSync(settings); });
}

void FrmMainMdi::Sync_Click() {
    StartSync(true);
}

void FrmMainMdi::StartSync(bool asked) {
    if (Runner->Running()) {
        if (asked) statusBar()->showMessage(tr("A synchronization is running already."));
        return;
    }
    const SyncSettings settings = SyncStore::LoadSettings(*Conn);
    if (settings.bookUrl.isEmpty()) {
        if (asked) CntsSrvr_Click(); // nothing to sync with yet: the settings first
        return;
    }
    if (!asked && syncPasswordRefused_) return;
    const std::optional<QString> password =
        SyncPassword::ForUse(this, SyncPassword::Key(settings.user, settings.server));
    if (!password) {
        syncPasswordRefused_ = !asked;
        return;
    }
    syncPasswordRefused_ = false;
    syncAsked_ = asked;
    syncPassword_ = *password;
    SyncLine->Begin(tr("Synchronizing with %1...").arg(settings.server));
    Runner->Start(settings, *password);
}

void FrmMainMdi::SyncFinished(const SyncReport& report) {
    SyncLine->hide();
    const QString password = std::exchange(syncPassword_, QString());
    // A certificate nothing vouches for stopped the round before it did
    // anything: trusted, it is pinned and the round starts again.
    if (!report.certificateSha256.isEmpty() &&
        ConfirmCertificate(report.certificateSha256, report.certificateSubject, windowTitle())) {
        SyncSettings settings = SyncStore::LoadSettings(*Conn);
        settings.pinnedSha256 = report.certificateSha256;
        try {
            SyncStore::EnsureTables(*Conn);
            SyncStore::SaveSettings(*Conn, settings);
        } catch (const DbError& e) {
            MsgBox(tr("The certificate could not be kept.\n\n") + e.message(), vbCritical,
                   windowTitle());
            return;
        }
        syncPassword_ = password;
        SyncLine->Begin(tr("Synchronizing with %1...").arg(settings.server));
        Runner->Start(settings, password);
        return;
    }
    if (report.authFailed) {
        try {
            const SyncSettings settings = SyncStore::LoadSettings(*Conn);
            SyncPassword::Forget(SyncPassword::Key(settings.user, settings.server));
        } catch (const DbError&) {
            // the book is busy: the password is asked for when the server refuses it again
        }
    }
    statusBar()->showMessage(FrmSyncReport::Headline(report).section(u'\n', 0, 0));
    // A round of the timer or of start-up opens the report only when the
    // user has something to look at; its other ends are said in the status bar.
    const bool worthShowing = !report.conflicts.isEmpty() || !report.failures.isEmpty();
    if (!syncAsked_ && !worthShowing) return;
    FrmSyncReport* form = Load<FrmSyncReport>();
    form->TakeServers = [this](const SyncConflict& conflict) {
        if (Runner->Running()) {
            MsgBox(tr("A synchronization is running: take the server's value once it has "
                      "ended."),
                   vbInformation, windowTitle());
            return false;
        }
        QString error;
        bool taken = false;
        try {
            taken = TakeServersValue(*Conn, conflict, &error);
        } catch (const std::exception& e) {
            error = ErrorText(e);
        }
        if (!taken)
            MsgBox(tr("The server's value could not be taken.\n\n") + error, vbExclamation,
                   windowTitle());
        return taken;
    };
    form->ShowReport(report);
}
