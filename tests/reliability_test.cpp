// What no setup should be able to break: texts far longer than anything real, and (through lumora_soak.exe, a
// process of its own so that a crash or a hang fails the test instead of ending it) random screens, load/unload
// cycles and eight threads at once. The hand runs with the full figures are in the README.
#include <gtest/gtest.h>

#include <set>

#include "base/scoped_win.h"
#include "test_support.h"
#include "text/language_table.h"

using lumtest::Dll;

namespace {

// Runs lumora_soak.exe with the arguments: it must end in time, with exit code 0 and "result=ok".
void ExpectSoakPasses(const std::wstring& arguments, DWORD deadlineMs) {
    lumtest::TempDir dir;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    lum::UniqueFileHandle output(::CreateFileW((dir / L"output.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(output) << ::GetLastError();
    const std::wstring exe = lumtest::ExeDir() + L"lumora_soak.exe";
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output.get();
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                 &started))
        << ::GetLastError();
    const lum::UniqueHandle process(started.hProcess), thread(started.hThread);
    const bool ended = ::WaitForSingleObject(process.get(), deadlineMs) == WAIT_OBJECT_0;
    if (!ended) ::TerminateProcess(process.get(), 1);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.get(), &exitCode);
    output.reset();
    const std::string text = lumtest::ReadFileBytes(dir / L"output.txt");
    std::printf("%s", text.c_str());
    EXPECT_TRUE(ended) << "still running after " << deadlineMs << " ms";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_NE(text.find("result=ok"), std::string::npos);
}

}  // namespace

// Every settable text at 100,000 units: only the start of each is laid out, yet every scenario renders, the
// overflow report gives the long texts back whole, and LumUI_GetPath returns the whole path.
TEST(Reliability, HugeTextsRenderInEveryScenarioAndStayWhole) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // as a setup does before it renders
    const auto huge = [](const std::wstring& tag) { return tag + L"=" + std::wstring(100000, L'\x6587'); };
    for (size_t i = 0; i < lum::kTextKeyCount; ++i) {
        Dll().SetText(lum::kLanguageTable[i].key, huge(lum::kLanguageTable[i].key).c_str());
    }
    Dll().SetPath(huge(L"C:\\Lumora").c_str());
    Dll().SetProgress(30, 100, huge(L"progress").c_str());
    const size_t wholeBytes = 100000 * 3;  // the repeated character is three bytes in UTF-8
    std::set<std::string> listed;
    lumtest::TempDir dir;
    for (int32_t scenario = 0; scenario <= 19; ++scenario) {
        const std::wstring png = dir / (std::to_wstring(scenario) + L".png");
        ASSERT_EQ(Dll().Render(png.c_str(), scenario, 96), 1) << scenario;
        const std::string report = lumtest::ReadFileBytes(png + L".layout.txt");
        ASSERT_EQ(report.rfind("overflow_count=", 0), 0u);
        EXPECT_NE(report.rfind("overflow_count=0\n", 0), 0u) << "scenario " << scenario << " reports no overflow";
        for (size_t at = report.find('\n') + 1, end; at < report.size(); at = end + 1) {
            end = report.find('\n', at);
            const std::string line = report.substr(at, end - at);
            const size_t equals = line.find('=');
            EXPECT_EQ(line.size(), equals + 1 + wholeBytes) << "scenario " << scenario << ": cut in the report";
            listed.insert(line.substr(0, equals));
        }
    }
    EXPECT_TRUE(listed.count("C:\\Lumora") && listed.count("progress") && listed.count("OptionsTitle"));
    std::wstring path(100020, L'\0');
    ASSERT_EQ(Dll().GetPath(path.data(), static_cast<int32_t>(path.size())), 100010);
    EXPECT_EQ(path.c_str(), huge(L"C:\\Lumora"));
    Dll().LoadLanguage(nullptr, L"en-US");  // the built-in texts again
    Dll().SetPath(L"");
    Dll().SetProgress(0, 100, L"");
}

TEST(Reliability, RandomScreensRenderWithoutCrashOrLeak) { ExpectSoakPasses(L"screens 200 17", 600000); }

TEST(Reliability, LoadUseUnloadCyclesLeakNoHandleTlsSlotOrMemory) { ExpectSoakPasses(L"cycles 150 10", 300000); }

TEST(Reliability, EightThreadsAtOnceNeitherCrashNorDeadlock) { ExpectSoakPasses(L"threads 10", 120000); }
