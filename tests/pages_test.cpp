// Pages: the control list of every page, dialog and menu held to the layout rules (built in the linked copy),
// and screens rendered through LumUI_Render with their pixels and layout report read back.
#include <gtest/gtest.h>

#include <thread>

#include "host/ui_state.h"
#include "pages/controls.h"
#include "pages/dialogs.h"
#include "pages/progress_page.h"
#include "test_support.h"
#include "text/language_table.h"

using namespace lum;
using lumtest::Image;
using lumtest::Near;

namespace {

std::vector<ControlRecord> Build(int32_t page, int32_t dialog = DialogNone, size_t processes = 0) {
    Ui().page = page, Ui().dialog = dialog;
    ControlList list = BuildControlList(Ui(), dialog, true, processes);
    Ui().legal = list.legal;
    return list.records;
}

// Inside the frame, no overlaps, at rest; on a page the title bar first, in a dialog its negative answer (it
// takes the focus); the footer row at y 422 right-aligned to the page margin 680 with 16 between buttons, a
// dialog's row to its card's edge 572 with 12 between.
void ExpectLayoutRules(const std::vector<ControlRecord>& list, bool dialog) {
    std::vector<ControlRecord> row;
    for (size_t i = 0; i < list.size(); ++i) {
        const ControlRecord& c = list[i];
        SCOPED_TRACE(lumtest::Utf8(c.text) + " action " + std::to_string(c.action));
        EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.right <= 720 && c.bottom <= 480 && c.left < c.right && c.top < c.bottom);
        EXPECT_TRUE(c.hover.to + c.press.to + c.focus.to == 0 && c.window == nullptr);
        for (size_t j = 0; j < i; ++j) {
            EXPECT_TRUE(c.right <= list[j].left || list[j].right <= c.left || c.bottom <= list[j].top ||
                        list[j].bottom <= c.top) << "overlaps action " << list[j].action;
        }
        const bool button = c.kind == KindPrimary || c.kind == KindSecondary || c.kind == KindDanger || c.kind == KindDisabled;
        if (button && c.bottom - c.top == 44 && (dialog || c.top == 422)) row.push_back(c);
    }
    EXPECT_TRUE(dialog || (list.size() >= 2 && list[0].action == ActionMinimize && list[1].action == ActionClose));
    EXPECT_TRUE(!dialog || list.empty() || list[0].action == ActionDialogNo || list[0].action == 0);
    std::sort(row.begin(), row.end(), [](const auto& a, const auto& b) { return a.left < b.left; });
    for (size_t i = 0; i < row.size(); ++i) {
        EXPECT_EQ(row[i].top, row[0].top);
        EXPECT_EQ(row[i].right, i + 1 < row.size() ? row[i + 1].left - (dialog ? 12 : 16) : dialog ? 572 : 680);
    }
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { Ui() = UiState{}, LumUI_LoadLanguage(nullptr, L"english"); }
};

}  // namespace

TEST_F(ControlsTest, EveryPageDialogAndMenuKeepsTheLayoutRules) {
    for (uint32_t flags : {0u, FlagDesktopShortcut | FlagRemoveData, uint32_t{FlagNoDesktopOption}}) {
        Ui().flags = flags;
        for (int32_t page = 0; page <= kLastPage; ++page) {
            for (const bool languageMenu : {false, page == PageWelcome || page == PageExisting}) {
                SCOPED_TRACE("page " + std::to_string(page) + (languageMenu ? " language menu" : " title menu"));
                Ui().languageMenuOpen = languageMenu, Ui().titleMenuOpen = !languageMenu;
                const auto list = Build(page);
                ExpectLayoutRules(list, false);
                EXPECT_EQ(list[2].action == ActionLanguageMenu, page == PageWelcome || page == PageExisting);
                for (const ControlRecord& c : list) {
                    const uint32_t bit = c.action == ActionToggleDesktop ? FlagDesktopShortcut : FlagRemoveData;
                    EXPECT_TRUE(c.kind != KindCheckBox || c.check.ValueAt(0) == ((flags & bit) ? 1 : 0)) << "at its flag";
                    EXPECT_FALSE(c.action == ActionToggleDesktop && (flags & FlagNoDesktopOption));
                    EXPECT_FALSE(c.action == ActionStart && page == PageOptionsPathError && c.kind != KindDisabled);
                }
            }
        }
    }
    for (int32_t dialog = DialogCancelInstall; dialog <= DialogCloseFailed; ++dialog) {
        ExpectLayoutRules(Build(PageInstalling, dialog), true);  // a dialog replaces the whole list, menus too
    }
    for (size_t count : {0, 3, 4, 7}) {  // the close-failed dialog pages through its processes three at a time
        for (int32_t page = 0; page == 0 || page * 3 < static_cast<int32_t>(count); ++page) {
            SCOPED_TRACE(std::to_string(count) + " records, page " + std::to_string(page));
            Ui().processListPage = page;
            const auto list = Build(PageExisting, DialogCloseFailed, count);
            ExpectLayoutRules(list, true);
            const ProcessListPage rows = ProcessListRows(count, page);
            EXPECT_EQ(rows.first, std::min<size_t>(page * 3, count));
            EXPECT_EQ(rows.end, std::min<size_t>(page * 3 + 3, count));
            EXPECT_EQ(rows.hasPrev + 2 * rows.hasNext, (page > 0) + 2 * (rows.end < count));
            EXPECT_EQ(list.size(), 2u + rows.hasPrev + rows.hasNext) << "a link for each way that leads somewhere";
            EXPECT_EQ(rows.hasIndicator ? rows.indicator : L"-",
                      count > 3 ? std::to_wstring(page + 1) + L" / " + std::to_wstring((count + 2) / 3) : L"-");
        }
    }
}

