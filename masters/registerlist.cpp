#include "masters/registerlist.h"

#include "platform/errors.h"
#include "platform/listview.h"

BusyRerun RegisterListAgain(ListView* list, std::function<void()> fill) {
    return {list, [list, fill] {
                if (!list->isHidden()) ResumeNext(fill, RegisterListAgain(list, fill));
            }};
}
