#pragma once
// What the import and export windows share: named controls, the folder
// their file dialogs open in and the list of groups.

#include <QList>
#include <QString>
#include <utility>

class Connection;

template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The user's documents folder, or the home folder.
QString ContactsFolder();

// Every group as id and name, in name order, as the group lists show them.
QList<std::pair<int, QString>> ReadGroups(Connection& conn);
