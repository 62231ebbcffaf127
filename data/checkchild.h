#pragma once
// Files from outside are read in a child process: the program runs a copy
// of itself as
//   adrsbook --check-book <source> <rebuilt copy>
// which rebuilds the source into a new book (data/bookrebuild.h) under a
// time and a memory limit. A file that makes the engine crash, hang or eat
// memory ends only the child; the program itself never opens the file.

#include <QString>
#include <functional>

namespace CheckChild {

// The switch that starts the program as the checking child.
inline constexpr char kSwitch[] = "--check-book";

// The child's side: `source` and `target` as given after the switch.
// Exits 0 when the copy is made, 1 when the file is refused (the reason on
// standard output), 3 when the copy could not be written.
int ChildMain(const QString& source, const QString& target);

struct Limits {
    int seconds = 60;                  // wall clock and processor time
    qint64 memory = qint64(512) << 20; // address space, in bytes
};

// The program started as the child (this program, unless set otherwise)
// and its limits. For the tests.
void SetProgram(const QString& path);
void SetLimits(const Limits& limits);
Limits CurrentLimits();

// Rebuilds `source` into `target` in a child process. Raises FileRefused
// (data/bookrebuild.h) when the file is refused, is damaged or made the
// child fail, and a DbError when the copy could not be written. `waiting`
// is called every tenth of a second while the child works; when it
// returns false the child is stopped and a DbError raised.
void RebuildInChild(const QString& source, const QString& target,
                    const std::function<bool()>& waiting = {});

} // namespace CheckChild
