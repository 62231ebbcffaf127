#pragma once
// The contacts server's password. It is kept in the desktop's keyring when
// there is one; without a keyring it is asked once per run and kept in
// memory only. It is never written in plain text anywhere.

#include <QString>
#include <optional>

class QWidget;

namespace SyncPassword {
// The keyring entry of a user on a server: "user@server".
QString Key(const QString& user, const QString& server);

// The password kept for `key`: this run's, else the keyring's; none when
// neither has it (or no keyring answered).
std::optional<QString> Stored(const QString& key);

// Keeps `password` for this run and in the keyring. False when no keyring
// took it: it is then kept for this run only.
bool Store(const QString& key, const QString& password);

// Forgets the password of `key` here and in the keyring (a changed server
// or user name).
void Forget(const QString& key);

// The password for a round or a search: the kept one, else asked for (typed
// masked) and kept for this run. None when the user cancels.
std::optional<QString> ForUse(QWidget* parent, const QString& key);
} // namespace SyncPassword
