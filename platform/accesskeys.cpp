#include "platform/accesskeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

// The key of an Alt+letter or Alt+digit press, or 0 for any other key.
int accessKeyOf(const QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (mods != Qt::AltModifier) return 0;
    const int key = e->key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    return 0;
}

QString captionOf(QWidget* w) {
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->buddy() ? label->text() : QString();
    return QString();
}

// Where the focus goes when the control's access key is used.
QWidget* focusTargetOf(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return label->buddy();
    return w;
}

} // namespace

QList<QWidget*> AccessKeyClaimants(QWidget* form, int key) {
    QList<QWidget*> claimants;
    const QKeySequence wanted(QKeyCombination(Qt::AltModifier, Qt::Key(key)));
    // The focus chain links every widget of the window in tab order.
    QWidget* w = form;
    do {
        w = w->nextInFocusChain();
        if (w == form || !form->isAncestorOf(w)) continue;
        if (!w->isVisible() || !w->isEnabled()) continue;
        const QString caption = captionOf(w);
        if (caption.isEmpty() || QKeySequence::mnemonic(caption) != wanted) continue;
        QWidget* target = focusTargetOf(w);
        if (target && target->isEnabled()) claimants.append(w);
    } while (w != form && w);
    return claimants;
}

bool PressAccessKey(QWidget* form, int key) {
    const QList<QWidget*> claimants = AccessKeyClaimants(form, key);
    if (claimants.isEmpty()) return false;
    if (claimants.size() > 1) {
        // Shared letter: move on to the next of them, press none.
        int at = -1;
        QWidget* focus = QApplication::focusWidget();
        for (int i = 0; i < claimants.size(); ++i)
            if (focusTargetOf(claimants[i]) == focus) at = i;
        focusTargetOf(claimants[(at + 1) % claimants.size()])->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    QPointer<QWidget> only(claimants.first());
    if (auto* button = qobject_cast<QAbstractButton*>(only.data())) {
        if (button->focusPolicy() & Qt::TabFocus) button->setFocus(Qt::ShortcutFocusReason);
        // Leaving the previous control may have changed the window.
        if (only && only->isVisible() && only->isEnabled()) button->click();
    } else if (QWidget* target = focusTargetOf(only)) {
        target->setFocus(Qt::ShortcutFocusReason);
    }
    return true;
}

ChildAccessKeys::ChildAccessKeys(QMdiArea* area) : QObject(area), area_(area) {
    qApp->installEventFilter(this);
}

QWidget* ChildAccessKeys::activeChild(QObject* watched) const {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != area_->window()) return nullptr;
    for (QWidget* p = w; p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p))
            return sub->mdiArea() == area_ ? sub->widget() : nullptr;
    QMdiSubWindow* active = area_->activeSubWindow();
    return active ? active->widget() : nullptr;
}

bool ChildAccessKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = accessKeyOf(keyEvent);
    if (key == 0) return false;
    QWidget* child = activeChild(watched);
    if (!child) return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Claimed by the child: keep the menu bar's shortcut from running, so
        // the key arrives as a key press below.
        if (AccessKeyClaimants(child, key).isEmpty()) return false;
        event->accept();
        return true;
    }
    if (!PressAccessKey(child, key)) return false;
    return true;
}
