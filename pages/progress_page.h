// The installing and uninstalling pages: heading, step list, illustration,
// status, the progress bar with its percentage, and the detail line.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "draw/canvas.h"
#include "pages/page_frame.h"

namespace lum {

// The page content of PageInstalling (uninstall false) or PageUninstalling.
void DrawProgressPage(Canvas& canvas, const PageFrame& frame, bool uninstall, LayerPass& pass);
// The percentage, the bar and the detail line.
void DrawProgressBar(Canvas& canvas, const PageFrame& frame, bool uninstall);

// The parts of the page that change with the progress. Each is painted whole,
// its background and what it shows, by DrawProgressPart, so that one part can
// be drawn again alone while the bar glides.
enum class ProgressPart : uint8_t { Percent, Bar, Detail };
constexpr ProgressPart kProgressParts[] = {ProgressPart::Percent, ProgressPart::Bar, ProgressPart::Detail};
// The layout-unit box of a part, and the box around all three.
Box ProgressPartBox(ProgressPart part);
Box ProgressBandBox();
// What a part shows in the frame: the same text, the same picture.
std::wstring ProgressPartState(const PageFrame& frame, ProgressPart part);
// How far right a part's drawing reaches in the frame, in layout units: the
// end of the bar's fill, of the detail line's glyphs; the percentage's box.
float ProgressPartReach(const PageFrame& frame, ProgressPart part);
// The box within a part's box whose pixels differ between a band whose part
// reached `before` and one whose part reaches `after` (the whole part's box
// when either is not a number: not known).
Box ProgressPartChange(ProgressPart part, float before, float after);
// Does nothing unless the page is 2 or 6 with no dialog.
void DrawProgressPart(Canvas& canvas, const PageFrame& frame, ProgressPart part);

// position / maximum clamped to 0 ... 1; 0 for a maximum below 1. What the
// bar shows at rest, and where a glide ends.
float ProgressFraction(int32_t position, int32_t maximum);
// v * 100 rounded half away from zero.
int32_t ProgressPercent(float value);
// The percentage as shown: the decimal number followed by "%".
std::wstring ProgressPercentText(float value);

// The keys of the three steps, and of the default detail line.
std::array<const wchar_t*, 3> ProgressStepKeys(bool uninstall, uint32_t flags);
const wchar_t* ProgressDetailKey(bool uninstall, uint32_t flags);

}  // namespace lum
