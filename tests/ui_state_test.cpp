// UI state as a setup program drives it: through the DLL's exports, and
// through the linked internals where no export shows the state.
#include <gtest/gtest.h>

#include <string>

#include "host/actions.h"
#include "host/ui_state.h"
#include "log/native_log.h"
#include "test_support.h"

using lumtest::Dll;

namespace {

// The linked copy of the state, put back to its start values between tests.
class UiStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        LumUI_Destroy();
        lum::Ui() = lum::UiState{};
    }
};

std::wstring GetPathWith(int32_t size, int32_t* copied) {
    std::wstring buffer(64, L'#');
    *copied = Dll().GetPath(buffer.data(), size);
    return buffer;
}

}  // namespace

TEST(UiExports, StartValuesSeenThroughTheDll) {
    const auto& api = Dll();
    EXPECT_EQ(api.GetFlags(), 1u);
    EXPECT_EQ(api.Poll(), 0);
    wchar_t path[64] = {};
    EXPECT_EQ(api.GetPath(path, 64), 23);
    EXPECT_STREQ(path, L"C:\\Program Files\\Lumora");
}

TEST(UiExports, FlagsKeepUnknownBits) {
    const auto& api = Dll();
    api.SetFlags(0xF0000009u);
    EXPECT_EQ(api.GetFlags(), 0xF0000009u);
    api.SetFlags(0xF0000009u);
    EXPECT_EQ(api.GetFlags(), 0xF0000009u);
    api.SetFlags(1u);
    EXPECT_EQ(api.GetFlags(), 1u);
}

TEST(UiExports, GetPathTruncatesAndAlwaysTerminates) {
    const auto& api = Dll();
    api.SetPath(L"C:\\Program Files\\Lumora");
    int32_t copied = -1;
    std::wstring out = GetPathWith(4, &copied);
    EXPECT_EQ(copied, 3);
    EXPECT_EQ(out.substr(0, 4), std::wstring(L"C:\\\0", 4));
    EXPECT_EQ(out[4], L'#') << "nothing is written past the terminator";

    out = GetPathWith(1, &copied);
    EXPECT_EQ(copied, 0);
    EXPECT_EQ(out[0], L'\0');

    for (int32_t bad : {0, -1, INT32_MIN}) {
        out = GetPathWith(bad, &copied);
        EXPECT_EQ(copied, 0);
        EXPECT_EQ(out[0], L'#') << "size " << bad << " writes nothing";
    }
    EXPECT_EQ(api.GetPath(nullptr, 100), 0);

    api.SetPath(nullptr);
    wchar_t empty[8] = {L'x', L'x'};
    EXPECT_EQ(api.GetPath(empty, 8), 0);
    EXPECT_EQ(empty[0], L'\0');

    const std::wstring longPath = L"D:\\" + std::wstring(40000, L'a');
    api.SetPath(longPath.c_str());
    std::wstring big(50000, L'#');
    EXPECT_EQ(api.GetPath(big.data(), 50000), 40003);
    EXPECT_EQ(big.c_str(), longPath);
    api.SetPath(L"C:\\Program Files\\Lumora");
}

TEST(UiExports, WindowlessCallsAnswerWithTheirFailureResults) {
    const auto& api = Dll();
    EXPECT_EQ(api.RunModal(), 0);
    EXPECT_EQ(api.Confirm(1), 0);
    EXPECT_EQ(api.Confirm(-7), 0);
    EXPECT_EQ(api.DismissMenu(), 0);
    EXPECT_EQ(api.Attach(nullptr, 96), 0);
    EXPECT_EQ(api.Attach(reinterpret_cast<HWND>(static_cast<intptr_t>(0x12345)), 96), 0);
    api.Show();
    api.BeginClose();
    api.Destroy();
    api.Destroy();
    EXPECT_EQ(api.GetFlags(), 1u) << "content state survives LumUI_Destroy";
}

TEST_F(UiStateTest, SetPageClampsAndClosesDialogsAndMenus) {
    LumUI_SetPage(-3);
    EXPECT_EQ(lum::Ui().page, 0);
    LumUI_SetPage(42);
    EXPECT_EQ(lum::Ui().page, 10);
    LumUI_SetPage(INT32_MIN);
    EXPECT_EQ(lum::Ui().page, 0);

    lum::Ui().page = 4;
    lum::Ui().dialog = lum::DialogAppRunning;
    lum::Ui().languageMenuOpen = true;
    LumUI_SetPage(4);
    EXPECT_EQ(lum::Ui().page, 4);
    EXPECT_EQ(lum::Ui().dialog, lum::DialogNone) << "the same page while a dialog is shown removes it";
    EXPECT_FALSE(lum::Ui().languageMenuOpen);

    lum::Ui().titleMenuOpen = true;
    LumUI_SetPage(7);
    EXPECT_EQ(lum::Ui().page, 7);
    EXPECT_FALSE(lum::Ui().titleMenuOpen);
}

