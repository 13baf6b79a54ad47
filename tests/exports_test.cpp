// The exports as a setup program drives them, carefully and carelessly: strings handed back, the log protocol
// and its start line; and, in the linked copy, what no export shows (page, menus, event queue, actions).
#include <gtest/gtest.h>

#include <climits>
#include <regex>

#include "host/actions.h"
#include "host/ui_state.h"
#include "log/native_log.h"
#include "test_support.h"

using lumtest::Dll;

namespace {

int g_callbackCalls = 0;
int32_t __stdcall CountingCallback() { return ++g_callbackCalls, 0x5A5A1234; }

}  // namespace

TEST(NativeLog, ReadProtocolAndStartLineThroughTheDll) {
    EXPECT_EQ(lum::LogPrefix(SYSTEMTIME{2026, 1, 0, 2, 9, 5, 7, 42}), L"[native 09:05:07.042] ");
    EXPECT_EQ(lum::LogPrefix(SYSTEMTIME{2026, 1, 0, 2, 23, 59, 59, 999}), L"[native 23:59:59.999] ");
    const auto& api = Dll();
    wchar_t buffer[512];
    EXPECT_EQ(api.ReadLog(buffer, 512), 0) << "empty queue";
    EXPECT_EQ(api.ConfigureLog(L"C:\\logs\\setup.log", &CountingCallback), 0x5A5A1234);
    EXPECT_EQ(g_callbackCalls, 1);
    const int32_t length = api.ReadLog(nullptr, 0);
    ASSERT_GT(length, 0);
    for (int32_t size : {0, -5, INT32_MIN}) EXPECT_EQ(api.ReadLog(buffer, size), length) << "no room: the length";
    buffer[0] = L'#';
    EXPECT_EQ(api.ReadLog(buffer, length), -1) << "room for the line but not its terminator";
    EXPECT_EQ(buffer[0], L'#');
    EXPECT_EQ(api.ReadLog(nullptr, INT32_MAX), length) << "and the line stays";
    EXPECT_EQ(api.ReadLog(buffer, length + 1), length);
    std::wcmatch match;
    ASSERT_TRUE(std::regex_match(buffer, match, std::wregex(LR"(\[native \d\d:\d\d:\d\d\.\d\d\d\] Native UI )"
                                                            LR"(initialized; PID=(\d+) session=\d+ log=C:\\logs\\setup\.log)")))
        << lumtest::Utf8(buffer);
    EXPECT_EQ(std::stoul(match[1].str()), ::GetCurrentProcessId());
    EXPECT_EQ(api.ReadLog(buffer, 512), 0) << "the queue is empty again";
    EXPECT_EQ(api.ConfigureLog(nullptr, nullptr), 0);
    const auto lines = lumtest::TakeDllLog();
    EXPECT_TRUE(lines.size() == 1 && lines[0].ends_with(L" log=")) << "no path: the line ends in log=";
}

// Every string handed back follows one rule: as much as fits with its terminator and nothing past it;
// a buffer that cannot take a character is left alone (the report then answers its length).
TEST(UiExports, StringsHandedBackAreCutAndTerminatedWithinTheBuffer) {
    wchar_t path[64] = {};
    EXPECT_EQ(Dll().GetPath(path, 64), 23);
    EXPECT_STREQ(path, L"C:\\Program Files\\Lumora") << "the start value";
    const std::wstring longPath = L"D:\\" + std::wstring(40000, L'a');
    Dll().SetPath(longPath.c_str());
    const std::pair<const char*, std::function<int32_t(wchar_t*, int32_t)>> getters[] = {
        {"GetPath", Dll().GetPath}, {"GetLink", [](wchar_t* b, int32_t n) { return Dll().GetLink(2, b, n); }},
        {"GetProcessReport", Dll().GetProcessReport}};
    std::wstring big(50000, L'#');
    EXPECT_EQ(Dll().GetPath(big.data(), 50000), 40003);
    EXPECT_EQ(big.c_str(), longPath);
    Dll().SetPath(L"C:\\Program Files\\Lumora");
    for (const auto& [name, get] : getters) {
        const bool report = std::string(name) == "GetProcessReport";
        std::wstring full(200, L'#');
        const int32_t length = get(full.data(), 200);
        full.resize(static_cast<size_t>(std::max(length, 0)));
        ASSERT_GT(length, 10) << name;
        for (int32_t size : {INT_MIN, -1, 0}) {
            std::wstring buffer(8, L'#');
            EXPECT_EQ(get(buffer.data(), size), report ? length : 0) << name << " " << size;
            EXPECT_EQ(buffer, std::wstring(8, L'#')) << name << " " << size;
        }
        EXPECT_EQ(get(nullptr, 100), report ? length : 0) << name;
        for (int32_t size : {1, 2, 10, length, length + 1, length + 5}) {
            std::wstring buffer(static_cast<size_t>(length) + 8, L'#');
            const int32_t copied = std::min(length, size - 1);
            EXPECT_EQ(get(buffer.data(), size), copied) << name << " " << size;
            EXPECT_EQ(buffer.substr(0, copied + 2u), full.substr(0, copied) + L'\0' + L'#') << name << " " << size;
        }
    }
}

