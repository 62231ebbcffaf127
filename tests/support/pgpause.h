#pragma once
// The private test server stopped in its tracks: every process of it gets
// SIGSTOP, as a server machine that hangs or a network that drops every
// packet would look to a desk (its socket still takes the bytes, nothing
// comes back). Resumed with SIGCONT when the object goes, or before.

#include <QList>

class PausedServer {
  public:
    PausedServer(); // throws std::runtime_error when the server's processes are not found
    ~PausedServer();
    PausedServer(const PausedServer&) = delete;
    PausedServer& operator=(const PausedServer&) = delete;
    void Resume();

  private:
    QList<int> pids_; // the postmaster first, then its children
};
