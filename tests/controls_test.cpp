// The control lists of every page, dialog and menu, built from the linked
// UiState, and the pure rules around them (legal line, arrows, surfaces,
// process-list paging, progress percentages).
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
    int32_t kind;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ui() = UiState{};
        LumUI_LoadLanguage(nullptr, L"english");
        SetDialogProcessRecordsForTesting(nullptr);
    }
    void TearDown() override { SetDialogProcessRecordsForTesting(nullptr); }

    static std::vector<ControlRecord> Build(int32_t page, int32_t dialog = DialogNone) {
        Ui().page = page;
        Ui().dialog = dialog;
        BuildControls();
        return Ui().controls;
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
    EXPECT_FALSE(actual.hovered);
}

void ExpectList(const std::vector<ControlRecord>& actual, const std::vector<Expected>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) ExpectRecord(actual[i], expected[i]);
}

const Expected kMinimize{L"", 624, 1, 44, 42, ActionMinimize, KindMinimize};
const Expected kClose{L"", 668, 1, 51, 42, ActionClose, KindClose};

std::vector<ProcessRecord> Records(size_t count) {
    std::vector<ProcessRecord> records(count);
    for (size_t i = 0; i < count; ++i) {
        records[i].processId = static_cast<uint32_t>(100 + i);
        records[i].name = L"lumora-" + std::to_wstring(i) + L".exe";
    }
    return records;
}

}  // namespace

TEST_F(ControlsTest, FixedPagesMatchTheirTables) {
    ExpectList(Build(PageOptions), {kMinimize, kClose,
                                    {L"Browse", 580, 177, 100, 44, ActionBrowse, KindSecondary},
                                    {L"Desktop", 40, 242, 600, 28, ActionToggleDesktop, KindCheckBox},
                                    {L"Back", 348, 422, 112, 44, ActionBack, KindSecondary},
                                    {L"StartInstall", 476, 422, 204, 44, ActionStart, KindPrimary}});
    ExpectList(Build(PageOptionsPathError), {kMinimize, kClose,
                                             {L"Browse", 580, 177, 100, 44, ActionBrowse, KindSecondary},
                                             {L"Desktop", 40, 286, 600, 28, ActionToggleDesktop, KindCheckBox},
                                             {L"Back", 348, 422, 112, 44, ActionBack, KindSecondary},
                                             {L"StartInstall", 476, 422, 204, 44, ActionStart, KindDisabled}});
    ExpectList(Build(PageInstalling),
               {kMinimize, kClose, {L"CancelInstall", 532, 422, 148, 44, ActionCancel, KindSecondary}});
    ExpectList(Build(PageInstalled), {kMinimize, kClose,
                                      {L"Launch", 48, 326, 260, 44, ActionLaunch, KindPrimary},
                                      {L"Later", 48, 377, 260, 30, ActionFinish, KindLink}});
    ExpectList(Build(PageUninstallConfirm), {kMinimize, kClose,
                                             {L"RemoveData", 56, 259, 598, 20, ActionToggleRemoveData, KindCheckBox},
                                             {L"Cancel", 352, 422, 132, 44, ActionCancel, KindSecondary},
                                             {L"Uninstall", 500, 422, 180, 44, ActionStart, KindPrimary}});
    ExpectList(Build(PageUninstalling),
               {kMinimize, kClose, {L"UninstallingBusy", 520, 422, 160, 44, 0, KindDisabled}});
    ExpectList(Build(42), {kMinimize, kClose});
}

