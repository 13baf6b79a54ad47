// The cross-fade's picture: the frame before a change with the frame after it
// laid over at one constant opacity.
#pragma once

#include "draw/canvas.h"

namespace lum {

// Copies `from` into `out` (out's size) and, unless the opacity rounds to 0
// or `to` is null, alpha-blends `to` over it with constant source alpha
// round(opacity x 255): source-over, no per-pixel alpha, source rectangle
// the size of `to`.
void BlendFrames(const FrameBitmap& from, const FrameBitmap* to, float opacity, FrameBitmap& out);

}  // namespace lum
