#pragma once
// Errors raised by the data layer. Every failing open, statement or update
// throws one of these with a message a person can read.

#include <QString>
#include <stdexcept>

class DbError : public std::runtime_error {
  public:
    explicit DbError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// A number that does not fit the 16-bit ids and counters of the address book.
class OverflowError : public DbError {
  public:
    using DbError::DbError;
};

// The database server wants a password and none was given (the user's
// password file has none for it): the program asks for it.
class PasswordNeeded : public DbError {
  public:
    using DbError::DbError;
};

// The server refused the password given (typed, or from the password file).
class PasswordWrong : public PasswordNeeded {
  public:
    using PasswordNeeded::PasswordNeeded;
};

// The book is locked by another program (or another connection) and the
// lock was not let go in time. Nothing was read or written. A read gives up
// at once; a write waits a few seconds first.
class BusyError : public DbError {
  public:
    BusyError(const QString& message, bool reading) : DbError(message), reading_(reading) {}
    bool Reading() const { return reading_; }

  private:
    bool reading_;
};

// The database server could not serve a step: it cannot be reached, the
// connection to it was lost, or it did not answer and the user gave up
// waiting. Nothing of the step was kept. `Reading`: the step only read
// (a list), which the window says along its bottom edge rather than in a
// message box; a save says it in a message box.
class ServerError : public DbError {
  public:
    ServerError(const QString& message, bool reading) : DbError(message), reading_(reading) {}
    bool Reading() const { return reading_; }

  private:
    bool reading_;
};

// The connection to the server was lost; the next step connects again.
class ConnectionLost : public ServerError {
  public:
    using ServerError::ServerError;
};

// A step asked for the connection while another of this program still waits
// on the server for it (a timer's step while the windows paint): it was not
// run. A read is run again once the connection is free.
class ServerBusy : public ServerError {
  public:
    using ServerError::ServerError;
};
