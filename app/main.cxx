// The address book starts with its main window; without a database it
// reports why and ends.

#include "app/frmmainmdi.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORVANE ADDRESS BOOK"));
    FrmMainMdi main;
    if (!main.MDIForm_Load()) return 1;
    main.show();
    return QApplication::exec();
}
