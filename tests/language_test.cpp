// The built-in language table, LumUI_LoadLanguage and text lookup.
//
// The test program links the library's internals: LumUI_LoadLanguage below is
// the linked copy, and TextLookup reads that copy's text map, which is how a
// key reads on screen. The DLL's own copy is driven through Dll() where only
// robustness can be seen from outside.
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

using lumtest::Dll;
using lumtest::TempDir;
using lum::kLanguageTable;

namespace {

const std::vector<std::wstring> kKeys = {
    L"SetupTitle", L"UninstallTitle", L"WelcomeTitle", L"InstallNow", L"Customize", L"LegalIntro", L"Terms",
    L"Privacy", L"InstallLocation", L"Browse", L"PathHint", L"Desktop", L"Back", L"StartInstall",
    L"InstallingTitle", L"PreflightDone", L"WritingFiles", L"CreatingShortcuts", L"Installing", L"PleaseWait",
    L"CancelInstall", L"Details", L"Launch", L"Later", L"ExistingTitle", L"ExistingBody", L"CurrentLocation",
    L"KeepDataHint", L"SavedFilesHint", L"Cancel", L"Uninstall", L"UninstallingTitle", L"AppClosed",
    L"RemovingFiles", L"DataPreserved", L"DataRemoving", L"CannotCancel", L"UninstalledTitle", L"DataRemoved",
    L"Finish", L"UninstallErrorTitle", L"PathError", L"PermissionError", L"SpaceError", L"ContinueInstall",
    L"ExitInstall", L"KeepData", L"ClearAndUninstall", L"RunningTitle", L"CloseAndContinue", L"Version",
    L"Project", L"Document", L"Content", L"Elements", L"Detect", L"SmartSelect", L"CaptureNote", L"Ready",
    L"And", L"ExistingAppName", L"UpdateKeepData", L"UninstallLink", L"UninstallMissing", L"UninstalledStatus",
    L"DataRetained", L"ReinstallHint", L"Website", L"Features", L"WelcomeBody", L"OptionsTitle", L"OptionsBody",
    L"InstallingBody", L"Installed", L"CompleteTitle", L"CompleteBody", L"Inspiration", L"KeepDataTag",
    L"UpdateSameLocation", L"Update", L"UninstallHeading", L"UninstallBody", L"RemoveData", L"RemoveDataSelected",
    L"RemoveDataWarning", L"UninstallingBody", L"Uninstalling", L"UninstallingBusy", L"UninstalledBody",
    L"UninstalledFarewell", L"RetainedNote", L"CleanupNote", L"FilesRemoved", L"SavedFilesPreserved",
    L"DataCleanupDetail", L"InstallErrorTitle", L"InstallErrorBody", L"InstallErrorSummary", L"InstallRecovery",
    L"EditLocation", L"UninstallErrorBody", L"UninstallErrorSummary", L"UninstallRecovery", L"Close",
    L"ErrorDetails", L"RetryUninstall", L"Retry", L"CancelTitle", L"CancelBody", L"ClearTitle", L"ClearBody",
    L"CancelUpdate", L"RunningRetry", L"RunningStatus", L"RunningBody", L"ClosingTitle", L"ClosingBody",
    L"ClosingBusy", L"ClosingGraceful", L"ClosingForce", L"ClosingVerify", L"CloseFailedTitle",
    L"CloseFailedBody", L"CloseFailedStatus", L"CloseCancelled", L"ProcessInspectFailed", L"ProcessErrorCode",
    L"ProcessScanFailed", L"ProcessNone", L"ProcessPrev", L"ProcessNext", L"SaveLog", L"SaveLogFailed",
    L"LogFiles"};

const std::vector<std::wstring> kGroupOrder = {L"french",  L"german",  L"japanese",
                                               L"spanish", L"portuguese", L"korean",
                                               L"english", L"chinesesimplified", L"chinesetraditional"};

// The English texts that are fixed word for word.
const std::map<std::wstring, std::wstring> kFixedEnglish = {
    {L"SetupTitle", L"Welcome to Lumora"},
    {L"UninstallTitle", L"Uninstall Lumora"},
    {L"InstallNow", L"Install now"},
    {L"WelcomeTitle", L"Smart screenshots"},
    {L"Features", L"Screenshots, scrolling capture, screen recording, image pinning, text recognition"},
    {L"OptionsTitle", L"Choose where to install Lumora"},
    {L"InstallingTitle", L"Getting Lumora ready"},
    {L"Installed", L"Installation successful"},
    {L"CompleteTitle", L"Get started with Lumora"},
    {L"ExistingTitle", L"Lumora is already installed"},
    {L"UninstallHeading", L"Uninstall Lumora"},
    {L"UninstallingTitle", L"Uninstalling Lumora"},
    {L"UninstalledTitle", L"Lumora uninstalled"},
    {L"InstallErrorTitle", L"Installation incomplete"},
    {L"UninstallErrorTitle", L"Uninstallation is incomplete"},
    {L"Customize", L"Customize installation"},
    {L"LegalIntro", L"By installing, you confirm you have read and agree to the"},
    {L"Terms", L"Terms of use"},
    {L"And", L"and"},
    {L"Privacy", L"Privacy policy"},
    {L"Browse", L"Browse\u2026"},
    {L"PathHint", L"Disk space and write access are checked before installation."},
    {L"Desktop", L"Create a desktop shortcut"},
    {L"StartInstall", L"Start installation"},
    {L"PathError", L"Choose a valid absolute installation path."},
    {L"PermissionError", L"This location is not writable. Choose another folder."},
    {L"SpaceError", L"There is not enough disk space at this location."},
    {L"Version", L"Version"},
    {L"UninstallLink", L"Need to uninstall Lumora?"},
    {L"UninstallMissing", L"Uninstaller not found. Reinstall Lumora, then uninstall it again."},
    {L"RemoveData", L"Clear settings and history"},
    {L"RemoveDataSelected", L"Also clear settings and history"},
    {L"UninstallingBusy", L"Uninstalling\u2026"},
    {L"UninstalledBody", L"Thank you for using Lumora.\nProgram files and shortcuts have been removed."},
    {L"CancelTitle", L"Cancel installation?"},
    {L"CancelBody", L"Canceling will stop this installation.\nPlease wait while setup cleans up."},
    {L"ClearTitle", L"Clear personal data and uninstall?"},
    {L"ClearBody",
     L"Your settings, keyboard shortcut preferences and local history\nwill be deleted. This cannot be undone."},
    {L"RunningTitle", L"Lumora is running"},
    {L"CloseAndContinue", L"Close and continue"},
    {L"ClosingBusy", L"Closing\u2026"},
    {L"ClosingGraceful", L"Requesting a normal exit\u2026"},
    {L"ClosingForce", L"Ending remaining related processes\u2026"},
    {L"ClosingVerify", L"Checking that all related processes have exited\u2026"},
    {L"CloseFailedStatus", L"Could not close"},
    {L"CloseCancelled", L"Lumora has not been closed. Installation has not started; you can try again later."},
    {L"ProcessInspectFailed", L"Cannot read process information"},
    {L"ProcessErrorCode", L"Error"},
    {L"ProcessScanFailed", L"Unable to check processes. Please check again."},
    {L"ProcessNone", L"No related processes found. Check again to continue."},
    {L"SaveLog", L"Save log as\u2026"},
    {L"SaveLogFailed", L"Could not save the log. Choose another filename or location."},
    {L"LogFiles", L"Log files"},
};

const std::set<std::wstring> kTwoLineKeys = {L"UninstalledBody", L"CancelBody", L"ClearBody"};

// Common characters that exist in one Chinese script only: {simplified, traditional}.
const std::vector<std::pair<wchar_t, wchar_t>> kSimplifiedTraditional = {
    {L'简', L'簡'}, {L'体', L'體'}, {L'设', L'設'}, {L'装', L'裝'}, {L'载', L'載'}, {L'据', L'據'},
    {L'开', L'開'}, {L'关', L'關'}, {L'进', L'進'}, {L'择', L'擇'}, {L'录', L'錄'}, {L'护', L'護'},
    {L'隐', L'隱'}, {L'条', L'條'}, {L'页', L'頁'}, {L'删', L'刪'}, {L'动', L'動'}, {L'启', L'啟'},
    {L'务', L'務'}, {L'户', L'戶'}, {L'请', L'請'}, {L'运', L'運'}, {L'为', L'為'}, {L'这', L'這'},
    {L'时', L'時'}, {L'从', L'從'}, {L'续', L'續'}, {L'错', L'錯'}, {L'误', L'誤'},
    {L'选', L'選'}, {L'项', L'項'}, {L'统', L'統'}, {L'网', L'網'},
    {L'历', L'歷'}, {L'记', L'記'}, {L'处', L'處'}, {L'确', L'確'}, {L'认', L'認'}, {L'无', L'無'},
    {L'击', L'擊'}, {L'储', L'儲'}, {L'败', L'敗'}, {L'应', L'應'}, {L'创', L'創'},
    {L'图', L'圖'}, {L'发', L'發'}, {L'现', L'現'}, {L'级', L'級'}, {L'径', L'徑'}, {L'间', L'間'},
};

std::vector<const lum::LanguageRow*> RowsOf(const std::wstring& language) {
    std::vector<const lum::LanguageRow*> rows;
    for (const auto& row : kLanguageTable) {
        if (language == row.language) rows.push_back(&row);
    }
    return rows;
}

std::wstring TableText(const std::wstring& language, const std::wstring& key) {
    for (const auto& row : kLanguageTable) {
        if (language == row.language && key == row.key) return row.text;
    }
    return std::wstring();
}

size_t Count(const std::wstring& text, wchar_t c) { return static_cast<size_t>(std::count(text.begin(), text.end(), c)); }

// Writes an override file the way the template tool does: UTF-16 LE with BOM.
void WriteUnicodeIni(const std::wstring& path, const std::wstring& text) {
    const std::wstring withBom = L"\xFEFF" + text;
    ASSERT_TRUE(lumtest::WriteFileBytes(
        path, std::string(reinterpret_cast<const char*>(withBom.data()), withBom.size() * sizeof(wchar_t))));
}

// Every key's text in the linked copy must equal the table's text of a language.
void ExpectShowsLanguage(const std::wstring& language) {
    for (const auto& key : kKeys) {
        EXPECT_EQ(lum::TextLookup(key), TableText(language, key)) << "key " << lumtest::Utf8(key);
    }
}

}  // namespace