TEST_F(ControlsTest, MeasuredLinksAreSizedByTheirText) {
    const float details = MeasureTextKey(L"ErrorDetails", 12);
    const float website = MeasureTextKey(L"Website", 12);
    const float uninstall = MeasureTextKey(L"UninstallLink", 12);
    ASSERT_GT(details, 4.0f) << "the text was measured";

    ExpectList(Build(PageInstallFailed), {kMinimize, kClose,
                                          {L"Retry", 520, 422, 160, 44, ActionRetry, KindPrimary},
                                          {L"ErrorDetails", 40, 348, details + 18, 30, ActionErrorDetails, KindLink}});
    ExpectList(Build(PageUninstallFailed),
               {kMinimize, kClose,
                {L"Close", 372, 422, 132, 44, ActionCancel, KindSecondary},
                {L"RetryUninstall", 520, 422, 160, 44, ActionRetry, KindPrimary},
                {L"ErrorDetails", 40, 348, details + 18, 30, ActionErrorDetails, KindLink}});
    ExpectList(Build(PageUninstalled), {kMinimize, kClose,
                                        {L"Website", 48, 372, website + 18, 30, ActionWebsite, KindLink},
                                        {L"Finish", 500, 422, 180, 44, ActionFinish, KindPrimary}});
    ExpectList(Build(PageExisting),
               {kMinimize, kClose, {L"English", 488, 1, 128, 42, ActionLanguageMenu, KindLink},
                {L"Cancel", 348, 422, 112, 44, ActionCancel, KindSecondary},
                {L"Update", 476, 422, 204, 44, ActionInstall, KindPrimary},
                {L"UninstallLink", 40, 345, uninstall + 22, 28, ActionUninstallInstead, KindLink}});
}

TEST_F(ControlsTest, WelcomePageCarriesTheCentredLegalLine) {
    const auto list = Build(PageWelcome);
    const LegalLineLayout& legal = Ui().legal;
    EXPECT_FLOAT_EQ(legal.fontSize, 12.0f);
    float sum = 0;
    const wchar_t* keys[4] = {L"LegalIntro", L"Terms", L"And", L"Privacy"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(legal.widths[i], MeasureTextKey(keys[i], 12));
        sum += legal.widths[i];
    }
    ASSERT_LE(sum, 656.0f) << "the English line fits at size 12";
    EXPECT_FLOAT_EQ(legal.x0, (720 - sum) / 2);
    const float w0 = legal.widths[0], w1 = legal.widths[1], w2 = legal.widths[2], w3 = legal.widths[3];
    ExpectList(list, {kMinimize, kClose, {L"English", 488, 1, 128, 42, ActionLanguageMenu, KindLink},
                      {L"InstallNow", 48, 326, 260, 44, ActionInstall, KindPrimary},
                      {L"Customize", 48, 376, 260, 30, ActionCustomize, KindLink},
                      {L"Terms", legal.x0 + w0, 438, w1, 30, ActionTerms, KindLink},
                      {L"Privacy", legal.x0 + w0 + w1 + w2, 438, w3, 30, ActionPrivacy, KindLink}});
}

TEST_F(ControlsTest, LegalLineWiderThan656IsShrunkAndCentredAgain) {
    Ui().texts[L"LegalIntro"] =
        L"By installing this software you confirm that you have read, understood and accepted the";
    Ui().texts[L"Terms"] = L"Terms of use of the Lumora screen capture service";
    Ui().texts[L"Privacy"] = L"Privacy policy of the Lumora screen capture service";
    const float wide = MeasureTextKey(L"LegalIntro", 12) + MeasureTextKey(L"Terms", 12) +
                       MeasureTextKey(L"And", 12) + MeasureTextKey(L"Privacy", 12);
    ASSERT_GT(wide, 656.0f);

    const auto list = Build(PageWelcome);
    const LegalLineLayout& legal = Ui().legal;
    EXPECT_NEAR(legal.fontSize, 12.0f * 640.0f / wide, 1e-4);
    float sum = 0;
    for (float w : legal.widths) sum += w;
    EXPECT_FLOAT_EQ(legal.widths[1], MeasureTextKey(L"Terms", legal.fontSize)) << "re-measured at the new size";
    EXPECT_NEAR(sum, 640.0f, 16.0f);
    EXPECT_FLOAT_EQ(legal.x0, (720 - sum) / 2);
    EXPECT_FLOAT_EQ(list[5].left, legal.x0 + legal.widths[0]);
    EXPECT_FLOAT_EQ(list[6].right, legal.x0 + sum);
}