TEST(UiExports, CarelessCallsAnswerWithTheirFailureResultsAndLeaveTheLibraryUsable) {
    const auto& api = Dll();
    EXPECT_EQ(api.GetFlags(), 1u) << "the start value";
    api.SetFlags(0xF000000Au), api.SetText(nullptr, nullptr);
    api.SetPath(nullptr), api.SetProgress(INT_MIN, INT_MIN, nullptr);
    for (int32_t kind : {-1, 3, INT_MAX, INT_MIN}) {
        wchar_t buffer[4] = {L'#'};
        EXPECT_EQ(api.GetLink(kind, buffer, 4) + buffer[0], 0) << "the empty string for kind " << kind;
    }
    EXPECT_EQ(api.ProcessRunning(L""), -1);
    EXPECT_EQ(api.ValidatePath(nullptr, INT_MIN), 1u);
    EXPECT_EQ(api.RunLogged(nullptr, nullptr, nullptr, 0), uint32_t{ERROR_INVALID_PARAMETER}) << "no program, no launch";
    EXPECT_EQ(api.Render(nullptr, INT_MIN, INT_MIN), 0);
    // Nothing is attached: nothing to wait for, no window to attach to.
    EXPECT_EQ(api.RunModal() + api.Confirm(1) + api.DismissMenu(), 0);
    EXPECT_EQ(api.Attach(reinterpret_cast<HWND>(static_cast<intptr_t>(-1)), 96), 0);
    api.BeginClose(), api.Show(), api.Destroy(), api.Destroy();
    wchar_t path[8] = {L'#'};
    EXPECT_EQ(api.Poll() + api.GetPath(path, 8) + path[0], 0) << "still answers; a null path is empty";
    EXPECT_EQ(api.GetFlags(), 0xF000000Au) << "unknown bits are kept, and the content survives LumUI_Destroy";
    api.SetFlags(1u), api.SetPath(L"C:\\Program Files\\Lumora");
}

// Setup programs often end without FreeLibrary; the process must still end promptly after the library drew.
TEST(UiExports, AProcessThatDrewExitsWithoutFreeLibrary) {
    lumtest::TempDir dir;
    lumtest::Child child(lumtest::ExeDir() + L"lumfixture_app.exe",
                         {L"render", lumtest::ExeDir() + L"LumoraUI.dll", dir / L"frame.png"});
    ASSERT_TRUE(child.WaitExit(120000)) << "the process hung at exit";
    EXPECT_EQ(child.ExitCode(), 0u) << "the render inside the fixture failed";
    EXPECT_EQ(lumtest::LoadPng(dir / L"frame.png").width, 720u);
}

// The linked copy, put back to its start values for each test.
class UiStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        LumUI_Destroy();
        ui_ = lum::UiState{};
    }
    static void Dispatch(std::initializer_list<int32_t> actions) {
        for (int32_t action : actions) lum::DispatchAction(action);
    }
    static void ExpectPolls(std::initializer_list<int32_t> codes) {
        for (int32_t code : codes) EXPECT_EQ(LumUI_Poll(), code);
    }
    lum::UiState& ui_ = lum::Ui();
};

