#include "platform/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

class Desktop : public Shell::Backend {
  public:
    void Open(const QString& target) override {
        QDesktopServices::openUrl(QUrl(target, QUrl::TolerantMode));
    }

    bool StartHidden(const QString& program, const Shell::BatchDone& done) override {
        const QFileInfo info(program);
        if (!info.exists()) return false;
        // Not parented: a batch still running when the program ends is left
        // to finish its work.
        auto* process = new QProcess;
        process->setWorkingDirectory(info.absolutePath());
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
#ifdef Q_OS_WIN
        process->setProgram(QStringLiteral("cmd.exe"));
        process->setArguments({QStringLiteral("/c"), info.absoluteFilePath()});
        process->setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
            args->flags |= 0x08000000; // CREATE_NO_WINDOW
        });
#else
        process->setProgram(QStringLiteral("/bin/sh"));
        process->setArguments({info.absoluteFilePath()});
#endif
        auto ended = [process, done](const Shell::BatchOutcome& outcome) {
            process->disconnect();
            process->deleteLater();
            if (done) done(outcome);
        };
        QObject::connect(process, &QProcess::finished, process,
                         [process, ended](int code, QProcess::ExitStatus status) {
                             ended(Outcome(process, code, status));
                         });
        QObject::connect(
            process, &QProcess::errorOccurred, process,
            [process, ended](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart) return; // finished follows
                ended({false, QCoreApplication::translate("Shell", "it could not be run (%1)")
                                  .arg(process->errorString())});
            });
        process->start();
        return true;
    }

  private:
    static Shell::BatchOutcome Outcome(QProcess* process, int code, QProcess::ExitStatus status) {
        if (status == QProcess::NormalExit && code == 0) return {};
        const QStringList said = QString::fromLocal8Bit(process->readAllStandardError())
                                     .split(u'\n', Qt::SkipEmptyParts);
        for (auto line = said.crbegin(); line != said.crend(); ++line)
            if (!line->trimmed().isEmpty()) return {false, line->trimmed()};
        if (status != QProcess::NormalExit)
            return {false, QCoreApplication::translate("Shell", "it stopped abnormally")};
        return {false,
                QCoreApplication::translate("Shell", "it ended with exit status %1").arg(code)};
    }
};

Desktop desktop;
Shell::Backend* backend = nullptr;

Shell::Backend& current() {
    return backend ? *backend : desktop;
}

} // namespace

void Shell::SetBackend(Backend* b) {
    backend = b;
}

Shell::Backend* Shell::CurrentBackend() {
    return backend;
}

void Shell::ShellExecuteOpen(const QString& target) {
    current().Open(target);
}

bool Shell::StartHidden(const QString& program, const BatchDone& done) {
    return current().StartHidden(program, done);
}
