#include "platform/servernotice.h"

#include "data/serverwait.h"
#include "platform/edgeline.h"
#include "platform/errors.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace {
constexpr int kShownMs = 10000;
constexpr int kRetryMs = 50;
const char* const kName = "LblServer";

class ServerLine : public EdgeLine {
  public:
    explicit ServerLine(QWidget* window) : EdgeLine(window, kName, "#e8f0ff", "#000080") {
        hideLater_.setSingleShot(true);
        hideLater_.setInterval(kShownMs);
        connect(&hideLater_, &QTimer::timeout, this, &QWidget::hide);
    }

    void Say(const QString& text) {
        setText(text);
        Raise();
        hideLater_.start();
    }

  private:
    QTimer hideLater_;
};

void Schedule(const QPointer<QWidget>& list, bool hadList, const std::function<void()>& again,
              int delayMs) {
    QObject* context = list ? static_cast<QObject*>(list.data()) : qApp;
    QTimer::singleShot(delayMs, context, [list, hadList, again] {
        if (hadList && !list) return;
        if (ServerWait::Busy()) return Schedule(list, hadList, again, kRetryMs);
        Guarded(list, [&] { again(); });
    });
}
} // namespace

QLabel* ServerNotice(QWidget* window) {
    return EdgeLine::Find(window, kName);
}

void ShowServerNotice(QWidget* control, const QString& text) {
    QWidget* window = EdgeLine::WindowOf(control);
    if (!window) return;
    auto* line = dynamic_cast<ServerLine*>(ServerNotice(window));
    if (!line) line = new ServerLine(window);
    line->Say(text);
}

void RerunWhenFree(const BusyRerun& rerun) {
    if (!rerun.again) return;
    Schedule(rerun.list, rerun.list != nullptr, rerun.again, 0);
}
