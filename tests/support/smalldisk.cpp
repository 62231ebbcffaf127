#include "support/smalldisk.h"

#include <QFile>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {
const char* const kFiller = "filler";
}

SmallDisk::SmallDisk(int kib) {
    const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0700";
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(),
                                           "tmpfs", 0, options.constData()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

void SmallDisk::Fill(qint64 freeBytes) {
    const QByteArray name = QFile::encodeName(File(QString::fromLatin1(kFiller)));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0) return;
    const QByteArray page(4096, 'x');
    while (::write(fd, page.constData(), size_t(page.size())) > 0) {
    }
    ::fsync(fd);
    if (freeBytes > 0) {
        const off_t size = ::lseek(fd, 0, SEEK_END);
        if (::ftruncate(fd, size > freeBytes ? size - freeBytes : 0) != 0) {
        }
    }
    ::close(fd);
}

void SmallDisk::Unfill() {
    QFile::remove(File(QString::fromLatin1(kFiller)));
}
