#pragma once
// Runs a sync round in a thread of its own, with its own connection to the
// book, so that the windows keep painting and taking keys meanwhile.

#include "sync/syncreport.h"

#include <QObject>
#include <atomic>
#include <memory>

class QThread;
struct SyncSettings;

class SyncRunner : public QObject {
    Q_OBJECT
  public:
    explicit SyncRunner(QObject* parent = nullptr);
    ~SyncRunner() override;

    bool Running() const;
    // Starts a round with the settings and the contacts server's password;
    // the book is opened through the program's connection string. Does
    // nothing while a round runs.
    void Start(const SyncSettings& settings, const QString& password);
    // Asks the round to stop: what was received is not stored, what was
    // sent stays sent (the next round picks up from there).
    void Cancel();
    // Waits for a running round to end (the program closing).
    void Wait();

  signals:
    void Progress(const QString& text, int done, int total);
    void Finished(const SyncReport& report);
    // The server's certificate is not one the system trusts: the user may
    // confirm its fingerprint, which is then pinned in the settings.
    void CertificateUnknown(const QString& sha256, const QString& subject);

  private:
    void Done(const SyncReport& report);

    QThread* thread_ = nullptr;
    std::shared_ptr<std::atomic_bool> cancel_;
};
