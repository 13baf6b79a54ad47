// lumora_texts: helpers for the translators of the built-in texts.
//
//   lumora_texts template <language> <file.ini>
//       Writes a complete override file for the language: every key with its
//       built-in text, UTF-16 LE with a byte-order mark, ready for
//       LumUI_LoadLanguage(file, language).
//   lumora_texts review <file.html | file.tsv>
//       Writes every key with its text in all nine languages side by side.
//       The HTML page marks texts that are the English text unchanged, that
//       have the wrong number of line breaks or that are over the length limit.
//   lumora_texts fit [language]
//       Measures each text at the size it is drawn in and lists those wider
//       than their box, which the UI then shrinks to fit. An estimate: bold
//       labels are taken as 5 % wider than regular, and boxes of several lines
//       as that many times their width. The offline renderer's layout report
//       is the exact check.
//   lumora_texts languages
//       Lists the language ids in menu order with their display names.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "draw/canvas.h"
#include "base/scoped_win.h"
#include "base/utf8.h"
#include "text/language.h"
#include "text/language_table.h"
#include "text/override_template.h"
#include "text/text_lookup.h"

namespace {

using lum::kLanguageTable;
using lum::LanguageRow;

constexpr size_t kMaxTextChars = 240;

// The columns: English, the source of every translation, first; then the
// other languages in table order.
std::vector<std::wstring> TableLanguages() {
    std::vector<std::wstring> ids = {lum::kDefaultLanguage};
    for (size_t i = 0; i < kLanguageTable.size(); i += lum::kTextKeyCount) {
        if (kLanguageTable[i].language != std::wstring_view(lum::kDefaultLanguage)) ids.push_back(kLanguageTable[i].language);
    }
    return ids;
}

std::string Utf8(std::wstring_view text) { return lum::ToUtf8(text); }

size_t CountLineFeeds(std::wstring_view text) {
    size_t count = 0;
    for (wchar_t c : text) count += c == L'\n';
    return count;
}

std::wstring EscapeHtml(std::wstring_view text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'&': out += L"&amp;"; break;
            case L'<': out += L"&lt;"; break;
            case L'>': out += L"&gt;"; break;
            case L'"': out += L"&quot;"; break;
            case L'\n': out += L"<br>"; break;
            default: out += c;
        }
    }
    return out;
}

// TSV cells keep one line: line feeds and tabs are written as \n and \t.
std::wstring EscapeTsv(std::wstring_view text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n') out += L"\\n";
        else if (c == L'\t') out += L"\\t";
        else if (c == L'\\') out += L"\\\\";
        else out += c;
    }
    return out;
}

// texts[language][row index within the group]
std::map<std::wstring, std::vector<const wchar_t*>> TextsByLanguage() {
    std::map<std::wstring, std::vector<const wchar_t*>> texts;
    for (const LanguageRow& row : kLanguageTable) texts[row.language].push_back(row.text);
    return texts;
}

std::wstring ReviewTsv() {
    const auto languages = TableLanguages();
    const auto texts = TextsByLanguage();
    std::wstring out = L"key";
    for (const auto& id : languages) out += L"\t" + id;
    out += L"\r\n";
    for (size_t k = 0; k < lum::kTextKeyCount; ++k) {
        out += kLanguageTable[k].key;
        for (const auto& id : languages) out += L"\t" + EscapeTsv(texts.at(id)[k]);
        out += L"\r\n";
    }
    return out;
}