// Runs first in this program, on the untouched linked state: no test before it
// has loaded a language.
TEST(TextLookupBeforeLoad, KeyLooksUpAsItself) {
    ASSERT_TRUE(lum::Ui().texts.empty()) << "this test must run before any other test of the program";
    EXPECT_EQ(lum::Ui().language, L"english");
    EXPECT_EQ(lum::TextLookup(L"SetupTitle"), L"SetupTitle");
    EXPECT_EQ(lum::TextLookup(L"Browse"), L"Browse");
}

// ---- The table ------------------------------------------------------------

TEST(LanguageTable, NineGroupsOfTheSameKeysInKeyOrder) {
    ASSERT_EQ(kKeys.size(), 134u);
    ASSERT_EQ(kLanguageTable.size(), 1206u);
    for (size_t i = 0; i < kLanguageTable.size(); ++i) {
        EXPECT_EQ(std::wstring(kLanguageTable[i].language), kGroupOrder[i / 134]) << "row " << i;
        EXPECT_EQ(std::wstring(kLanguageTable[i].key), kKeys[i % 134]) << "row " << i;
    }
    for (const auto& language : kGroupOrder) {
        std::set<std::wstring> keys;
        for (const auto* row : RowsOf(language)) keys.insert(row->key);
        EXPECT_EQ(keys.size(), 134u) << lumtest::Utf8(language);
    }
}

