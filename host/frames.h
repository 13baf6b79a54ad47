// The frames the host draws: from UiState and the clock for the window, from
// a scenario's copy of the model for the offline renderer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/ui_state.h"
#include "pages/illustrations.h"
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

// The illustrations kept between frames, by the window and LumUI_Render.
IllustrationCache& KeptIllustrations();
// FreeLibrary: the kept illustrations go, unless a bitmap of theirs still
// belongs to a render target.
void ReleaseKeptIllustrationsAtUnload();

// The progress band of the view's picture drawn again, alone: drawn into
// `part` and put in place, so the rest of the picture stays as it was.
void PaintProgressBand(FrameBitmap& view, FrameBitmap& part, float scale, const Box& band, const PageFrame& frame);

// Where a control's own window sits in the view, in pixels.
RECT ControlPixels(const ControlRecord& record, float scale);

// One owner-drawn control's picture: the view's pixels under its window's
// rectangle `place`, then the control over them, drawn into the top-left
// corner of `scratch`.
void PaintControl(const FrameBitmap& view, FrameBitmap& scratch, const RECT& place, float scale, const PageFrame& frame,
                  const ControlRecord& record, const ControlLook& look);

// LumUI_Render: the current content with a scenario's screen, at rest.
int32_t RenderScenario(const wchar_t* pngPath, int32_t scenario, int32_t dpi);

}  // namespace lum
