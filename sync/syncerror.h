#pragma once
// Why a talk with the contacts server failed: the kind decides what the
// sync does next (ask for a password, a certificate, try again later), the
// text is the sentence shown to the user.

#include <QString>
#include <stdexcept>

class SyncError : public std::runtime_error {
  public:
    enum Kind { Network, Timeout, Auth, Server, Certificate, Cancelled, Protocol };

    SyncError(Kind kind, const QString& text, int status = 0)
        : std::runtime_error(text.toStdString()), kind(kind), status(status), m_text(text) {}

    QString text() const { return m_text; }

    Kind kind;
    // The HTTP status the server answered, 0 when there was no answer.
    int status = 0;
    // Certificate: the peer's certificate, for the user to confirm and pin.
    QString sha256; // upper-case hex pairs separated by colons
    QString subject;

  private:
    QString m_text;
};
