#include "text/text_lookup.h"

namespace lum {

std::wstring TextLookup(const TextMap& texts, std::wstring_view key) {
    const auto found = texts.find(key);
    return found != texts.end() ? found->second : std::wstring(key);
}

bool IsChineseLanguage(std::wstring_view language) {
    return language == L"chinesesimplified" || language == L"chinesetraditional";
}

bool IsCjkLanguage(std::wstring_view language) {
    return IsChineseLanguage(language) || language == L"japanese" || language == L"korean";
}

}  // namespace lum
