// Windows error codes as the log and the report show them.
#pragma once

#include <cstdint>
#include <string>

namespace lum {

// The code in unsigned decimal, followed by " (" + the system's message + ")"
// when the system has one. Line breaks of the message become spaces, so a
// typical result ends in "  )".
std::wstring FormatErrorText(uint32_t code);

}  // namespace lum