TEST(LanguageTable, FixedEnglishTextsWordForWord) {
    ASSERT_EQ(kFixedEnglish.size(), 53u);
    for (const auto& [key, text] : kFixedEnglish) {
        EXPECT_EQ(TableText(L"english", key), text) << lumtest::Utf8(key);
    }
}

TEST(LanguageTable, EveryTextIsUsable) {
    for (const auto& row : kLanguageTable) {
        const std::wstring text = row.text;
        const std::string where = lumtest::Utf8(std::wstring(row.language) + L"/" + row.key);
        EXPECT_FALSE(text.empty()) << where;
        // A text equal to its key would hide a failed lookup on screen. The
        // one exception is fixed: the English text of "Version" is "Version".
        if (std::wstring(row.key) != L"Version") {
            EXPECT_NE(text, std::wstring(row.key)) << where;
        }
        EXPECT_LE(text.size(), 240u) << where;
        EXPECT_EQ(Count(text, L'\r'), 0u) << where;
        EXPECT_EQ(Count(text, L'\t'), 0u) << where;
        // The override reader strips blanks at either end, so such a text
        // could not be reproduced by an override file.
        EXPECT_NE(text.front(), L' ') << where;
        EXPECT_NE(text.back(), L' ') << where;
        const size_t expectedLineFeeds = kTwoLineKeys.count(row.key) ? 1u : 0u;
        EXPECT_EQ(Count(text, L'\n'), expectedLineFeeds) << where;
        if (expectedLineFeeds == 1) {
            EXPECT_NE(text.front(), L'\n') << where << ": both lines carry text";
            EXPECT_NE(text.back(), L'\n') << where << ": both lines carry text";
        }
    }
}

