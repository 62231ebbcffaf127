#pragma once
// Sizes and positions are given in twips, 15 to a pixel.

#include <QtGlobal>

class QWidget;

constexpr int kTwipsPerPixel = 15;

inline int Px(int twips) {
    return qRound(double(twips) / kTwipsPerPixel);
}
inline int Twips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// Places a control at its position (left, top, width, height in twips).
void PlaceTwips(QWidget* w, int left, int top, int width, int height);

// The size of the screen, in twips.
int ScreenWidth();
int ScreenHeight();
