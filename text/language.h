// Choosing the language: the texts of one language from the built-in table,
// and the INI override file on top of them.
#pragma once

#include <string>
#include <string_view>

#include "text/text_lookup.h"

namespace lum {

constexpr wchar_t kDefaultLanguage[] = L"english";
// The reader's result buffer, in characters: an override keeps at most 4095.
constexpr unsigned kOverrideBufferChars = 4096;

// The id LumUI_LoadLanguage stores: the argument, or "english" when it is empty.
std::wstring EffectiveLanguage(std::wstring_view language);

// The English texts of every key, then the texts of the language on top.
// An id that is not in the table (they compare case-sensitively) leaves the
// English texts.
TextMap BuildTextMap(std::wstring_view language);

// Whether the private-profile reader can be given this file name: one that
// resolves to MAX_PATH characters or more is treated as a missing file.
bool ProfileReaderCanOpen(const std::wstring& file);

// Replaces every entry of the map with the value the override file gives for
// it in the section, the entry's own text where the file, the section or the
// key is missing. Keys the map does not hold are never read, so a file cannot
// add keys.
void ApplyOverrideFile(TextMap& texts, const std::wstring& file, const std::wstring& section);

// A language as LumUI_LoadLanguage chooses it: the effective id and its texts.
struct LoadedLanguage {
    std::wstring id;
    TextMap texts;
};
// The texts of a language with the override file applied. The override section
// is the language argument as the caller passed it, even when that is an id
// the table does not know ("English"), so that a script can keep overrides for
// its own ids; without a language argument it is the effective id, "english"
// (a null section would make the reader return the list of section names).
LoadedLanguage LoadLanguageTexts(const std::wstring& overrideFile, const std::wstring& language);

}  // namespace lum
