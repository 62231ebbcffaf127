#include "importexport/windowparts.h"

#include "data/recordset.h"
#include "platform/vb.h"

#include <QDir>
#include <QStandardPaths>

QString ContactsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

QList<std::pair<int, QString>> ReadGroups(Connection& conn) {
    QList<std::pair<int, QString>> groups;
    Recordset rs;
    rs.Open(QStringLiteral("Select grpname,grpid from adrsgrupmstr  order by grpname"), &conn);
    while (!rs.Eof()) {
        groups.append({rs.Fields(1).Value().toInt(), Trim(rs.Fields(0).Str())});
        rs.MoveNext();
    }
    return groups;
}
