#include "platform/apppath.h"

#include "data/connmodule.h"

// The data layer keeps the folder: the connections open the book in it.
QString AppPath() {
    return AppFolder();
}

void SetAppPathForTesting(const QString& folder) {
    SetAppFolder(folder);
}
