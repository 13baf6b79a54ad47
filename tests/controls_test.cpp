// The control lists of every page, dialog and menu, built from the linked
// UiState, and the pure rules around them (legal line, arrows, process-list
// paging, progress percentages).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw/canvas.h"
#include "host/ui_state.h"
#include "pages/controls.h"
#include "pages/dialogs.h"
#include "pages/progress_page.h"
#include "test_support.h"

using namespace lum;

namespace {

struct Expected {
    const wchar_t* text;
    float x, y, w, h;
    int32_t action;
    ControlKind kind;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ui() = UiState{};
        LumUI_LoadLanguage(nullptr, L"english");
    }

    static std::vector<ControlRecord> Build(int32_t page, int32_t dialog = DialogNone, size_t processes = 0) {
        Ui().page = page;
        Ui().dialog = dialog;
        ControlList list = BuildControlList(Ui(), dialog, true, processes);
        Ui().legal = list.legal;
        return list.records;
    }
};

void ExpectRecord(const ControlRecord& actual, const Expected& expected) {
    SCOPED_TRACE(lumtest::Utf8(expected.text));
    EXPECT_EQ(actual.text, expected.text);
    EXPECT_FLOAT_EQ(actual.left, expected.x);
    EXPECT_FLOAT_EQ(actual.top, expected.y);
    EXPECT_FLOAT_EQ(actual.right, expected.x + expected.w);
    EXPECT_FLOAT_EQ(actual.bottom, expected.y + expected.h);
    EXPECT_EQ(actual.action, expected.action);
    EXPECT_EQ(actual.kind, expected.kind);
    EXPECT_EQ(actual.window, nullptr);
    EXPECT_FLOAT_EQ(actual.hover.to + actual.press.to + actual.focus.to, 0.0f) << "animations start at rest";
}

void ExpectList(const std::vector<ControlRecord>& actual, const std::vector<Expected>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) ExpectRecord(actual[i], expected[i]);
}

}  // namespace

