// Copying a string into a caller's (pointer, capacity) buffer.
#pragma once

#include <cstdint>
#include <string>

namespace lum {

// Copies at most size - 1 characters and a terminator; returns the number of
// characters copied. A null buffer or size < 1 copies nothing and returns 0.
int32_t CopyToBuffer(const std::wstring& text, wchar_t* buffer, int32_t size) noexcept;

// A null string argument counts as the empty string.
inline std::wstring FromArg(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

}  // namespace lum
