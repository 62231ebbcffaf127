#include "data/booklock.h"

#include "data/privatefile.h"

#include <QFile>
#include <QFileInfo>

QString BookLock::LockPath(const QString& databaseFile) {
    return databaseFile + QStringLiteral(".lock");
}

QString BookLock::MarkerPath(const QString& databaseFile) {
    return databaseFile + QStringLiteral(".open");
}

BookLock::BookLock(const QString& databaseFile)
    : file_(databaseFile), lock_(LockPath(databaseFile)) {
    // A lock is stale only when the copy that holds it is gone, however old
    // it is: a copy may stay open for days.
    lock_.setStaleLockTime(0);
}

BookLock::~BookLock() {
    if (held_) lock_.unlock();
}

BookLock::Outcome BookLock::Take() {
    uncleanBefore_ = QFileInfo::exists(MarkerPath(file_));
    if (lock_.tryLock(0)) {
        held_ = true;
        MakePrivate(LockPath(file_));
        return Outcome::Taken;
    }
    if (lock_.error() == QLockFile::LockFailedError) return Outcome::HeldElse;
    return Outcome::NoLock;
}

void BookLock::MarkOpen() {
    const QString marker = MarkerPath(file_);
    if (QFileInfo::exists(marker)) return;
    QFile file(marker);
    if (file.open(QIODevice::WriteOnly)) {
        file.close();
        MakePrivate(marker);
    }
}

void BookLock::Release() {
    QFile::remove(MarkerPath(file_));
    if (held_) lock_.unlock();
    held_ = false;
}
