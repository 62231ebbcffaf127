// Where the main window and its child windows open, and the keys that
// close the main window.

#include "app/frmmainmdi.h"
#include "platform/childplacement.h"
#include "platform/form.h"
#include "platform/twips.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace {
// How long after it shows the window system has to frame the main window.
constexpr int kFramingMs = 3000;
} // namespace

QRect FrmMainMdi::Placement(int screenWidth, int screenHeight) {
    return QRect(0, 0, screenWidth, screenHeight - 400);
}

QRect FrmMainMdi::OnScreen(const QRect& frame, const QRect& available) {
    QRect inside(frame.topLeft(), frame.size().boundedTo(available.size()));
    inside.moveLeft(
        qBound(available.left(), inside.left(), available.right() + 1 - inside.width()));
    inside.moveTop(qBound(available.top(), inside.top(), available.bottom() + 1 - inside.height()));
    return inside;
}

// The frame (title bar and borders included) goes where the design puts
// the window, inside the screen's available area. The window system gives
// the frame's size only once the window shows: the inner size is then made
// smaller by it (FitFrame).
void FrmMainMdi::PlaceOnScreen() {
    const QRect place = Placement(ScreenWidth(), ScreenHeight());
    const QRect design(Px(place.left()), Px(place.top()), Px(place.width()), Px(place.height()));
    const QScreen* screen = QGuiApplication::primaryScreen();
    frameTarget_ = screen ? OnScreen(design, screen->availableGeometry()) : design;
    move(frameTarget_.topLeft()); // a top-level window's move places its frame
    resize(frameTarget_.size());
    fitting_ = true;
}

void FrmMainMdi::FitFrame() {
    const QRect frame = frameGeometry(), inner = geometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                           frame.right() - inner.right(), frame.bottom() - inner.bottom());
    if (margins.isNull()) return; // not framed yet (or never: no window manager)
    fitting_ = false;
    if (frame != frameTarget_) setGeometry(frameTarget_.marginsRemoved(margins));
}

bool FrmMainMdi::event(QEvent* e) {
    const bool result = QMainWindow::event(e);
    if (fitting_) {
        if (e->type() == QEvent::Show)
            QTimer::singleShot(kFramingMs, this, [this] { fitting_ = false; });
        if (e->type() == QEvent::Show || e->type() == QEvent::Move || e->type() == QEvent::Resize)
            FitFrame();
    }
    return result;
}

// A child that set no left edge of its own opens where it is wholly
// visible (platform/childplacement.h).
void FrmMainMdi::placeInside(QMdiSubWindow* sub, const Form* form) {
    ChildWindowSpot spot;
    spot.area = MdiArea->viewport()->size();
    spot.size = sub->size();
    spot.top = sub->y();
    if (form->LeftGiven()) spot.left = sub->x();
    for (const QMdiSubWindow* other : MdiArea->subWindowList())
        if (other != sub && !other->isHidden()) spot.others << other->pos();
    spot.step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    sub->move(ChildWindowPlace(spot));
}

// The desktop's Quit keys (Ctrl+Q) close the main window as its close
// button does. Where the platform names none, Ctrl+Q.
void FrmMainMdi::AddQuitKeys() {
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (keys.isEmpty()) keys << QKeySequence(Qt::CTRL | Qt::Key_Q);
    auto* quit = new QAction(this);
    quit->setObjectName(QStringLiteral("Quit"));
    quit->setShortcuts(keys);
    addAction(quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
}