TEST_F(ControlsTest, EveryPageAndDialogMatchesItsTable) {
    const float details = MeasureTextKey(Ui(), L"ErrorDetails", 12);
    const float website = MeasureTextKey(Ui(), L"Website", 12);
    const float uninstall = MeasureTextKey(Ui(), L"UninstallLink", 12);
    ASSERT_GT(details, 4.0f) << "the text was measured";
    float legal[4];
    float legalSum = 0;
    const wchar_t* legalKeys[4] = {L"LegalIntro", L"Terms", L"And", L"Privacy"};
    for (int i = 0; i < 4; ++i) legalSum += legal[i] = MeasureTextKey(Ui(), legalKeys[i], 12);
    ASSERT_LE(legalSum, 656.0f) << "the English legal line fits at size 12";
    const float x0 = (720 - legalSum) / 2;  // centred

    const Expected minimize{L"", 624, 1, 44, 42, ActionMinimize, KindMinimize};
    const Expected close{L"", 668, 1, 51, 42, ActionClose, KindClose};
    const Expected language{L"English", 488, 1, 128, 42, ActionLanguageMenu, KindLink};
    struct Screen {
        int32_t page, dialog;
        std::vector<Expected> list;
    };
    const Screen screens[] = {
        {PageWelcome, DialogNone,
         {minimize, close, language, {L"InstallNow", 48, 326, 260, 44, ActionInstall, KindPrimary},
          {L"Customize", 48, 376, 260, 30, ActionCustomize, KindLink},
          {L"Terms", x0 + legal[0], 438, legal[1], 30, ActionTerms, KindLink},
          {L"Privacy", x0 + legal[0] + legal[1] + legal[2], 438, legal[3], 30, ActionPrivacy, KindLink}}},
        {PageOptions, DialogNone,
         {minimize, close, {L"Browse", 580, 177, 100, 44, ActionBrowse, KindSecondary},
          {L"Desktop", 40, 242, 600, 28, ActionToggleDesktop, KindCheckBox},
          {L"Back", 348, 422, 112, 44, ActionBack, KindSecondary},
          {L"StartInstall", 476, 422, 204, 44, ActionStart, KindPrimary}}},
        {PageInstalling, DialogNone,
         {minimize, close, {L"CancelInstall", 532, 422, 148, 44, ActionCancel, KindSecondary}}},
        {PageInstalled, DialogNone,
         {minimize, close, {L"Launch", 48, 326, 260, 44, ActionLaunch, KindPrimary},
          {L"Later", 48, 377, 260, 30, ActionFinish, KindLink}}},
        {PageExisting, DialogNone,
         {minimize, close, language, {L"Cancel", 348, 422, 112, 44, ActionCancel, KindSecondary},
          {L"Update", 476, 422, 204, 44, ActionInstall, KindPrimary},
          {L"UninstallLink", 40, 345, uninstall + 22, 28, ActionUninstallInstead, KindLink}}},
        {PageUninstallConfirm, DialogNone,
         {minimize, close, {L"RemoveData", 56, 259, 598, 20, ActionToggleRemoveData, KindCheckBox},
          {L"Cancel", 352, 422, 132, 44, ActionCancel, KindSecondary},
          {L"Uninstall", 500, 422, 180, 44, ActionStart, KindPrimary}}},
        {PageUninstalling, DialogNone,
         {minimize, close, {L"UninstallingBusy", 520, 422, 160, 44, 0, KindDisabled}}},
        {PageUninstalled, DialogNone,
         {minimize, close, {L"Website", 48, 372, website + 18, 30, ActionWebsite, KindLink},
          {L"Finish", 500, 422, 180, 44, ActionFinish, KindPrimary}}},
        {PageInstallFailed, DialogNone,
         {minimize, close, {L"Retry", 520, 422, 160, 44, ActionRetry, KindPrimary},
          {L"ErrorDetails", 40, 348, details + 18, 30, ActionErrorDetails, KindLink}}},
        {PageUninstallFailed, DialogNone,
         {minimize, close, {L"Close", 372, 422, 132, 44, ActionCancel, KindSecondary},
          {L"RetryUninstall", 520, 422, 160, 44, ActionRetry, KindPrimary},
          {L"ErrorDetails", 40, 348, details + 18, 30, ActionErrorDetails, KindLink}}},
        // The path error moves the check box down and disables the start button (kind 7).
        {PageOptionsPathError, DialogNone,
         {minimize, close, {L"Browse", 580, 177, 100, 44, ActionBrowse, KindSecondary},
          {L"Desktop", 40, 286, 600, 28, ActionToggleDesktop, KindCheckBox},
          {L"Back", 348, 422, 112, 44, ActionBack, KindSecondary},
          {L"StartInstall", 476, 422, 204, 44, ActionStart, KindDisabled}}},
        {42, DialogNone, {minimize, close}},
        // A dialog replaces the whole list: no title bar, no page controls.
        {PageInstalling, DialogCancelInstall,
         {{L"ContinueInstall", 428, 289, 144, 44, ActionDialogNo, KindPrimary},
          {L"ExitInstall", 284, 289, 132, 44, ActionDialogYes, KindSecondary}}},
        {PageExisting, DialogAppRunning,
         {{L"CancelUpdate", 252, 328, 132, 44, ActionDialogNo, KindSecondary},
          {L"CloseAndContinue", 396, 328, 176, 44, ActionDialogYes, KindPrimary}}},
        {PageUninstallConfirm, DialogClearData,
         {{L"Back", 264, 314, 116, 44, ActionDialogNo, KindSecondary},
          {L"ClearAndUninstall", 392, 314, 180, 44, ActionDialogYes, KindDanger}}},
        {PageExisting, DialogClosing, {{L"ClosingBusy", 396, 328, 176, 44, 0, KindDisabled}}},
        {PageExisting, DialogCloseFailed,
         {{L"CancelUpdate", 252, 358, 132, 44, ActionDialogNo, KindSecondary},
          {L"RunningRetry", 396, 358, 176, 44, ActionDialogYes, KindPrimary}}},
        {PageWelcome, 9, {}},  // an unknown dialog has no buttons
    };
    for (const Screen& screen : screens) {
        SCOPED_TRACE("page " + std::to_string(screen.page) + " dialog " + std::to_string(screen.dialog));
        ExpectList(Build(screen.page, screen.dialog), screen.list);
    }
    Build(PageWelcome);
    EXPECT_FLOAT_EQ(Ui().legal.fontSize, 12.0f);
    EXPECT_FLOAT_EQ(Ui().legal.x0, x0);
    Ui().languageMenuOpen = true;
    EXPECT_EQ(Build(PageWelcome, DialogCancelInstall).size(), 2u) << "a dialog hides the open menu too";
}

