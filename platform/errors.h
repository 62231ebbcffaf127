#pragma once
// The three ways the windows meet a failure:
//  - ResumeNext: errors ignored; a failing step is skipped and the handler
//    goes on with the next one;
//  - TrapInvalidInput: the save routines' trap, "Invalid Input" with the
//    critical icon and the title "Error Handler";
//  - ReportFailure: every handler is called through the event wiring, which
//    catches what escapes it, says in a message box what failed and leaves
//    the window usable. No exception ever crosses the event loop.

#include "data/dberror.h"
#include "platform/busynotice.h"
#include "platform/writefailure.h"

#include <QString>
#include <exception>
#include <stdexcept>

class QWidget;

// The text of an error, for a message box.
QString ErrorText(const std::exception& e);

// A read that met a lock of another program is not quietly skipped: the
// window of `control` (the focused one when null) says so in its busy line
// (see platform/busynotice.h), and `rerun` is run once the book is free.
// A read the database server failed is said in the window's server line
// (platform/servernotice.h); after a lost connection, or when the
// connection was still busy with another step, `rerun` is run once it is
// free (and connects again). True when `e` was such a read.
bool NoteIfBusy(QWidget* control, const std::exception& e, const BusyRerun& rerun = {});

// `rerun`: what to read again when the step met another program's lock.
// A write that fails is not ignored: it is said in a message box
// (platform/writefailure.h).
template <class Step> void ResumeNext(Step&& step, const BusyRerun& rerun = {}) {
    try {
        step();
    } catch (const std::exception& e) {
        if (!NoteIfBusy(nullptr, e, rerun)) NoteIfWriteFailed(e);
    }
}

// Shows "Invalid Input" as the save routines do.
void ReportInvalidInput();
// Says that a save found the book locked by another program and that the
// entry is still on screen.
void ReportBusyWrite(const BusyError& e);
// Says what kept the database server from saving, and that the entry is
// still on screen.
void ReportServerWrite(const ServerError& e);

// Runs `work`; any error is reported as "Invalid Input", except a book
// locked by another program or a server that failed, which are said as
// such. Returns false then.
template <class Work> bool TrapInvalidInput(Work&& work) {
    try {
        work();
        return true;
    } catch (const BusyError& e) {
        ReportBusyWrite(e);
        return false;
    } catch (const ServerError& e) {
        ReportServerWrite(e);
        return false;
    } catch (const std::exception&) {
        ReportInvalidInput();
        return false;
    }
}

// Reports a failure in a message box with the critical icon, titled with
// the caption of the control's form: `what` says what failed. A read that
// gave up on another program's lock shows the window's busy line instead.
void ReportFailure(QWidget* control, const QString& what, const std::exception& e);

// The control whose handler is running (nullptr between handlers): what a
// skipped step inside it belongs to.
class HandlerScope {
  public:
    explicit HandlerScope(QWidget* control);
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;
    static QWidget* Current();

  private:
    QWidget* previous_;
};

// Runs a handler; whatever escapes it is reported and swallowed.
template <class Handler> void Guarded(QWidget* control, Handler&& handler) {
    const HandlerScope scope(control);
    try {
        handler();
    } catch (const std::exception& e) {
        ReportFailure(control, QString(), e);
    } catch (...) {
        ReportFailure(control, QString(), std::runtime_error("unknown error"));
    }
}