std::wstring ReviewHtml() {
    const auto languages = TableLanguages();
    const auto texts = TextsByLanguage();
    const auto& english = texts.at(lum::kDefaultLanguage);
    std::wstring out =
        L"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Lumora setup texts</title>\n"
        L"<style>body{font-family:'Segoe UI','Microsoft YaHei',sans-serif;font-size:13px}"
        L"table{border-collapse:collapse}td,th{border:1px solid #ccc;padding:4px;vertical-align:top}"
        L"th{position:sticky;top:0;background:#eef}td.key{font-family:monospace}"
        L".same{background:#fff3c4}.bad{background:#f8c8c8}.len{color:#888;font-size:11px}</style>"
        L"</head><body>\n<p>Yellow: the English text unchanged. Red: wrong number of line breaks or over "
        L"240 characters. The number under each text is its length in characters.</p>\n<table>\n<tr><th>key</th>";
    for (const auto& id : languages) {
        const wchar_t* name = lum::LanguageDisplayName(id);
        out += L"<th>" + id + L"<br>" + EscapeHtml(name ? name : L"") + L"</th>";
    }
    out += L"</tr>\n";
    for (size_t k = 0; k < lum::kTextKeyCount; ++k) {
        out += L"<tr><td class=\"key\">" + std::wstring(kLanguageTable[k].key) + L"</td>";
        for (const auto& id : languages) {
            const std::wstring_view text = texts.at(id)[k];
            const bool bad = CountLineFeeds(text) != CountLineFeeds(english[k]) || text.size() > kMaxTextChars ||
                             text.empty();
            const bool same = id != lum::kDefaultLanguage && text == english[k];
            out += bad ? L"<td class=\"bad\">" : same ? L"<td class=\"same\">" : L"<td>";
            out += EscapeHtml(text) + L"<div class=\"len\">" + std::to_wstring(text.size()) + L"</div></td>";
        }
        out += L"</tr>\n";
    }
    out += L"</table></body></html>\n";
    return out;
}

