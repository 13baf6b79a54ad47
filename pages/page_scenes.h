// DrawPage: one whole frame painted from UiState alone: background, title
// band, the page's content, controls, menus, dialog and window border.
#pragma once

#include <cstdint>

#include "draw/canvas.h"

namespace lum {

// Paints a complete frame. drawControls says whether the controls of the list
// are painted into it: captures and offline renders want them; on screen each
// control is a native owner-drawn button that paints itself. Under a dialog
// the page's own controls are painted in any case.
void DrawPage(Canvas& canvas, bool drawControls);

// The standard heading: title at (40, y, 640, 42) size 28, body 50 below in size 13.
void PageHeading(Canvas& canvas, const wchar_t* titleKey, const wchar_t* bodyKey, float y);

// "UninstallTitle" on pages 5, 6, 7 and 9, "SetupTitle" on all others.
const wchar_t* WindowTitleKey(int32_t page);

// Set while a frame is captured for a cross-fade: the native folder edit is
// not part of the captured picture, so the page draws the install path itself.
bool& CapturingFrame();

}  // namespace lum