TEST_F(ControlsTest, DesktopCheckBoxFollowsItsFlags) {
    Ui().flags = FlagDesktopShortcut | FlagNoDesktopOption;
    for (int32_t page : {PageOptions, PageOptionsPathError}) {
        for (const ControlRecord& record : Build(page)) EXPECT_NE(record.action, ActionToggleDesktop);
    }
    Ui().flags = FlagDesktopShortcut;
    auto list = Build(PageOptions);
    EXPECT_FLOAT_EQ(list[3].check.ValueAt(0), 1.0f) << "the check starts at the flag's value";
    EXPECT_FLOAT_EQ(list[3].check.to, 1.0f);
    Ui().flags = 0;
    list = Build(PageOptions);
    EXPECT_FLOAT_EQ(list[3].check.ValueAt(0), 0.0f);
    EXPECT_FLOAT_EQ(list[2].hover.to + list[2].press.to + list[2].focus.to, 0.0f);
}

TEST_F(ControlsTest, RemoveDataCheckBoxChangesTextWithItsFlag) {
    Ui().flags = FlagDesktopShortcut | FlagRemoveData;
    const auto list = Build(PageUninstallConfirm);
    EXPECT_EQ(list[2].text, L"RemoveDataSelected");
    EXPECT_FLOAT_EQ(list[2].check.to, 1.0f);
    EXPECT_EQ(SurfaceColor(list[2]), 0xFFFFFFFFu) << "it lies on a white card";
    EXPECT_EQ(SurfaceColor(list[3]), 0xFFF6F2E9u);
}

