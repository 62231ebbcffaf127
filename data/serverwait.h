#pragma once
// How a statement waits on the database server. A statement is sent and its
// answer awaited without blocking: meanwhile the windows keep painting, and
// a server that stays silent for a few seconds is not waited on blindly,
// the user is asked whether to wait on or to give up. The data layer knows
// no windows, so the program hands it a hook at start-up that does both;
// without one (the tools, other threads) a statement waits without
// painting and gives up after kUnattendedLimitMs.

#include <QString>
#include <functional>

class ServerWait {
  public:
    virtual ~ServerWait() = default;

    // Called about every 10 ms while a statement waits: lets the windows
    // paint and their timers run, never the user's keys and clicks.
    virtual void Pump() = 0;
    // The server has said nothing for `silentMs`: true to wait on, false to
    // give up. `answered` says whether the answer has come meanwhile.
    virtual bool WaitOn(const QString& where, int silentMs,
                        const std::function<bool()>& answered) = 0;
    // A connection lost (a server restarted, a network cut) was made again
    // and the read that met the loss ran once more: worth a word, not a
    // question.
    virtual void Reconnected(const QString& where) = 0;
    // How long the server may be silent before the user is asked.
    virtual int AskAfterMs() const { return 5000; }
    // How long after a question (answered "wait on") the next one comes.
    virtual int AskAgainMs() const { return 10000; }

    // The hook of this program; nullptr: none. Only the thread of the
    // application's event loop uses it.
    static void Set(ServerWait* hook);
    static ServerWait* ForThisThread();

    // True while a statement of this thread is waiting with the windows'
    // events running: what would use a connection meanwhile (a list's next
    // slice, the busy line's probe) waits for its turn.
    static bool Busy();
    // Marks this thread as waiting while alive.
    class Waiting {
      public:
        Waiting();
        ~Waiting();
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;
    };

    static constexpr int kUnattendedLimitMs = 30000;
};
