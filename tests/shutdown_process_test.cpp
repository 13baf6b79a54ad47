// Closing the application as a setup program sees it: the close exports of LumoraUI.dll against real
// fixture processes (tests/fixtures/lumfixture_app.cpp) started from a temporary install folder.
#include <gtest/gtest.h>

#include "shutdown/canonical_path.h"
#include "test_support.h"

using namespace lumtest;

namespace {

std::wstring Describe(DWORD pid, DWORD parent, const std::wstring& exe) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    FILETIME created{}, unused[3];
    EXPECT_TRUE(::GetProcessTimes(process, &created, &unused[0], &unused[1], &unused[2])) << pid;
    ::CloseHandle(process);
    return L"PID=" + std::to_wstring(pid) + L" parent=" + std::to_wstring(parent) + L" created=" +
           std::to_wstring((uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime) + L" path=\"" +
           lum::CanonicalPath(exe) + L"\"";
}

std::wstring Copy(const std::wstring& to) {
    EXPECT_TRUE(::CopyFileW((lumtest::ExeDir() + L"lumfixture_app.exe").c_str(), to.c_str(), FALSE));
    return to;
}

std::wstring Report() {
    std::wstring text(static_cast<size_t>(Dll().GetProcessReport(nullptr, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(Dll().GetProcessReport(text.data(), static_cast<int32_t>(text.size()))));
    return text;
}

class ShutdownProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dll().Destroy();  // no group, an empty report
        for (const auto& [key, text] : {std::pair{L"RunningStatus", L"Running"}, {L"ProcessNone", L"None."},
                                        {L"ProcessScanFailed", L"Scan failed."}, {L"ProcessErrorCode", L"Error"}}) {
            Dll().SetText(key, text);
        }
        lumtest::TakeDllLog();
    }
    void TearDown() override { Dll().ConfigureLog(nullptr, nullptr), Dll().Destroy(), lumtest::TakeDllLog(); }
};

}  // namespace

