// Case folding of ASCII letters only. Paths, switches and region codes are
// compared this way: folding other letters (the Turkish dotless i, the Kelvin
// sign) would make two different names equal.
#pragma once

#include <string_view>

namespace lum {

constexpr wchar_t FoldAscii(wchar_t c) noexcept {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// The first prefix.size() units of text equal prefix after folding.
constexpr bool StartsWithIgnoringAsciiCase(std::wstring_view text, std::wstring_view prefix) noexcept {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (FoldAscii(text[i]) != FoldAscii(prefix[i])) return false;
    }
    return true;
}

// Equal length and equal code units after folding.
constexpr bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) noexcept {
    return a.size() == b.size() && StartsWithIgnoringAsciiCase(a, b);
}

}  // namespace lum
