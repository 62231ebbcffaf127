#include "sync/syncrunner.h"

#include "data/connection.h"
#include "data/connmodule.h"
#include "data/syncstore.h"
#include "sync/carddavclient.h"
#include "sync/syncround.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {
// A progress line redrawn more often than this only costs the windows time.
constexpr int kProgressEveryMs = 100;
} // namespace

SyncRunner::SyncRunner(QObject* parent) : QObject(parent) {
    qRegisterMetaType<SyncReport>();
}

SyncRunner::~SyncRunner() {
    // The program is closing: the round stops, and nobody hears of it.
    blockSignals(true);
    Cancel();
    Wait();
}

bool SyncRunner::Running() const {
    return thread_ != nullptr;
}

void SyncRunner::Start(const SyncSettings& settings, const QString& password) {
    if (Running()) return;
    cancel_ = std::make_shared<std::atomic_bool>(false);
    const auto cancel = cancel_;
    const QString connStr = ConnStr;
    const auto result = std::make_shared<SyncReport>();
    thread_ = QThread::create([this, settings, password, cancel, connStr, result] {
        SyncReport& report = *result;
        try {
            // The round's own connection: the windows go on using theirs.
            Connection conn;
            conn.Open(connStr);
            CardDavClient::Options options;
            options.user = settings.user;
            options.password = password;
            options.pinnedSha256 = settings.pinnedSha256;
            options.bookUrl = settings.bookUrl;
            options.cancelled = [cancel] { return cancel->load(); };
            CardDavClient dav(options);
            QElapsedTimer shown;
            SyncHooks hooks;
            hooks.cancelled = options.cancelled;
            hooks.progress = [&](const QString& text, int done, int total) {
                if (shown.isValid() && shown.elapsed() < kProgressEveryMs && done && done < total)
                    return;
                shown.start();
                emit Progress(text, done, total);
            };
            report = SyncRound(conn, dav, settings, hooks);
        } catch (const std::exception& e) {
            report.error = QCoreApplication::translate("SyncRound",
                                                       "The address book could not be opened for "
                                                       "the sync: %1")
                               .arg(QString::fromStdString(e.what()));
        }
    });
    // The report is handed over on this thread, once the round's thread has
    // ended: a handler may start the next round at once.
    connect(thread_, &QThread::finished, this, [this, result] { Done(*result); });
    thread_->start();
}

void SyncRunner::Cancel() {
    if (cancel_) cancel_->store(true);
}

void SyncRunner::Done(const SyncReport& report) {
    if (!thread_) return;
    thread_->deleteLater();
    thread_ = nullptr;
    emit Finished(report);
    if (!report.certificateSha256.isEmpty())
        emit CertificateUnknown(report.certificateSha256, report.certificateSubject);
}

void SyncRunner::Wait() {
    // The round may need the windows' thread to take their snapshots before
    // it writes: the events go on while it ends.
    while (thread_ && !thread_->wait(20))
        QCoreApplication::processEvents();
    if (thread_) QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
