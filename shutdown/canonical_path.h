// Canonical paths and the ASCII-only case-insensitive comparisons that every
// path test of the application shutdown uses.
#pragma once

#include <string>

namespace lum {

// The final, normalized drive-letter form of an existing file or folder
// (links and short names resolved); for a path that cannot be opened, its full
// form. Never fails: it returns the best form it could obtain. Long-path
// prefixes are removed ("\\?\UNC\server\x" becomes "\\server\x") and forward
// slashes become backslashes.
std::wstring CanonicalPath(const std::wstring& path);

// Equal length and equal code units after A-Z are mapped to a-z; nothing else is folded.
bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) noexcept;
// The first prefix.size() units of text equal prefix, compared as above.
bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& prefix) noexcept;

}  // namespace lum
