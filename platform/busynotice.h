#pragma once
// The busy line of a window: a read that found the address book locked by
// another program gives up at once, and instead of an empty list with no
// word the window shows one line saying so along its bottom edge. No message
// box: a search typed into would otherwise raise one per key.
//
// The line stays while the book cannot be read. About ten times a second it
// tries a read that never waits; as soon as the book is free the line goes
// and the reads it reported are run again, so the list fills by itself.
// A read run again that meets the lock once more leaves the line up.

#include <functional>

class QWidget;
class QLabel;

// A read to run again once the book is free: `list` is what it fills (a
// newer failure of the same list replaces the older one), `again` the
// routine that reads it afresh. Nothing is run again for a list deleted
// meanwhile.
struct BusyRerun {
    QWidget* list = nullptr;
    std::function<void()> again;
};

// Shows the busy line in the window of `control` (the focused window when
// null) and keeps `rerun` (when it has a routine) for when the book is free.
// Nothing happens when there is no window.
void ShowBusyNotice(QWidget* control, const BusyRerun& rerun = {});
// The window's busy line, or nullptr when it never showed one.
QLabel* BusyNotice(QWidget* window);
