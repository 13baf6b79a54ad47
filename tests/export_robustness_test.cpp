// Every export, called the way a careless setup script might: null pointers,
// zero, negative and huge sizes, unknown ids. Each must answer with its
// failure result and leave the library usable.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "base/scoped_win.h"
#include "test_support.h"

using lumtest::Dll;

TEST(ExportRobustness, NullPointersAndOddSizes) {
    const auto& api = Dll();
    wchar_t buffer[16];

    api.SetText(nullptr, nullptr);
    api.SetText(L"SetupTitle", nullptr);
    api.SetPath(nullptr);
    api.SetProgress(INT_MIN, INT_MIN, nullptr);
    api.SetProgress(INT_MAX, 1, nullptr);
    api.SetProgress(0, 100, nullptr);
    api.SetPage(INT_MAX);
    api.SetPage(INT_MIN);
    api.SetPage(0);
    api.SetFlags(0xFFFFFFFFu);
    api.SetFlags(1u);
    api.LoadLanguage(nullptr, nullptr);
    api.LoadLanguage(L"", L"");
    api.LoadLanguage(L"Q:\\does\\not\\exist.ini", L"no-such-language");
    api.LoadLanguage(nullptr, L"english");

    for (int32_t size : {0, -1, INT_MIN}) {
        buffer[0] = L'#';
        EXPECT_EQ(api.GetPath(buffer, size), 0);
        EXPECT_EQ(buffer[0], L'#');
        EXPECT_EQ(api.GetLink(0, buffer, size), 0);
        EXPECT_EQ(buffer[0], L'#');
        EXPECT_GT(api.GetProcessReport(buffer, size), 0) << "no buffer asks for the report's length";
        EXPECT_EQ(buffer[0], L'#');
    }
    EXPECT_EQ(api.GetPath(nullptr, INT_MAX), 0);
    EXPECT_EQ(api.GetLink(1, nullptr, INT_MAX), 0);
    EXPECT_GT(api.GetProcessReport(nullptr, INT_MAX), 0);
    for (int32_t kind : {-1, 3, INT_MAX, INT_MIN}) {
        buffer[0] = L'#';
        EXPECT_EQ(api.GetLink(kind, buffer, 16), 0);
        EXPECT_EQ(buffer[0], L'\0');
    }

    EXPECT_EQ(api.ProcessRunning(nullptr), -1);
    EXPECT_EQ(api.ProcessRunning(L""), -1);
    EXPECT_EQ(api.CloseApplication(nullptr), 0);
    EXPECT_EQ(api.CloseApplication(L""), 0);
    EXPECT_EQ(api.ValidatePath(nullptr, 0), 1u);
    EXPECT_EQ(api.ValidatePath(nullptr, INT_MIN), 1u);
    EXPECT_EQ(api.ValidatePath(L"", INT_MAX), 1u);
    EXPECT_NE(api.RunLogged(nullptr, nullptr, nullptr, 0), 0u) << "a null program is a failure, not a launch";
    EXPECT_EQ(api.Render(nullptr, 0, 96), 0);
    EXPECT_EQ(api.Render(nullptr, INT_MIN, INT_MIN), 0);

    EXPECT_EQ(api.Confirm(INT_MIN), 0);
    EXPECT_EQ(api.Confirm(INT_MAX), 0);
    EXPECT_EQ(api.RunModal(), 0);
    EXPECT_EQ(api.Attach(nullptr, INT_MIN), 0);
    EXPECT_EQ(api.Attach(reinterpret_cast<HWND>(static_cast<intptr_t>(-1)), 96), 0);
    EXPECT_EQ(api.DismissMenu(), 0);
    api.BeginClose();
    api.Show();
    api.Destroy();

    // Still answers afterwards.
    EXPECT_EQ(api.Poll(), 0);
    api.SetPath(L"C:\\Program Files\\Lumora");
    EXPECT_EQ(api.GetPath(buffer, 16), 15);
}

TEST(ExportRobustness, ReadLogWithOddSizesNeverLosesALine) {
    const auto& api = Dll();
    lumtest::DrainDllLog();
    api.ConfigureLog(nullptr, nullptr);
    const int32_t length = api.ReadLog(nullptr, 0);
    ASSERT_GT(length, 0);
    wchar_t small[4];
    EXPECT_EQ(api.ReadLog(small, INT_MIN), length);
    EXPECT_EQ(api.ReadLog(small, 1), -1);
    EXPECT_EQ(api.ReadLog(nullptr, INT_MAX), length);
    EXPECT_EQ(lumtest::DrainDllLog().size(), 1u);
}

// Texts far longer than any box: every screen still renders, the overflow
// report names each of them whole, and the path reads back whole.
TEST(ExportRobustness, HugeTextsRenderOnEveryScreen) {
    const auto& api = Dll();
    lum::ComScope com;
    lumtest::TempDir dir;
    const auto huge = [](wchar_t c) { return std::wstring(100000, c); };
    const std::wstring path = L"C:\\" + huge(L'p'), error = huge(L'e'), version = huge(L'v'), detail = huge(L'd'),
                       text = huge(L't');
    api.SetPath(path.c_str());
    api.SetText(L"Error", error.c_str());
    api.SetText(L"Version", version.c_str());
    api.SetProgress(1, 2, detail.c_str());
    for (const wchar_t* title : {L"SetupTitle", L"UninstallTitle"}) api.SetText(title, text.c_str());  // on every page

    std::set<std::wstring> reported;
    for (int32_t scenario = 0; scenario <= 19; ++scenario) {
        const std::wstring png = dir / (std::to_wstring(scenario) + L".png");
        EXPECT_EQ(api.Render(png.c_str(), scenario, 96), 1) << scenario;
        const std::wstring dump = lumtest::Wide(lumtest::ReadFileBytes(png + L".layout.txt"));
        for (size_t at = dump.find(L'\n') + 1, end; at < dump.size(); at = end + 1) {
            end = dump.find(L'\n', at);
            reported.insert(dump.substr(at, end - at));
        }
    }
    for (const std::wstring* whole : {&path, &error, &detail, &text}) {  // no screen shows the version
        EXPECT_EQ(reported.count(*whole), 1u) << lumtest::Utf8(whole->substr(0, 4));
    }
    std::wstring back(path.size() + 1, L'#');
    EXPECT_EQ(api.GetPath(back.data(), static_cast<int32_t>(back.size())), static_cast<int32_t>(path.size()));
    EXPECT_EQ(back.c_str(), path);

    api.LoadLanguage(nullptr, L"english");
    api.SetPath(L"C:\\Program Files\\Lumora");
    api.SetText(L"Error", nullptr);
    api.SetText(L"Version", nullptr);
    api.SetProgress(0, 0, nullptr);
}

// Setup programs often end without FreeLibrary; the process must still end
// promptly after the library has drawn.
TEST(ExportRobustness, ProcessThatDrewExitsWithoutFreeLibrary) {
    lumtest::TempDir dir;
    const std::wstring exe = lumtest::ExeDir() + L"lumfixture_render_exit.exe";
    std::wstring commandLine = L"\"" + exe + L"\" \"" + (dir / L"frame.png") + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process))
        << ::GetLastError();
    ::CloseHandle(process.hThread);
    const DWORD waited = ::WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    if (waited != WAIT_OBJECT_0) ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the process hung at exit";
    EXPECT_EQ(code, 0u) << "the render inside the fixture failed";
    EXPECT_FALSE(lumtest::ReadFileBytes(dir / L"frame.png").empty());
}
