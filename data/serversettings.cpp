#include "data/serversettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace ServerSettings {

QString FileName() {
    return QStringLiteral("adrsbook.ini");
}

Server Read(const QString& folder) {
    return ReadFile(QDir(folder).filePath(FileName()));
}

Server ReadFile(const QString& file) {
    Server s;
    if (!QFileInfo::exists(file)) return s;
    QSettings ini(file, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Server"));
    s.host = ini.value(QStringLiteral("Host")).toString().trimmed();
    s.port = ini.value(QStringLiteral("Port")).toString().trimmed();
    s.database = ini.value(QStringLiteral("Database")).toString().trimmed();
    s.user = ini.value(QStringLiteral("User")).toString().trimmed();
    s.sslMode = ini.value(QStringLiteral("SSLMode"), QStringLiteral("prefer")).toString().trimmed();
    if (s.sslMode.isEmpty()) s.sslMode = QStringLiteral("prefer");
    return s;
}

void Write(const QString& folder, const Server& server) {
    QSettings ini(QDir(folder).filePath(FileName()), QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Server"));
    ini.setValue(QStringLiteral("Host"), server.host);
    ini.setValue(QStringLiteral("Port"), server.port);
    ini.setValue(QStringLiteral("Database"), server.database);
    ini.setValue(QStringLiteral("User"), server.user);
    ini.setValue(QStringLiteral("SSLMode"), server.sslMode);
    ini.endGroup();
    ini.sync();
}

} // namespace ServerSettings
