#include "draw/layout_text.h"

namespace lum {

std::wstring_view LayoutText(std::wstring_view text) noexcept {
    if (text.size() <= kMaxLayoutUnits) return text;
    size_t length = kMaxLayoutUnits;
    const wchar_t last = text[length - 1];
    const wchar_t next = text[length];
    if (last >= 0xD800 && last <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) --length;
    return text.substr(0, length);
}

}  // namespace lum
