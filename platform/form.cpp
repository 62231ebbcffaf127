#include "platform/form.h"

#include "platform/childplacement.h"
#include "platform/twips.h"
#include "platform/typedtext.h"

#include <QEvent>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStatusBar>

Form::Form(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

QWidget* Form::Frame() const {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub;
    return const_cast<Form*>(this);
}

void Form::SetCaption(const QString& caption) {
    setWindowTitle(caption);
    if (Frame() != this) Frame()->setWindowTitle(caption);
}

int Form::Width() const {
    return Twips(Frame()->width());
}
int Form::Height() const {
    return Twips(Frame()->height());
}
int Form::Top() const {
    return Twips(Frame()->y());
}
int Form::Left() const {
    return Twips(Frame()->x());
}
// A child window that grows wider moves left as far as it must to stay
// inside the main window's work area, as it was when it opened.
void Form::SetWidth(int twips) {
    QWidget* frame = Frame();
    const QWidget* area = frame != this ? frame->parentWidget() : nullptr;
    const bool wasInside = area && frame->geometry().right() < area->width();
    frame->resize(Px(twips), frame->height());
    if (wasInside && frame->geometry().right() >= area->width())
        frame->move(LeftInside(frame->x(), frame->width(), area->width()), frame->y());
}
void Form::SetHeight(int twips) {
    Frame()->resize(Frame()->width(), Px(twips));
}
void Form::SetTop(int twips) {
    Frame()->move(Frame()->x(), Px(twips));
}
void Form::SetLeft(int twips) {
    leftGiven_ = true;
    Frame()->move(Px(twips), Frame()->y());
}

void Form::Unload() {
    Frame()->close();
}

void Form::ShowStatus(const QString& text) {
    auto* main = qobject_cast<QMainWindow*>(window());
    if (main && main->findChild<QStatusBar*>()) main->statusBar()->showMessage(text);
}

// The form is polished once, before it first shows and after its
// constructor made the controls: every box then guards what is typed, and
// Enter on a focused button presses it, in every window alike.
bool Form::event(QEvent* e) {
    if (e->type() == QEvent::Polish) {
        GuardTypedTextIn(this);
        for (QPushButton* button : findChildren<QPushButton*>())
            button->setAutoDefault(true);
    }
    return QWidget::event(e);
}

Form* FormOf(QWidget* control) {
    for (QWidget* w = control; w; w = w->parentWidget())
        if (auto* form = qobject_cast<Form*>(w)) return form;
    return nullptr;
}
