#include "importexport/windowparts.h"

#include "data/recordset.h"
#include "platform/dialogfolders.h"
#include "platform/vb.h"

#include <QWheelEvent>

namespace {
const QString kContactsFolders = QStringLiteral("contacts");
} // namespace

QString ContactsFolder() {
    return DialogFolders::Start(kContactsFolders);
}

void RememberContactsFolder(const QString& chosen) {
    DialogFolders::Remember(kContactsFolders, chosen);
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

ScrolledCombo::ScrolledCombo(QWidget* parent) : QComboBox(parent) {
    // A wheel over it must not take the focus (and with it the wheel).
    setFocusPolicy(Qt::StrongFocus);
}

void ScrolledCombo::wheelEvent(QWheelEvent* e) {
    if (hasFocus())
        QComboBox::wheelEvent(e);
    else
        e->ignore(); // goes on to the list, which scrolls
}
