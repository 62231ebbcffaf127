#pragma once
// The scripted stand-ins for the program's seams to the desktop: message
// boxes answered from a script, file dialogs answered from a queue, and the
// shell's calls recorded instead of made. Each installs itself while alive
// and puts back what was there before.

#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "platform/shell.h"

#include <QList>
#include <QStringList>

// Records every box and answers from a script: queued answers first, then
// Yes to a Yes/No question, Cancel to a Yes/No/Cancel one, the first choice
// of a MsgChoice box and OK to the rest.
class ScriptedMsgBoxes : public MsgBoxResponder {
  public:
    ScriptedMsgBoxes() : previous(CurrentMsgBoxResponder()) { SetMsgBoxResponder(this); }
    ~ScriptedMsgBoxes() override { SetMsgBoxResponder(previous); }
    ScriptedMsgBoxes(const ScriptedMsgBoxes&) = delete;
    ScriptedMsgBoxes& operator=(const ScriptedMsgBoxes&) = delete;

    void Answer(int result) { answers.append(result); }
    int Respond(const MsgBoxCall& call) override {
        calls.append(call);
        if (!answers.isEmpty()) return answers.takeFirst();
        if (!call.choices.isEmpty()) return 0;
        return call.YesNo() ? vbYes : call.YesNoCancel() ? vbCancel : vbOK;
    }

    // The prompts shown, in order.
    QStringList Prompts() const {
        QStringList out;
        for (const MsgBoxCall& c : calls)
            out.append(c.prompt);
        return out;
    }
    const MsgBoxCall& Last() const { return calls.last(); }

    QList<MsgBoxCall> calls;
    QList<int> answers;
    MsgBoxResponder* previous = nullptr;
};

namespace FileDialogs {
// Answers from a queue (an empty answer cancels) and records the titles.
class Scripted : public Responder {
  public:
    Scripted() : previous(CurrentResponder()) { SetResponder(this); }
    ~Scripted() override { SetResponder(previous); }
    Scripted(const Scripted&) = delete;
    Scripted& operator=(const Scripted&) = delete;
    QString Save(const QString& title, const QString& s) override {
        asked.append(title);
        suggested.append(s);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QString Open(const QString& title, const QString& folder) override {
        asked.append(title);
        folders.append(folder);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList answers;
    QStringList asked;     // titles
    QStringList suggested; // suggested paths of save dialogs
    QStringList folders;   // starting folders of open dialogs
    Responder* previous = nullptr;
};
} // namespace FileDialogs

namespace Shell {
// Records the calls instead of making them.
class Recorder : public Backend {
  public:
    Recorder() : previous(CurrentBackend()) { SetBackend(this); }
    ~Recorder() override { SetBackend(previous); }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    void Open(const QString& target) override { opened.append(target); }
    // A batch that starts ends at once, as `outcome` says.
    bool StartHidden(const QString& program, const BatchDone& done) override {
        started.append(program);
        if (startSucceeds && done) done(outcome);
        return startSucceeds;
    }
    QStringList opened;
    QStringList started;
    bool startSucceeds = true;
    BatchOutcome outcome;
    Backend* previous = nullptr;
};
} // namespace Shell
