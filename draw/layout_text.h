// The part of a text that reaches a DirectWrite layout.
#pragma once

#include <cstddef>
#include <string_view>

namespace lum {

// DirectWrite under Wine crashes the process on a layout of about 70,000 UTF-16
// units, and the longest text of any box in the 720 x 480 frame is a few
// hundred. Longer texts are laid out from their start, cut here; whoever holds
// the text (the UI state, the overflow report) keeps it whole.
constexpr size_t kMaxLayoutUnits = 4096;

// The first kMaxLayoutUnits units of text, one fewer where the cut would split
// a surrogate pair; the whole text when it is not longer.
std::wstring_view LayoutText(std::wstring_view text) noexcept;

}  // namespace lum
