#include "platform/errors.h"

#include "platform/busynotice.h"
#include "platform/form.h"
#include "platform/msgbox.h"
#include "platform/servernotice.h"

#include <QApplication>
#include <QCoreApplication>

QString ErrorText(const std::exception& e) {
    return QString::fromUtf8(e.what());
}

void ReportInvalidInput() {
    MsgBox(QCoreApplication::translate("Errors", "Invalid Input"), vbCritical,
           QCoreApplication::translate("Errors", "Error Handler"));
}

void ReportBusyWrite(const BusyError& e) {
    const Form* form = FormOf(QApplication::focusWidget());
    MsgBox(QCoreApplication::translate("Errors",
                                       "%1\n\nNothing was saved. The entry is still on screen: "
                                       "press Save again when the other program has finished.")
               .arg(e.message()),
           vbExclamation, form ? form->Caption() : QApplication::applicationName());
}

void ReportServerWrite(const ServerError& e) {
    const Form* form = FormOf(QApplication::focusWidget());
    MsgBox(QCoreApplication::translate("Errors", "%1\n\nThe entry is still on screen.")
               .arg(e.message()),
           vbExclamation, form ? form->Caption() : QApplication::applicationName());
}

namespace {
QWidget* currentControl = nullptr;
}

HandlerScope::HandlerScope(QWidget* control) : previous_(currentControl) {
    currentControl = control;
}
HandlerScope::~HandlerScope() {
    currentControl = previous_;
}
QWidget* HandlerScope::Current() {
    return currentControl;
}

bool NoteIfBusy(QWidget* control, const std::exception& e, const BusyRerun& rerun) {
    if (!control) control = HandlerScope::Current();
    if (!control) control = QApplication::focusWidget();
    if (const auto* server = dynamic_cast<const ServerError*>(&e)) {
        if (!server->Reading()) return false;
        const bool again =
            dynamic_cast<const ConnectionLost*>(server) || dynamic_cast<const ServerBusy*>(server);
        // A read waiting its turn is simply run when the connection is free.
        if (!dynamic_cast<const ServerBusy*>(server))
            ShowServerNotice(
                control, again ? QCoreApplication::translate("Errors", "%1 The list is read again.")
                                     .arg(server->message())
                               : server->message());
        if (again) RerunWhenFree(rerun);
        return true;
    }
    const auto* busy = dynamic_cast<const BusyError*>(&e);
    if (!busy || !busy->Reading()) return false;
    ShowBusyNotice(control, rerun);
    return true;
}

void ReportFailure(QWidget* control, const QString& what, const std::exception& e) {
    if (NoteIfBusy(control, e)) return;
    const Form* form = FormOf(control);
    const QString title = form ? form->Caption() : QApplication::applicationName();
    const QString lead =
        what.isEmpty() ? QCoreApplication::translate("Errors", "The action could not be completed.")
                       : what;
    MsgBox(lead + QStringLiteral("\n\n") + ErrorText(e), vbCritical, title);
}
