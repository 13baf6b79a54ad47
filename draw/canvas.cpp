#include "draw/canvas.h"

namespace lum {

// The Direct2D layer arrives with the drawing issue.
bool EnsureFactories() { return false; }
void ReleaseDrawingResources() {}

}  // namespace lum
