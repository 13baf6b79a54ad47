// Every screen in every language at 96 DPI, rendered through the DLL as the
// gallery does: no text may overflow its box. This guards the language tables:
// a translation that is too long fails here, and the fix is shorter wording.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "text/language_table.h"

using lumtest::Dll;

namespace {

class ComApartment : public ::testing::Environment {
public:
    void SetUp() override { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        if (Dll().module) {
            Dll().Destroy();
            ::FreeLibrary(Dll().module);
        }
        ::CoUninitialize();
    }
};
const auto* const kCom = ::testing::AddGlobalTestEnvironment(new ComApartment);

}  // namespace

TEST(TranslationsFit, EveryScenarioInEveryLanguageHasNoOverflow) {
    const auto& api = Dll();
    lumtest::TempDir dir;
    api.SetFlags(1u);
    api.SetPath(L"C:\\Program Files\\Lumora");
    api.SetText(L"Error", L"");
    api.SetProgress(1, 3, nullptr);
    for (const auto& language : lum::LanguageList) {
        api.LoadLanguage(nullptr, language.id);
        for (int32_t scenario = 0; scenario <= 19; ++scenario) {
            const std::wstring png = dir / (std::wstring(language.id) + L"-" + std::to_wstring(scenario) + L".png");
            EXPECT_EQ(api.Render(png.c_str(), scenario, 96), 1) << lumtest::Utf8(language.id) << " " << scenario;
            const std::string dump = lumtest::ReadFileBytes(png + L".layout.txt");
            EXPECT_EQ(dump, "overflow_count=0\n")
                << lumtest::Utf8(language.id) << " scenario " << scenario << " overflows:\n" << dump;
        }
    }
    api.LoadLanguage(nullptr, L"english");
}
