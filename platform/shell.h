#pragma once
// The desktop shell: opening a mail or web target with the user's handler,
// and starting a batch hidden. Neither waits: a batch's end is told later,
// from the event loop. Tests put a recorder in place.

#include <QString>
#include <QStringList>
#include <functional>

namespace Shell {

// How a batch started hidden ended: `ok` when it ran to its end with exit
// status 0; otherwise `why` says what went wrong (the last line it wrote to
// its error output, else its exit status, or why it could not run).
struct BatchOutcome {
    bool ok = true;
    QString why;
};
using BatchDone = std::function<void(const BatchOutcome&)>;

class Backend {
  public:
    virtual ~Backend() = default;
    virtual void Open(const QString& target) = 0; // failures pass silently
    // False when it could not start; `done` (when given) is called once
    // when it has ended, unless it could not start.
    virtual bool StartHidden(const QString& program, const BatchDone& done) = 0;
};

void SetBackend(Backend* backend); // nullptr: the real desktop
Backend* CurrentBackend();         // nullptr: the real desktop

// ShellExecute(0, "open", target, null, "", 0): hand the target to its handler.
void ShellExecuteOpen(const QString& target);
// Starts a batch file (or shell script) in its own folder, hidden, without
// waiting; `done` hears how it ended.
bool StartHidden(const QString& program, const BatchDone& done = {});

} // namespace Shell
