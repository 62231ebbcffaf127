#include "data/wholefile.h"

#include "data/dberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString native(const QString& file) {
    return QDir::toNativeSeparators(file);
}

// Syncs a file's folder, so that a rename in it is on the disk too.
void syncFolderOf(const QString& file) {
    const int fd =
        ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QString WholeFile::SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

WholeFile::WholeFile(const QString& target) : target_(target) {
    QByteArray pattern = QFile::encodeName(target) + ".XXXXXX";
    // mkostemp makes the file owner-only (0600) and never takes an existing name.
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0)
        throw DbError(QStringLiteral("The file %1 could not be written: %2.")
                          .arg(native(target), SystemError(errno)));
    temp_ = QFile::decodeName(pattern);
}

WholeFile::~WholeFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(QFile::encodeName(temp_).constData());
}

void WholeFile::fail(const QString& what, int error) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    ::unlink(QFile::encodeName(temp_).constData());
    throw DbError(
        QStringLiteral("The file %1 %2: %3.").arg(native(target_), what, SystemError(error)));
}

void WholeFile::Write(QByteArrayView bytes) {
    if (fd_ < 0) fail(QStringLiteral("could not be written"), EBADF);
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(QStringLiteral("could not be written"), n < 0 ? errno : ENOSPC);
        p += n;
        left -= n;
    }
}

void WholeFile::Finish() {
    if (fd_ < 0) return;
    if (::fsync(fd_) != 0) fail(QStringLiteral("could not be written to the disk"), errno);
    const int fd = fd_;
    fd_ = -1;
    // A file system may report a failed write only when the file is closed.
    if (::close(fd) != 0) fail(QStringLiteral("could not be written to the disk"), errno);
}

void WholeFile::HandOver() {
    Finish();
    handedOver_ = true;
}

void WholeFile::Commit() {
    Finish();
    if (handedOver_) {
        // What the other writer left is synced before it takes the place.
        fd_ = ::open(QFile::encodeName(temp_).constData(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) fail(QStringLiteral("could not be read back"), errno);
        Finish();
    }
    ReplaceFile(temp_, target_);
    committed_ = true;
}

void ReplaceFile(const QString& from, const QString& to) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw DbError(QStringLiteral("The file %1 could not be put in place of %2: %3.")
                          .arg(native(from), native(to), WholeFile::SystemError(errno)));
    syncFolderOf(to);
}
