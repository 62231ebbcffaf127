#include "platform/dialogfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

namespace {

QHash<QString, QString>& LastFolders() {
    static QHash<QString, QString> folders;
    return folders;
}

bool IsFolder(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

QString DialogFolders::Existing(const QString& preferred) {
    if (IsFolder(preferred)) return preferred;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (IsFolder(documents)) return documents;
    return QDir::homePath();
}

QString DialogFolders::Start(const QString& kind) {
    return Existing(LastFolders().value(kind));
}

void DialogFolders::Remember(const QString& kind, const QString& chosen) {
    if (!chosen.isEmpty()) LastFolders().insert(kind, QFileInfo(chosen).absolutePath());
}