TEST_F(UiStateTest, QueueIsFirstInFirstOutAndEmptyGivesZero) {
    EXPECT_EQ(LumUI_Poll(), 0);
    lum::DispatchAction(lum::ActionInstall);
    lum::DispatchAction(lum::ActionBrowse);
    lum::DispatchAction(lum::ActionStart);
    EXPECT_EQ(LumUI_Poll(), 1);
    EXPECT_EQ(LumUI_Poll(), 8);
    EXPECT_EQ(LumUI_Poll(), 3);
    EXPECT_EQ(LumUI_Poll(), 0);
    EXPECT_EQ(LumUI_Poll(), 0);
}

TEST_F(UiStateTest, ActionsAreLoggedAndOnlyQueuedWhereTheyMayBe) {
    while (LumUI_ReadLog(nullptr, 0) > 0) {
        wchar_t line[512];
        LumUI_ReadLog(line, 512);
    }
    lum::Ui().page = 2;
    lum::DispatchAction(lum::ActionCancel);
    wchar_t line[512] = {};
    ASSERT_GT(LumUI_ReadLog(line, 512), 0);
    EXPECT_STREQ(line + 22, L"UI action=5 page=2 dialog=0");
    EXPECT_EQ(LumUI_Poll(), 5);

    lum::Ui().page = lum::PageUninstalling;  // nothing can be pressed there
    lum::DispatchAction(lum::ActionCancel);
    EXPECT_EQ(LumUI_Poll(), 0);

    lum::Ui().page = lum::PageInstalled;  // the title-bar close finishes on the completion pages
    lum::DispatchAction(lum::ActionClose);
    EXPECT_EQ(LumUI_Poll(), lum::ActionFinish);
    lum::Ui().page = lum::PageOptions;
    lum::DispatchAction(lum::ActionClose);
    EXPECT_EQ(LumUI_Poll(), lum::ActionCancel);

    lum::Ui().dialog = lum::DialogCancelInstall;  // dialogs answer, they queue nothing
    lum::DispatchAction(lum::ActionDialogYes);
    lum::DispatchAction(lum::ActionInstall);
    EXPECT_EQ(lum::Ui().confirmAnswer, 1);
    EXPECT_EQ(LumUI_Poll(), 0);
    lum::Ui().dialog = lum::DialogNone;

    lum::Ui().closing = true;  // logged, otherwise ignored
    lum::DispatchAction(lum::ActionInstall);
    EXPECT_EQ(LumUI_Poll(), 0);
    lum::Ui().closing = false;

    lum::DispatchAction(0);
    EXPECT_EQ(LumUI_Poll(), 0);

    const uint32_t before = LumUI_GetFlags();
    lum::DispatchAction(lum::ActionToggleDesktop);
    EXPECT_EQ(LumUI_GetFlags(), before ^ lum::FlagDesktopShortcut);
    EXPECT_EQ(LumUI_Poll(), 0);
}

TEST_F(UiStateTest, LanguageMenuClicksOnlyCloseItExceptTitleBarAndItems) {
    lum::Ui().page = lum::PageWelcome;
    lum::DispatchAction(lum::ActionLanguageMenu);
    EXPECT_TRUE(lum::Ui().languageMenuOpen);
    lum::DispatchAction(lum::ActionCustomize);
    EXPECT_FALSE(lum::Ui().languageMenuOpen);
    EXPECT_EQ(LumUI_Poll(), 0) << "a click with the menu open only closes it";

    lum::DispatchAction(lum::ActionLanguageMenu);
    lum::DispatchAction(lum::ActionLanguageFirst + 6);
    EXPECT_EQ(LumUI_Poll(), 406);

    lum::DispatchAction(lum::ActionLanguageMenu);
    lum::DispatchAction(lum::ActionClose);
    EXPECT_FALSE(lum::Ui().languageMenuOpen);
    EXPECT_EQ(LumUI_Poll(), lum::ActionCancel);

    lum::DispatchAction(lum::ActionLanguageMenu);
    EXPECT_EQ(LumUI_DismissMenu(), 1);
    EXPECT_FALSE(lum::Ui().languageMenuOpen);
    EXPECT_EQ(LumUI_DismissMenu(), 0);
    lum::Ui().titleMenuOpen = true;
    EXPECT_EQ(LumUI_DismissMenu(), 1);
    EXPECT_FALSE(lum::Ui().titleMenuOpen);
}