TEST(LanguageTable, ProductNameStaysLatin) {
    // The titles that name the product keep the name as it is written; other
    // texts may leave it out where the language reads better without it, but
    // most of them keep it.
    const std::vector<std::wstring> titles = {L"SetupTitle",        L"UninstallTitle",   L"OptionsTitle",
                                              L"InstallingTitle",   L"CompleteTitle",    L"ExistingTitle",
                                              L"UninstallHeading",  L"UninstallingTitle", L"UninstalledTitle",
                                              L"RunningTitle",      L"ClosingTitle",     L"CloseFailedTitle"};
    for (const auto& language : kGroupOrder) {
        for (const auto& key : titles) {
            EXPECT_NE(TableText(language, key).find(L"Lumora"), std::wstring::npos)
                << lumtest::Utf8(language + L"/" + key) << " names the product";
        }
        size_t named = 0;
        size_t namedInEnglish = 0;
        for (const auto& key : kKeys) {
            if (TableText(L"english", key).find(L"Lumora") == std::wstring::npos) continue;
            ++namedInEnglish;
            named += TableText(language, key).find(L"Lumora") != std::wstring::npos;
        }
        EXPECT_GE(named * 4, namedInEnglish * 3) << lumtest::Utf8(language) << ": " << named << " of "
                                                 << namedInEnglish << " texts keep the product name";
    }
}

TEST(LanguageTable, EveryOtherLanguageIsTranslated) {
    for (const auto& language : kGroupOrder) {
        if (language == L"english") continue;
        size_t same = 0;
        std::string sameKeys;
        for (const auto& key : kKeys) {
            if (TableText(language, key) == TableText(L"english", key)) {
                ++same;
                sameKeys.append(1, ' ').append(lumtest::Utf8(key));
            }
        }
        // A handful of words can be the same in a Latin-script language
        // ("Version", "Details"); a copy of the English table cannot pass.
        EXPECT_LE(same, 8u) << lumtest::Utf8(language) << " keeps the English text of:" << sameKeys;
    }
}