bool WriteUtf8File(const std::wstring& path, std::wstring_view text) {
    const std::string bytes = Utf8(text);
    lum::UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool EndsWithIgnoringCase(const std::wstring& text, std::wstring_view suffix) {
    if (text.size() < suffix.size()) return false;
    return ::CompareStringOrdinal(text.c_str() + text.size() - suffix.size(), static_cast<int>(suffix.size()),
                                  suffix.data(), static_cast<int>(suffix.size()), TRUE) == CSTR_EQUAL;
}

// Where a key is drawn: the room for one line, the font size, the number of
// lines the box holds and whether it is semibold. Buttons leave 24 units of
// padding, 54 with the trailing arrow.
struct TextBox {
    const wchar_t* key;
    float width;
    float size;
    int lines;
    bool semibold;
};

constexpr TextBox kTextBoxes[] = {
    {L"SetupTitle", 430, 12, 1, false},       {L"UninstallTitle", 430, 12, 1, false},
    {L"Features", 299, 12, 3, false},         {L"WelcomeTitle", 300, 28, 1, false},
    {L"WelcomeBody", 300, 14, 4, false},      {L"OptionsTitle", 640, 28, 1, false},
    {L"OptionsBody", 640, 13, 1, false},      {L"InstallLocation", 400, 13, 1, true},
    {L"Installed", 240, 12, 1, true},         {L"CompleteTitle", 310, 32, 1, false},
    {L"CompleteBody", 316, 13, 1, false},     {L"ExistingTitle", 640, 28, 1, false},
    {L"ExistingBody", 640, 13, 1, false},     {L"ExistingAppName", 365, 15, 1, true},
    {L"KeepDataTag", 108, 12, 1, false},      {L"UpdateSameLocation", 616, 13, 1, false},
    {L"UpdateKeepData", 616, 13, 1, false},   {L"UninstallHeading", 640, 28, 1, false},
    {L"UninstallBody", 640, 13, 1, false},    {L"RemoveDataWarning", 574, 12, 1, false},
    {L"UninstalledStatus", 307, 12, 1, true}, {L"UninstalledTitle", 325, 32, 1, false},
    {L"UninstalledBody", 330, 13, 1, false},  {L"UninstalledFarewell", 330, 13, 2, false},
    {L"DataRemoved", 555, 14, 1, true},       {L"DataRetained", 555, 14, 1, true},
    {L"ReinstallHint", 555, 12, 1, false},    {L"InstallErrorTitle", 600, 28, 1, false},
    {L"UninstallErrorTitle", 600, 28, 1, false}, {L"InstallErrorBody", 640, 13, 1, false},
    {L"UninstallErrorBody", 640, 13, 1, false}, {L"InstallErrorSummary", 602, 15, 1, false},
    {L"UninstallErrorSummary", 602, 15, 1, false}, {L"InstallRecovery", 630, 13, 1, false},
    {L"UninstallRecovery", 604, 13, 1, false}, {L"InstallingTitle", 390, 30, 1, false},
    {L"UninstallingTitle", 390, 30, 1, false}, {L"InstallingBody", 370, 13, 2, false},
    {L"UninstallingBody", 370, 13, 2, false}, {L"PreflightDone", 350, 12, 1, false},
    {L"WritingFiles", 350, 12, 1, false},     {L"CreatingShortcuts", 350, 12, 1, false},
    {L"AppClosed", 350, 12, 1, false},        {L"RemovingFiles", 350, 12, 1, false},
    {L"DataRemoving", 350, 12, 1, false},     {L"DataPreserved", 350, 12, 1, false},
    {L"FilesRemoved", 350, 12, 1, false},     {L"SavedFilesPreserved", 350, 12, 1, false},
    {L"DataCleanupDetail", 640, 12, 1, false}, {L"Installing", 480, 13, 1, true},
    {L"Uninstalling", 480, 13, 1, true},      {L"PleaseWait", 450, 11, 2, false},
    {L"CannotCancel", 450, 11, 2, false},     {L"CancelTitle", 390, 21, 1, true},
    {L"RunningTitle", 390, 21, 1, true},      {L"ClearTitle", 390, 21, 1, true},
    {L"ClosingTitle", 390, 21, 1, true},      {L"CloseFailedTitle", 390, 21, 1, true},
    {L"RunningBody", 424, 13, 3, false},      {L"ClosingBody", 424, 13, 3, false},
    {L"CloseFailedBody", 424, 13, 3, false},  {L"CancelBody", 424, 14, 1, false},
    {L"ClearBody", 424, 14, 1, false},        {L"RunningStatus", 125, 11, 1, false},
    {L"ClosingGraceful", 424, 12, 1, false},  {L"ClosingForce", 424, 12, 1, false},
    {L"ClosingVerify", 424, 12, 1, false},    {L"SavedFilesHint", 424, 12, 1, false},
    {L"Desktop", 574, 13, 1, false},          {L"RemoveData", 572, 13, 1, false},
    {L"RemoveDataSelected", 572, 13, 1, false}, {L"Customize", 242, 12, 1, false},
    {L"Later", 242, 12, 1, false},            {L"ProcessPrev", 92, 12, 1, false},
    {L"ProcessNext", 92, 12, 1, false},       {L"SaveLog", 172, 12, 1, false},
    // Buttons, size 14 semibold.
    {L"InstallNow", 206, 14, 1, true},        {L"Browse", 76, 14, 1, true},
    {L"Back", 88, 14, 1, true},               {L"StartInstall", 150, 14, 1, true},
    {L"CancelInstall", 124, 14, 1, true},     {L"Launch", 206, 14, 1, true},
    {L"Cancel", 88, 14, 1, true},             {L"Update", 150, 14, 1, true},
    {L"Uninstall", 126, 14, 1, true},         {L"UninstallingBusy", 136, 14, 1, true},
    {L"Finish", 126, 14, 1, true},            {L"Retry", 106, 14, 1, true},
    {L"Close", 108, 14, 1, true},             {L"RetryUninstall", 106, 14, 1, true},
    {L"ContinueInstall", 90, 14, 1, true},    {L"ExitInstall", 108, 14, 1, true},
    {L"CancelUpdate", 108, 14, 1, true},      {L"CloseAndContinue", 122, 14, 1, true},
    {L"ClosingBusy", 152, 14, 1, true},       {L"RunningRetry", 122, 14, 1, true},
    {L"ClearAndUninstall", 156, 14, 1, true},
};

std::wstring OneLine(std::wstring text) {
    for (size_t at = text.find(L'\n'); at != std::wstring::npos; at = text.find(L'\n', at)) text.replace(at, 1, L" / ");
    return text;
}

int ReportFit(const std::wstring& only) {
    int over = 0;
    for (const auto& entry : lum::LanguageList) {
        if (!only.empty() && only != entry.id) continue;
        const lum::TextMap texts = lum::BuildTextMap(entry.id);
        const auto measure = [&](const wchar_t* key, float size) {
            return lum::MeasureText(lum::TextLookup(texts, std::wstring_view(key)), size);
        };
        for (const TextBox& box : kTextBoxes) {
            const float width = measure(box.key, box.size) * (box.semibold ? 1.05f : 1.0f);
            const float room = box.width * static_cast<float>(box.lines);
            if (width <= room) continue;
            ++over;
            std::printf("%-20s %-22s %5.0f of %4.0f (shrunk to %3.0f %%)  %s\n", Utf8(entry.id).c_str(),
                        Utf8(box.key).c_str(), width, room, 100.0f * room / width,
                        Utf8(OneLine(lum::TextLookup(texts, std::wstring_view(box.key)))).c_str());
        }
        // The legal line is shrunk as a whole when it is wider than 656.
        const float legal = measure(L"LegalIntro", 12) + measure(L"Terms", 12) +
                            measure(L"And", 12) + measure(L"Privacy", 12);
        if (legal > 656.0f) {
            ++over;
            std::printf("%-20s %-22s %5.0f of  656 (legal line at size %.1f)\n", Utf8(entry.id).c_str(),
                        "LegalIntro+Terms+...", legal, 12.0f * 640.0f / legal);
        }
    }
    std::printf("%d text%s wider than %s box\n", over, over == 1 ? "" : "s", over == 1 ? "its" : "their");
    return 0;
}

int Usage() {
    std::fputs(
        "usage:\n"
        "  lumora_texts template <language> <file.ini>\n"
        "  lumora_texts review <file.html | file.tsv>\n"
        "  lumora_texts fit [language]\n"
        "  lumora_texts languages\n",
        stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"languages" && argc == 2) {
        for (const auto& entry : lum::LanguageList) std::printf("%s\t%s\n", Utf8(entry.id).c_str(), Utf8(entry.displayName).c_str());
        return 0;
    }
    if (command == L"template" && argc == 4) {
        const std::wstring language = argv[2];
        if (lum::LanguageIndex(language) < 0) {
            std::fprintf(stderr, "unknown language id \"%s\" (ids are lower case; see: lumora_texts languages)\n",
                         Utf8(language).c_str());
            return 1;
        }
        const DWORD error = lum::WriteOverrideTemplate(argv[3], language);
        if (error != 0) {
            std::fprintf(stderr, "cannot write %s: error %lu\n", Utf8(argv[3]).c_str(), static_cast<unsigned long>(error));
            return 1;
        }
        std::printf("wrote %s (UTF-16 LE with BOM, section [%s], %zu keys)\n", Utf8(argv[3]).c_str(),
                    Utf8(language).c_str(), lum::kTextKeyCount);
        return 0;
    }
    if (command == L"review" && argc == 3) {
        const std::wstring path = argv[2];
        const bool tsv = EndsWithIgnoringCase(path, L".tsv");
        if (!WriteUtf8File(path, tsv ? ReviewTsv() : ReviewHtml())) {
            std::fprintf(stderr, "cannot write %s: error %lu\n", Utf8(path).c_str(), ::GetLastError());
            return 1;
        }
        std::printf("wrote %s\n", Utf8(path).c_str());
        return 0;
    }
    if (command == L"fit" && argc <= 3) {
        const std::wstring language = argc == 3 ? argv[2] : L"";
        if (!language.empty() && lum::LanguageIndex(language) < 0) return Usage();
        return ReportFit(language);
    }
    return Usage();
}
