// The frames the host draws: from UiState and the clock for the window, from
// a scenario's copy of the model for the offline renderer.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/ui_state.h"
#include "pages/draw_page.h"
#include "pages/illustrations.h"
#include "pages/page_frame.h"
#include "pages/progress_page.h"
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

// Where a control's own window sits in the view, in pixels.
RECT ControlPixels(const ControlRecord& record, float scale);

// The view's picture: the whole frame with every control drawn in, its still
// part kept in a FrameCache. Each owner-drawn control's window copies its
// pixels from it while the control looks as the picture shows it; a control
// whose look has changed since (hover, press, focus) is drawn alone over the
// frame without controls, which is drawn when first needed after a change.
class ViewPicture {
public:
    // Paints the whole picture at this pixel size; `frame` draws its controls,
    // with the looks their windows will ask for at rest. `changed`, when
    // known, is the only part that changed since the last picture.
    bool Paint(int width, int height, float scale, PageFrame frame, const Box* changed = nullptr);
    // Paints again the parts of the progress band whose state changed since
    // they were painted (the bar as it glides, the percentage, the detail
    // line), each alone: the rest stays as it was.
    void PaintProgressBand(const PageFrame& frame);
    // Puts the picture of control `index` of `frame`, whose window is at
    // `place` in the view, into the top-left corner of `dc`.
    void PaintControl(HDC dc, size_t index, const RECT& place, const ControlLook& look, const PageFrame& frame);
    const FrameBitmap& pixels() const { return view_; }
    bool HoldsTargetBitmap() const { return still_.HoldsTargetBitmap(); }
    void Release();

private:
    bool EnsureBare(const PageFrame& frame);
    // Draws over the pixels `part` of `under` (in a scratch frame of that
    // size) and puts the result into `to` at (x, y); false when nothing was drawn.
    bool DrawOver(const FrameBitmap& under, const RECT& part, HDC to, int x, int y,
                  const std::function<void(Canvas&)>& draw);

    FrameBitmap view_;
    std::vector<ControlLook> looks_;  // of the controls as `view_` shows them
    FrameCache still_;
    FrameBitmap bare_;  // the frame without controls
    bool bareFresh_ = false;
    FrameBitmap scratch_;         // a control or a progress part drawn alone
    std::wstring shownParts_[3];  // ProgressPartState of each part as painted
    float shownReach_[3] = {NAN, NAN, NAN};  // and its ProgressPartReach, NaN when not known
    float scale_ = 1.0f;
};

// LumUI_Render: the current content with a scenario's screen, at rest.
int32_t RenderScenario(const wchar_t* pngPath, int32_t scenario, int32_t dpi);

}  // namespace lum
