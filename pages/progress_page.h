// The installing and uninstalling pages: heading, step list, illustration,
// status, the progress bar with its percentage, and the detail line.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "draw/canvas.h"

namespace lum {

// The page content of PageInstalling (uninstall false) or PageUninstalling.
void DrawProgressPage(Canvas& canvas, bool uninstall);
// The percentage, the bar and the detail line.
void DrawProgressBar(Canvas& canvas, bool uninstall);
// Partial repaint while the bar glides: clears the band and draws the bar
// again. Does nothing unless the page is 2 or 6 with no dialog.
void DrawProgressBand(Canvas& canvas);

// The bar value 0 ... 1: position / total in LayoutDumpMode, otherwise the
// displayed progress at the animation clock.
float ProgressBarValue();
// v * 100 rounded half away from zero.
int32_t ProgressPercent(float value);
// The percentage as shown: the decimal number followed by "%".
std::wstring ProgressPercentText(float value);

// The keys of the three steps, and of the default detail line.
std::array<const wchar_t*, 3> ProgressStepKeys(bool uninstall, uint32_t flags);
const wchar_t* ProgressDetailKey(bool uninstall, uint32_t flags);

}  // namespace lum
