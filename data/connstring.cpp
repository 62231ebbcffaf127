#include "data/connstring.h"

namespace ConnString {

QString QuoteValue(const QString& value) {
    const bool plain = !value.isEmpty() && !value.contains(u';') && !value.contains(u'"') &&
                       !value.contains(u'\'') && !value.contains(u'\\') && value.trimmed() == value;
    if (plain) return value;
    QString quoted = value;
    quoted.replace(u'"', QLatin1String("\"\""));
    return u'"' + quoted + u'"';
}

QString Build(const Parts& parts) {
    QString s = QStringLiteral("PROVIDER=") + QuoteValue(parts.provider);
    if (parts.IsServer()) {
        const auto add = [&s](const char* key, const QString& value) {
            if (!value.isEmpty()) s += u';' + QLatin1String(key) + u'=' + QuoteValue(value);
        };
        add("Server", parts.host);
        add("Port", parts.port);
        add("Database", parts.database);
        add("User ID", parts.user);
        add("SSL Mode", parts.sslMode);
        add("Password", parts.password);
        return s + u';';
    }
    return s + QStringLiteral(";Data Source=") + QuoteValue(parts.dataSource) +
           QStringLiteral(";Jet OLEDB:Database Password=") + QuoteValue(parts.password) +
           QStringLiteral(";") + (parts.readOnly ? QStringLiteral("Mode=Read;") : QString());
}

QString ForServer(const QString& host, const QString& port, const QString& database,
                  const QString& user, const QString& sslMode, const QString& password) {
    Parts parts;
    parts.provider = QStringLiteral("PostgreSQL");
    parts.host = host;
    parts.port = port;
    parts.database = database;
    parts.user = user;
    parts.sslMode = sslMode;
    parts.password = password;
    return Build(parts);
}

QString ForFile(const QString& file, const QString& password) {
    Parts parts;
    parts.provider = QStringLiteral("SQLCipher");
    parts.dataSource = file;
    parts.password = password;
    return Build(parts);
}

namespace {
// Reads one value starting at `i` (just after the '='), up to the ';' that
// ends it, and leaves `i` on that ';' (or the end).
QString readValue(const QString& s, qsizetype& i, bool& quoted) {
    quoted = false;
    while (i < s.size() && s[i] == u' ')
        ++i;
    if (i < s.size() && (s[i] == u'"' || s[i] == u'\'')) {
        quoted = true;
        const QChar quote = s[i++];
        QString value;
        while (i < s.size()) {
            if (s[i] == quote) {
                if (i + 1 < s.size() && s[i + 1] == quote) {
                    value += quote;
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            value += s[i++];
        }
        while (i < s.size() && s[i] != u';')
            ++i;
        return value;
    }
    const qsizetype start = i;
    while (i < s.size() && s[i] != u';')
        ++i;
    return s.mid(start, i - start).trimmed();
}
} // namespace

Parts Parse(const QString& connectionString) {
    Parts parts;
    const QString& s = connectionString;
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype eq = s.indexOf(u'=', i);
        if (eq < 0) break;
        QString key = s.mid(i, eq - i);
        if (key.contains(u';')) key = key.section(u';', -1); // a piece without '=' before it
        key = key.trimmed().toLower();
        i = eq + 1;
        bool quoted = false;
        QString value = readValue(s, i, quoted);
        if (i < s.size()) ++i; // the ';'
        if (key == QLatin1String("provider"))
            parts.provider = value;
        else if (key == QLatin1String("data source")) {
#ifndef Q_OS_WIN
            // Written the old way, unquoted, the folder and the file name are
            // joined with a backslash; a quoted value is taken as it stands.
            if (!quoted) value.replace(u'\\', u'/');
#endif
            parts.dataSource = value;
        } else if (key.endsWith(QLatin1String("database password")) ||
                   key == QLatin1String("password"))
            parts.password = value;
        else if (key == QLatin1String("server") || key == QLatin1String("host"))
            parts.host = value;
        else if (key == QLatin1String("port"))
            parts.port = value;
        else if (key == QLatin1String("database") || key == QLatin1String("initial catalog"))
            parts.database = value;
        else if (key == QLatin1String("user id") || key == QLatin1String("user"))
            parts.user = value;
        else if (key == QLatin1String("ssl mode") || key == QLatin1String("sslmode"))
            parts.sslMode = value;
        else if (key == QLatin1String("mode"))
            parts.readOnly = value.compare(QLatin1String("Read"), Qt::CaseInsensitive) == 0;
    }
    return parts;
}

} // namespace ConnString