TEST(LanguageTable, ChineseScriptsAreNotMixed) {
    for (const auto& [simplified, traditional] : kSimplifiedTraditional) {
        for (const auto* row : RowsOf(L"chinesetraditional")) {
            EXPECT_EQ(std::wstring(row->text).find(simplified), std::wstring::npos)
                << "chinesetraditional/" << lumtest::Utf8(row->key) << " uses the simplified "
                << lumtest::Utf8(std::wstring(1, simplified)) << " (traditional "
                << lumtest::Utf8(std::wstring(1, traditional)) << ")";
        }
        for (const auto* row : RowsOf(L"chinesesimplified")) {
            EXPECT_EQ(std::wstring(row->text).find(traditional), std::wstring::npos)
                << "chinesesimplified/" << lumtest::Utf8(row->key) << " uses the traditional "
                << lumtest::Utf8(std::wstring(1, traditional)) << " (simplified "
                << lumtest::Utf8(std::wstring(1, simplified)) << ")";
        }
    }
    size_t differing = 0;
    for (const auto& key : kKeys) differing += TableText(L"chinesesimplified", key) != TableText(L"chinesetraditional", key);
    EXPECT_GE(differing, 67u) << "the two Chinese tables are mostly the same text";
}

TEST(LanguageTable, LanguageListIsTheMenu) {
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"chinesesimplified", L"简体中文"}, {L"chinesetraditional", L"繁體中文"}, {L"english", L"English"},
        {L"japanese", L"日本語"},           {L"korean", L"한국어"},            {L"french", L"Français"},
        {L"german", L"Deutsch"},            {L"spanish", L"Español"},          {L"portuguese", L"Português"}};
    ASSERT_EQ(lum::LanguageList.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lum::LanguageList[i].id, expected[i].first);
        EXPECT_EQ(lum::LanguageList[i].displayName, expected[i].second);
        EXPECT_EQ(lum::LanguageIndex(expected[i].first), static_cast<int>(i));
        EXPECT_EQ(RowsOf(expected[i].first).size(), 134u) << "every menu language has a table group";
    }
    EXPECT_EQ(lum::LanguageIndex(L"English"), -1);
    EXPECT_EQ(lum::LanguageDisplayName(L"English"), nullptr);
    EXPECT_EQ(lum::LanguageDisplayName(L""), nullptr);
    EXPECT_STREQ(lum::LanguageDisplayName(L"german"), L"Deutsch");
}

// ---- LumUI_LoadLanguage ---------------------------------------------------

class LoadLanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        lum::Ui().texts.clear();
        lum::Ui().language = L"english";
    }
};

TEST_F(LoadLanguageTest, GermanGivesGermanTextsForEveryKey) {
    LumUI_LoadLanguage(nullptr, L"german");
    EXPECT_EQ(lum::Ui().language, L"german");
    EXPECT_EQ(lum::Ui().texts.size(), 134u);
    ExpectShowsLanguage(L"german");
}

TEST_F(LoadLanguageTest, EveryLanguageReplacesThePreviousOne) {
    for (const auto& entry : lum::LanguageList) {
        LumUI_LoadLanguage(L"", entry.id);
        EXPECT_EQ(lum::Ui().language, entry.id);
        EXPECT_EQ(lum::Ui().texts.size(), 134u);
        ExpectShowsLanguage(entry.id);
    }
}

TEST_F(LoadLanguageTest, IdsCompareCaseSensitively) {
    LumUI_LoadLanguage(nullptr, L"german");
    LumUI_LoadLanguage(nullptr, L"English");
    EXPECT_EQ(lum::Ui().language, L"English") << "the id is stored as given";
    ExpectShowsLanguage(L"english");
    EXPECT_EQ(lum::LanguageDisplayName(lum::Ui().language), nullptr) << "so no language button is offered";

    LumUI_LoadLanguage(nullptr, L"GERMAN");
    ExpectShowsLanguage(L"english");
    LumUI_LoadLanguage(nullptr, L"klingon");
    EXPECT_EQ(lum::Ui().language, L"klingon");
    ExpectShowsLanguage(L"english");
}

