// Canonical paths: the form in which the application shutdown compares paths
// (ASCII letters folded, see base/ascii.h).
#pragma once

#include <string>

#include "base/ascii.h"

namespace lum {

// The final, normalized drive-letter form of an existing file or folder
// (links and short names resolved); for a path that cannot be opened, its full
// form. Never fails: it returns the best form it could obtain. Long-path
// prefixes are removed ("\\?\UNC\server\x" becomes "\\server\x") and forward
// slashes become backslashes.
std::wstring CanonicalPath(const std::wstring& path);

}  // namespace lum
