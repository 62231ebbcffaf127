#include "platform/apppath.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString overridden;
}

QString AppPath() {
    if (!overridden.isEmpty()) return overridden;
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

void SetAppPathForTesting(const QString& folder) {
    overridden = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}
