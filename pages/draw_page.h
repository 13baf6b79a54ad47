// DrawPage: one whole frame painted from a PageFrame alone: background, title
// band, the page's content, controls, menus, dialog and window border.
#pragma once

#include <cstdint>

#include "draw/canvas.h"
#include "pages/page_frame.h"

namespace lum {

// Paints a complete frame.
void DrawPage(Canvas& canvas, const PageFrame& frame);

// The standard heading: title at (40, y, 640, 42) size 28, body 50 below in size 13.
void PageHeading(Canvas& canvas, const PageFrame& frame, const wchar_t* titleKey, const wchar_t* bodyKey, float y);

// "UninstallTitle" on pages 5, 6, 7 and 9, "SetupTitle" on all others.
const wchar_t* WindowTitleKey(int32_t page);

}  // namespace lum
