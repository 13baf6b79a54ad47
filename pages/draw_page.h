// DrawPage: one whole frame painted from a PageFrame alone: background, title
// band, the page's content, controls, menus, dialog and window border.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "draw/still_layer.h"
#include "pages/page_frame.h"

namespace lum {

// Paints a complete frame, or only its still or its moving part.
void DrawPage(Canvas& canvas, const PageFrame& frame, PageLayer layer = PageLayer::Whole);

// Frames of a window: the still part of the last frame is kept and drawn
// again only when something it shows has changed; each frame draws the moving
// part over it. The picture is the same as DrawPage's.
class FrameCache {
public:
    // Paints the whole frame into the bitmap; false when no canvas could begin.
    bool Paint(FrameBitmap& bitmap, float scale, const PageFrame& frame);
    void Release();
    bool HoldsTargetBitmap() const { return layer_.HoldsTargetBitmap(); }

private:
    // A control drawn into the still part: its text, its box and its look.
    struct StillControl {
        std::wstring text;
        float values[8] = {};  // left, top, right, bottom, hover, press, check, focus
        int32_t action = 0;
        ControlKind kind = KindPrimary;
        bool operator==(const StillControl&) const = default;
    };
    // What the still part is drawn from.
    struct StillInputs {
        ScreenModel model;
        LegalLineLayout legal;
        bool pathInEdit = false;
        bool drawControls = true;
        bool looksMove = true;
        float progress = 0.0f;
        int32_t closingPhase = 0;
        std::vector<ProcessRow> processes;
        std::wstring processReport;
        float scale = 1.0f;
        std::vector<StillControl> controls;
        bool operator==(const StillInputs&) const = default;
    };
    // The controls drawn in the still part: every one when looks do not
    // move, else the page's own under an open menu, else none.
    static std::vector<StillControl> StillControls(const PageFrame& frame);
    // Whether the frame's still part is the one drawn from `inputs`.
    static bool SameStill(StillInputs& inputs, const PageFrame& frame, float scale);

    StillLayer layer_;
    std::optional<StillInputs> inputs_;
};

// The standard heading: title at (40, y, 640, 42) size 28, body 50 below in size 13.
void PageHeading(Canvas& canvas, const PageFrame& frame, const wchar_t* titleKey, const wchar_t* bodyKey, float y);

// "UninstallTitle" on pages 5, 6, 7 and 9, "SetupTitle" on all others.
const wchar_t* WindowTitleKey(int32_t page);

}  // namespace lum
