// The built-in language table, LumUI_LoadLanguage and text lookup.
//
// LumUI_LoadLanguage below is the test program's linked copy, and TextLookup
// reads that copy's text map, which is how a key reads on screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/ui_state.h"
#include "test_support.h"
#include "text/language.h"
#include "text/language_table.h"
#include "text/override_template.h"
#include "text/text_lookup.h"

using lumtest::TempDir;
using lum::kLanguageTable;

namespace {


const std::vector<std::wstring> kGroupOrder = {L"french",  L"german",  L"japanese", L"spanish", L"portuguese",
                                               L"korean",  L"english", L"chinesesimplified", L"chinesetraditional"};

// The English texts that are fixed word for word.
const std::map<std::wstring, std::wstring> kFixedEnglish = {
    {L"SetupTitle", L"Welcome to Lumora"}, {L"UninstallTitle", L"Uninstall Lumora"}, {L"InstallNow", L"Install now"},
    {L"WelcomeTitle", L"Smart screenshots"},
    {L"Features", L"Screenshots, scrolling capture, screen recording, image pinning, text recognition"},
    {L"OptionsTitle", L"Choose where to install Lumora"}, {L"InstallingTitle", L"Getting Lumora ready"},
    {L"Installed", L"Installation successful"}, {L"CompleteTitle", L"Get started with Lumora"},
    {L"ExistingTitle", L"Lumora is already installed"}, {L"UninstallHeading", L"Uninstall Lumora"},
    {L"UninstallingTitle", L"Uninstalling Lumora"}, {L"UninstalledTitle", L"Lumora uninstalled"},
    {L"InstallErrorTitle", L"Installation incomplete"}, {L"UninstallErrorTitle", L"Uninstallation is incomplete"},
    {L"Customize", L"Customize installation"},
    {L"LegalIntro", L"By installing, you confirm you have read and agree to the"},
    {L"Terms", L"Terms of use"}, {L"And", L"and"}, {L"Privacy", L"Privacy policy"}, {L"Browse", L"Browse\u2026"},
    {L"PathHint", L"Disk space and write access are checked before installation."},
    {L"Desktop", L"Create a desktop shortcut"}, {L"StartInstall", L"Start installation"},
    {L"PathError", L"Choose a valid absolute installation path."},
    {L"PermissionError", L"This location is not writable. Choose another folder."},
    {L"SpaceError", L"There is not enough disk space at this location."}, {L"Version", L"Version"},
    {L"UninstallLink", L"Need to uninstall Lumora?"},
    {L"UninstallMissing", L"Uninstaller not found. Reinstall Lumora, then uninstall it again."},
    {L"RemoveData", L"Clear settings and history"}, {L"RemoveDataSelected", L"Also clear settings and history"},
    {L"UninstallingBusy", L"Uninstalling\u2026"},
    {L"UninstalledBody", L"Thank you for using Lumora.\nProgram files and shortcuts have been removed."},
    {L"CancelTitle", L"Cancel installation?"},
    {L"CancelBody", L"Canceling will stop this installation.\nPlease wait while setup cleans up."},
    {L"ClearTitle", L"Clear personal data and uninstall?"},
    {L"ClearBody",
     L"Your settings, keyboard shortcut preferences and local history\nwill be deleted. This cannot be undone."},
    {L"RunningTitle", L"Lumora is running"}, {L"CloseAndContinue", L"Close and continue"},
    {L"ClosingBusy", L"Closing\u2026"}, {L"ClosingGraceful", L"Requesting a normal exit\u2026"},
    {L"ClosingForce", L"Ending remaining related processes\u2026"},
    {L"ClosingVerify", L"Checking that all related processes have exited\u2026"},
    {L"CloseFailedStatus", L"Could not close"},
    {L"CloseCancelled", L"Lumora has not been closed. Installation has not started; you can try again later."},
    {L"ProcessInspectFailed", L"Cannot read process information"}, {L"ProcessErrorCode", L"Error"},
    {L"ProcessScanFailed", L"Unable to check processes. Please check again."},
    {L"ProcessNone", L"No related processes found. Check again to continue."},
    {L"SaveLog", L"Save log as\u2026"},
    {L"SaveLogFailed", L"Could not save the log. Choose another filename or location."}, {L"LogFiles", L"Log files"},
};

// Common characters that exist in one Chinese script only: simplified, then traditional.
const std::wstring kSimplifiedOnly = L"简体设装载据开关进择录护隐条页删动启务户请运为这时从续错误选项统网历记处确认无击储败应创图发现级径间";
const std::wstring kTraditionalOnly = L"簡體設裝載據開關進擇錄護隱條頁刪動啟務戶請運為這時從續錯誤選項統網歷記處確認無擊儲敗應創圖發現級徑間";

std::wstring TableText(const std::wstring& language, const std::wstring& key) {
    for (const auto& row : kLanguageTable) {
        if (language == row.language && key == row.key) return row.text;
    }
    return std::wstring();
}

// Writes an override file the way the template tool does: UTF-16 LE with BOM.
void WriteUnicodeIni(const std::wstring& path, const std::wstring& text) {
    const std::wstring withBom = L"\xFEFF" + text;
    ASSERT_TRUE(lumtest::WriteFileBytes(
        path, std::string(reinterpret_cast<const char*>(withBom.data()), withBom.size() * sizeof(wchar_t))));
}

// The keys of the table's first group; the table test checks every group has them.
std::vector<std::wstring> TableKeys() {
    std::vector<std::wstring> keys;
    for (size_t i = 0; i < 134 && i < kLanguageTable.size(); ++i) keys.push_back(kLanguageTable[i].key);
    return keys;
}
const std::vector<std::wstring> kKeys = TableKeys();

// Every key's text in the linked copy must equal the table's text of a language.
void ExpectShowsLanguage(const std::wstring& language) {
    for (const auto& key : kKeys) {
        EXPECT_EQ(lum::Ui().Text(key), TableText(language, key)) << "key " << lumtest::Utf8(key);
    }
}

}  // namespace

