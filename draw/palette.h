// The installer's palette, shared by the pages, the controls and the
// illustrations. Colours are 0xAARRGGBB.
#pragma once

#include "draw/canvas.h"

namespace lum {

constexpr Argb kPageBackground = 0xFFF6F2E9;  // page background, dialog cards
constexpr Argb kNavy = 0xFF172B45;            // headings and primary text
constexpr Argb kGrey = 0xFF66768A;            // secondary text, grey icons
constexpr Argb kAccent = 0xFF3388FF;          // check marks, accent icons and status
constexpr Argb kAccentDeep = 0xFF205FC0;      // tags and data notes
constexpr Argb kDanger = 0xFFC34747;          // errors and warnings
constexpr Argb kDivider = 0xFFDDDDE2;         // dividers, card borders
constexpr Argb kFieldBorder = 0xFFD5DCE7;     // the folder field
constexpr Argb kErrorCardBorder = 0xFFE8C6C0;
constexpr Argb kPaleBlue = 0xFFEAF2FF;        // pale panels, the selection
constexpr Argb kWindowBorder = 0xFFB8C2CF;
constexpr Argb kWhite = 0xFFFFFFFF;           // cards and fields

}  // namespace lum
