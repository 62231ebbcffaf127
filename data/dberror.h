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