// Runs first in this program, on the untouched linked state.
TEST(TextLookupBeforeLoad, KeyLooksUpAsItself) {
    ASSERT_TRUE(lum::Ui().texts.empty()) << "this test must run before any other test of the program";
    EXPECT_EQ(lum::Ui().language, L"english");
    EXPECT_EQ(lum::Ui().Text(L"SetupTitle"), L"SetupTitle");
}

// ---- The table ------------------------------------------------------------

TEST(LanguageTable, NineGroupsOfTheSameKeysInKeyOrder) {
    ASSERT_EQ(kLanguageTable.size(), 9u * 134u);
    ASSERT_EQ(std::set<std::wstring>(kKeys.begin(), kKeys.end()).size(), 134u) << "no key twice in a group";
    for (size_t i = 0; i < kLanguageTable.size(); ++i) {
        EXPECT_EQ(std::wstring(kLanguageTable[i].language), kGroupOrder[i / 134]) << "row " << i;
        EXPECT_EQ(std::wstring(kLanguageTable[i].key), kKeys[i % 134]) << "row " << i;
    }
    for (const auto& [key, text] : kFixedEnglish) EXPECT_EQ(TableText(L"english", key), text) << lumtest::Utf8(key);
}

TEST(LanguageTable, EveryTextIsUsable) {
    const std::set<std::wstring> twoLineKeys = {L"UninstalledBody", L"CancelBody", L"ClearBody"};
    for (const auto& row : kLanguageTable) {
        const std::wstring text = row.text;
        SCOPED_TRACE(lumtest::Utf8(std::wstring(row.language) + L"/" + row.key));
        ASSERT_FALSE(text.empty());
        // A text equal to its key would hide a failed lookup on screen; only
        // the English "Version" is its own key.
        if (std::wstring(row.key) != L"Version") {
            EXPECT_NE(text, std::wstring(row.key));
        }
        EXPECT_LE(text.size(), 240u);
        EXPECT_EQ(text.find_first_of(L"\r\t"), std::wstring::npos);
        // The override reader strips blanks at either end, so such a text
        // could not be reproduced by an override file.
        EXPECT_NE(text.front(), L' ');
        EXPECT_NE(text.back(), L' ');
        const size_t lineFeeds = std::count(text.begin(), text.end(), L'\n');
        EXPECT_EQ(lineFeeds, twoLineKeys.count(row.key));
        EXPECT_TRUE(text.front() != L'\n' && text.back() != L'\n') << "both lines carry text";
    }
}

TEST(LanguageTable, EveryOtherLanguageIsTranslated) {
    for (const auto& language : kGroupOrder) {
        size_t same = 0;
        for (const auto& key : kKeys) same += TableText(language, key) == TableText(L"english", key);
        // A few words can stay the same in a Latin-script language ("Version",
        // "Details"); a copy of the English table cannot pass.
        EXPECT_LE(same, language == L"english" ? 134u : 8u) << lumtest::Utf8(language);
    }
}

TEST(LanguageTable, ChineseScriptsAreNotMixed) {
    size_t differing = 0;
    for (const auto& key : kKeys) {
        const std::wstring simplified = TableText(L"chinesesimplified", key);
        const std::wstring traditional = TableText(L"chinesetraditional", key);
        EXPECT_EQ(traditional.find_first_of(kSimplifiedOnly), std::wstring::npos)
            << "chinesetraditional/" << lumtest::Utf8(key) << ": " << lumtest::Utf8(traditional);
        EXPECT_EQ(simplified.find_first_of(kTraditionalOnly), std::wstring::npos)
            << "chinesesimplified/" << lumtest::Utf8(key) << ": " << lumtest::Utf8(simplified);
        differing += simplified != traditional;
    }
    EXPECT_GE(differing, 67u) << "the two Chinese tables are mostly the same text";
}