TEST_F(ControlsTest, TheLanguageButtonAndMenuShowTheNineLanguagesByTheirOwnNames) {
    for (size_t i = 0; i < LanguageList.size(); ++i) {
        Ui().language = LanguageList[i].id, Ui().languageMenuOpen = true;
        const auto list = Build(PageExisting);  // the menu's items follow the page's controls
        EXPECT_TRUE(list[2].text == LanguageList[i].displayName && list[6 + i].text == LanguageList[i].displayName &&
                    list[6 + i].action == ActionLanguageFirst + static_cast<int32_t>(i)) << i;
    }
    Ui().language = L"English";  // not one of the nine: no button
    EXPECT_EQ(Build(PageWelcome)[2].action, ActionInstall);
}

namespace {

// Under Wine, releasing the drawing objects of a DLL that has drawn hangs in the process-exit detach.
struct UnloadDllAtEnd : ::testing::Environment {
    void TearDown() override { ::FreeLibrary(lumtest::Dll().module); }
};
const auto* const kUnloadDll = ::testing::AddGlobalTestEnvironment(new UnloadDllAtEnd);

constexpr uint32_t kBackground = 0xFFF6F2E9, kAccent = 0xFF3388FF, kTrack = 0xFFDCE5F2;

// Screens rendered through the DLL; a render costs about 100 ms under Wine, so each test makes few.
class RenderTest : public ::testing::Test {
protected:
    void SetUp() override { lumtest::Dll().LoadLanguage(nullptr, L"english"), lumtest::Dll().SetFlags(FlagDesktopShortcut); }
    Image Render(int32_t scenario, int32_t dpi = 96) { return lumtest::RenderScreen(dir_, scenario, dpi); }
    lumtest::TempDir dir_;
};

// A one-unit line covers half of two pixel rows; the rasteriser may put it on either.
bool LineAt(const Image& image, UINT x, UINT y) {
    return !Near(image.At(x, y - 1), kBackground, 4) || !Near(image.At(x, y), kBackground, 4);
}
int CountReddish(const Image& image, UINT left, UINT top, UINT right, UINT bottom) {
    int count = 0;
    for (UINT y = top; y < bottom; ++y) {
        for (UINT x = left; x < right; ++x) count += ((image.At(x, y) >> 16) & 0xFF) > ((image.At(x, y) >> 8) & 0xFF) + 50;
    }
    return count;
}

}  // namespace

TEST_F(RenderTest, TheWelcomePageAtEveryDpiAndADialogDimmingItsPage) {
    for (const UINT dpi : {96, 144, 192}) {
        const Image image = Render(PageWelcome, static_cast<int32_t>(dpi));
        ASSERT_EQ(image.width, 720 * dpi / 96);
        EXPECT_EQ(image.height, 480 * dpi / 96);
        const UINT s = dpi * 10 / 96;  // tenths: the same spot at every scale
        const int tolerance = dpi == 96 ? 0 : 2;
        EXPECT_TRUE(Near(image.At(2 * s, 30 * s), kBackground, tolerance));
        // "Install now" spans 48 ... 308 by 326 ... 370; its label and arrow sit in the middle.
        EXPECT_TRUE(Near(image.At(6 * s, s * 348 / 10), kAccent, tolerance));
        EXPECT_TRUE(Near(image.At(s * 296 / 10, s * 334 / 10), kAccent, tolerance));
        EXPECT_TRUE(LineAt(image, 36 * s, s * 422 / 10)) << "the divider above the legal line";
        EXPECT_TRUE(Near(image.At(s * 432 / 10, s * 207 / 10), 0xFFE6EEFC, 2)) << "the illustration's tilted grid card";
    }
    // The dim layer 0x55172B45 over the page, its buttons included; the dialog's card is not dimmed.
    const Image dialog = Render(11);
    ASSERT_EQ(dialog.width, 720u);
    EXPECT_TRUE(Near(dialog.At(20, 460), LerpColor(kBackground, 0xFF172B45, 0x55 / 255.0f)));
    EXPECT_TRUE(Near(dialog.At(540, 430), LerpColor(0xFFFFFFFF, 0xFF172B45, 0x55 / 255.0f))) << "the page's cancel button";
    EXPECT_TRUE(Near(dialog.At(130, 240), kBackground));
    EXPECT_EQ(Render(13).width + lumtest::Dll().GetFlags(), 720u + FlagDesktopShortcut) << "the scenario's flag is taken back";
}

