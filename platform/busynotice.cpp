#include "platform/busynotice.h"

#include "data/connmodule.h"
#include "data/serverwait.h"
#include "platform/edgeline.h"
#include "platform/errors.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <utility>
#include <vector>

namespace {
constexpr int kProbeMs = 100;
const char* const kName = "LblBusy";

// The line itself, with the reads it reported and the probe that watches
// for the book to be free.
class BusyLine : public EdgeLine {
  public:
    explicit BusyLine(QWidget* window) : EdgeLine(window, kName, "#ffffc0", "#800000") {
        setText(QCoreApplication::translate(
            "BusyNotice", "The address book is busy in another program: it could not be "
                          "read just now. The list is read again as soon as it is free."));
        probe_.setInterval(kProbeMs);
        connect(&probe_, &QTimer::timeout, this, [this] { Probe(); });
    }

    void Keep(QWidget* window, const BusyRerun& rerun) {
        if (!rerun.again) return;
        QWidget* list = rerun.list ? rerun.list : window;
        std::erase_if(reruns_, [&](const Kept& k) { return !k.list || k.list == list; });
        reruns_.push_back(Kept{list, rerun.again});
    }

    void Show() {
        Raise();
        probe_.start();
    }

  private:
    struct Kept {
        QPointer<QWidget> list;
        std::function<void()> again;
    };

    // The book is free when a read that does not wait succeeds. Inside a
    // transaction (a save waiting on a question) the probe waits for it.
    void Probe() {
        if (!Conn || ServerWait::Busy() || Conn->InTransaction() || !Conn->CanRead()) return;
        probe_.stop();
        hide();
        const std::vector<Kept> reruns = std::exchange(reruns_, {});
        const QPointer<QLabel> self(this);
        for (const Kept& k : reruns) {
            if (!self) return; // a read run again closed the window
            if (k.list) Guarded(k.list, [&] { k.again(); });
        }
    }

    QTimer probe_;
    std::vector<Kept> reruns_;
};
} // namespace

QLabel* BusyNotice(QWidget* window) {
    return EdgeLine::Find(window, kName);
}

void ShowBusyNotice(QWidget* control, const BusyRerun& rerun) {
    QWidget* window = EdgeLine::WindowOf(control);
    if (!window) return;
    auto* line = dynamic_cast<BusyLine*>(BusyNotice(window));
    if (!line) line = new BusyLine(window);
    line->Keep(window, rerun);
    line->Show();
}
