#include "platform/childplacement.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A position is taken by another window whose corner is nearer to it than
// to the next position.
bool Taken(const ChildWindowSpot& spot, int x) {
    return std::any_of(spot.others.begin(), spot.others.end(), [&](const QPoint& corner) {
        return 2 * std::abs(corner.x() - x) <= spot.step &&
               2 * std::abs(corner.y() - spot.top) <= spot.step;
    });
}

int FreeCascadeLeft(const ChildWindowSpot& spot) {
    const int step = std::max(1, spot.step);
    for (int x = 0; x + spot.size.width() <= spot.area.width(); x += step)
        if (!Taken(spot, x)) return x;
    return 0;
}

} // namespace

int LeftInside(int left, int width, int areaWidth) {
    return std::max(0, std::min(left, areaWidth - width));
}

QPoint ChildWindowPlace(const ChildWindowSpot& spot) {
    const int left = spot.left ? *spot.left : FreeCascadeLeft(spot);
    return QPoint(LeftInside(left, spot.size.width(), spot.area.width()),
                  LeftInside(spot.top, spot.size.height(), spot.area.height()));
}
