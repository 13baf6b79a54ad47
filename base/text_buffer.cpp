#include "base/text_buffer.h"

#include <algorithm>
#include <cwchar>

namespace lum {

int32_t CopyToBuffer(const std::wstring& text, wchar_t* buffer, int32_t size) noexcept {
    if (!buffer || size < 1) return 0;
    const size_t count = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::wmemcpy(buffer, text.data(), count);
    buffer[count] = L'\0';
    return static_cast<int32_t>(count);
}

}  // namespace lum
