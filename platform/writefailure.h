#pragma once
// A save or a delete that failed is always said in a message box, never
// only in a window's busy line: the busy line is for lists, which are read
// again by themselves, while a write the user asked for is not done again
// unless the user asks again. The entry stays on screen.

#include <QString>
#include <exception>

class QWidget;

// Says `what` failed, why, and that the entry is still on screen, titled
// with the caption of the control's form: another program's lock on the
// book or a database server that failed (nothing was written; the user
// may try again) with the exclamation icon, any other fault with the
// critical icon.
void ReportWriteFailure(QWidget* control, const QString& what, const std::exception& e);

// A write that failed inside a step whose errors are ignored (ResumeNext):
// another program's lock or a database server that did not take it. It is
// said as ReportWriteFailure says it, for the form of the running handler
// (or of the focused control). True when `e` was such a write; other
// errors are left as they were.
bool NoteIfWriteFailed(const std::exception& e);
