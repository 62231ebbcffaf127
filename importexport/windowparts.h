#pragma once
// What the import and export windows share: named controls, the folder
// their file dialogs open in, the list of groups and the combo boxes of a
// scrolled list.

#include <QComboBox>
#include <QList>
#include <QString>
#include <utility>

class Connection;

template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Where the import and export dialogs open: the folder of the file last
// imported or exported while it exists, else Documents, else home.
QString ContactsFolder();
// Keeps the folder of a file chosen for an import or export.
void RememberContactsFolder(const QString& chosen);

// Every group as id and name, in name order, as the group lists show them.
QList<std::pair<int, QString>> ReadGroups(Connection& conn);

// A combo box inside a scrolled list: the mouse wheel changes its choice
// only when it has the focus; otherwise the wheel scrolls the list.
class ScrolledCombo : public QComboBox {
  public:
    explicit ScrolledCombo(QWidget* parent = nullptr);

  protected:
    void wheelEvent(QWheelEvent* e) override;
};
