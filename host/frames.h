// The frames the host draws: from UiState and the clock for the window, from
// a scenario's copy of the model for the offline renderer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/ui_state.h"
#include "pages/page_frame.h"
#include "shutdown/close_interface.h"

namespace lum {

// The report's texts in the model's language.
ReportTexts ReportTextsOf(const ScreenModel& model);
// The process report as rows of the close-failed dialog.
std::vector<ProcessRow> ReportRows(const ScreenModel& model);

// What a frame of the model shows of the close interface: the closing phase,
// and the close-failed dialog's rows or report text.
void FillCloseInterface(PageFrame& frame, const ScreenModel& model);

// The window's frame at clock time `now`: the control list and each
// control's animations sampled, the progress glide and the busy bar where
// they stand. `capture` is set for the frames of a cross-fade, which show the
// install path themselves because the native folder edit is not in them.
PageFrame WindowFrame(const UiState& ui, double now, bool drawControls, bool capture);

// LumUI_Render: the current content with a scenario's screen, at rest.
int32_t RenderScenario(const wchar_t* pngPath, int32_t scenario, int32_t dpi);

}  // namespace lum
