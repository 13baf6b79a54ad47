// Offline rendering: any screen drawn into a PNG file without a window, with
// a ".layout.txt" report beside it naming every text that overflowed its box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pages/page_frame.h"
#include "pages/screen_model.h"

namespace lum {

// The current content with a scenario's screen: 0 ... 10 the page itself,
// 11 ... 19 the dialogs, the language menu, the remove-data and cleanup
// states and the title menu; any other number the installing page.
ScreenModel ScenarioModel(const ScreenModel& current, int32_t scenario);

// The frame of a model at rest: every control painted, nothing hovered or
// focused, the progress bar at position / maximum, the busy bar where it
// stands in pictures made without a clock.
PageFrame RestingFrame(const ScreenModel& model, std::vector<ProcessRow> processes);

// Draws the frame at dpi into pngPath and writes pngPath + ".layout.txt".
// 1 when the PNG was written; 0 for an empty path (nothing written), a size
// that cannot be a bitmap, or a failed drawing or encoding.
int32_t RenderFrameToPng(const PageFrame& frame, const std::wstring& pngPath, int32_t dpi);

}  // namespace lum
