// Texts and links: the shipped translations, LumUI_LoadLanguage with override files and LumUI_SetText
// in the linked copy (whose text map is what a key reads on screen), and the regional links through the DLL.
#include <gtest/gtest.h>

#include "host/ui_state.h"
#include "test_support.h"
#include "text/language.h"
#include "text/language_table.h"
#include "text/text_lookup.h"

using lum::kLanguageTable;

namespace {

// Every key of the table reads as the table's text of `language`.
void ExpectShowsLanguage(const std::wstring& language) {
    for (const auto& row : kLanguageTable) {
        if (row.language == language) {
            EXPECT_EQ(lum::Ui().Text(row.key), row.text) << lumtest::Utf8(row.key);
        }
    }
}

void WriteIni(const std::wstring& path, std::wstring text) {  // as the template tool writes it: UTF-16 LE with a BOM
    text.insert(0, 1, L'\xFEFF');
    ASSERT_TRUE(lumtest::WriteFileBytes(path, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2)));
}

}  // namespace

TEST(Translations, EveryTextIsUsableTranslatedAndInItsOwnScript) {
    EXPECT_EQ(lum::Ui().Text(L"SetupTitle"), L"SetupTitle") << "before any load a key reads as itself";
    std::map<std::wstring, size_t> sameAsEnglish;
    const lum::TextMap english = lum::BuildTextMap(L"english");
    for (const auto& row : kLanguageTable) {
        const std::wstring text = row.text, key = row.key, language = row.language;
        const size_t lines = key == L"UninstalledBody" || key == L"CancelBody" || key == L"ClearBody" ? 2 : 1;
        // Not its key (that would hide a failed lookup), no blanks at the ends (an override file could not
        // reproduce them), the lines of its key, each with text.
        EXPECT_TRUE(text != key || key == L"Version") << lumtest::Utf8(language + L"/" + key);
        EXPECT_TRUE(!text.empty() && text.front() > L' ' && text.back() > L' ' && text.find(L"\n\n") == std::wstring::npos &&
                    text.find_first_of(L"\r\t") == std::wstring::npos &&
                    static_cast<size_t>(std::count(text.begin(), text.end(), L'\n')) + 1 == lines)
            << lumtest::Utf8(language + L"/" + key);
        sameAsEnglish[language] += text == english.at(key);
        // Common characters that exist in one Chinese script only.
        const wchar_t* otherScript = language == L"chinesesimplified" ? L"簡體設裝載據開關進擇錄護隱條頁刪動啟務戶請運為這時從續錯誤選項統網歷記處確認無擊儲敗應創圖發現級徑間"
                                     : language == L"chinesetraditional" ? L"简体设装载据开关进择录护隐条页删动启务户请运为这时从续错误选项统网历记处确认无击储败应创图发现级径间"
                                                                         : L"";
        EXPECT_EQ(text.find_first_of(otherScript), std::wstring::npos) << lumtest::Utf8(text);
    }
    // A few words can stay the same in a Latin-script language ("Version", "Details"); a copy cannot pass.
    for (const auto& [language, same] : sameAsEnglish) EXPECT_LE(same, language == L"english" ? 999u : 8u);
}

TEST(LoadLanguage, EachLoadStartsAgainFromEnglishAndTheChosenLanguage) {
    for (const auto& entry : lum::LanguageList) {
        LumUI_SetText(L"ScriptOwnKey", L"script text");
        LumUI_LoadLanguage(nullptr, entry.id);
        EXPECT_EQ(lum::Ui().language, entry.id);
        ExpectShowsLanguage(entry.id);
        EXPECT_EQ(lum::Ui().Text(L"ScriptOwnKey"), L"ScriptOwnKey") << "a set text lasts until the next load";
    }
    // Ids compare exactly: another one is stored as given and shows English; none means english.
    for (const auto& [id, stored] : {std::pair{L"ChineseSimplified", L"ChineseSimplified"}, {L"klingon", L"klingon"},
                                     {L"", L"english"}, {static_cast<const wchar_t*>(nullptr), L"english"}}) {
        LumUI_LoadLanguage(nullptr, L"japanese");
        LumUI_LoadLanguage(nullptr, id);
        EXPECT_EQ(lum::Ui().language, stored);
        ExpectShowsLanguage(L"english");
    }
}