TEST_F(UiStateTest, SetTextRoutesErrorVersionAndOverrides) {
    LumUI_SetText(L"Error", L"Disk full");
    LumUI_SetText(L"Version", L"3.0.1.7");
    LumUI_SetText(L"SetupTitle", L"Custom title");
    EXPECT_EQ(lum::Ui().errorText, L"Disk full");
    EXPECT_EQ(lum::Ui().versionText, L"3.0.1.7");
    EXPECT_EQ(lum::Ui().texts.at(L"SetupTitle"), L"Custom title");
    EXPECT_EQ(lum::Ui().texts.count(L"Error"), 0u);

    LumUI_SetText(L"Error", nullptr);
    EXPECT_TRUE(lum::Ui().errorText.empty());
    LumUI_SetText(L"error", L"lower case is an ordinary key");
    EXPECT_TRUE(lum::Ui().errorText.empty());
    EXPECT_EQ(lum::Ui().texts.at(L"error"), L"lower case is an ordinary key");

    const size_t count = lum::Ui().texts.size();
    LumUI_SetText(nullptr, L"ignored");
    EXPECT_EQ(lum::Ui().texts.size(), count);
    LumUI_SetText(L"Empty", nullptr);
    EXPECT_EQ(lum::Ui().texts.at(L"Empty"), L"");
}

TEST_F(UiStateTest, SetProgressStoresAndSnapsWithoutAVisibleWindow) {
    LumUI_SetProgress(50, 0, nullptr);
    EXPECT_EQ(lum::Ui().progressPosition, 50);
    EXPECT_EQ(lum::Ui().progressMaximum, 0);
    EXPECT_EQ(lum::Ui().displayedProgress.ValueAt(lum::NowMs()), 0.0f) << "maximum 0 shows an empty bar";

    LumUI_SetProgress(150, 100, L"Copying");
    EXPECT_EQ(lum::Ui().displayedProgress.ValueAt(lum::NowMs()), 1.0f) << "above the maximum shows a full bar";
    EXPECT_EQ(lum::Ui().progressText, L"Copying");

    LumUI_SetProgress(-5, 100, L"Copying");
    EXPECT_EQ(lum::Ui().displayedProgress.ValueAt(lum::NowMs()), 0.0f);
    LumUI_SetProgress(1, 3, L"");
    EXPECT_FLOAT_EQ(lum::Ui().displayedProgress.ValueAt(lum::NowMs()), 1.0f / 3.0f);
    EXPECT_EQ(lum::Ui().displayedProgress.duration, 0.0) << "no glide without a visible window";
    LumUI_SetProgress(INT32_MAX, INT32_MIN, nullptr);
    EXPECT_EQ(lum::Ui().displayedProgress.ValueAt(lum::NowMs()), 0.0f);
}

TEST_F(UiStateTest, DestroyResetsSessionStateAndKeepsContent) {
    lum::Ui().page = 9;
    lum::Ui().flags = 0x2;
    lum::Ui().installPath = L"E:\\Apps";
    lum::Ui().language = L"german";
    lum::Ui().dialog = lum::DialogCloseFailed;
    lum::Ui().processListPage = 2;
    lum::Ui().modal = true;
    lum::Ui().keyboardCues = true;
    lum::Ui().titleMenuOpen = true;
    lum::Ui().events.Push(4);
    lum::Ui().displayedProgress.Set(0.5f);
    LumUI_Destroy();
    const lum::UiState& ui = lum::Ui();
    EXPECT_EQ(LumUI_Poll(), 0);
    EXPECT_EQ(ui.dialog, 0);
    EXPECT_EQ(ui.processListPage, 0);
    EXPECT_FALSE(ui.modal);
    EXPECT_EQ(ui.confirmAnswer, -1);
    EXPECT_FALSE(ui.keyboardCues);
    EXPECT_FALSE(ui.titleMenuOpen);
    EXPECT_TRUE(ui.fadeInPending);
    EXPECT_EQ(ui.displayedProgress.ValueAt(lum::NowMs()), 0.0f);
    EXPECT_EQ(ui.page, 9);
    EXPECT_EQ(ui.flags, 0x2u);
    EXPECT_EQ(ui.installPath, L"E:\\Apps");
    EXPECT_EQ(ui.language, L"german");
}

TEST(ValueAnimation, EasesOutCubicallyAndReaims) {
    lum::ValueAnimation a;
    a.Aim(1.0f, 100.0, 1000.0);
    EXPECT_FLOAT_EQ(a.ValueAt(1000.0), 0.0f);
    EXPECT_FLOAT_EQ(a.ValueAt(1050.0), 0.875f);  // 1 - 0.5^3
    EXPECT_FLOAT_EQ(a.ValueAt(2000.0), 1.0f);
    EXPECT_FALSE(a.TimeUp(1099.0));
    EXPECT_TRUE(a.TimeUp(1100.0));
    a.Aim(1.0f, 500.0, 1050.0);  // same target: nothing changes
    EXPECT_EQ(a.duration, 100.0);
    a.Aim(0.0f, 100.0, 1050.0);  // re-aimed from the current eased value
    EXPECT_FLOAT_EQ(a.from, 0.875f);
    EXPECT_FLOAT_EQ(a.ValueAt(1150.0), 0.0f);
    a.Snap();
    EXPECT_EQ(a.duration, 0.0);
}
