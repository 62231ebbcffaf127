#include "platform/serverwaiting.h"

#include "platform/errors.h"
#include "platform/form.h"
#include "platform/msgbox.h"
#include "platform/servernotice.h"

#include <QApplication>
#include <QEvent>

namespace {
// A window asked to close while a statement of it waits stays open: its
// handler is still running.
class KeepOpen : public QObject {
  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close) return false;
        event->ignore();
        return true;
    }
};
} // namespace

void WindowsServerWait::Pump() {
    KeepOpen keepOpen;
    qApp->installEventFilter(&keepOpen);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    qApp->removeEventFilter(&keepOpen);
}

// "Wait on" comes first: Escape, or a key typed meanwhile that lands on the
// box, changes nothing.
bool WindowsServerWait::WaitOn(const QString& where, int silentMs,
                               const std::function<bool()>& answered) {
    if (answered()) return true;
    const Form* form = FormOf(QApplication::focusWidget());
    const int choice =
        MsgChoice(QCoreApplication::translate(
                      "ServerWaiting",
                      "The %1 has not answered for %2 seconds.\n\nWait on: keep waiting (you are "
                      "asked again in %3 seconds).\nGive up: the server is asked to stop, and "
                      "nothing of this step is kept.")
                      .arg(where)
                      .arg(silentMs / 1000)
                      .arg(AskAgainMs() / 1000),
                  {QCoreApplication::translate("ServerWaiting", "&Wait on"),
                   QCoreApplication::translate("ServerWaiting", "&Give up")},
                  vbExclamation, form ? form->Caption() : QApplication::applicationName());
    return choice == 0;
}

void WindowsServerWait::Reconnected(const QString& where) {
    QWidget* control = HandlerScope::Current();
    ShowServerNotice(control ? control : QApplication::focusWidget(),
                     QCoreApplication::translate("ServerWaiting",
                                                 "The connection to the %1 was lost (the server "
                                                 "may have been restarted) and has been made "
                                                 "again.")
                         .arg(where));
}