TEST_F(UiStateTest, ActionsAreLoggedAndQueuedOnlyWhereTheyMay) {
    for (std::wstring line(512, L'\0'); LumUI_ReadLog(line.data(), 512) > 0;) {}
    ui_.page = lum::PageInstalling;
    Dispatch({lum::ActionInstall, lum::ActionBrowse, lum::ActionCancel});
    wchar_t line[512] = {};
    ASSERT_GT(LumUI_ReadLog(line, 512), 0);
    EXPECT_STREQ(line + 22, L"UI action=1 page=2 dialog=0");
    ExpectPolls({1, 8, 5, 0, 0});
    ui_.page = lum::PageUninstalling;  // nothing can be pressed there
    Dispatch({lum::ActionCancel});
    ui_.page = lum::PageInstalled;  // the title-bar close finishes on the completion pages, cancels elsewhere
    Dispatch({lum::ActionClose});
    ui_.page = lum::PageOptions;
    Dispatch({lum::ActionClose});
    ui_.dialog = lum::DialogCancelInstall;  // dialogs answer, they queue nothing
    Dispatch({lum::ActionDialogYes, lum::ActionInstall});
    EXPECT_EQ(ui_.confirmAnswer, 1);
    ui_.dialog = lum::DialogNone;
    ui_.closing = true;  // logged, otherwise ignored
    Dispatch({lum::ActionInstall});
    ui_.closing = false;
    Dispatch({0, lum::ActionToggleDesktop});
    EXPECT_EQ(ui_.flags, 0u) << "toggled in place";
    ExpectPolls({lum::ActionFinish, lum::ActionCancel, 0});
    // With the language menu open a click only closes it, except on the title bar and the menu's items.
    Dispatch({lum::ActionLanguageMenu, lum::ActionCustomize, lum::ActionLanguageMenu, lum::ActionLanguageFirst + 6,
              lum::ActionLanguageMenu, lum::ActionClose, lum::ActionLanguageMenu});
    ExpectPolls({406, lum::ActionCancel, 0});
    EXPECT_EQ(LumUI_DismissMenu(), 1);
    EXPECT_EQ(LumUI_DismissMenu(), 0);
    EXPECT_FALSE(ui_.languageMenuOpen);
}

TEST_F(UiStateTest, SettersClampRouteAndSnapTheirValuesWithoutAWindow) {
    for (const auto& [page, shown] : {std::pair{-3, 0}, {42, 10}, {INT32_MIN, 0}, {10, 10}, {INT32_MAX, 10}}) {
        LumUI_SetPage(page);
        EXPECT_EQ(ui_.page, shown) << page;
    }
    ui_.dialog = lum::DialogAppRunning;
    ui_.languageMenuOpen = ui_.titleMenuOpen = true;
    LumUI_SetPage(10);
    EXPECT_EQ(ui_.dialog, lum::DialogNone) << "the same page while a dialog is shown removes it";
    EXPECT_FALSE(ui_.languageMenuOpen || ui_.titleMenuOpen);

    LumUI_SetText(L"Error", L"Disk full");
    LumUI_SetText(L"Version", L"3.0.1.7");
    LumUI_SetText(L"error", L"lower case is an ordinary key");
    LumUI_SetText(L"Empty", nullptr);
    EXPECT_EQ(ui_.errorText + L"|" + ui_.versionText, L"Disk full|3.0.1.7");
    EXPECT_EQ(ui_.texts, (lum::TextMap{{L"error", L"lower case is an ordinary key"}, {L"Empty", L""}}));
    const std::tuple<int32_t, int32_t, float> cases[] = {
        {50, 0, 0.0f}, {150, 100, 1.0f}, {-5, 100, 0.0f}, {1, 3, 1.0f / 3}, {INT32_MAX, INT32_MIN, 0.0f}};
    for (const auto& [position, maximum, shown] : cases) {
        LumUI_SetProgress(position, maximum, L"Copying");
        EXPECT_FLOAT_EQ(ui_.displayedProgress.ValueAt(lum::NowMs()), shown) << position << " of " << maximum;
        EXPECT_EQ(ui_.displayedProgress.duration, 0.0);
    }
    ui_.dialog = lum::DialogCloseFailed;
    ui_.processListPage = 2;
    ui_.modal = ui_.keyboardCues = true;
    ui_.events.Push(4);
    LumUI_Destroy();
    EXPECT_EQ(LumUI_Poll() + ui_.dialog + ui_.processListPage + ui_.modal + ui_.keyboardCues, 0) << "the session ends";
    EXPECT_EQ(ui_.displayedProgress.ValueAt(lum::NowMs()), 0.0f);
    EXPECT_EQ(ui_.progressText + ui_.errorText, L"CopyingDisk full") << "the content stays";
}
