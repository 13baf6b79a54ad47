#include "text/override_template.h"

#include "base/scoped_win.h"
#include "text/language.h"
#include "text/language_table.h"

namespace lum {
namespace {

// A value the reader would not return unchanged: it strips blanks at both
// ends and one pair of enclosing quotes.
bool ReaderWouldAlter(std::wstring_view text) {
    if (text.empty()) return false;
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    if (blank(text.front()) || blank(text.back())) return true;
    return text.size() >= 2 && (text.front() == L'"' || text.front() == L'\'') && text.back() == text.front();
}

}  // namespace

std::wstring OverrideTemplateText(std::wstring_view language) {
    const std::wstring id = EffectiveLanguage(language);
    const TextMap texts = BuildTextMap(id);
    std::wstring out;
    out += L"; Lumora setup: text overrides for \"" + id + L"\".\r\n";
    out += L"; Pass this file to LumUI_LoadLanguage with the same language id. Change the\r\n";
    out += L"; texts you need and delete the other lines; a missing line keeps the built-in\r\n";
    out += L"; text. Keep the file UTF-16 LE with its byte-order mark.\r\n";
    out += L"; A value cannot hold a line break: keys whose text has two lines are listed as\r\n";
    out += L"; comments, and an override of one of them shows as a single line.\r\n";
    out += L"\r\n[" + id + L"]\r\n";
    for (const LanguageRow& row : kLanguageTable) {
        // The english group holds every key once, in table order.
        if (row.language != std::wstring_view(kDefaultLanguage)) continue;
        const std::wstring& text = texts.at(row.key);
        const bool multiLine = text.find_first_of(L"\r\n") != std::wstring::npos;
        if (multiLine) {
            std::wstring flat = text;
            for (wchar_t& c : flat) {
                if (c == L'\r' || c == L'\n') c = L' ';
            }
            out += L";";
            out += row.key;
            out += L"=" + flat + L"\r\n";
        } else if (ReaderWouldAlter(text)) {
            // Enclosing quotes are removed by the reader, so quoting keeps
            // the blanks or quotes the text itself starts and ends with.
            out += row.key;
            out += L"=\"" + text + L"\"\r\n";
        } else {
            out += row.key;
            out += L"=" + text + L"\r\n";
        }
    }
    return out;
}

DWORD WriteOverrideTemplate(const std::wstring& path, std::wstring_view language) {
    const std::wstring text = L"\xFEFF" + OverrideTemplateText(language);
    UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    // wchar_t is UTF-16 LE on Windows, so the string's bytes are the file.
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    if (!::WriteFile(file.get(), text.data(), bytes, &written, nullptr)) return ::GetLastError();
    return written == bytes ? 0 : ERROR_WRITE_FAULT;
}

}  // namespace lum