// ---- LumUI_LoadLanguage ---------------------------------------------------

class LoadLanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        lum::Ui().texts.clear();
        lum::Ui().language = L"english";
    }
};

TEST_F(LoadLanguageTest, IdSelectsTextsAndScript) {
    struct Case {
        const wchar_t* file;
        const wchar_t* id;
        const wchar_t* stored;  // what Ui().language holds afterwards
        const wchar_t* shown;   // the table group every key then reads from
        bool chinese, cjk;
    };
    const Case cases[] = {
        {nullptr, L"german", L"german", L"german", false, false},
        {L"", L"french", L"french", L"french", false, false},
        {nullptr, L"japanese", L"japanese", L"japanese", false, true},
        {nullptr, L"korean", L"korean", L"korean", false, true},
        {nullptr, L"spanish", L"spanish", L"spanish", false, false},
        {nullptr, L"portuguese", L"portuguese", L"portuguese", false, false},
        {nullptr, L"chinesesimplified", L"chinesesimplified", L"chinesesimplified", true, true},
        {nullptr, L"chinesetraditional", L"chinesetraditional", L"chinesetraditional", true, true},
        {nullptr, L"english", L"english", L"english", false, false},
        // Ids compare case-sensitively: an id outside the table is stored as
        // given and leaves the English texts.
        {nullptr, L"English", L"English", L"english", false, false},
        {nullptr, L"ChineseSimplified", L"ChineseSimplified", L"english", false, false},
        {nullptr, L"klingon", L"klingon", L"english", false, false},
        {nullptr, nullptr, L"english", L"english", false, false},
        {nullptr, L"", L"english", L"english", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(lumtest::Utf8(c.id ? c.id : L"(null)"));
        LumUI_LoadLanguage(nullptr, L"japanese");  // each load replaces the previous language
        LumUI_LoadLanguage(c.file, c.id);
        EXPECT_EQ(lum::Ui().language, c.stored);
        EXPECT_EQ(lum::Ui().texts.size(), 134u);
        ExpectShowsLanguage(c.shown);
        EXPECT_EQ(lum::IsChineseLanguage(lum::Ui().language), c.chinese);
        EXPECT_EQ(lum::IsCjkLanguage(lum::Ui().language), c.cjk);
    }
}

TEST_F(LoadLanguageTest, SetTextLastsUntilTheNextLoad) {
    LumUI_LoadLanguage(nullptr, L"french");
    LumUI_SetText(L"SetupTitle", L"Bienvenue chez nous");
    LumUI_SetText(L"ScriptOwnKey", L"script text");
    EXPECT_EQ(lum::Ui().Text(L"SetupTitle"), L"Bienvenue chez nous");
    EXPECT_EQ(lum::Ui().Text(L"ScriptOwnKey"), L"script text");

    LumUI_LoadLanguage(nullptr, L"french");
    EXPECT_EQ(lum::Ui().Text(L"SetupTitle"), TableText(L"french", L"SetupTitle"));
    EXPECT_EQ(lum::Ui().Text(L"ScriptOwnKey"), L"ScriptOwnKey") << "the map starts again from the table";
}

TEST_F(LoadLanguageTest, OverrideFileChangesOnlyTheKeysItSets) {
    TempDir dir;
    const std::wstring ini = dir / L"overrides.ini";
    const std::wstring title = L"Willkommen – Grüße, 欢迎, 환영합니다 ✓";
    WriteUnicodeIni(ini, L"; comment line\r\n[english]\r\nFinish=Done (english)\r\n[klingon]\r\nFinish=Qapla'\r\n"
                         L"[french]\r\nSetupTitle=not this section\r\n[GERMAN]\r\nSetupTitle=" +
                             title + L"\r\nNoSuchKey=ignored\r\nBack=\r\n  finish  =  \"  Fertig  \"  \r\nBrowse\r\n" +
                             L"Website=" + std::wstring(6000, L'w') + L"\r\n");
    LumUI_LoadLanguage(ini.c_str(), L"german");
    EXPECT_EQ(lum::Ui().Text(L"SetupTitle"), title);
    EXPECT_EQ(lum::Ui().Text(L"Back"), L"") << "an empty value is a value";
    EXPECT_EQ(lum::Ui().Text(L"Finish"), L"  Fertig  ") << "names ignore case; quotes keep the blanks inside";
    EXPECT_EQ(lum::Ui().Text(L"Website"), std::wstring(4095, L'w')) << "a value is cut at 4095 characters";
    EXPECT_EQ(lum::Ui().Text(L"NoSuchKey"), L"NoSuchKey") << "a file adds no keys";
    EXPECT_EQ(lum::Ui().texts.size(), 134u);
    for (const auto& key : kKeys) {
        if (key == L"SetupTitle" || key == L"Back" || key == L"Finish" || key == L"Website") continue;
        EXPECT_EQ(lum::Ui().Text(key), TableText(L"german", key)) << lumtest::Utf8(key);
    }
    // The section is the language argument, even an unknown one; no language reads [english].
    const std::pair<const wchar_t*, std::wstring> sections[] = {{L"klingon", L"Qapla'"},
                                                                {nullptr, L"Done (english)"},
                                                                {L"", L"Done (english)"},
                                                                {L"spanish", TableText(L"spanish", L"Finish")}};
    for (const auto& [language, finish] : sections) {
        LumUI_LoadLanguage(ini.c_str(), language);
        EXPECT_EQ(lum::Ui().Text(L"Finish"), finish) << lumtest::Utf8(language ? language : L"(null)");
    }
}

TEST_F(LoadLanguageTest, UnreadableOverrideFileLeavesTheTableTexts) {
    TempDir dir;
    const std::wstring garbage = dir / L"garbage.ini";
    ASSERT_TRUE(lumtest::WriteFileBytes(garbage, std::string("\xFF\xFE\x00\xD8[\x00\x01\x02german]\nSetupTitle", 22)));
    // Names that resolve to MAX_PATH characters or more count as missing.
    const std::wstring files[] = {dir / L"missing.ini", dir.path(), garbage, L"Z:\\no\\such\\dir\\x.ini",
                                  std::wstring(300, L'n'), L"sub\\" + std::wstring(300, L'n'),
                                  L"C:\\" + std::wstring(300, L'n'),
                                  L"C:\\" + std::wstring(1000, L'n') + L".ini", std::wstring(40000, L'n')};
    for (const std::wstring& file : files) {
        SCOPED_TRACE(lumtest::Utf8(file.substr(0, 60)));
        LumUI_LoadLanguage(file.c_str(), L"spanish");
        EXPECT_EQ(lum::Ui().language, L"spanish");
        ExpectShowsLanguage(L"spanish");
    }
}

TEST_F(LoadLanguageTest, TemplateReadsBackUnchangedAndEditedLinesOverride) {
    TempDir dir;
    for (const auto& entry : lum::LanguageList) {
        const std::wstring ini = dir / (std::wstring(entry.id) + L".ini");
        ASSERT_EQ(lum::WriteOverrideTemplate(ini, entry.id), 0u);
        LumUI_LoadLanguage(ini.c_str(), entry.id);
        ExpectShowsLanguage(entry.id);
    }
    const std::wstring ini = dir / L"korean.ini";
    const std::string bytes = lumtest::ReadFileBytes(ini);
    ASSERT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2)) << "UTF-16 LE byte-order mark";
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    EXPECT_NE(text.find(L"[korean]\r\n"), std::wstring::npos);
    for (const auto& key : kKeys) {
        EXPECT_TRUE(text.find(L"\r\n" + key + L"=") != std::wstring::npos ||
                    text.find(L"\r\n;" + key + L"=") != std::wstring::npos)
            << lumtest::Utf8(key) << " is in the template";
    }
    const std::wstring line = L"\r\nFinish=" + TableText(L"korean", L"Finish") + L"\r\n";
    const size_t at = text.find(line);
    ASSERT_NE(at, std::wstring::npos);
    WriteUnicodeIni(ini, text.replace(at, line.size(), L"\r\nFinish=완료했습니다!\r\n"));
    LumUI_LoadLanguage(ini.c_str(), L"korean");
    EXPECT_EQ(lum::Ui().Text(L"Finish"), L"완료했습니다!");
    EXPECT_EQ(lum::Ui().Text(L"ClearBody"), TableText(L"korean", L"ClearBody")) << "two-line texts stay whole";
}

TEST_F(LoadLanguageTest, AttachedUiRebuildsItsControls) {
    // Stands in for the view: the control list is rebuilt only while a view window exists.
    HWND view = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(view, nullptr);
    lum::UiState& ui = lum::Ui();
    ui.page = lum::PageWelcome;
    ui.controls.clear();
    LumUI_LoadLanguage(nullptr, L"german");
    EXPECT_TRUE(ui.controls.empty()) << "no view, no controls";

    ui.view = view;
    LumUI_LoadLanguage(nullptr, L"chinesetraditional");
    ASSERT_GE(ui.controls.size(), 3u);
    EXPECT_EQ(ui.controls[2].action, lum::ActionLanguageMenu);
    EXPECT_EQ(ui.controls[2].text, L"繁體中文");
    ui.view = nullptr;
    ui.controls.clear();
    ::DestroyWindow(view);
}