TEST_F(LoadLanguageTest, NoLanguageMeansEnglish) {
    for (const wchar_t* language : {static_cast<const wchar_t*>(nullptr), L""}) {
        LumUI_LoadLanguage(nullptr, L"japanese");
        LumUI_LoadLanguage(nullptr, language);
        EXPECT_EQ(lum::Ui().language, L"english");
        ExpectShowsLanguage(L"english");
    }
}

TEST_F(LoadLanguageTest, ChineseAndCjkFollowTheLanguage) {
    const std::vector<std::tuple<const wchar_t*, bool, bool>> cases = {
        {L"chinesesimplified", true, true}, {L"chinesetraditional", true, true}, {L"japanese", false, true},
        {L"korean", false, true},           {L"english", false, false},          {L"french", false, false},
        {L"ChineseSimplified", false, false}, {L"Japanese", false, false}};
    for (const auto& [id, chinese, cjk] : cases) {
        LumUI_LoadLanguage(nullptr, id);
        EXPECT_EQ(lum::IsChineseLanguage(), chinese) << lumtest::Utf8(id);
        EXPECT_EQ(lum::IsCjkLanguage(), cjk) << lumtest::Utf8(id);
    }
}

TEST_F(LoadLanguageTest, SetTextLastsUntilTheNextLoad) {
    LumUI_LoadLanguage(nullptr, L"french");
    LumUI_SetText(L"SetupTitle", L"Bienvenue chez nous");
    LumUI_SetText(L"ScriptOwnKey", L"script text");
    EXPECT_EQ(lum::TextLookup(L"SetupTitle"), L"Bienvenue chez nous");
    EXPECT_EQ(lum::TextLookup(L"ScriptOwnKey"), L"script text");

    LumUI_LoadLanguage(nullptr, L"french");
    EXPECT_EQ(lum::TextLookup(L"SetupTitle"), TableText(L"french", L"SetupTitle"));
    EXPECT_EQ(lum::TextLookup(L"ScriptOwnKey"), L"ScriptOwnKey") << "the map starts again from the table";
    EXPECT_EQ(lum::Ui().texts.size(), 134u);
}

TEST_F(LoadLanguageTest, OverrideFileChangesOnlyTheKeysItSets) {
    TempDir dir;
    const std::wstring ini = dir / L"overrides.ini";
    const std::wstring title = L"Willkommen – Grüße, 欢迎, 환영합니다 ✓";
    WriteUnicodeIni(ini, L"[french]\r\nSetupTitle=not this section\r\n"
                         L"[german]\r\nSetupTitle=" + title + L"\r\nNoSuchKey=ignored\r\nBack=\r\n");
    LumUI_LoadLanguage(ini.c_str(), L"german");
    EXPECT_EQ(lum::TextLookup(L"SetupTitle"), title);
    EXPECT_EQ(lum::TextLookup(L"Back"), L"") << "an empty value is a value";
    EXPECT_EQ(lum::TextLookup(L"NoSuchKey"), L"NoSuchKey") << "a file adds no keys";
    EXPECT_EQ(lum::Ui().texts.size(), 134u);
    for (const auto& key : kKeys) {
        if (key == L"SetupTitle" || key == L"Back") continue;
        EXPECT_EQ(lum::TextLookup(key), TableText(L"german", key)) << lumtest::Utf8(key);
    }
}

TEST_F(LoadLanguageTest, OverrideSectionIsTheLanguageArgument) {
    TempDir dir;
    const std::wstring ini = dir / L"overrides.ini";
    WriteUnicodeIni(ini, L"[english]\r\nFinish=Done (english)\r\n[klingon]\r\nFinish=Qapla'\r\n");

    LumUI_LoadLanguage(ini.c_str(), L"klingon");
    EXPECT_EQ(lum::TextLookup(L"Finish"), L"Qapla'") << "an unknown id still names its section";
    EXPECT_EQ(lum::TextLookup(L"Back"), TableText(L"english", L"Back"));

    for (const wchar_t* language : {static_cast<const wchar_t*>(nullptr), L""}) {
        LumUI_LoadLanguage(ini.c_str(), language);
        EXPECT_EQ(lum::TextLookup(L"Finish"), L"Done (english)") << "no language reads the english section";
        EXPECT_EQ(lum::TextLookup(L"Back"), TableText(L"english", L"Back"));
    }

    LumUI_LoadLanguage(ini.c_str(), L"german");
    EXPECT_EQ(lum::TextLookup(L"Finish"), TableText(L"german", L"Finish")) << "no [german] section";
}

