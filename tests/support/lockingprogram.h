#pragma once
// Another program on a book file: the sqlcipher command line, holding the
// lock its `begin` statement takes ("BEGIN EXCLUSIVE" keeps even readers
// out) until it lets go.

#include <QProcess>

class LockingProgram {
  public:
    explicit LockingProgram(const QString& file, const char* begin = "BEGIN EXCLUSIVE");
    ~LockingProgram() { LetGo(); }
    LockingProgram(const LockingProgram&) = delete;
    LockingProgram& operator=(const LockingProgram&) = delete;

    // True once the lock is taken.
    bool Holds() const { return out_.contains("LOCKED"); }
    // Rolls back and ends the program; the book is free when it returns.
    void LetGo();

  private:
    QProcess cli_;
    QByteArray out_;
};
