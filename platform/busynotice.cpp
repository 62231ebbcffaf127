#include "platform/busynotice.h"

#include "data/connmodule.h"
#include "platform/errors.h"
#include "platform/form.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <utility>
#include <vector>

namespace {
constexpr int kProbeMs = 100;
const char* const kName = "LblBusy";

// The line itself, with the reads it reported and the probe that watches
// for the book to be free.
class BusyLine : public QLabel {
  public:
    explicit BusyLine(QWidget* window) : QLabel(window) {
        setObjectName(QLatin1String(kName));
        // It may lie over the window's buttons for a while: clicks go through.
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setWordWrap(true);
        setText(QStringLiteral("The address book is busy in another program: it could not be "
                               "read just now. The list is read again as soon as it is free."));
        setStyleSheet(QStringLiteral(
            "QLabel { background: #ffffc0; color: #800000; border-top: 1px solid #808080; "
            "padding: 2px 4px; }"));
        probe_.setInterval(kProbeMs);
        connect(&probe_, &QTimer::timeout, this, [this] { Probe(); });
        window->installEventFilter(this);
    }

    void Keep(QWidget* window, const BusyRerun& rerun) {
        if (!rerun.again) return;
        QWidget* list = rerun.list ? rerun.list : window;
        std::erase_if(reruns_, [&](const Kept& k) { return !k.list || k.list == list; });
        reruns_.push_back(Kept{list, rerun.again});
    }

    void Raise() {
        Place();
        raise();
        show();
        probe_.start();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible()) Place();
        return false;
    }

  private:
    struct Kept {
        QPointer<QWidget> list;
        std::function<void()> again;
    };

    void Place() {
        const QWidget* window = parentWidget();
        const int height = heightForWidth(window->width());
        setGeometry(0, window->height() - height, window->width(), height);
    }

    // The book is free when a read that does not wait succeeds. Inside a
    // transaction (a save waiting on a question) the probe waits for it.
    void Probe() {
        if (!Conn || Conn->InTransaction() || !Conn->CanRead()) return;
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
    return window ? window->findChild<QLabel*>(QLatin1String(kName), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void ShowBusyNotice(QWidget* control, const BusyRerun& rerun) {
    if (!control) control = QApplication::focusWidget();
    if (!control) return;
    QWidget* window = FormOf(control);
    if (!window) window = control->window();
    auto* line = dynamic_cast<BusyLine*>(BusyNotice(window));
    if (!line) line = new BusyLine(window);
    line->Keep(window, rerun);
    line->Raise();
}
