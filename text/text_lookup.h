// Text lookup: every visible text is a key looked up at drawing time.
#pragma once

#include <string>

namespace lum {

// The key's text in the TextMap, or the key itself when the map has none.
std::wstring TextLookup(const std::wstring& key);
// The current language id is exactly "chinesesimplified" or "chinesetraditional".
bool IsChineseLanguage();
// IsChineseLanguage, or the id is exactly "japanese" or "korean".
bool IsCjkLanguage();

}  // namespace lum
