// Text lookup: every visible text is a key looked up at drawing time.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace lum {

// Key -> text of the current language, overrides included; ordered by code
// units. Lookups take views, so looking a key up copies nothing.
using TextMap = std::map<std::wstring, std::wstring, std::less<>>;

// The key's text in the map, or the key itself when the map has none.
std::wstring TextLookup(const TextMap& texts, std::wstring_view key);
// The language id is exactly "chinesesimplified" or "chinesetraditional".
bool IsChineseLanguage(std::wstring_view language);
// IsChineseLanguage, or the id is exactly "japanese" or "korean".
bool IsCjkLanguage(std::wstring_view language);

}  // namespace lum
