// The five overlay dialogs, drawn over the dimmed page: the card, its icon,
// title and body, the dialog's own content and its buttons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "draw/icons.h"
#include "pages/page_frame.h"

namespace lum {

// Where a dialog's card sits and what it says. All cards run from x 120 to 600.
struct DialogCard {
    float top = 0;
    float height = 0;
    Icon icon = IconWarning;
    Argb iconColor = 0;
    const wchar_t* titleKey = L"";
    const wchar_t* bodyKey = L"";
};
// The card of a dialog id; false for DialogNone and unknown ids.
bool DialogCardOf(int32_t dialog, DialogCard* card);

// Paints everything from the dimmed page to the dialog's buttons; the
// dialog's own buttons only with drawControls (on screen they paint themselves).
void DrawDialog(Canvas& canvas, const PageFrame& frame, LayerPass& pass);
// The list panel of the close-failed dialog.
void DrawProcessList(Canvas& canvas, const PageFrame& frame);
// Partial repaint of the closing dialog: the busy track and bar only.
void DrawClosingBar(Canvas& canvas, const PageFrame& frame);

// The busy bar's offset from its track start at clock time `now`: it sweeps
// 330 units right and back every 1700 ms, slow at the ends.
float BusyBarOffset(double now);
// Where the closing dialog's busy bar moves: the only part of that dialog
// that changes from frame to frame.
Box BusyBarBand();
// The closing dialog's phase line.
Box ClosingPhaseBand();
// "ClosingGraceful" (1), "ClosingForce" (2) or "ClosingVerify" (anything else).
const wchar_t* ClosingPhaseKey(int32_t phase);

// One page of the process list, three records a page.
constexpr size_t kProcessesPerPage = 3;
struct ProcessListPage {
    size_t first = 0;  // first record shown
    size_t end = 0;    // one past the last record shown
    bool hasIndicator = false;
    std::wstring indicator;  // "P / N"
    bool hasPrev = false;
    bool hasNext = false;
};
ProcessListPage ProcessListRows(size_t recordCount, int32_t page);

}  // namespace lum