TEST_F(ControlsTest, LegalLineWiderThan656IsShrunkAndCentredAgain) {
    Ui().texts[L"LegalIntro"] =
        L"By installing this software you confirm that you have read, understood and accepted the";
    Ui().texts[L"Terms"] = L"Terms of use of the Lumora screen capture service";
    Ui().texts[L"Privacy"] = L"Privacy policy of the Lumora screen capture service";
    const float wide = MeasureTextKey(Ui(), L"LegalIntro", 12) + MeasureTextKey(Ui(), L"Terms", 12) +
                       MeasureTextKey(Ui(), L"And", 12) + MeasureTextKey(Ui(), L"Privacy", 12);
    ASSERT_GT(wide, 656.0f);

    const auto list = Build(PageWelcome);
    const LegalLineLayout& legal = Ui().legal;
    EXPECT_NEAR(legal.fontSize, 12.0f * 640.0f / wide, 1e-4);
    float sum = 0;
    for (float w : legal.widths) sum += w;
    EXPECT_FLOAT_EQ(legal.widths[1], MeasureTextKey(Ui(), L"Terms", legal.fontSize)) << "re-measured at the new size";
    EXPECT_NEAR(sum, 640.0f, 16.0f);
    EXPECT_FLOAT_EQ(legal.x0, (720 - sum) / 2);
    EXPECT_FLOAT_EQ(list[5].left, legal.x0 + legal.widths[0]);
    EXPECT_FLOAT_EQ(list[6].right, legal.x0 + sum);
}

TEST_F(ControlsTest, CheckBoxesFollowTheirFlags) {
    Ui().flags = FlagDesktopShortcut | FlagNoDesktopOption;
    for (int32_t page : {PageOptions, PageOptionsPathError}) {
        for (const ControlRecord& record : Build(page)) EXPECT_NE(record.action, ActionToggleDesktop) << page;
    }
    Ui().flags = FlagDesktopShortcut;
    EXPECT_FLOAT_EQ(Build(PageOptions)[3].check.ValueAt(0), 1.0f) << "the check starts at the flag's value";
    Ui().flags = 0;
    EXPECT_FLOAT_EQ(Build(PageOptions)[3].check.ValueAt(0), 0.0f);

    Ui().flags = FlagDesktopShortcut | FlagRemoveData;
    const auto list = Build(PageUninstallConfirm);
    EXPECT_EQ(list[2].text, L"RemoveDataSelected");
    EXPECT_FLOAT_EQ(list[2].check.to, 1.0f);
    EXPECT_EQ(SurfaceColor(list[2]), 0xFFFFFFFFu) << "it lies on a white card";
    EXPECT_EQ(SurfaceColor(list[3]), 0xFFF6F2E9u);
}

TEST_F(ControlsTest, LanguageButtonOnlyOnWelcomeAndExistingForTheNineLanguages) {
    const std::pair<std::wstring, std::wstring> languages[] = {
        {L"german", L"Deutsch"}, {L"chinesesimplified", L"简体中文"}, {L"korean", L"한국어"}};
    for (const auto& [id, name] : languages) {
        Ui().language = id;
        for (int32_t page = 0; page <= kLastPage; ++page) {
            const auto list = Build(page);
            const bool has = list.size() > 2 && list[2].action == ActionLanguageMenu;
            EXPECT_EQ(has, page == PageWelcome || page == PageExisting) << "page " << page;
            if (has) ExpectRecord(list[2], {name.c_str(), 488, 1, 128, 42, ActionLanguageMenu, KindLink});
        }
    }
    for (const wchar_t* id : {L"English", L"klingon", L""}) {
        Ui().language = id;
        for (const ControlRecord& record : Build(PageWelcome)) EXPECT_NE(record.action, ActionLanguageMenu);
    }
}

TEST_F(ControlsTest, OpenMenusAddTheirItemsAfterThePage) {
    Ui().languageMenuOpen = true;
    auto list = Build(PageWelcome);
    ASSERT_EQ(list.size(), 7u + 9u);
    const wchar_t* names[9] = {L"简体中文", L"繁體中文", L"English", L"日本語", L"한국어",
                               L"Français", L"Deutsch", L"Español", L"Português"};
    for (int i = 0; i < 9; ++i) {
        ExpectRecord(list[7 + i], {names[i], 456, 52 + 30.0f * i, 152, 30, ActionLanguageFirst + i, KindMenuItem});
    }
    Ui().languageMenuOpen = false;
    Ui().titleMenuOpen = true;
    Ui().titleMenuLeft = 30;
    Ui().titleMenuTop = 40;
    Ui().titleMenuWidth = 250;
    list = Build(PageInstalled);
    ASSERT_EQ(list.size(), 5u);
    ExpectRecord(list[4], {L"SaveLog", 38, 48, 234, 32, ActionSaveLog, KindMenuItem});
}

