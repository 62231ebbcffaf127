#pragma once
// How the program waits on the database server (see data/serverwait.h):
// while a statement waits, the windows paint and their timers run, and the
// user's keys and clicks wait for it. A server silent for five seconds
// brings a question, "wait on" or "give up"; a connection made again after
// a loss is said in the window's server line. app/ sets it at start-up.

#include "data/serverwait.h"

class WindowsServerWait : public ServerWait {
  public:
    void Pump() override;
    bool WaitOn(const QString& where, int silentMs, const std::function<bool()>& answered) override;
    void Reconnected(const QString& where) override;
};
