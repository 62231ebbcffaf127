#include "data/checkchild.h"

#include "data/bookrebuild.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>
#include <cstdlib>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace {

QString& program() {
    static QString path;
    return path;
}

CheckChild::Limits& limits() {
    static CheckChild::Limits current;
    return current;
}

void say(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int CheckChild::ChildMain(const QString& source, const QString& target) {
#ifdef Q_OS_UNIX
    ::umask(077); // the rebuilt copy and its journal are the owner's only
#endif
    try {
        BookRebuild::Rebuild(source, target);
    } catch (const FileRefused& e) {
        say(e.message());
        return 1;
    } catch (const std::exception& e) {
        say(QString::fromUtf8(e.what()));
        return 3;
    }
    return 0;
}

void CheckChild::SetProgram(const QString& path) {
    program() = path;
}

void CheckChild::SetLimits(const Limits& l) {
    limits() = l;
}

CheckChild::Limits CheckChild::CurrentLimits() {
    return limits();
}

void CheckChild::RebuildInChild(const QString& source, const QString& target,
                                const std::function<bool()>& waiting) {
    const Limits limit = limits();
    QProcess child;
    child.setProgram(program().isEmpty() ? QCoreApplication::applicationFilePath() : program());
    child.setArguments({QString::fromLatin1(kSwitch), source, target});
    child.setStandardInputFile(QProcess::nullDevice());
    child.setProcessChannelMode(QProcess::SeparateChannels);
#ifdef Q_OS_UNIX
    child.setChildProcessModifier([limit] {
        // Only system calls here: this runs between fork and exec.
        const rlim_t seconds = rlim_t(limit.seconds);
        const rlimit cpu{seconds, seconds + 1};
        const rlimit memory{rlim_t(limit.memory), rlim_t(limit.memory)};
        const rlimit noCore{0, 0}; // a crash leaves no image of the book's pages
        ::setrlimit(RLIMIT_CPU, &cpu);
        ::setrlimit(RLIMIT_AS, &memory);
        ::setrlimit(RLIMIT_CORE, &noCore);
#ifdef Q_OS_LINUX
        ::prctl(PR_SET_PDEATHSIG, SIGKILL); // ends with the program
#endif
    });
#endif
    child.start();
    if (!child.waitForStarted())
        throw DbError(QStringLiteral("The file could not be checked: %1 could not be started (%2).")
                          .arg(child.program(), child.errorString()));
    QElapsedTimer clock;
    clock.start();
    auto stop = [&] {
        child.kill();
        child.waitForFinished(-1);
        QFile::remove(target);
        QFile::remove(target + QStringLiteral("-journal"));
    };
    while (!child.waitForFinished(100)) {
        if (clock.elapsed() > qint64(limit.seconds) * 1000) {
            stop();
            throw FileRefused(QStringLiteral("The file %1 is damaged: reading it took longer than "
                                             "%2 seconds, and the check was stopped.")
                                  .arg(source)
                                  .arg(limit.seconds));
        }
        if (waiting && !waiting()) {
            stop();
            throw DbError(QStringLiteral("The check of the file %1 was cancelled.").arg(source));
        }
    }
    const QString said = QString::fromUtf8(child.readAllStandardOutput().left(4096)).trimmed();
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0) return;
    QFile::remove(target);
    QFile::remove(target + QStringLiteral("-journal"));
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 1 && !said.isEmpty())
        throw FileRefused(said);
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 3 && !said.isEmpty())
        throw DbError(said);
    throw FileRefused(QStringLiteral("The file %1 is damaged: reading it failed (the check ended "
                                     "with %2 %3).")
                          .arg(source, child.exitStatus() == QProcess::CrashExit
                                           ? QStringLiteral("signal")
                                           : QStringLiteral("code"))
                          .arg(child.exitCode()));
}
