#include "data/serverwait.h"

#include <QCoreApplication>
#include <QThread>

namespace {
ServerWait* hook = nullptr;
thread_local int waiting = 0;
} // namespace

void ServerWait::Set(ServerWait* h) {
    hook = h;
}

ServerWait* ServerWait::ForThisThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    if (!hook || !app || QThread::currentThread() != app->thread()) return nullptr;
    return hook;
}

bool ServerWait::Busy() {
    return waiting > 0;
}

ServerWait::Waiting::Waiting() {
    ++waiting;
}
ServerWait::Waiting::~Waiting() {
    --waiting;
}
