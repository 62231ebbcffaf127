#pragma once
// Access keys (Alt and a letter) as the old platform gave them: the active
// child window's own controls come first, and the menu bar takes the key
// only when no control of that window claims its letter.
//
// One control claiming the letter: a button is pressed (the focus moves to
// it first), a label hands the focus to its buddy. Several claiming it: the
// focus moves on to the next of them in tab order and nothing is pressed.

#include <QObject>

class QKeyEvent;
class QMdiArea;
class QWidget;

// The visible, enabled controls of `form` whose caption marks `key` as its
// access key, in tab order.
QList<QWidget*> AccessKeyClaimants(QWidget* form, int key);

// Acts on the access key `key` (Qt::Key_A ...) in `form`. False when no
// control of the form claims it.
bool PressAccessKey(QWidget* form, int key);

// Watches the keyboard of the program and hands Alt+letter to the active
// child window of `area` before the menu bar sees it.
class ChildAccessKeys : public QObject {
  public:
    explicit ChildAccessKeys(QMdiArea* area);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* activeChild(QObject* watched) const;
    QMdiArea* area_;
};
