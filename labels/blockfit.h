#pragma once
// Fits address blocks into a box of one size, in this order: one font size
// for every block, the size the largest block needs (down to a smallest
// size); then, for a block that still does not fit, its long lines wrapped;
// then its least important lines left out, one kind at a time (the phone
// line, the attention line, the land mark). The name and the city line
// (with the PIN) are never left out: a block that cannot fit even so is
// cut short, and says so. Nothing leaves the box.

#include "party/addressblock.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QList>
#include <QSizeF>
#include <QStringList>

class QPaintDevice;

struct FittedBlock {
    QStringList lines;     // as printed, top down
    bool cutShort = false; // address lines left out, or lines elided
};

class BlockFitter {
  public:
    // `box` in the pixels of `device`, which gives the font's measures.
    BlockFitter(const QFont& font, QSizeF box, QPaintDevice* device);

    // The size at which the block just fits unwrapped, scaled from its
    // measures at the font's starting size (type grows in proportion to its
    // size). Handed to ShrinkTo and Fit, it spares measuring again.
    double NeededSize(const QList<BlockLine>& block) const;

    // Shrinks the font, in steps of half a point and not below
    // `minPointSize`, to the size at which every block fits unwrapped,
    // given what each needs.
    void ShrinkTo(const QList<QList<BlockLine>>& blocks, const QList<double>& needed,
                  double minPointSize);
    // The same, measuring each block; returns what each needs.
    QList<double> ShrinkFor(const QList<QList<BlockLine>>& blocks, double minPointSize);

    const QFont& Font() const { return font_; }
    // Lines fitted at the font's present size.
    FittedBlock Fit(const QList<BlockLine>& block, double neededSize = 0) const;

  private:
    void SetPointSize(double size);
    double Height(qsizetype lines) const;
    double Width(const QString& text) const;
    bool FitsUnwrapped(const QList<BlockLine>& block) const;
    // Sure to fit unwrapped at the present size, by the size it needs.
    bool Roomy(double neededSize) const;
    QStringList Wrapped(const QList<BlockLine>& block) const;
    QStringList Elided(const QList<BlockLine>& block) const;

    QFont font_;
    QSizeF box_;
    QPaintDevice* device_;
    QFontMetricsF fm_;
    mutable QHash<QString, double> widths_; // at the present size
};