TEST(LoadLanguage, AnOverrideFileChangesOnlyTheKeysOfItsSection) {
    lumtest::TempDir dir;
    const std::wstring ini = dir / L"overrides.ini", title = L"Willkommen – Grüße, 欢迎, 환영합니다 ✓";
    WriteIni(ini, L"; comment\r\n[english]\r\nFinish=Done (english)\r\n[klingon]\r\nFinish=Qapla'\r\n[GERMAN]\r\n"
                  L"SetupTitle=" + title + L"\r\nNoSuchKey=ignored\r\nBack=\r\n  finish  =  \"  Fertig  \"  \r\nBrowse\r\n"
                  L"Website=" + std::wstring(6000, L'w') + L"\r\n");
    LumUI_LoadLanguage(ini.c_str(), L"german");
    EXPECT_EQ(lum::Ui().Text(L"SetupTitle"), title);
    EXPECT_EQ(lum::Ui().Text(L"Back"), L"") << "an empty value is a value";
    EXPECT_EQ(lum::Ui().Text(L"Finish"), L"  Fertig  ") << "names ignore case; quotes keep the blanks inside";
    EXPECT_EQ(lum::Ui().Text(L"Website"), std::wstring(4095, L'w')) << "a value is cut at 4095 characters";
    EXPECT_EQ(lum::Ui().Text(L"NoSuchKey"), L"NoSuchKey") << "a file adds no keys";
    EXPECT_EQ(lum::Ui().Text(L"Browse"), lum::BuildTextMap(L"german").at(L"Browse"));
    // The section is the language argument, even an unknown one; no language reads [english].
    for (const auto& [language, finish] : {std::pair{L"klingon", std::wstring(L"Qapla'")}, {nullptr, L"Done (english)"},
                                           {L"spanish", lum::BuildTextMap(L"spanish").at(L"Finish")}}) {
        LumUI_LoadLanguage(ini.c_str(), language);
        EXPECT_EQ(lum::Ui().Text(L"Finish"), finish) << lumtest::Utf8(language ? language : L"(null)");
    }
    // Unreadable or missing files, and names that resolve to MAX_PATH characters or more, change nothing.
    ASSERT_TRUE(lumtest::WriteFileBytes(ini, std::string("\xFF\xFE\x00\xD8[\x00\x01\x02german]\nSetupTitle", 22)));
    for (const std::wstring& file : {ini, dir / L"missing.ini", dir.path, std::wstring(300, L'n'),
                                     L"C:\\" + std::wstring(1000, L'n') + L".ini", std::wstring(40000, L'n')}) {
        LumUI_LoadLanguage(file.c_str(), L"spanish");
        ExpectShowsLanguage(L"spanish");
    }
}

// The user's region, set where Windows keeps it for the current user (Wine reads it at every call).
TEST(Links, OnlyMainlandChinaInAnyLetterCaseGetsTheRegionalSite) {
    constexpr wchar_t kGeo[] = L"Control Panel\\International\\Geo";
    const auto set = [&](const wchar_t* value, const wchar_t* text) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kGeo, value, REG_SZ, text, static_cast<DWORD>(2 * (wcslen(text) + 1)));
    };
    wchar_t saved[2][64] = {};
    DWORD sizes[2] = {sizeof saved[0], sizeof saved[1]};
    const bool had[2] = {::RegGetValueW(HKEY_CURRENT_USER, kGeo, L"Name", RRF_RT_REG_SZ, nullptr, saved[0], &sizes[0]) == 0,
                         ::RegGetValueW(HKEY_CURRENT_USER, kGeo, L"Nation", RRF_RT_REG_SZ, nullptr, saved[1], &sizes[1]) == 0};
    const wchar_t* sites[2][3] = {
        {L"https://lumora.app/", L"https://lumora.app/terms-of-service/", L"https://lumora.app/privacy-policy/"},
        {L"https://lumora.cn/", L"https://lumora.cn/docs/policy/tos_zh_CN", L"https://lumora.cn/docs/policy/privacy_zh_CN"}};
    // Without a name the nation's geo id gives the code (45 is China, -1 none).
    for (const auto& [name, nation, regional] : {std::tuple{L"CN", L"244", 1}, {L"HK", L"45", 0}, {L"cn", L"244", 1},
                                                 {L"", L"45", 1}, {L"", L"-1", 0}, {L"CHN", L"-1", 0},
                                                 {L"ABCDEFGHIJKLMNOPQRSTUVWXYZ", L"-1", 0}}) {
        set(L"Name", name), set(L"Nation", nation);
        for (int32_t kind = 0; kind < 3; ++kind) {
            wchar_t link[128] = {};
            EXPECT_EQ(lumtest::Dll().GetLink(kind, link, 128), static_cast<int32_t>(wcslen(sites[regional][kind])));
            EXPECT_STREQ(link, sites[regional][kind]) << lumtest::Utf8(name) << " " << lumtest::Utf8(nation);
        }
    }
    for (int i = 0; i < 2; ++i) {
        const wchar_t* value = i ? L"Nation" : L"Name";
        had[i] ? set(value, saved[i]) : (void)::RegDeleteKeyValueW(HKEY_CURRENT_USER, kGeo, value);
    }
}
