#include "support/pgpause.h"

#include "support/pgserver.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <stdexcept>

namespace {

// The parent of a process, from /proc/<pid>/stat ("pid (name) state ppid ...").
int parentOf(int pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0) return -1;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    return fields.size() > 1 ? fields[1].toInt() : -1;
}

} // namespace

PausedServer::PausedServer() {
    QFile pidFile(PgServer::SocketFolder() + QStringLiteral("/data/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        throw std::runtime_error("the test server's postmaster.pid cannot be read");
    const int postmaster = pidFile.readLine().trimmed().toInt();
    if (postmaster <= 0) throw std::runtime_error("the test server's postmaster.pid names no pid");
    pids_ << postmaster;
    // Stopped first, the postmaster starts no new child meanwhile.
    ::kill(postmaster, SIGSTOP);
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const int pid = entry.toInt(&number);
        if (number && parentOf(pid) == postmaster) pids_ << pid;
    }
    for (qsizetype i = 1; i < pids_.size(); ++i)
        ::kill(pids_[i], SIGSTOP);
}

PausedServer::~PausedServer() {
    Resume();
}

void PausedServer::Resume() {
    for (qsizetype i = pids_.size() - 1; i >= 0; --i)
        ::kill(pids_[i], SIGCONT);
    pids_.clear();
}
