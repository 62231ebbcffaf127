#include "data/engine.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<DeferredSnapshot*>& deferred() {
    static std::vector<DeferredSnapshot*> list;
    return list;
}
DeferredSnapshot* writer = nullptr;
} // namespace

void DeferredSnapshot::Defer(DeferredSnapshot* snapshot) {
    deferred().push_back(snapshot);
}

void DeferredSnapshot::Undefer(DeferredSnapshot* snapshot) {
    auto& list = deferred();
    list.erase(std::remove(list.begin(), list.end(), snapshot), list.end());
}

void DeferredSnapshot::BeforeWrite() {
    auto& list = deferred();
    if (list.empty() || (list.size() == 1 && list.front() == writer)) return;
    const std::vector<DeferredSnapshot*> pending = list;
    for (DeferredSnapshot* s : pending)
        if (s != writer) s->TakeSnapshot(); // each undefers itself
}

DeferredSnapshot::Writer::Writer(DeferredSnapshot* self) : previous_(writer) {
    writer = self;
}
DeferredSnapshot::Writer::~Writer() {
    writer = previous_;
}
