#pragma once
// Event wiring: connects a control's events to the form's named handlers,
// the way the old platform called Txtname_KeyPress or CmdSave_Click.
//
//   On::Click(CmdSave, [this] { CmdSave_Click(); });
//   On::KeyPress(Txtname, [this](int& KeyAscii) { Txtname_KeyPress(KeyAscii); });
//
// KeyPress hands the handler the typed character's code (13 for Enter, 8
// for Backspace); the handler may replace it (the replacement is typed
// instead) or set it to 0 (the key is discarded). Enter never reaches the
// control itself once a KeyPress handler has seen it.
// GotFocus / LostFocus follow the focus inside the program's windows; a
// message box or a pop-up list taking the focus for a moment raises neither.
// Change runs on every change of the text, typed or set by the program.
// Every handler runs guarded: an error escaping it is reported in a message
// box titled with the form's caption, and the window stays usable.
//
// Any other signal is wired the same way with Signal, which hands the
// handler the signal's arguments or none, as the handler takes them:
//
//   On::Signal(SpnRows, &QSpinBox::valueChanged, [this] { MeasuresChanged(); });
//   On::Signal(&preview, &QPrintPreviewDialog::paintRequested,
//              [this](QPrinter* p) { Render(p); });

#include <QObject>
#include <functional>
#include <type_traits>

class QWidget;
class QAbstractButton;
class QCheckBox;
class QRadioButton;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QLabel;
class QAction;
class ListView;

namespace On {
using Handler = std::function<void()>;
using KeyHandler = std::function<void(int& KeyAscii)>;

void Click(QAbstractButton* button, Handler h); // a button pressed
void Click(QCheckBox* box, Handler h);          // the value changed, by the user or the program
void Click(QRadioButton* option, Handler h);    // the option became chosen
void Click(QComboBox* combo, Handler h);        // an entry chosen from the list
void Click(QLabel* label, Handler h);           // the label clicked
void Click(QAction* menuItem, Handler h);       // a menu command
void ItemClick(ListView* list, Handler h);      // a row clicked
void DblClick(ListView* list, Handler h);       // a row double-clicked
// The selected row changed, chosen with the mouse or the keys, or the list
// was emptied.
void SelectionChange(ListView* list, Handler h);
void Change(QLineEdit* box, Handler h);
void Change(QComboBox* combo, Handler h);
void Change(QPlainTextEdit* box, Handler h);
void KeyPress(QWidget* control, KeyHandler h);
void GotFocus(QWidget* control, Handler h);
void LostFocus(QWidget* control, Handler h);

namespace detail {
// Runs `h` as every handler above runs, for `sender` when it is a control.
void RunGuarded(QObject* sender, const Handler& h);
} // namespace detail

// Connects `signal` of `sender` to `handler`, guarded as the handlers above;
// an error is reported for the sender's window. The connection ends with
// the sender.
template <class Sender, class SignalOf, class F>
QMetaObject::Connection Signal(Sender* sender, SignalOf signal, F handler) {
    QObject* const where = sender;
    return QObject::connect(sender, signal, sender,
                            [where, handler = std::move(handler)](const auto&... args) {
                                detail::RunGuarded(where, [&] {
                                    if constexpr (std::is_invocable_v<const F&, decltype(args)...>)
                                        handler(args...);
                                    else
                                        handler();
                                });
                            });
}
} // namespace On
