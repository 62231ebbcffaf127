#pragma once
// Message boxes as the old platform had them: a prompt, Yes/No or OK
// buttons, an information or critical icon and a title; the answer is the
// button pressed. Tests put a ScriptedMsgBoxes in place of the real boxes.

#include <QList>
#include <QString>
#include <QStringList>

enum VbMsgBoxStyle {
    vbOKOnly = 0,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum VbMsgBoxResult { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

int MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = QString());
// A box whose buttons say what they do: returns the index of the one
// pressed (Escape or closing the box: the first, which must be the one that
// changes nothing). `style` gives the icon.
int MsgChoice(const QString& prompt, const QStringList& choices, int style = vbOKOnly,
              const QString& title = QString());

struct MsgBoxCall {
    QString prompt;
    int buttons = vbOKOnly;
    QString title;
    QStringList choices; // the buttons of a MsgChoice box
    int Icon() const { return buttons & 0x70; }
    bool YesNo() const { return (buttons & 0x7) == vbYesNo; }
    bool YesNoCancel() const { return (buttons & 0x7) == vbYesNoCancel; }
};

class MsgBoxResponder {
  public:
    virtual ~MsgBoxResponder() = default;
    virtual int Respond(const MsgBoxCall& call) = 0;
};

// nullptr puts the real message boxes back.
void SetMsgBoxResponder(MsgBoxResponder* responder);
MsgBoxResponder* CurrentMsgBoxResponder();
