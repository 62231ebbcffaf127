#pragma once
// The folder a file dialog opens in: the one last used for that kind of
// file while it still exists, else Documents when there is one, else the
// home folder. Always a folder that exists: a missing one would leave its
// name typed in the dialog's file name box.

#include <QString>

namespace DialogFolders {

// `preferred` when it is a folder that exists, else Documents, else home.
QString Existing(const QString& preferred);

// Where the dialogs for `kind` ("backup", "contacts") open.
QString Start(const QString& kind);

// Keeps the folder of `chosen`, a file picked in a dialog for `kind`, for
// the rest of the run.
void Remember(const QString& kind, const QString& chosen);

} // namespace DialogFolders
