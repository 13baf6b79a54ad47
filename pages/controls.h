// The control list of the current page, dialog and menus, and how each
// control looks. A record's rectangle is both where it is drawn and where the
// mouse hits it; the native owner-drawn buttons of the window sit on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "pages/control_record.h"
#include "pages/page_frame.h"
#include "pages/screen_model.h"

namespace lum {

// Footer buttons are 44 high on this line.
constexpr float kFooterButtonTop = 422.0f;

// Appends a record with the rectangle (x, y, x + w, y + h). Its animations
// start at zero, except the check animation, which starts at the value in
// `flags` of the flag the control shows (FlagDesktopShortcut for
// ActionToggleDesktop, FlagRemoveData for every other control).
void AddControl(std::vector<ControlRecord>& list, const std::wstring& text, float x, float y, float w, float h,
                int32_t action, ControlKind kind, uint32_t flags);

// The control list of a screen and the legal line measured with it.
struct ControlList {
    std::vector<ControlRecord> records;
    LegalLineLayout legal;  // set on page 0 only
};

// The controls for `dialog` over the model's page: with a dialog, only the
// dialog's buttons (processCount records page through the close-failed
// list); without, the title bar, the page's controls and, when includeMenus,
// the items of the open menu.
ControlList BuildControlList(const ScreenModel& model, int32_t dialog, bool includeMenus, size_t processCount);

// The welcome page's legal line: the four texts measured at size 12, shrunk to
// fit 640 when together they are wider than 656, and centred in the frame.
LegalLineLayout ComputeLegalLine(const ScreenModel& model);

// A control at rest: nothing hovered, pressed or focused, the check box as
// its flag says. Offline renders and the page under a dialog look like this.
ControlLook RestingLook(const ControlRecord& record, uint32_t flags);
// A control's animations sampled at clock time `now`.
ControlLook SampledLook(const ControlRecord& record, double now);

// The colour under a control: white for the ones that lie on white cards.
Argb SurfaceColor(const ControlRecord& record);

// A primary button carries a trailing arrow when it moves the setup forward.
bool HasTrailingArrow(const ControlRecord& record, int32_t page, int32_t dialog);

// Draws one record as it looks.
void DrawControl(Canvas& canvas, const PageFrame& frame, const ControlRecord& record, const ControlLook& look);

}  // namespace lum
