#pragma once
// The busy line of a window: a read that found the address book locked by
// another program gives up at once, and instead of an empty list with no
// word the window shows one line saying so along its bottom edge. No message
// box: a search typed into would otherwise raise one per key. The line goes
// away by itself a few seconds later.

class QWidget;
class QLabel;

// Shows the busy line in the window of `control` (the focused window when
// null). Nothing happens when there is no window.
void ShowBusyNotice(QWidget* control);
// The window's busy line, or nullptr when it never showed one.
QLabel* BusyNotice(QWidget* window);
