// DirectWrite text for the canvas: fitted layouts and their caches.
#pragma once

#include <string>
#include <vector>

#include "draw/canvas.h"

namespace lum {

// Lays text out in a width x height box the way DrawText does: "Microsoft
// YaHei", the style's weight and alignment, centred paragraph, word wrap.
// With fit on it shrinks the size by 0.94 per attempt (at most 8) until the text is no
// taller than the box + 0.5, stopping at the first size at or below 72 % of
// the requested one. Null when not even the first layout could be made.
// sizesTried, when given, receives the font size of every attempt.
ComPtr<IDWriteTextLayout> BuildTextLayout(const std::wstring& text, float width, float height, const TextStyle& style,
                                          std::vector<float>* sizesTried = nullptr);

// The number of entries in the layout cache (at most 512) and the width
// cache (at most 256).
size_t TextLayoutCacheSize();
size_t TextWidthCacheSize();
// Empties both text caches, releasing every layout.
void ClearTextCaches();
// Also frees the layout cache's holder: the last use, at library unload.
void DeleteTextCachesAtUnload();

}  // namespace lum
