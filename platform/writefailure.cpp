#include "platform/writefailure.h"

#include "data/dberror.h"
#include "platform/errors.h"
#include "platform/form.h"
#include "platform/msgbox.h"

#include <QApplication>
#include <QCoreApplication>

namespace {

void Say(QWidget* control, const QString& what, const std::exception& e, const QString& after) {
    const Form* form = FormOf(control);
    const bool tryAgain =
        dynamic_cast<const BusyError*>(&e) || dynamic_cast<const ServerError*>(&e);
    MsgBox(what + QStringLiteral("\n\n") + ErrorText(e) +
               (after.isEmpty() ? QString() : QStringLiteral("\n\n") + after),
           tryAgain ? vbExclamation : vbCritical,
           form ? form->Caption() : QApplication::applicationName());
}

} // namespace

void ReportWriteFailure(QWidget* control, const QString& what, const std::exception& e) {
    Say(control, what, e,
        QCoreApplication::translate("WriteFailure", "The entry is still on screen."));
}

bool NoteIfWriteFailed(const std::exception& e) {
    const auto* busy = dynamic_cast<const BusyError*>(&e);
    const auto* server = dynamic_cast<const ServerError*>(&e);
    if (!(busy && !busy->Reading()) && !(server && !server->Reading())) return false;
    QWidget* control = HandlerScope::Current();
    Say(control ? control : QApplication::focusWidget(),
        QCoreApplication::translate("WriteFailure", "A change could not be written."), e,
        QString());
    return true;
}
