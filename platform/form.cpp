#include "platform/form.h"

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
void Form::SetWidth(int twips) {
    Frame()->resize(Px(twips), Frame()->height());
}
void Form::SetHeight(int twips) {
    Frame()->resize(Frame()->width(), Px(twips));
}
void Form::SetTop(int twips) {
    Frame()->move(Frame()->x(), Px(twips));
}
void Form::SetLeft(int twips) {
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
