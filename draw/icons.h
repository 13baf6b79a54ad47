// The twelve line icons, built from path-data strings.
#pragma once

#include <cstdint>

#include "draw/canvas.h"

namespace lum {

enum Icon : int {
    IconMinimize,
    IconClose,
    IconChevron,
    IconFolder,
    IconCheck,
    IconGlobe,
    IconShield,
    IconTrash,
    IconWarning,
    IconDocument,
    IconMonitor,
    IconRefresh,
    kIconCount
};

// One line icon: its design box, where its path sits in the box, its
// default stroke width (design-box units), the path and the cap style.
struct IconRecord {
    float viewWidth, viewHeight;
    float m11, m12, m21, m22, dx, dy;  // placement of the path in the box
    float defaultStroke;
    const wchar_t* path;
    bool roundCaps;  // shared round-cap stroke style, else flat caps
};

// The icon's record; null for a value outside the enum.
const IconRecord* GetIconRecord(Icon icon);

// Strokes an icon so that its design box maps onto the square (x, y, size).
// A stroke width of exactly 0 means the icon's default width; the width is in
// design-box units, so it scales with the icon.
void DrawIcon(Canvas& canvas, Icon icon, float x, float y, float size, Argb color, float strokeWidth = 0.0f);

}  // namespace lum
