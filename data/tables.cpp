#include "data/tables.h"

#include <QHash>

const QStringList& Schema::Tables() {
    static const QStringList tables{QStringLiteral("cscmstr"), QStringLiteral("adrsgrupmstr"),
                                    QStringLiteral("adrsmstr"), QStringLiteral("adrsgrpdtails")};
    return tables;
}

QString Schema::KeyColumn(const QString& table) {
    static const QHash<QString, QString> keys{
        {QStringLiteral("cscmstr"), QStringLiteral("ctyid")},
        {QStringLiteral("adrsgrupmstr"), QStringLiteral("grpid")},
        {QStringLiteral("adrsmstr"), QStringLiteral("adrsid")},
        {QStringLiteral("adrsgrpdtails"), QStringLiteral("adrsgrpid")}};
    return keys.value(table.toLower());
}
