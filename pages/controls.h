// The control list of the current page, dialog and menus, and how each
// control looks. A record's rectangle is both where it is drawn and where the
// mouse hits it; the native owner-drawn buttons of the window sit on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "host/ui_state.h"
#include "pages/control_record.h"

namespace lum {

// Footer buttons are 44 high on this line.
constexpr float kFooterButtonTop = 422.0f;

// Appends a record with the rectangle (x, y, x + w, y + h). Its animations
// start at zero, except the check animation, which starts at the value of the
// flag the control shows (FlagDesktopShortcut for ActionToggleDesktop,
// FlagRemoveData for every other control).
void AddControl(std::vector<ControlRecord>& list, const std::wstring& text, float x, float y, float w, float h,
                int32_t action, int32_t kind);

// The controls for `dialog` over the current page: with a dialog, only the
// dialog's buttons; without, the title bar, the page's controls and, when
// includeMenus, the items of the open menu. Reads UiState; on page 0 it also
// stores the legal-line layout in UiState::legal.
std::vector<ControlRecord> BuildControlList(int32_t dialog, bool includeMenus);

// Empties UiState's control list and adds the controls of the current dialog,
// or of the current page, the title bar and the open menus.
void BuildControls();

// The welcome page's legal line: the four texts measured at size 12, shrunk to
// fit 640 when together they are wider than 656, and centred in the frame.
LegalLineLayout ComputeLegalLine();

// The colour under a control: white for the ones that lie on white cards.
Argb SurfaceColor(const ControlRecord& record);

// A primary button carries a trailing arrow when it moves the setup forward.
bool HasTrailingArrow(const ControlRecord& record, int32_t page, int32_t dialog);

// Draws one record. press and focus are used only in LayoutDumpMode, where
// nothing is sampled from the clock: hover is then the hovered byte and the
// check value the flag itself.
void DrawControl(Canvas& canvas, const ControlRecord& record, float press, float focus);

}  // namespace lum
