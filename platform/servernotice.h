#pragma once
// The server line of a window: what became of the database server when the
// window read a list (the connection lost and made again, the server not
// answering or not reachable), said along the window's bottom edge as the
// busy line says a locked book. Typing goes on, and no message box comes
// up for each key. The line goes by itself after a few seconds, or with
// the next word.

#include "platform/busynotice.h"

class QLabel;
class QString;
class QWidget;

// Shows `text` in the server line of the window of `control` (the focused
// window when null). Nothing happens when there is no window.
void ShowServerNotice(QWidget* control, const QString& text);
// The window's server line, or nullptr when it never showed one.
QLabel* ServerNotice(QWidget* window);
// Runs `rerun` from the event loop once no statement waits on the server:
// at once, or as soon as the one waiting has its answer. Nothing is run
// for a list deleted meanwhile.
void RerunWhenFree(const BusyRerun& rerun);
