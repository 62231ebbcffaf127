#pragma once
// The database server's password, asked for at start-up when the user's
// password file holds none for the server (or the server refused it).
// Typed masked; kept in memory for this run only, never written anywhere.

#include <QString>
#include <functional>

class QWidget;

// Asks for the password of `where`, saying first why when `why` is not
// empty (the last one was refused); false when the user cancels.
bool AskServerPassword(QWidget* parent, const QString& where, QString& password,
                       const QString& why = QString());

// The tests answer in place of the dialog, shown the dialog's text
// (nullptr: the dialog again).
void SetServerPasswordAnswerForTesting(
    std::function<bool(const QString& prompt, QString& password)> answer);
