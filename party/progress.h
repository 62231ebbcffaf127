#pragma once
// How far a long reading has come: called now and then with the work done
// and the whole of it. The window's routine may throw (ImportCancelled) to
// stop the reading; nothing read so far is kept.

#include <QtGlobal>
#include <algorithm>
#include <functional>

using ReadProgress = std::function<void(qsizetype done, qsizetype total)>;

// Calls `progress`, if there is one, on step 0 and every `every` steps after.
inline void Report(const ReadProgress& progress, qsizetype step, qsizetype done, qsizetype total,
                   qsizetype every = 256) {
    if (progress && step % every == 0) progress(done, total);
}

// A part of a longer reading: from `from` to `to`, fractions of the whole.
inline ReadProgress Part(const ReadProgress& progress, double from, double to) {
    if (!progress) return {};
    return [=](qsizetype done, qsizetype total) {
        constexpr qsizetype kWhole = 1000;
        const double part = double(done) / double(std::max<qsizetype>(1, total));
        progress(qsizetype(kWhole * (from + (to - from) * part)), kWhole);
    };
}
