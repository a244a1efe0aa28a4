#pragma once

#include "cOrvelCaption.h"

// The skin's art above the largest scale it is drawn for: every piece of the
// largest drawing (the ends, the tile, each button and border cell) is
// stretched on its own to where the caption looks for it at the higher DPI,
// so the cuts stay exact while the pixels grow. The caption's bands along the
// window's edges stretch as the border cells do: the frame's lines are as
// wide on every side and meet the sides without a step.
namespace DrawingScale {

// The art of `from` enlarged to `to`: `to` brings the cuts and the DPI (above
// from.dpi), and gets new bitmaps; heights grow by to.dpi / from.dpi. A
// drawing without a caption bitmap, or a DPI not above it, gives `from`.
cOrvelCaption::Drawing Enlarge(const cOrvelCaption::Drawing& from, cOrvelCaption::Drawing to);

}  // namespace DrawingScale
