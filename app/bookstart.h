#pragma once
// Opening the address book at start-up: one copy per book, the full check
// after a run that did not end normally, a word when the book can only be
// read. Each refusal is reported in a message box.

#include "data/booklock.h"

#include <functional>
#include <memory>

// Takes the book's lock and opens Conn and Conn2. False when the program
// must end (the reason has been shown); `lock` then holds no lock. A book
// found damaged after an unclean end can be restored from a backup then
// and there: `restore` runs the program's restore and is true when the
// book was replaced and opened again.
bool OpenBook(std::unique_ptr<BookLock>& lock, const std::function<bool()>& restore = {});