TEST_F(LoadLanguageTest, OverrideNamesMatchAsTheReaderMatchesThem) {
    TempDir dir;
    const std::wstring ini = dir / L"case.ini";
    WriteUnicodeIni(ini, L"; comment line\r\n[GERMAN]\r\n  setuptitle  =  \"  Hallo  \"  \r\nFINISH=Fertig!\r\n"
                         L"Browse\r\n");
    LumUI_LoadLanguage(ini.c_str(), L"german");
    EXPECT_EQ(lum::TextLookup(L"SetupTitle"), L"  Hallo  ") << "quotes keep the blanks inside";
    EXPECT_EQ(lum::TextLookup(L"Finish"), L"Fertig!");
    EXPECT_EQ(lum::TextLookup(L"Back"), TableText(L"german", L"Back"));
    EXPECT_EQ(lum::Ui().texts.size(), 134u);
}

TEST_F(LoadLanguageTest, UnreadableOverrideFileLeavesTheTableTexts) {
    TempDir dir;
    const std::wstring garbage = dir / L"garbage.ini";
    ASSERT_TRUE(lumtest::WriteFileBytes(garbage, std::string("\xFF\xFE\x00\xD8[\x00\x01\x02german]\nSetupTitle", 22)));
    for (const std::wstring& file : {dir / L"missing.ini", dir.path(), garbage, std::wstring(L"Z:\\no\\such\\dir\\x.ini")}) {
        LumUI_LoadLanguage(file.c_str(), L"spanish");
        EXPECT_EQ(lum::Ui().language, L"spanish");
        ExpectShowsLanguage(L"spanish");
    }
}

TEST_F(LoadLanguageTest, OverlongFileNamesCountAsMissing) {
    // The reader resolves a file name within MAX_PATH; a bare name lies in
    // the Windows folder.
    EXPECT_TRUE(lum::ProfileReaderCanOpen(L"lumora.ini"));
    EXPECT_TRUE(lum::ProfileReaderCanOpen(L"C:\\setup\\lumora.ini"));
    EXPECT_FALSE(lum::ProfileReaderCanOpen(L""));
    EXPECT_FALSE(lum::ProfileReaderCanOpen(std::wstring(300, L'n')));
    EXPECT_FALSE(lum::ProfileReaderCanOpen(L"C:\\" + std::wstring(300, L'n')));
    EXPECT_FALSE(lum::ProfileReaderCanOpen(L"sub\\" + std::wstring(300, L'n')));

    for (const std::wstring& file : {std::wstring(1000, L'n'), L"C:\\" + std::wstring(1000, L'n') + L".ini",
                                     std::wstring(40000, L'n')}) {
        LumUI_LoadLanguage(file.c_str(), L"portuguese");
        ExpectShowsLanguage(L"portuguese");
    }
}

TEST_F(LoadLanguageTest, OverrideValueIsCutAt4095Characters) {
    TempDir dir;
    const std::wstring ini = dir / L"long.ini";
    WriteUnicodeIni(ini, L"[english]\r\nWebsite=" + std::wstring(6000, L'w') + L"\r\n");
    LumUI_LoadLanguage(ini.c_str(), L"english");
    EXPECT_EQ(lum::TextLookup(L"Website"), std::wstring(4095, L'w'));
}

