#include "text/language.h"

#include <windows.h>

#include <cwchar>
#include <optional>
#include <vector>

#include "text/language_table.h"

namespace lum {

std::wstring EffectiveLanguage(std::wstring_view language) {
    return language.empty() ? std::wstring(kDefaultLanguage) : std::wstring(language);
}

TextMap BuildTextMap(std::wstring_view language) {
    TextMap texts;
    // English first, so that every key has a text even in a language that
    // lacks it; then the language itself overwrites.
    for (const LanguageRow& row : kLanguageTable) {
        if (row.language == std::wstring_view(kDefaultLanguage)) texts[row.key] = row.text;
    }
    for (const LanguageRow& row : kLanguageTable) {
        if (row.language == language) texts[row.key] = row.text;
    }
    return texts;
}

bool ProfileReaderCanOpen(const std::wstring& file) {
    if (file.empty()) return false;
    // The reader resolves the name into a MAX_PATH buffer: a bare file name
    // lies in the Windows folder, anything else is made a full path. A longer
    // result would be cut to another name on Windows and overruns the buffer
    // in Wine's reader, so such a file counts as missing.
    const bool bare = file.find_first_of(L"\\/") == std::wstring::npos && !(file.size() >= 2 && file[1] == L':');
    size_t resolved = 0;
    if (bare) {
        wchar_t windows[MAX_PATH] = {};
        const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return false;
        resolved = length + 1 + file.size();
    } else {
        resolved = ::GetFullPathNameW(file.c_str(), 0, nullptr, nullptr);  // counts the terminator
        if (resolved == 0) return false;
        resolved -= 1;
    }
    return resolved < MAX_PATH;
}

namespace {

// The key names of one section, as the reader lists them (a null key name
// asks for the list); empty when the file or the section is missing, and
// nothing when the list is too long to take, in which case every key is read.
std::optional<std::vector<std::wstring>> SectionKeyNames(const std::wstring& file, const std::wstring& section) {
    constexpr size_t kMaxListChars = size_t{1} << 22;
    std::vector<wchar_t> names(16 * 1024);
    for (;;) {
        const DWORD size = static_cast<DWORD>(names.size());
        const DWORD length =
            ::GetPrivateProfileStringW(section.c_str(), nullptr, L"", names.data(), size, file.c_str());
        if (length + 2 < size) break;
        // A list that did not fit comes back cut, with length size - 2.
        if (names.size() >= kMaxListChars) return std::nullopt;
        names.resize(names.size() * 4);
    }
    std::vector<std::wstring> keys;
    for (const wchar_t* name = names.data(); *name; name += std::wcslen(name) + 1) keys.emplace_back(name);
    return keys;
}

bool ListedIgnoringCase(const std::vector<std::wstring>& names, const std::wstring& key) {
    for (const std::wstring& name : names) {
        if (::CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), key.c_str(),
                                   static_cast<int>(key.size()), TRUE) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

}  // namespace

void ApplyOverrideFile(TextMap& texts, const std::wstring& file, const std::wstring& section) {
    if (!ProfileReaderCanOpen(file)) return;
    // Each read opens and parses the file again, about half a millisecond
    // even for a missing file; an override file usually sets a few keys, so
    // only the keys the section lists (the reader matches them ignoring case)
    // are read. Every other key would get its default, the current text.
    const auto listed = SectionKeyNames(file, section);
    if (listed && listed->empty()) return;
    std::vector<wchar_t> value(kOverrideBufferChars);
    for (auto& [key, text] : texts) {
        if (listed && !ListedIgnoringCase(*listed, key)) continue;
        // The current text is the default. The reader strips blanks at both
        // ends and one pair of enclosing quotes from a value; a line break
        // cannot be written in an INI value at all.
        const DWORD length = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), text.c_str(), value.data(),
                                                        kOverrideBufferChars, file.c_str());
        text.assign(value.data(), length);
    }
}

LoadedLanguage LoadLanguageTexts(const std::wstring& overrideFile, const std::wstring& language) {
    LoadedLanguage loaded;
    loaded.id = EffectiveLanguage(language);
    loaded.texts = BuildTextMap(loaded.id);
    if (!overrideFile.empty()) ApplyOverrideFile(loaded.texts, overrideFile, language.empty() ? loaded.id : language);
    return loaded;
}

}  // namespace lum
