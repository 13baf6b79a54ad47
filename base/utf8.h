// UTF-8 at the edges: report files, PNG side files and tools' output.
#pragma once

#include <string>
#include <string_view>

namespace lum {

// Unpaired surrogates become U+FFFD; empty for empty input.
std::string ToUtf8(std::wstring_view text);
// Invalid sequences become U+FFFD.
std::wstring FromUtf8(std::string_view text);

}  // namespace lum
