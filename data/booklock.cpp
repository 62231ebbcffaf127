#include "data/booklock.h"

#include "data/privatefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The engine locks the 512 bytes from the 1 GiB mark of its file; the copy
// lock is one byte beyond them, so the two never meet.
constexpr off_t kCopyLockByte = 0x40000000 + 0x1000;

// Locks the byte for as long as this open file is open. It is a lock of the
// open file, not of the process: the engine closing its own handles of the
// same file never lets it go. 0, or the system's error.
int lockByte(int fd, bool writable) {
    struct flock fl {};
    fl.l_type = writable ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kCopyLockByte;
    fl.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0 ? 0 : errno;
}

bool heldByAnother(int error) {
    return error == EAGAIN || error == EACCES;
}

// The file system keeps no locks (or none of this kind).
bool noLocks(int error) {
    return error == ENOLCK || error == EINVAL || error == EOPNOTSUPP || error == ENOSYS;
}

// Opens the book for the lock: for writing where it may be written (a copy
// that can only read takes a lock that other readers share). -1 when not.
int openBook(const QString& file, bool* writable) {
    const QByteArray name = QFile::encodeName(file);
    int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    *writable = fd >= 0;
    if (fd < 0) fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    return fd;
}

bool sameFile(int fd, const QString& file) {
    struct stat a, b;
    return ::fstat(fd, &a) == 0 && ::stat(QFile::encodeName(file).constData(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

LockFileInfo selfInfo() {
    LockFileInfo self;
    self.valid = true;
    self.pid = ::getpid();
    self.program = ProgramOfProcess(self.pid);
    self.host = QSysInfo::machineHostName();
    self.boot = QString::fromLatin1(QSysInfo::bootUniqueId());
    self.since = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return self;
}

LockFileInfo readLockFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? ParseLockFile(file.read(4096)) : LockFileInfo();
}

QString describe(const LockFileInfo& info) {
    if (!info.valid) return {};
    return QStringLiteral("process %1 (%2) on the host %3, since %4")
        .arg(info.pid)
        .arg(info.program, info.host, info.since);
}

} // namespace

QByteArray LockFileText(const LockFileInfo& info) {
    return QStringLiteral("address book lock\npid=%1\nprogram=%2\nhost=%3\nboot=%4\nsince=%5\n")
        .arg(info.pid)
        .arg(info.program, info.host, info.boot, info.since)
        .toUtf8();
}

LockFileInfo ParseLockFile(const QByteArray& text) {
    LockFileInfo info;
    const QList<QByteArray> lines = text.split('\n');
    if (lines.value(0) != "address book lock") return info;
    for (const QByteArray& line : lines) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) continue;
        const QByteArray key = line.left(eq);
        const QString value = QString::fromUtf8(line.mid(eq + 1));
        if (key == "pid")
            info.pid = value.toLongLong();
        else if (key == "program")
            info.program = value;
        else if (key == "host")
            info.host = value;
        else if (key == "boot")
            info.boot = value;
        else if (key == "since")
            info.since = value;
    }
    info.valid = info.pid > 0 && !info.host.isEmpty();
    return info;
}

LockFileVerdict JudgeLockFile(const LockFileInfo& info, const LockFileInfo& self,
                              const std::function<QString(qint64)>& programOfProcess) {
    if (!info.valid) return LockFileVerdict::Free;
    if (info.host != self.host) return LockFileVerdict::OtherHost;
    if (!info.boot.isEmpty() && !self.boot.isEmpty() && info.boot != self.boot)
        return LockFileVerdict::Free;
    if (info.pid == self.pid) return LockFileVerdict::Free; // written by this very copy
    const QString running = programOfProcess(info.pid);
    // The system keeps the first 15 bytes of a program's name.
    if (running.isEmpty() || running != info.program.left(running.size()))
        return LockFileVerdict::Free;
    return LockFileVerdict::Running;
}

QString ProgramOfProcess(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (comm.open(QIODevice::ReadOnly)) return QString::fromUtf8(comm.readAll().trimmed());
    // Without /proc: a process that is there, of unknown program.
    if (pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM)) return QStringLiteral("?");
    return {};
}

