#include "tools/place.h"

#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/serversettings.h"

#include <QFileInfo>

Place PlaceOf(const QString& argument) {
    Place p;
    if (argument.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive)) {
        const ServerSettings::Server s = ServerSettings::ReadFile(argument);
        p.server = true;
        p.connectionString = ConnString::ForServer(s.host, s.port, s.database, s.user, s.sslMode);
        p.shown = QStringLiteral("database %1 on %2").arg(s.database, s.host);
        return p;
    }
    p.connectionString = ConnString::ForFile(QFileInfo(argument).absoluteFilePath(),
                                             QString::fromLatin1(kDatabasePassword));
    p.shown = argument;
    return p;
}
