// The address book starts with its main window; without a database it
// reports why and ends. Started with --check-book it is the child that
// reads a file from outside (see data/checkchild.h) and opens no window.

#include "app/frmmainmdi.h"
#include "data/checkchild.h"
#include "platform/serverwaiting.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (argc == 4 && qstrcmp(argv[1], CheckChild::kSwitch) == 0) {
        QCoreApplication app(argc, argv);
        const QStringList args = QCoreApplication::arguments();
        return CheckChild::ChildMain(args.at(2), args.at(3));
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORVANE ADDRESS BOOK"));
    // The windows paint while a statement waits on a database server, and
    // a server that does not answer brings a question (data/serverwait.h).
    WindowsServerWait serverWait;
    ServerWait::Set(&serverWait);
    FrmMainMdi main;
    if (!main.MDIForm_Load()) return 1;
    main.show();
    return QApplication::exec();
}
