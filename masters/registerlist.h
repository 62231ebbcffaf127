#pragma once
// A register's list that gave up on another program's lock: `fill` reads
// it again once the book is free, while the list is still shown (Cancel
// puts it away, and then nothing is read).

#include "platform/busynotice.h"

#include <functional>

class ListView;

BusyRerun RegisterListAgain(ListView* list, std::function<void()> fill);
