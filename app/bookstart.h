#pragma once
// Opening the address book at start-up: one copy per book, the full check
// after a run that did not end normally, a word when the book can only be
// read. Each refusal is reported in a message box.

#include "data/booklock.h"

#include <memory>

// Takes the book's lock and opens Conn and Conn2. False when the program
// must end (the reason has been shown); `lock` then holds no lock.
bool OpenBook(std::unique_ptr<BookLock>& lock);
