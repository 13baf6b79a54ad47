// Every screen in every language at 96 DPI, rendered through the DLL as the
// gallery does: no text may overflow its box. This guards the language tables:
// a translation that is too long fails here, and the fix is shorter wording.
#include <gtest/gtest.h>

#include "test_support.h"
#include "text/language_table.h"

using lumtest::Dll;

// Under Wine, releasing the drawing objects of a DLL that has drawn hangs in the process-exit detach.
struct UnloadDllAtEnd : ::testing::Environment {
    void TearDown() override { Dll().Destroy(), ::FreeLibrary(Dll().module); }
};
const auto* const kUnloadDll = ::testing::AddGlobalTestEnvironment(new UnloadDllAtEnd);

TEST(TranslationsFit, EveryScenarioInEveryLanguageHasNoOverflow) {
    lumtest::TempDir dir;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Dll().SetProgress(1, 3, nullptr);
    for (const auto& language : lum::LanguageList) {
        Dll().LoadLanguage(nullptr, language.id);
        for (int32_t scenario = 0; scenario <= 19; ++scenario) {
            const std::wstring png = dir / (std::wstring(language.id) + L"-" + std::to_wstring(scenario) + L".png");
            EXPECT_EQ(Dll().Render(png.c_str(), scenario, 96), 1) << lumtest::Utf8(language.id) << " " << scenario;
            EXPECT_EQ(lumtest::ReadFileBytes(png + L".layout.txt"), "overflow_count=0\n")
                << lumtest::Utf8(language.id) << " scenario " << scenario;
        }
    }
}
