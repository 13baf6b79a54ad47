#include "text/language_table.h"

namespace lum {

// Each strings/<id>.inc file holds the 134 rows of one language in key order
// (UTF-8 source). The translators edit those files only.
constexpr std::array<LanguageRow, kLanguageTableRows> kLanguageTable = {{
#include "text/strings/french.inc"
#include "text/strings/german.inc"
#include "text/strings/japanese.inc"
#include "text/strings/spanish.inc"
#include "text/strings/portuguese.inc"
#include "text/strings/korean.inc"
#include "text/strings/english.inc"
#include "text/strings/chinesesimplified.inc"
#include "text/strings/chinesetraditional.inc"
}};

namespace {

constexpr bool SameText(const wchar_t* a, const wchar_t* b) {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

constexpr std::array<const wchar_t*, kLanguageCount> kGroupOrder = {
    L"french", L"german", L"japanese", L"spanish", L"portuguese",
    L"korean", L"english", L"chinesesimplified", L"chinesetraditional"};

// A file with an extra row does not compile; a short file would leave null
// rows at the end, and a file with a moved row would shift its keys. Both
// are caught here rather than at run time: every row is complete, carries
// its group's language id and the key of the same position in the first group.
constexpr bool TableIsWellFormed() {
    for (size_t i = 0; i < kLanguageTableRows; ++i) {
        const LanguageRow& row = kLanguageTable[i];
        if (!row.language || !row.key || !row.text) return false;
        if (!SameText(row.language, kGroupOrder[i / kTextKeyCount])) return false;
        if (!SameText(row.key, kLanguageTable[i % kTextKeyCount].key)) return false;
    }
    return true;
}

}  // namespace

static_assert(kLanguageTable.size() == 1206);
static_assert(TableIsWellFormed(), "a language file has a missing, extra or misplaced row");

const wchar_t* LanguageDisplayName(std::wstring_view id) noexcept {
    const int index = LanguageIndex(id);
    return index < 0 ? nullptr : LanguageList[static_cast<size_t>(index)].displayName;
}

int LanguageIndex(std::wstring_view id) noexcept {
    for (size_t i = 0; i < LanguageList.size(); ++i) {
        if (id == LanguageList[i].id) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace lum