TEST_F(ShutdownProcessTest, MembersDescendantsAndRefusersAreClosedInOneRun) {
    TempDir install, outside, other;
    const std::wstring target = Copy(install / L"Lumora.exe"), agent = Copy(install / L"Agent.exe"),
                       helper = Copy(outside / L"helper.exe");
    NamedEvent ready[4];
    // The application, which starts a helper outside the install folder, which starts a windowless
    // worker; and an agent that ignores WM_CLOSE.
    Child main(target, {L"window", L"--ready", ready[0].name, L"--spawn", helper, L"window", L"--ready", ready[1].name,
                        L"--spawn", helper, L"nowindow", L"--ready", ready[2].name});
    Child agentProcess(agent, {L"ignore", L"--ready", ready[3].name});
    for (const NamedEvent& event : ready) ASSERT_TRUE(event.Wait());
    const auto child = lumtest::ChildrenOf(main.pid, L"helper.exe");
    ASSERT_EQ(child.size(), 1u);
    const auto grandchild = lumtest::ChildrenOf(child[0], L"helper.exe");
    ASSERT_EQ(grandchild.size(), 1u);
    const DWORD self = ::GetCurrentProcessId();
    const std::wstring mainId = Describe(main.pid, self, target), childId = Describe(child[0], main.pid, helper),
                       grandchildId = Describe(grandchild[0], child[0], helper),
                       agentId = Describe(agentProcess.pid, self, agent);
    EXPECT_EQ(Dll().ProcessRunning(target.c_str()), 4) << "the two outside the folder through their parents";
    Lines lines = lumtest::TakeDllLog();
    for (const auto* id : {&mainId, &agentId, &childId, &grandchildId}) {
        const bool inside = id == &mainId || id == &agentId;
        const std::wstring reason = inside ? L" reason=inside-install-directory" : L" reason=verified-descendant";
        EXPECT_EQ(Count(lines, L"Tracking " + *id + reason), 1u) << lumtest::Utf8(*id);
    }
    std::wstring shouted = target;
    for (wchar_t& c : shouted) c = static_cast<wchar_t>(::towupper(c));
    EXPECT_EQ(Dll().ProcessRunning(shouted.c_str()), 4);
    EXPECT_EQ(lumtest::TakeDllLog(), Lines{}) << "the same group in other letters; nothing changed, nothing logged";
    const std::wstring entry = L"Lumora.exe (PID " + std::to_wstring(main.pid) + L") \u2014 Running\r\n";
    EXPECT_NE(Report().find(entry + lum::CanonicalPath(target)), std::wstring::npos) << lumtest::Utf8(Report());
    EXPECT_EQ(Dll().ProcessRunning((other / L"Lumora.exe").c_str()), 0);
    EXPECT_EQ(Count(lumtest::TakeDllLog(), L"Process group "), 2u) << "another target replaces the group";
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(Dll().CloseApplication(target.c_str()), 1);
    EXPECT_GE(::GetTickCount64() - start, 4000u);
    lines = lumtest::TakeDllLog();
    EXPECT_EQ(IndexOf(lines, L"Graceful request PID="), IndexOf(lines, L"Graceful request " + mainId)) << "asked first";
    for (const auto* id : {&mainId, &childId, &grandchildId, &agentId}) {
        EXPECT_EQ(Count(lines, L"Graceful request " + *id), 1u) << lumtest::Utf8(*id);
    }
    // The cooperative ones leave in the graceful phase; the others are terminated once the force phase begins.
    const ptrdiff_t force = IndexOf(lines, L"Shutdown phase=force elapsedMs=");
    ASSERT_GE(force, 0);
    EXPECT_GE(std::stoul(lines[force].substr(31)), 4000u);
    for (const auto* id : {&mainId, &childId}) {
        const ptrdiff_t exited =
            IndexOf(lines, L"Confirmed exited " + *id + L" exitCode=0 gracefulRequested=1 forceAttempted=0");
        EXPECT_TRUE(exited >= 0 && exited < force) << lumtest::Utf8(*id);
    }
    for (const auto* id : {&agentId, &grandchildId}) {
        EXPECT_GT(IndexOf(lines, L"Confirmed exited " + *id + L" exitCode=1067 gracefulRequested=1 forceAttempted=1"),
                  force) << lumtest::Utf8(*id);
    }
    EXPECT_EQ(agentProcess.ExitCode(), 1067u);
    EXPECT_EQ(Count(lines, L"Shutdown phase="), 3u);
    EXPECT_GT(IndexOf(lines, L"Shutdown phase=verify-quiet elapsedMs="), force);
    EXPECT_EQ(Report(), L"None.");
}

namespace {
// A host callback that calls back into the library while a close runs (not while LumUI_ConfigureLog calls it).
std::wstring g_nestedTarget;
std::vector<int32_t> g_nestedResults;
bool g_armed = false;
int32_t __stdcall CallBackIntoTheLibrary() {
    if (!g_armed) return 0;
    g_nestedResults.push_back(Dll().ProcessRunning(g_nestedTarget.c_str()));
    g_nestedResults.push_back(Dll().CloseApplication(g_nestedTarget.c_str()));
    Dll().Destroy();  // releases the group under the running shutdown
    return 0;
}
}  // namespace

