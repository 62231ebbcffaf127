#pragma once
// One desk syncs with the contacts server at a time: held for as long as the
// object lives. On a database server it is an advisory lock of the
// connection's session (every desk, whatever its login, sees it), so a sync
// on another desk or on another connection of this one is refused. A book
// file is open in one copy of the program only (data/booklock.h): there the
// lock is kept within the process, by the file's path.
//
// The session's lock goes with the session: a connection to the server that
// was lost and made again no longer holds it. It is taken and let go on the
// connection given, from whichever thread uses that connection.

#include <QString>

class Connection;

class SyncLock {
  public:
    explicit SyncLock(Connection& conn);
    ~SyncLock();
    SyncLock(const SyncLock&) = delete;
    SyncLock& operator=(const SyncLock&) = delete;

    // False when another desk (or connection) syncs now.
    bool Held() const { return held_; }

  private:
    Connection& conn_;
    bool held_ = false;
    bool server_ = false;
    QString file_;
};
