#include "platform/errors.h"

#include "platform/form.h"
#include "platform/msgbox.h"

#include <QApplication>

QString ErrorText(const std::exception& e) {
    return QString::fromUtf8(e.what());
}

void ReportInvalidInput() {
    MsgBox(QStringLiteral("Invalid Input"), vbCritical, QStringLiteral("Error Handler"));
}

void ReportFailure(QWidget* control, const QString& what, const std::exception& e) {
    const Form* form = FormOf(control);
    const QString title = form ? form->Caption() : QApplication::applicationName();
    const QString lead =
        what.isEmpty() ? QStringLiteral("The action could not be completed.") : what;
    MsgBox(lead + QStringLiteral("\n\n") + ErrorText(e), vbCritical, title);
}
