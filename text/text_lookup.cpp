#include "text/text_lookup.h"

#include "host/ui_state.h"

namespace lum {

std::wstring TextLookup(const std::wstring& key) {
    const TextMap& texts = Ui().texts;
    const auto found = texts.find(key);
    return found != texts.end() ? found->second : key;
}

bool IsChineseLanguage() {
    const std::wstring& id = Ui().language;
    return id == L"chinesesimplified" || id == L"chinesetraditional";
}

bool IsCjkLanguage() {
    const std::wstring& id = Ui().language;
    return IsChineseLanguage() || id == L"japanese" || id == L"korean";
}

}  // namespace lum
