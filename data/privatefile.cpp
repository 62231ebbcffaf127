#include "data/privatefile.h"

#include <QFile>

bool MakePrivate(const QString& file) {
    return QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
