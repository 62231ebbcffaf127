#pragma once
// What the benchmark needs of the book it is given: a keyed address book
// file, with parties, groups and cities enough for its cases (a book made
// by adrsbook-gendb has them).

#include <QString>

// Why `file` is no address book the benchmark can open; empty when it is one.
QString BenchBookUnreadable(const QString& file);

// Why the book is too small for `runs` runs of every case; empty when it
// is not.
QString BenchBookTooSmall(const QString& file, int runs);