TEST_F(LoadLanguageTest, UnchangedTemplateLeavesEveryText) {
    TempDir dir;
    for (const auto& entry : lum::LanguageList) {
        const std::wstring ini = dir / (std::wstring(entry.id) + L".ini");
        ASSERT_EQ(lum::WriteOverrideTemplate(ini, entry.id), 0u);
        LumUI_LoadLanguage(ini.c_str(), entry.id);
        ExpectShowsLanguage(entry.id);
    }
}

TEST_F(LoadLanguageTest, EditedTemplateLineOverridesThatKey) {
    TempDir dir;
    const std::wstring ini = dir / L"korean.ini";
    ASSERT_EQ(lum::WriteOverrideTemplate(ini, L"korean"), 0u);
    const std::string bytes = lumtest::ReadFileBytes(ini);
    ASSERT_GE(bytes.size(), 2u);
    ASSERT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2)) << "UTF-16 LE byte-order mark";
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    EXPECT_NE(text.find(L"[korean]\r\n"), std::wstring::npos);
    for (const auto& key : kKeys) {
        const bool listed = text.find(L"\r\n" + key + L"=") != std::wstring::npos ||
                            text.find(L"\r\n;" + key + L"=") != std::wstring::npos;
        EXPECT_TRUE(listed) << lumtest::Utf8(key) << " is in the template";
    }
    const std::wstring line = L"\r\nFinish=" + TableText(L"korean", L"Finish") + L"\r\n";
    const size_t at = text.find(line);
    ASSERT_NE(at, std::wstring::npos);
    text.replace(at, line.size(), L"\r\nFinish=완료했습니다!\r\n");
    WriteUnicodeIni(ini, text);
    LumUI_LoadLanguage(ini.c_str(), L"korean");
    EXPECT_EQ(lum::TextLookup(L"Finish"), L"완료했습니다!");
    EXPECT_EQ(lum::TextLookup(L"Back"), TableText(L"korean", L"Back"));
    EXPECT_EQ(lum::TextLookup(L"ClearBody"), TableText(L"korean", L"ClearBody")) << "two-line texts stay whole";
}

TEST_F(LoadLanguageTest, AttachedUiRebuildsItsControls) {
    // Stands in for the view: the control list is rebuilt only while a view
    // window exists.
    HWND view = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(view, nullptr);
    lum::UiState& ui = lum::Ui();
    ui.page = lum::PageWelcome;
    ui.controls.clear();
    const auto languageButton = [&ui]() -> std::wstring {
        for (const auto& control : ui.controls) {
            if (control.action == lum::ActionLanguageMenu) return control.text;
        }
        return L"(none)";
    };

    LumUI_LoadLanguage(nullptr, L"german");
    EXPECT_TRUE(ui.controls.empty()) << "no view, no controls";

    ui.view = view;
    LumUI_LoadLanguage(nullptr, L"german");
    EXPECT_EQ(languageButton(), L"Deutsch");
    LumUI_LoadLanguage(nullptr, L"chinesetraditional");
    EXPECT_EQ(languageButton(), L"繁體中文");
    LumUI_LoadLanguage(nullptr, L"English");
    EXPECT_EQ(languageButton(), L"(none)") << "an id outside the list has no language button";
    EXPECT_FALSE(ui.controls.empty());

    ui.view = nullptr;
    ui.controls.clear();
    ::DestroyWindow(view);
}

// ---- Through the DLL --------------------------------------------------------

TEST(LoadLanguageExport, ToleratesAnyArguments) {
    const auto& api = Dll();
    TempDir dir;
    const std::wstring longText(100000, L'x');
    api.LoadLanguage(nullptr, nullptr);
    api.LoadLanguage(L"", L"");
    api.LoadLanguage(longText.c_str(), longText.c_str());
    api.LoadLanguage(dir.path().c_str(), L"german");
    api.LoadLanguage((dir / L"missing.ini").c_str(), L"korean");
    api.LoadLanguage(L"\\\\?\\Z:\\<>|*?.ini", L"chinesetraditional");
    // The DLL is still in a usable state: it answers.
    wchar_t link[64] = {};
    EXPECT_GT(api.GetLink(0, link, 64), 0);
}
