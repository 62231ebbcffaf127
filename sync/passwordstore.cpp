#include "sync/passwordstore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>
#include <memory>
#include <qt6keychain/keychain.h>

namespace {
const QString kService = QStringLiteral("adrsbook-contacts");
// A keyring that does not answer in this time counts as none: a locked one
// may ask the user to unlock it, which takes a moment; a missing one fails
// at once.
constexpr int kKeyringMs = 15000;

QHash<QString, QString>& thisRun() {
    static QHash<QString, QString> kept;
    return kept;
}

// What a keyring job came back with; shared with the job, which may finish
// after we gave up waiting on it.
struct Outcome {
    bool done = false;
    QKeychain::Error error = QKeychain::OtherError;
    QString text;
};

// Runs a keyring job to its end (or the time limit) with a loop of its own
// that takes no input meanwhile. The job deletes itself once finished.
std::shared_ptr<Outcome> Run(QKeychain::Job* job) {
    auto outcome = std::make_shared<Outcome>();
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [outcome, &loop](QKeychain::Job* j) {
        outcome->done = true;
        outcome->error = j->error();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(j))
            outcome->text = read->textData();
        loop.quit();
    });
    // Should the loop end on time, the late answer is noted and dropped.
    QObject::connect(job, &QKeychain::Job::finished, job, [outcome](QKeychain::Job* j) {
        if (!outcome->done) outcome->error = j->error();
    });
    QTimer::singleShot(kKeyringMs, &loop, &QEventLoop::quit);
    job->setAutoDelete(true);
    job->setInsecureFallback(false); // never a plain-text file in its place
    job->start();
    if (!outcome->done) loop.exec(QEventLoop::ExcludeUserInputEvents);
    return outcome;
}
} // namespace

namespace SyncPassword {

QString Key(const QString& user, const QString& server) {
    return user + u'@' + server;
}

std::optional<QString> Stored(const QString& key) {
    if (thisRun().contains(key)) return thisRun().value(key);
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(key);
    const auto outcome = Run(job);
    if (!outcome->done || outcome->error != QKeychain::NoError) return std::nullopt;
    thisRun().insert(key, outcome->text);
    return outcome->text;
}

bool Store(const QString& key, const QString& password) {
    thisRun().insert(key, password);
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(key);
    job->setTextData(password);
    const auto outcome = Run(job);
    return outcome->done && outcome->error == QKeychain::NoError;
}

void Forget(const QString& key) {
    thisRun().remove(key);
    auto* job = new QKeychain::DeletePasswordJob(kService);
    job->setKey(key);
    Run(job);
}

std::optional<QString> ForUse(QWidget* parent, const QString& key) {
    if (std::optional<QString> kept = Stored(key)) return kept;
    bool ok = false;
    const QString typed = QInputDialog::getText(
        parent, QStringLiteral("ORVANE ADDRESS BOOK"),
        QCoreApplication::translate("SyncPassword", "Password of %1 on the contacts server:")
            .arg(key),
        QLineEdit::Password, QString(), &ok);
    if (!ok) return std::nullopt;
    thisRun().insert(key, typed);
    return typed;
}

} // namespace SyncPassword
