#include "platform/busynotice.h"

#include "platform/form.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

namespace {
constexpr int kShownMs = 5000;
const char* const kName = "LblBusy";
} // namespace

QLabel* BusyNotice(QWidget* window) {
    return window ? window->findChild<QLabel*>(QLatin1String(kName), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void ShowBusyNotice(QWidget* control) {
    if (!control) control = QApplication::focusWidget();
    if (!control) return;
    QWidget* window = FormOf(control);
    if (!window) window = control->window();
    QLabel* line = BusyNotice(window);
    if (!line) {
        line = new QLabel(window);
        line->setObjectName(QLatin1String(kName));
        // It may lie over the window's buttons for a moment: clicks go through.
        line->setAttribute(Qt::WA_TransparentForMouseEvents);
        line->setText(QStringLiteral("The address book is busy in another program: it could "
                                     "not be read just now. Type or press again in a moment."));
        line->setStyleSheet(QStringLiteral(
            "QLabel { background: #ffffc0; color: #800000; border-top: 1px solid #808080; "
            "padding: 2px 4px; }"));
        auto* timer = new QTimer(line);
        timer->setObjectName(QStringLiteral("hideTimer"));
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, line, &QWidget::hide);
    }
    line->setWordWrap(true);
    const int height = line->heightForWidth(window->width());
    line->setGeometry(0, window->height() - height, window->width(), height);
    line->raise();
    line->show();
    line->findChild<QTimer*>(QStringLiteral("hideTimer"))->start(kShownMs);
}
