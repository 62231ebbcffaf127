#include "platform/msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
MsgBoxResponder* responder = nullptr;

int ShowRealBox(const MsgBoxCall& call) {
    QMessageBox box(QApplication::activeWindow());
    QList<QAbstractButton*> choices;
    for (const QString& choice : call.choices)
        choices << box.addButton(choice, QMessageBox::ActionRole);
    if (!choices.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(choices.first()));
        box.setEscapeButton(choices.first());
    }
    box.setWindowTitle(call.title.isEmpty() ? QApplication::applicationName() : call.title);
    box.setText(call.prompt);
    switch (call.Icon()) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
    }
    if (!choices.isEmpty()) {
        box.exec();
        return qMax(0, int(choices.indexOf(box.clickedButton())));
    }
    if (call.YesNo()) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? vbYes : vbNo;
    }
    if (call.YesNoCancel()) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        const int pressed = box.exec();
        return pressed == QMessageBox::Yes ? vbYes : pressed == QMessageBox::No ? vbNo : vbCancel;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return vbOK;
}
} // namespace

int MsgBox(const QString& prompt, int buttons, const QString& title) {
    const MsgBoxCall call{prompt, buttons, title, {}};
    return responder ? responder->Respond(call) : ShowRealBox(call);
}

int MsgChoice(const QString& prompt, const QStringList& choices, int style, const QString& title) {
    const MsgBoxCall call{prompt, style, title, choices};
    return responder ? responder->Respond(call) : ShowRealBox(call);
}

void SetMsgBoxResponder(MsgBoxResponder* r) {
    responder = r;
}

MsgBoxResponder* CurrentMsgBoxResponder() {
    return responder;
}
