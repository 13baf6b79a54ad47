// The built-in texts: every key in nine languages, and the languages the
// language menu offers.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace lum {

// One text of one language. All three strings are static and NUL-terminated.
struct LanguageRow {
    const wchar_t* language;
    const wchar_t* key;
    const wchar_t* text;
};

constexpr size_t kLanguageCount = 9;
constexpr size_t kTextKeyCount = 134;
constexpr size_t kLanguageTableRows = kLanguageCount * kTextKeyCount;

// Rows grouped by language (french, german, japanese, spanish, portuguese,
// korean, english, chinesesimplified, chinesetraditional); within each group
// the keys come in the same order.
extern const std::array<LanguageRow, kLanguageTableRows> kLanguageTable;

// A language the menu offers: its id and the name it is shown under, which is
// always written in that language itself.
struct LanguageEntry {
    const wchar_t* id;
    const wchar_t* displayName;
};

// Menu order: item i raises action ActionLanguageFirst + i.
inline constexpr std::array<LanguageEntry, kLanguageCount> LanguageList = {{
    {L"chinesesimplified", L"简体中文"},
    {L"chinesetraditional", L"繁體中文"},
    {L"english", L"English"},
    {L"japanese", L"日本語"},
    {L"korean", L"한국어"},
    {L"french", L"Français"},
    {L"german", L"Deutsch"},
    {L"spanish", L"Español"},
    {L"portuguese", L"Português"},
}};

// The display name of a language id (exact, case-sensitive match), or null
// when the id is not one of the nine.
const wchar_t* LanguageDisplayName(std::wstring_view id) noexcept;

// The position of a language id in LanguageList, or -1.
int LanguageIndex(std::wstring_view id) noexcept;

}  // namespace lum
