#include "masters/anywheredblclick.h"

#include "platform/errors.h"
#include "platform/events.h"
#include "platform/listview.h"

#include <QMouseEvent>

namespace {
// Double-clicks that hit no row; those on a row come as the list's own signal.
class EmptyAreaDblClick : public QObject {
  public:
    EmptyAreaDblClick(ListView* list, std::function<void()> h)
        : QObject(list), list_(list), h_(std::move(h)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonDblClick) return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton ||
            list_->indexAt(mouse->position().toPoint()).isValid())
            return false;
        Guarded(list_, h_);
        return true;
    }

  private:
    ListView* list_;
    std::function<void()> h_;
};
} // namespace

void OnDblClickAnywhere(ListView* list, std::function<void()> handler) {
    list->viewport()->installEventFilter(new EmptyAreaDblClick(list, handler));
    On::DblClick(list, std::move(handler));
}