// Three records a page; the links appear on the close-failed dialog where the rows say.
TEST_F(ControlsTest, ProcessListRowsAndLinksFollowPageAndRecordCount) {
    struct Case {
        size_t count;
        int32_t page;
        size_t first, end;
        const wchar_t* indicator;  // empty: none
        bool prev, next;
    };
    const Case cases[] = {{7, 0, 0, 3, L"1 / 3", false, true}, {7, 1, 3, 6, L"2 / 3", true, true},
                          {7, 2, 6, 7, L"3 / 3", true, false}, {5, 1, 3, 5, L"2 / 2", true, false},
                          {3, 0, 0, 3, L"", false, false},     {0, 0, 0, 0, L"", false, false}};
    const Expected prev{L"ProcessPrev", 160, 309, 92, 22, ActionProcessPrev, KindLink};
    const Expected next{L"ProcessNext", 468, 309, 92, 22, ActionProcessNext, KindLink};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " records, page " + std::to_string(c.page));
        const ProcessListPage rows = ProcessListRows(c.count, c.page);
        EXPECT_EQ(rows.first, c.first);
        EXPECT_EQ(rows.end, c.end);
        EXPECT_EQ(rows.hasIndicator, *c.indicator != 0);
        EXPECT_EQ(rows.hasIndicator ? rows.indicator : L"", c.indicator);
        EXPECT_EQ(rows.hasPrev, c.prev);
        EXPECT_EQ(rows.hasNext, c.next);

        Ui().processListPage = c.page;
        const auto list = Build(PageExisting, DialogCloseFailed, c.count);
        ASSERT_EQ(list.size(), 2u + c.prev + c.next);
        if (c.prev) ExpectRecord(list[2], prev);
        if (c.next) ExpectRecord(list.back(), next);
        EXPECT_EQ(SurfaceColor(list.back()), c.prev || c.next ? 0xFFFFFFFFu : 0xFFF6F2E9u)
            << "the links lie on the white card";
    }
    const ProcessListPage beyond = ProcessListRows(5, 4);
    EXPECT_EQ(beyond.first, beyond.end) << "a page beyond the last draws no rows";
}

TEST(ControlRules, TrailingArrowOnlyOnForwardPrimaryButtons) {
    const auto arrow = [](ControlKind kind, int32_t action, int32_t page, int32_t dialog = DialogNone) {
        ControlRecord record;
        record.kind = kind;
        record.action = action;
        return HasTrailingArrow(record, page, dialog);
    };
    for (int32_t action : {ActionInstall, ActionStart, ActionLaunch, ActionRetry}) {
        EXPECT_TRUE(arrow(KindPrimary, action, PageWelcome)) << action;
    }
    EXPECT_TRUE(arrow(KindPrimary, ActionFinish, PageUninstalled));
    EXPECT_FALSE(arrow(KindPrimary, ActionFinish, PageInstalled));
    EXPECT_FALSE(arrow(KindPrimary, ActionDialogNo, PageInstalling));
    EXPECT_TRUE(arrow(KindPrimary, ActionDialogNo, PageInstalling, DialogCancelInstall)) << "any in a dialog";
    EXPECT_FALSE(arrow(KindSecondary, ActionStart, PageOptions));
    EXPECT_FALSE(arrow(KindDisabled, ActionStart, PageOptionsPathError));
    EXPECT_NEAR(BusyBarOffset(0), 0.0f, 1e-3);
    EXPECT_NEAR(BusyBarOffset(1700), 0.0f, 1e-3);
    EXPECT_NEAR(BusyBarOffset(850), 330.0f, 1e-3) << "the bar reaches x 478";
}

TEST(ProgressRules, PercentRoundsHalfAwayFromZero) {
    const std::pair<float, int> cases[] = {{1.0f / 3, 33}, {2.0f / 3, 67}, {0.125f, 13}, {0.0f, 0}, {1.0f, 100}};
    for (const auto& [value, percent] : cases) EXPECT_EQ(ProgressPercent(value), percent) << value;
    EXPECT_EQ(ProgressPercentText(0.125f), L"13%");
    EXPECT_EQ(ProgressPercentText(-0.125f), L"-13%");

}

TEST(ProgressRules, RestingBarShowsPositionOverTotal) {
    const std::tuple<int32_t, int32_t, float> cases[] = {{1, 3, 1.0f / 3}, {150, 100, 1.0f}, {-5, 100, 0.0f},
                                                         {50, 0, 0.0f}};
    for (const auto& [position, maximum, value] : cases) {
        EXPECT_FLOAT_EQ(ProgressFraction(position, maximum), value) << position << " of " << maximum;
    }
}