// Nothing runs; the host's callback calls back into the library after the scan, at the phase and with the result.
TEST_F(ShutdownProcessTest, WithNothingRunningAndCallbacksIntoTheLibraryACloseSucceedsAfterTheQuietInterval) {
    TempDir install, other;
    g_nestedTarget = other / L"Other.exe";
    Dll().ConfigureLog(nullptr, &CallBackIntoTheLibrary);
    lumtest::TakeDllLog();
    g_armed = true;
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(Dll().CloseApplication(Copy(install / L"Lumora.exe").c_str()), 1);
    EXPECT_GE(::GetTickCount64() - start, 500u);
    g_armed = false;
    EXPECT_EQ(g_nestedResults, (std::vector<int32_t>{-1, 0, -1, 0, -1, 0})) << "refused while the close runs";
    const Lines lines = lumtest::TakeDllLog();
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[2], L"Excluded setup/ancestor PID=" + std::to_wstring(::GetCurrentProcessId()) +
                            L" name=shutdown_process_test.exe");
    const size_t headless = lines.size() - 6;  // after the machine's other ancestors and the summary
    EXPECT_EQ(lines[headless - 1].rfind(L"Snapshot result: running=0 trackedIdentities=0; snapshotEntries=", 0), 0u);
    EXPECT_EQ(Lines(lines.begin() + headless, lines.end() - 2),
              (Lines{L"Closing application without UI (silent/headless caller).", L"Resetting shutdown attempt flags",
                     L"Shutdown started: gentleMs=4000 forceMs=4000 quietMs=500",
                     L"Initial shutdown snapshot complete; confirmedRunning=0; main/descendant PIDs, creation times and "
                     L"handles captured before exit requests"}));
    EXPECT_EQ(lines.end()[-2].rfind(L"Shutdown phase=verify-quiet elapsedMs=", 0), 0u);
    EXPECT_GE(std::stoul(lines.back().substr(lines.back().rfind(L"Shutdown succeeded; elapsedMs=", 0) + 30)), 500u);
    EXPECT_EQ(Report(), L"None.") << "the group was released in the middle: nothing is reported";
    EXPECT_EQ(Dll().ProcessRunning(g_nestedTarget.c_str()), 0) << "and calls work again";
    EXPECT_EQ(Dll().ProcessRunning(L"C:\\Lumora.exe"), -1) << "a target in a drive root cannot be scanned";
    EXPECT_EQ(lumtest::TakeDllLog().back(), L"Invalid process target root");
    EXPECT_EQ(Report(), L"Scan failed. Error 87");
}

// A folder as the target would make the folder above it the root, and a target in a shared folder would make
// that folder the root: both are refused at once, and the programs beside the install folder or in the
// shared folder live on.
TEST_F(ShutdownProcessTest, FolderTargetsAndTargetsInSharedFoldersAreRefused) {
    TempDir parent;
    const std::wstring install = parent / L"Lumora";
    ASSERT_TRUE(::CreateDirectoryW(install.c_str(), nullptr) && ::CreateDirectoryW((parent / L"Other").c_str(), nullptr));
    wchar_t temp[MAX_PATH + 1];
    const std::wstring shared(temp, ::GetTempPathW(MAX_PATH + 1, temp));
    const std::wstring inShared = Copy(shared + L"lumfixture-" + std::to_wstring(::GetCurrentProcessId()) + L".exe");
    {
        NamedEvent ready[2];
        Child neighbour(Copy(parent / L"Other\\Tool.exe"), {L"nowindow", L"--ready", ready[0].name});
        Child sharedChild(inShared, {L"nowindow", L"--ready", ready[1].name});
        for (const NamedEvent& event : ready) ASSERT_TRUE(event.Wait());
        for (const std::wstring& target : {install, install + L"\\", shared + L"Lumora.exe"}) {
            Dll().Destroy();  // a new group for each target
            EXPECT_EQ(Dll().ProcessRunning(target.c_str()), -1) << Utf8(target);
            EXPECT_EQ(Dll().CloseApplication(target.c_str()), 0) << Utf8(target);
            EXPECT_EQ(Count(TakeDllLog(), L"Invalid process target root"), 2u) << Utf8(target);  // one a scan
        }
        EXPECT_FALSE(neighbour.WaitExit(0)) << "the program beside the install folder runs on";
        EXPECT_FALSE(sharedChild.WaitExit(0)) << "the program in the shared folder runs on";
    }
    ::DeleteFileW(inShared.c_str());
}
