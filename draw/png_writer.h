// Encodes a finished frame as a PNG file with the Windows Imaging Component.
#pragma once

#include <string>

#include "draw/canvas.h"

namespace lum {

// Writes the frame's bitmap (alpha ignored) to path as a PNG. True only when
// every step of the encoder chain succeeded; the first failure stops it, and
// the file may then exist partly written or empty. Enters a COM apartment for
// the call when the thread has none.
bool WritePng(const FrameBitmap& frame, const std::wstring& path);

}  // namespace lum
