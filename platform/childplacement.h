#pragma once
// Where a child window opens inside the main window's work area, so that
// it is wholly visible. A window keeps the top and size its load routine
// gave it. One that gave no left edge takes the first cascade position from
// the left (0, step, 2 step, ...) where no other window opens and where it
// fits wholly; when none is free, the left edge. A window larger than the
// work area keeps its top-left corner, and so its title bar, inside it.
// All measures are pixels of the work area.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

struct ChildWindowSpot {
    QSize area;              // the work area
    QSize size;              // the window's frame
    int top = 0;             // as its load routine set it
    std::optional<int> left; // as its load routine set it, if it did
    QList<QPoint> others;    // the top-left corners of the other open windows
    int step = 20;           // from one cascade position to the next
};

QPoint ChildWindowPlace(const ChildWindowSpot& spot);

// The left edge that keeps a window of `width` inside an area of
// `areaWidth`, moving it no further than it must (never left of 0).
int LeftInside(int left, int width, int areaWidth);
