#include "platform/shell.h"

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

    bool StartHidden(const QString& program) override {
        const QFileInfo info(program);
        if (!info.exists()) return false;
        QProcess process;
        process.setWorkingDirectory(info.absolutePath());
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_WIN
        process.setProgram(QStringLiteral("cmd.exe"));
        process.setArguments({QStringLiteral("/c"), info.absoluteFilePath()});
        process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
            args->flags |= 0x08000000; // CREATE_NO_WINDOW
        });
#else
        process.setProgram(QStringLiteral("/bin/sh"));
        process.setArguments({info.absoluteFilePath()});
#endif
        return process.startDetached();
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

void Shell::ShellExecuteOpen(const QString& target) {
    current().Open(target);
}

bool Shell::StartHidden(const QString& program) {
    return current().StartHidden(program);
}

Shell::Recorder::Recorder() {
    previous = backend;
    backend = this;
}

Shell::Recorder::~Recorder() {
    backend = previous;
}
