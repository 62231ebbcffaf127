#include "platform/events.h"

#include "platform/errors.h"
#include "platform/listview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>

namespace {

On::Handler guard(QWidget* control, On::Handler h) {
    QPointer<QWidget> where(control);
    return [where, h = std::move(h)] { Guarded(where.data(), h); };
}

// The code the old KeyPress event carried for a key, or 0 for keys it never saw.
int keyAsciiOf(const QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    default:
        break;
    }
    const QString text = e->text();
    if (text.isEmpty() || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return 0;
    const QChar c = text[0];
    if (c.unicode() < 32 || c.unicode() == 127) return 0;
    return c.unicode();
}

class KeyPressFilter : public QObject {
  public:
    KeyPressFilter(QWidget* control, On::KeyHandler h)
        : QObject(control), control_(control), h_(std::move(h)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || replaying_) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const int original = keyAsciiOf(key);
        if (original == 0) return false;
        int code = original;
        QPointer<QObject> alive(watched);
        Guarded(control_, [&] { h_(code); });
        if (!alive) return true;
        if (code == 0 || original == 13) return true;
        if (code == original) return false;
        // Type the replacement instead.
        const QString text = QString(QChar(char16_t(code)));
        QKeyEvent replacement(QEvent::KeyPress,
                              code == 13 ? int(Qt::Key_Return)
                                         : int(QChar(code).toUpper().unicode()),
                              Qt::NoModifier, text);
        replaying_ = true;
        QCoreApplication::sendEvent(watched, &replacement);
        replaying_ = false;
        return true;
    }

  private:
    QWidget* control_;
    On::KeyHandler h_;
    bool replaying_ = false;
};

bool ignoredReason(Qt::FocusReason r) {
    return r == Qt::ActiveWindowFocusReason || r == Qt::PopupFocusReason;
}

// Tracks the focus of one control and raises GotFocus and LostFocus.
class FocusFilter : public QObject {
  public:
    explicit FocusFilter(QWidget* control) : QObject(control), control_(control) {}
    On::Handler got, lost;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            const auto* f = static_cast<QFocusEvent*>(event);
            if (ignoredReason(f->reason()) && has_) return false;
            if (has_) return false;
            has_ = true;
            if (got) got();
        } else if (event->type() == QEvent::FocusOut) {
            const auto* f = static_cast<QFocusEvent*>(event);
            if (ignoredReason(f->reason()) || intoPopup()) return false;
            if (!has_) return false;
            has_ = false;
            if (lost) lost();
        }
        return false;
    }

  private:
    // A combo box's drop-down list takes the focus with a plain setFocus
    // once it is open: that is the pop-up taking it for a moment too.
    static bool intoPopup() {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup) return false;
        QWidget* now = QApplication::focusWidget();
        return !now || now == popup || popup->isAncestorOf(now);
    }

    QWidget* control_;
    bool has_ = false;
};

FocusFilter* focusFilterOf(QWidget* control) {
    // The filters carry no meta-object of their own: find ours by its C++ type.
    for (QObject* child : control->children())
        if (auto* filter = dynamic_cast<FocusFilter*>(child)) return filter;
    auto* filter = new FocusFilter(control);
    control->installEventFilter(filter);
    return filter;
}

class ClickFilter : public QObject {
  public:
    ClickFilter(QWidget* control, On::Handler h) : QObject(control), h_(std::move(h)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            h_();
        return false;
    }

  private:
    On::Handler h_;
};

} // namespace

namespace On {

void detail::RunGuarded(QObject* sender, const Handler& h) {
    Guarded(qobject_cast<QWidget*>(sender), h);
}

void Click(QAbstractButton* button, Handler h) {
    QObject::connect(button, &QAbstractButton::clicked, button, guard(button, std::move(h)));
}

void Click(QCheckBox* box, Handler h) {
    QObject::connect(box, &QCheckBox::stateChanged, box, guard(box, std::move(h)));
}

void Click(QRadioButton* option, Handler h) {
    auto handler = guard(option, std::move(h));
    QObject::connect(option, &QRadioButton::toggled, option, [handler](bool on) {
        if (on) handler();
    });
}

void Click(QComboBox* combo, Handler h) {
    QObject::connect(combo, &QComboBox::activated, combo, guard(combo, std::move(h)));
}

void Click(QLabel* label, Handler h) {
    label->installEventFilter(new ClickFilter(label, guard(label, std::move(h))));
}

void Click(QAction* menuItem, Handler h) {
    QObject::connect(menuItem, &QAction::triggered, menuItem,
                     [h = std::move(h)] { Guarded(nullptr, h); });
}

void ItemClick(ListView* list, Handler h) {
    QObject::connect(list, &ListView::clicked, list, guard(list, std::move(h)));
}

void DblClick(ListView* list, Handler h) {
    QObject::connect(list, &ListView::doubleClicked, list, guard(list, std::move(h)));
}

void SelectionChange(ListView* list, Handler h) {
    auto guarded = guard(list, std::move(h));
    QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, list, guarded);
    QObject::connect(list->model(), &QAbstractItemModel::modelReset, list, guarded);
}

void Change(QLineEdit* box, Handler h) {
    QObject::connect(box, &QLineEdit::textChanged, box, guard(box, std::move(h)));
}

void Change(QComboBox* combo, Handler h) {
    QObject::connect(combo, &QComboBox::editTextChanged, combo, guard(combo, std::move(h)));
}

void Change(QPlainTextEdit* box, Handler h) {
    QObject::connect(box, &QPlainTextEdit::textChanged, box, guard(box, std::move(h)));
}

void KeyPress(QWidget* control, KeyHandler h) {
    control->installEventFilter(new KeyPressFilter(control, std::move(h)));
}

void GotFocus(QWidget* control, Handler h) {
    focusFilterOf(control)->got = guard(control, std::move(h));
}

void LostFocus(QWidget* control, Handler h) {
    focusFilterOf(control)->lost = guard(control, std::move(h));
}

} // namespace On
