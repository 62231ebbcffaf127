#pragma once
// The registers' lists answer a double-click anywhere in them, on a row or
// on the empty area below the rows, as the old list views did: the handler
// then reads the selected row, if there is one.

#include <functional>

class ListView;

void OnDblClickAnywhere(ListView* list, std::function<void()> handler);
