#pragma once
// The address book's files hold a business's contacts: the book, its
// backups and kept copies, restore leftovers and the print file are
// readable and writable by their owner only (mode 0600 on POSIX).

#include <QString>

// Gives an existing file the owner-only mode. False when it could not.
bool MakePrivate(const QString& file);
