#include "platform/edgeline.h"

#include "platform/form.h"

#include <QApplication>
#include <QEvent>

EdgeLine::EdgeLine(QWidget* window, const char* name, const char* background, const char* text)
    : QLabel(window) {
    setObjectName(QLatin1String(name));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setWordWrap(true);
    setStyleSheet(QStringLiteral("QLabel { background: %1; color: %2; border-top: 1px solid "
                                 "#808080; padding: 2px 4px; }")
                      .arg(QLatin1String(background), QLatin1String(text)));
    window->installEventFilter(this);
}

void EdgeLine::Raise() {
    Place();
    raise();
    show();
}

QLabel* EdgeLine::Find(QWidget* window, const char* name) {
    return window ? window->findChild<QLabel*>(QLatin1String(name), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

QWidget* EdgeLine::WindowOf(QWidget* control) {
    if (!control) control = QApplication::focusWidget();
    if (!control) return nullptr;
    QWidget* window = FormOf(control);
    return window ? window : control->window();
}

bool EdgeLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible()) Place();
    return false;
}

void EdgeLine::Place() {
    const QWidget* window = parentWidget();
    const int height = heightForWidth(window->width());
    setGeometry(0, window->height() - height, window->width(), height);
}
