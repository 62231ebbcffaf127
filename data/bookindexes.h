#pragma once
// Indexes that older books lack: made when a book is opened for writing,
// so that the searches can use them. A book opened for reading only, or
// one another program keeps busy, goes without them (only slower).

class Connection;

namespace BookIndexes {
// Adds what the open book file lacks; never fails (a server's tables have
// their indexes already).
void Add(Connection& conn);
} // namespace BookIndexes