TEST_F(ControlsTest, LanguageButtonOnlyOnWelcomeAndExistingForTheNineLanguages) {
    const std::vector<std::pair<std::wstring, std::wstring>> languages = {
        {L"german", L"Deutsch"}, {L"chinesesimplified", L"简体中文"}, {L"korean", L"한국어"}};
    for (const auto& [id, name] : languages) {
        Ui().language = id;
        for (int32_t page = 0; page <= kLastPage; ++page) {
            const auto list = Build(page);
            const bool expected = page == PageWelcome || page == PageExisting;
            ASSERT_GE(list.size(), 2u);
            const bool has = list.size() > 2 && list[2].action == ActionLanguageMenu;
            EXPECT_EQ(has, expected) << "page " << page;
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
        EXPECT_EQ(SurfaceColor(list[7 + i]), 0xFFFFFFFFu);
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

TEST_F(ControlsTest, DialogsReplaceTheWholeList) {
    ExpectList(Build(PageInstalling, DialogCancelInstall),
               {{L"ContinueInstall", 428, 289, 144, 44, ActionDialogNo, KindPrimary},
                {L"ExitInstall", 284, 289, 132, 44, ActionDialogYes, KindSecondary}});
    ExpectList(Build(PageExisting, DialogAppRunning),
               {{L"CancelUpdate", 252, 328, 132, 44, ActionDialogNo, KindSecondary},
                {L"CloseAndContinue", 396, 328, 176, 44, ActionDialogYes, KindPrimary}});
    ExpectList(Build(PageUninstallConfirm, DialogClearData),
               {{L"Back", 264, 314, 116, 44, ActionDialogNo, KindSecondary},
                {L"ClearAndUninstall", 392, 314, 180, 44, ActionDialogYes, KindDanger}});
    ExpectList(Build(PageExisting, DialogClosing), {{L"ClosingBusy", 396, 328, 176, 44, 0, KindDisabled}});
    ExpectList(Build(PageExisting, DialogCloseFailed),
               {{L"CancelUpdate", 252, 358, 132, 44, ActionDialogNo, KindSecondary},
                {L"RunningRetry", 396, 358, 176, 44, ActionDialogYes, KindPrimary}});
    Ui().languageMenuOpen = true;
    EXPECT_EQ(Build(PageWelcome, DialogCancelInstall).size(), 2u) << "no menu items and no title bar";
    EXPECT_TRUE(Build(PageWelcome, 9).empty()) << "an unknown dialog has no buttons";
}

TEST_F(ControlsTest, ProcessListLinksFollowPageAndRecordCount) {
    const Expected prev{L"ProcessPrev", 160, 309, 92, 22, ActionProcessPrev, KindLink};
    const Expected next{L"ProcessNext", 468, 309, 92, 22, ActionProcessNext, KindLink};
    const std::vector<ProcessRecord> seven = Records(7);
    SetDialogProcessRecordsForTesting(&seven);
    Ui().processListPage = 0;
    auto list = Build(PageExisting, DialogCloseFailed);
    ASSERT_EQ(list.size(), 3u);
    ExpectRecord(list[2], next);
    Ui().processListPage = 1;
    list = Build(PageExisting, DialogCloseFailed);
    ASSERT_EQ(list.size(), 4u);
    ExpectRecord(list[2], prev);
    ExpectRecord(list[3], next);
    EXPECT_EQ(SurfaceColor(list[2]), 0xFFFFFFFFu);
    Ui().processListPage = 2;
    list = Build(PageExisting, DialogCloseFailed);
    ASSERT_EQ(list.size(), 3u) << "3 x 3 = 9 is not below 7";
    ExpectRecord(list[2], prev);

    const std::vector<ProcessRecord> three = Records(3);
    SetDialogProcessRecordsForTesting(&three);
    Ui().processListPage = 0;
    EXPECT_EQ(Build(PageExisting, DialogCloseFailed).size(), 2u);
}

TEST(ProcessListPaging, RowsAndIndicator) {
    ProcessListPage rows = ProcessListRows(5, 0);
    EXPECT_EQ(rows.first, 0u);
    EXPECT_EQ(rows.end, 3u);
    EXPECT_TRUE(rows.hasIndicator);
    EXPECT_EQ(rows.indicator, L"1 / 2");
    EXPECT_FALSE(rows.hasPrev);
    EXPECT_TRUE(rows.hasNext);
    rows = ProcessListRows(5, 1);
    EXPECT_EQ(rows.first, 3u);
    EXPECT_EQ(rows.end, 5u);
    EXPECT_EQ(rows.indicator, L"2 / 2");
    EXPECT_TRUE(rows.hasPrev);
    EXPECT_FALSE(rows.hasNext);
    rows = ProcessListRows(3, 0);
    EXPECT_EQ(rows.end, 3u);
    EXPECT_FALSE(rows.hasIndicator) << "one page needs no indicator";
    EXPECT_FALSE(rows.hasNext);
    rows = ProcessListRows(5, 4);
    EXPECT_EQ(rows.first, rows.end) << "a page beyond the last draws no rows";
    rows = ProcessListRows(0, 0);
    EXPECT_EQ(rows.first, rows.end);
    EXPECT_FALSE(rows.hasIndicator);
}

TEST(ControlRules, ArrowRuleAndClosingPhaseTexts) {
    ControlRecord record;
    record.kind = KindPrimary;
    for (int32_t action : {ActionInstall, ActionStart, ActionLaunch, ActionRetry}) {
        record.action = action;
        EXPECT_TRUE(HasTrailingArrow(record, PageWelcome, DialogNone)) << action;
    }
    record.action = ActionFinish;
    EXPECT_TRUE(HasTrailingArrow(record, PageUninstalled, DialogNone));
    EXPECT_FALSE(HasTrailingArrow(record, PageInstalled, DialogNone));
    record.action = ActionDialogNo;
    EXPECT_FALSE(HasTrailingArrow(record, PageInstalling, DialogNone));
    EXPECT_TRUE(HasTrailingArrow(record, PageInstalling, DialogCancelInstall));
    record.kind = KindSecondary;
    record.action = ActionStart;
    EXPECT_FALSE(HasTrailingArrow(record, PageOptions, DialogNone));
    record.kind = KindDisabled;
    EXPECT_FALSE(HasTrailingArrow(record, PageOptionsPathError, DialogNone)) << "the disabled button has none";

    EXPECT_STREQ(ClosingPhaseKey(1), L"ClosingGraceful");
    EXPECT_STREQ(ClosingPhaseKey(2), L"ClosingForce");
    EXPECT_STREQ(ClosingPhaseKey(3), L"ClosingVerify");
    EXPECT_STREQ(ClosingPhaseKey(0), L"ClosingVerify");
    EXPECT_NEAR(BusyBarOffset(0), 0.0f, 1e-3);
    EXPECT_NEAR(BusyBarOffset(1700), 0.0f, 1e-3);
    EXPECT_NEAR(BusyBarOffset(850), 330.0f, 1e-3) << "the bar reaches x 478";
}

TEST(ProgressRules, PercentRoundsHalfAwayFromZero) {
    EXPECT_EQ(ProgressPercent(1.0f / 3.0f), 33);
    EXPECT_EQ(ProgressPercent(2.0f / 3.0f), 67);
    EXPECT_EQ(ProgressPercent(1.0f / 8.0f), 13);
    EXPECT_EQ(ProgressPercent(0.0f), 0);
    EXPECT_EQ(ProgressPercent(1.0f), 100);
    EXPECT_EQ(ProgressPercentText(0.125f), L"13%");
    EXPECT_EQ(ProgressPercentText(-0.125f), L"-13%");

    const auto install = ProgressStepKeys(false, FlagRemoveData | FlagDataCleanupStage);
    EXPECT_STREQ(install[2], L"CreatingShortcuts");
    EXPECT_STREQ(ProgressStepKeys(true, 0)[2], L"DataPreserved");
    EXPECT_STREQ(ProgressStepKeys(true, FlagRemoveData)[2], L"DataRemoving");
    const auto cleanup = ProgressStepKeys(true, FlagDataCleanupStage);
    EXPECT_STREQ(cleanup[0], L"FilesRemoved");
    EXPECT_STREQ(cleanup[1], L"DataRemoving");
    EXPECT_STREQ(cleanup[2], L"SavedFilesPreserved");
    EXPECT_STREQ(ProgressDetailKey(true, FlagDataCleanupStage), L"DataCleanupDetail");
    EXPECT_STREQ(ProgressDetailKey(true, 0), L"RemovingFiles");
    EXPECT_STREQ(ProgressDetailKey(false, FlagDataCleanupStage), L"WritingFiles");
}

TEST(ProgressRules, DumpModeShowsPositionOverTotalWithoutGlide) {
    Ui() = UiState{};
    LayoutDumpMode() = true;
    Ui().progressPosition = 1;
    Ui().progressMaximum = 3;
    EXPECT_FLOAT_EQ(ProgressBarValue(), 1.0f / 3.0f);
    Ui().progressPosition = 150;
    Ui().progressMaximum = 100;
    EXPECT_FLOAT_EQ(ProgressBarValue(), 1.0f);
    Ui().progressPosition = -5;
    EXPECT_FLOAT_EQ(ProgressBarValue(), 0.0f);
    Ui().progressPosition = 50;
    Ui().progressMaximum = 0;
    EXPECT_FLOAT_EQ(ProgressBarValue(), 0.0f);
    LayoutDumpMode() = false;
    Ui().displayedProgress.Set(0.25f);
    EXPECT_FLOAT_EQ(ProgressBarValue(), 0.25f) << "outside dump mode the eased value is shown";
}