QString BookLock::LockPath(const QString& databaseFile) {
    return databaseFile + QStringLiteral(".lock");
}

QString BookLock::MarkerPath(const QString& databaseFile) {
    return databaseFile + QStringLiteral(".open");
}

BookLock::BookLock(const QString& databaseFile) : file_(databaseFile) {}

BookLock::~BookLock() {
    for (int fd : held_)
        ::close(fd);
}

BookLock::Outcome BookLock::Take() {
    uncleanBefore_ = QFileInfo::exists(MarkerPath(file_));
    bool writable = false;
    const int fd = openBook(file_, &writable);
    if (fd < 0) return Outcome::NoFile;
    const int error = lockByte(fd, writable);
    if (error == 0) {
        held_ << fd;
        writeLockFile();
        return Outcome::Taken;
    }
    ::close(fd);
    if (heldByAnother(error)) {
        holder_ = describe(readLockFile(LockPath(file_)));
        return Outcome::HeldElse;
    }
    if (noLocks(error)) {
        lockFileOnly_ = true;
        return takeLockFile();
    }
    problem_ = QStringLiteral("the book file %1 could not be locked: %2.")
                   .arg(QDir::toNativeSeparators(file_), systemError(error));
    return Outcome::Failed;
}

// Where the file system keeps no locks: the lock file, made only when it is
// not there, is the lock.
BookLock::Outcome BookLock::takeLockFile() {
    const QString path = LockPath(file_);
    const LockFileInfo self = selfInfo();
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            const QByteArray text = LockFileText(self);
            const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
            const int error = written ? 0 : errno ? errno : ENOSPC;
            if (::close(fd) != 0 || !written) {
                ::unlink(QFile::encodeName(path).constData());
                problem_ =
                    QStringLiteral("the lock file %1 could not be written: %2.")
                        .arg(QDir::toNativeSeparators(path), systemError(error ? error : EIO));
                return Outcome::Failed;
            }
            ownsLockFile_ = true;
            return Outcome::Taken;
        }
        if (errno != EEXIST) {
            problem_ = QStringLiteral("the lock file %1 could not be made: %2.")
                           .arg(QDir::toNativeSeparators(path), systemError(errno));
            return Outcome::Failed;
        }
        const LockFileInfo info = readLockFile(path);
        switch (JudgeLockFile(info, self, ProgramOfProcess)) {
        case LockFileVerdict::Running:
            holder_ = describe(info);
            return Outcome::HeldElse;
        case LockFileVerdict::OtherHost:
            holder_ = describe(info);
            return Outcome::Unsure;
        case LockFileVerdict::Free:
            QFile::remove(path); // names no running copy: taken over
            break;
        }
    }
    problem_ = QStringLiteral("the lock file %1 could not be taken over.")
                   .arg(QDir::toNativeSeparators(path));
    return Outcome::Failed;
}

// Who holds the book, for a second copy's message. Nothing depends on it:
// a disk too full to take it leaves the lock as it is.
void BookLock::writeLockFile() {
    const QString path = LockPath(file_);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    MakePrivate(path);
    file.write(LockFileText(selfInfo()));
    file.close();
    ownsLockFile_ = true;
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
    if (!keepMarker_) QFile::remove(MarkerPath(file_));
    if (ownsLockFile_) QFile::remove(LockPath(file_));
    ownsLockFile_ = false;
    for (int fd : held_)
        ::close(fd);
    held_.clear();
}

bool BookLock::Hold(const QString& file) {
    if (lockFileOnly_) return true; // the lock file goes by the name, which stays
    bool writable = false;
    const int fd = openBook(file, &writable);
    if (fd < 0) return false;
    if (lockByte(fd, writable) != 0) {
        ::close(fd);
        return false;
    }
    held_ << fd;
    return true;
}

bool BookLock::Follow() {
    if (lockFileOnly_) return true;
    int keep = -1;
    for (int fd : held_) {
        if (keep < 0 && sameFile(fd, file_))
            keep = fd;
        else
            ::close(fd);
    }
    held_.clear();
    if (keep < 0 && !Hold(file_)) return false;
    if (keep >= 0) held_ << keep;
    return true;
}
