// The drawing layer: Direct2D/DirectWrite factories, the canvas and text.
#pragma once

namespace lum {

// Creates the Direct2D factory, the shared stroke style and the DirectWrite
// factory, each only if still missing. False as soon as one creation fails.
bool EnsureFactories();
// Releases the render-target pool and empties the drawing caches (LumUI_Destroy).
void ReleaseDrawingResources();

}  // namespace lum
