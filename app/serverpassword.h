#pragma once
// The database server's password, asked for once at start-up when the
// user's password file holds none for the server. Typed masked; kept in
// memory for this run only, never written anywhere.

#include <QString>
#include <functional>

class QWidget;

// Asks for the password of `where`; false when the user cancels.
bool AskServerPassword(QWidget* parent, const QString& where, QString& password);

// The tests answer in place of the dialog (nullptr: the dialog again).
void SetServerPasswordAnswerForTesting(std::function<bool(QString&)> answer);