TEST_F(RenderTest, TheProgressBarEndsAtItsFractionAndThePathErrorPageMovesTheCheckBoxDown) {
    lumtest::Dll().SetProgress(1, 3, nullptr);
    const Image image = Render(PageInstalling);
    ASSERT_EQ(image.width, 720u);
    const UINT end = 40 + 640 / 3;
    for (const auto& [x, colour] : {std::pair{44u, kAccent}, {end - 3, kAccent}, {end + 3, kTrack}, {676u, kTrack}}) {
        EXPECT_TRUE(Near(image.At(x, 347), colour, 0)) << x;
    }
    EXPECT_TRUE(Render(25).pixels == image.pixels) << "a scenario above 19 draws the installing page";
    EXPECT_EQ(ProgressPercentText(1.0f / 3) + ProgressPercentText(2.0f / 3) + ProgressPercentText(-0.125f), L"33%67%-13%");

    lumtest::Dll().SetText(L"Error", L"This location is not writable. Choose another folder.");
    const Image error = Render(PageOptionsPathError);
    lumtest::Dll().SetFlags(0);
    const Image plain = Render(PageOptions);
    ASSERT_TRUE(error.width == 720 && plain.width == 720);
    EXPECT_TRUE(CountReddish(error, 300, 175, 301, 179) > 0 && CountReddish(plain, 300, 175, 301, 179) == 0) << "red border";
    EXPECT_TRUE(CountReddish(error, 40, 229, 400, 247) > 40 && CountReddish(plain, 40, 229, 400, 247) == 0) << "red error text";
    // A divider at y 267; the 16-unit check box, centred in its 28-high row, moved from 242 to 286:
    // ticked with the flag, white without.
    EXPECT_TRUE(LineAt(error, 360, 267) && !LineAt(plain, 360, 267));
    EXPECT_TRUE(Near(error.At(42, 295), kAccent, 0));
    EXPECT_TRUE(Near(error.At(42, 253), kBackground, 0));
    EXPECT_TRUE(Near(plain.At(42, 253), 0xFFFFFFFF, 0));
}

TEST_F(RenderTest, TheLayoutReportListsOverflowingTextsAndBadInputGivesZero) {
    const std::wstring title = L"Écrans intelligents\nqui ne tiennent jamais dans leur boîte, même réduits au minimum";
    lumtest::Dll().SetText(L"WelcomeTitle", title.c_str());
    const std::wstring path = dir_ / L"overflow.png";
    ASSERT_EQ(lumtest::Dll().Render(path.c_str(), PageWelcome, 96), 1);
    const std::string dump = lumtest::ReadFileBytes(path + L".layout.txt");
    ASSERT_EQ(dump.rfind("overflow_count=", 0), 0u) << dump;
    EXPECT_GE(std::stoi(dump.substr(15)), 1);
    EXPECT_EQ(dump.find('\r'), std::string::npos) << "line feeds only";
    EXPECT_NE(dump.find(lumtest::Utf8(title) + "\n"), std::string::npos) << dump;
    for (int32_t dpi : {0, -96}) {
        EXPECT_EQ(lumtest::Dll().Render(path.c_str(), PageWelcome, dpi), 0) << dpi;
        EXPECT_EQ(lumtest::ReadFileBytes(path + L".layout.txt"), "overflow_count=0\n") << "the report is still written";
    }
    EXPECT_EQ(lumtest::Dll().Render((dir_ / L"no such folder\\page.png").c_str(), PageWelcome, 96), 0);
    // The PNG encoder lives in the caller's COM apartment: a thread that has none gets 0 and still the report.
    const std::wstring noCom = dir_ / L"no-com.png";
    int32_t result = -1;
    std::thread([&] { result = lumtest::Dll().Render(noCom.c_str(), PageWelcome, 96); }).join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(lumtest::ReadFileBytes(noCom + L".layout.txt").rfind("overflow_count=", 0), 0u);
}
