// Override-file templates for translators: every key of a language with its
// built-in text, in the INI format LumUI_LoadLanguage reads.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace lum {

// The INI text of a complete template for a language: one section named by
// the language id, one "Key=text" line per key in table order. Texts holding a
// line break cannot be an INI value; they are written as comments, so that
// loading the unchanged template leaves every text as it is.
std::wstring OverrideTemplateText(std::wstring_view language);

// Writes OverrideTemplateText as UTF-16 LE with a byte-order mark: the
// private-profile reader reads non-ASCII text correctly only from a Unicode
// file (an 8-bit file is read in the system code page). Returns 0 or the
// Windows error code.
DWORD WriteOverrideTemplate(const std::wstring& path, std::wstring_view language);

}  // namespace lum
