#pragma once
// The desktop shell: opening a mail or web target with the user's handler,
// and starting a batch hidden. Neither waits. Tests put a recorder in place.

#include <QString>
#include <QStringList>

namespace Shell {

class Backend {
  public:
    virtual ~Backend() = default;
    virtual void Open(const QString& target) = 0;         // failures pass silently
    virtual bool StartHidden(const QString& program) = 0; // false when it could not start
};

void SetBackend(Backend* backend); // nullptr: the real desktop

// ShellExecute(0, "open", target, null, "", 0): hand the target to its handler.
void ShellExecuteOpen(const QString& target);
// Starts a batch file (or shell script) in its own folder, hidden, without waiting.
bool StartHidden(const QString& program);

// Records the calls instead of making them; installs itself while alive.
class Recorder : public Backend {
  public:
    Recorder();
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    void Open(const QString& target) override { opened.append(target); }
    bool StartHidden(const QString& program) override {
        started.append(program);
        return startSucceeds;
    }
    QStringList opened;
    QStringList started;
    bool startSucceeds = true;
    Backend* previous = nullptr;
};

} // namespace Shell
