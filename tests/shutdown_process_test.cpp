// Closing the application as a setup program sees it: LumoraUI.dll's close
// exports against real fixture processes started from a temporary install
// folder (tests/fixtures/lumfixture_app.cpp), with the native log read back
// word for word.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <regex>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "shutdown/canonical_path.h"
#include "base/error_text.h"
#include "test_support.h"

using lum::UniqueHandle;
using lumtest::Dll;
using lumtest::TempDir;
using Lines = std::vector<std::wstring>;

namespace {

constexpr DWORD kReadyDeadlineMs = 30000;

std::atomic<int> g_notifications{0};
int32_t __stdcall CountNotification() {
    ++g_notifications;
    return 0;
}

// The DLL's log lines without their "[native hh:mm:ss.mmm] " prefix, which is checked on the way.
Lines TakeDllLog() {
    static const std::wregex prefix(L"^\\[native \\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\] ");
    Lines lines;
    for (const std::wstring& line : lumtest::DrainDllLog()) {
        EXPECT_TRUE(std::regex_search(line, prefix)) << lumtest::Utf8(line);
        lines.push_back(line.size() > 22 ? line.substr(22) : std::wstring());
    }
    return lines;
}

bool Starts(const std::wstring& line, const std::wstring& start) { return line.rfind(start, 0) == 0; }
size_t Count(const Lines& lines, const std::wstring& start) {
    return std::count_if(lines.begin(), lines.end(), [&](const auto& line) { return Starts(line, start); });
}
ptrdiff_t IndexOf(const Lines& lines, const std::wstring& start) {
    const auto found = std::find_if(lines.begin(), lines.end(), [&](const auto& line) { return Starts(line, start); });
    return found == lines.end() ? -1 : found - lines.begin();
}

// Process ids whose parent is `parent`; with a name, only those whose executable
// has that name (Wine may start its desktop process from the first process that makes a window).
std::vector<DWORD> ChildrenOf(DWORD parent, const std::wstring& name = std::wstring()) {
    std::vector<DWORD> children;
    lum::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot || !::Process32FirstW(snapshot.get(), &entry)) return children;
    do {
        if (entry.th32ParentProcessID != parent || entry.th32ProcessID == parent) continue;
        if (name.empty() || lum::EqualsIgnoringAsciiCase(entry.szExeFile, name)) children.push_back(entry.th32ProcessID);
    } while (::Process32NextW(snapshot.get(), &entry));
    return children;
}

std::wstring Describe(DWORD pid, DWORD parent, const std::wstring& exe) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    FILETIME creation{}, exit{}, kernel{}, user{};
    EXPECT_TRUE(process && ::GetProcessTimes(process.get(), &creation, &exit, &kernel, &user)) << pid;
    const uint64_t created = (static_cast<uint64_t>(creation.dwHighDateTime) << 32) | creation.dwLowDateTime;
    return L"PID=" + std::to_wstring(pid) + L" parent=" + std::to_wstring(parent) + L" created=" +
           std::to_wstring(created) + L" path=\"" + lum::CanonicalPath(exe) + L"\"";
}

// Named manual-reset events that the fixtures set when they are ready.
class ReadyEvents {
public:
    const std::wstring& Add() {
        static int counter = 0;
        names_.push_back(L"lumfixture-ready-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                         std::to_wstring(counter++));
        events_.emplace_back(::CreateEventW(nullptr, TRUE, FALSE, names_.back().c_str()));
        return names_.back();
    }
    bool WaitAll() const {
        std::vector<HANDLE> handles;
        for (const auto& e : events_) handles.push_back(e.get());
        return ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, kReadyDeadlineMs) <
               WAIT_OBJECT_0 + handles.size();
    }

private:
    std::vector<std::wstring> names_;
    std::vector<UniqueHandle> events_;
};

// Fixture processes of one test: ended, with every descendant still around, when the test is over.
class Processes {
public:
    ~Processes() {
        std::vector<DWORD> all;
        for (DWORD root : roots_) Collect(root, all);
        for (DWORD pid : all) {
            UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
            if (!process) continue;
            ::TerminateProcess(process.get(), 99);
            ::WaitForSingleObject(process.get(), 5000);
        }
    }
    DWORD Start(const std::wstring& exe, const Lines& args) {
        std::wstring commandLine = L"\"" + exe + L"\"";
        for (const auto& arg : args) commandLine += L" \"" + arg + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info)) {
            ADD_FAILURE() << "CreateProcess failed for " << lumtest::Utf8(exe) << " error " << ::GetLastError();
            return 0;
        }
        ::CloseHandle(info.hThread);
        handles_.emplace_back(info.hProcess);
        roots_.push_back(info.dwProcessId);
        return info.dwProcessId;
    }
    HANDLE HandleOf(DWORD pid) const {
        const auto at = std::find(roots_.begin(), roots_.end(), pid);
        return at == roots_.end() ? nullptr : handles_[at - roots_.begin()].get();
    }
    DWORD ExitCodeOf(DWORD pid) const {
        DWORD code = 0;
        EXPECT_TRUE(::GetExitCodeProcess(HandleOf(pid), &code));
        return code;
    }

private:
    static void Collect(DWORD pid, std::vector<DWORD>& all) {
        all.push_back(pid);
        // Wine's desktop process may have been started by a fixture; it stays.
        const std::vector<DWORD> desktop = ChildrenOf(pid, L"explorer.exe");
        for (DWORD child : ChildrenOf(pid)) {
            if (std::find(desktop.begin(), desktop.end(), child) == desktop.end()) Collect(child, all);
        }
    }
    std::vector<DWORD> roots_;
    std::vector<UniqueHandle> handles_;
};

std::wstring Copy(const std::wstring& to) {
    EXPECT_TRUE(::CopyFileW((lumtest::ExeDir() + L"lumfixture_app.exe").c_str(), to.c_str(), FALSE))
        << lumtest::Utf8(to);
    return to;
}

std::wstring SelfExcluded() {
    std::wstring module(32768, L'\0');
    module.resize(::GetModuleFileNameW(nullptr, module.data(), 32768));
    return L"Excluded setup/ancestor PID=" + std::to_wstring(::GetCurrentProcessId()) +
           L" name=" + module.substr(module.find_last_of(L'\\') + 1);
}

std::wstring Report() {
    const int32_t length = Dll().GetProcessReport(nullptr, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    EXPECT_EQ(Dll().GetProcessReport(text.data(), length + 1), length);
    text.resize(static_cast<size_t>(length));
    return text;
}

class ShutdownProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto& api = Dll();
        api.Destroy();  // no group, empty report
        api.SetText(L"RunningStatus", L"Running");
        api.SetText(L"ProcessNone", L"No related processes found.");
        api.SetText(L"ProcessScanFailed", L"Unable to check processes.");
        api.SetText(L"ProcessErrorCode", L"Error");
        api.ConfigureLog(nullptr, &CountNotification);
        TakeDllLog();
        g_notifications = 0;
    }
    void TearDown() override {
        Dll().ConfigureLog(nullptr, nullptr);
        Dll().Destroy();
        TakeDllLog();
    }
};

}  // namespace

TEST_F(ShutdownProcessTest, NothingRunningGivesVerifyQuietAndSuccessAfterHalfASecond) {
    TempDir install;
    const std::wstring target = Copy(install / L"Lumora.exe");  // installed, not running
    const std::wstring canonical = lum::CanonicalPath(target);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(Dll().CloseApplication(target.c_str()), 1);
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_GE(elapsed, 500u);
    EXPECT_LT(elapsed, 3000u);

    const Lines lines = TakeDllLog();
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 3),
              (Lines{L"Process group target=\"" + target + L"\" canonical=\"" + canonical + L"\"",
                     L"Process group root=\"" + canonical.substr(0, canonical.rfind(L'\\') + 1) +
                         L"\"; scope=verified-path-and-descendants; no executable-name matching",
                     SelfExcluded()}));
    // Further ancestors, and system processes this one may not inspect, depend on the machine.
    auto at = std::find_if(lines.begin() + 3, lines.end(), [](const auto& line) {
        return !Starts(line, L"Excluded setup/ancestor PID=") && !Starts(line, L"Skipping unverified process PID=");
    });
    ASSERT_EQ(lines.end() - at, 7);
    EXPECT_TRUE(std::regex_match(
        *at, std::wregex(L"Snapshot result: running=0 trackedIdentities=0; snapshotEntries=[1-9][0-9]*")))
        << lumtest::Utf8(*at);
    EXPECT_EQ(Lines(at + 1, at + 5),
              (Lines{L"Closing application without UI (silent/headless caller).", L"Resetting shutdown attempt flags",
                     L"Shutdown started: gentleMs=4000 forceMs=4000 quietMs=500",
                     L"Initial shutdown snapshot complete; confirmedRunning=0; main/descendant PIDs, creation times "
                     L"and handles captured before exit requests"}));
    EXPECT_TRUE(std::regex_match(at[5], std::wregex(L"Shutdown phase=verify-quiet elapsedMs=[0-9]{1,4}")))
        << lumtest::Utf8(at[5]);
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(at[6], match, std::wregex(L"Shutdown succeeded; elapsedMs=([0-9]+)")))
        << lumtest::Utf8(at[6]);
    EXPECT_GE(std::stoul(match[1].str()), 500u);
    EXPECT_EQ(g_notifications.load(), 3) << "the scan, the one phase change, the result";
    EXPECT_EQ(Report(), L"No related processes found.");
}

TEST_F(ShutdownProcessTest, MembersDescendantsAndRefusersAreClosedInOneRun) {
    TempDir install;
    TempDir outside;
    const std::wstring target = Copy(install / L"Lumora.exe");
    const std::wstring agent = Copy(install / L"Agent.exe");
    const std::wstring slow = Copy(install / L"Slow.exe");
    const std::wstring helper = Copy(outside / L"helper.exe");
    ReadyEvents ready;
    Processes processes;
    // The application, which starts a helper outside the install folder, which starts a
    // windowless worker; an agent that ignores WM_CLOSE; and one that takes its time to close.
    const DWORD mainPid = processes.Start(target, {L"window", L"--ready", ready.Add(), L"--spawn", helper, L"window",
                                                   L"--ready", ready.Add(), L"--spawn", helper, L"nowindow", L"--ready",
                                                   ready.Add()});
    const DWORD agentPid = processes.Start(agent, {L"ignore", L"--ready", ready.Add()});
    const DWORD slowPid = processes.Start(slow, {L"slow", L"--delay", L"700", L"--ready", ready.Add()});
    ASSERT_TRUE(ready.WaitAll());
    const auto children = ChildrenOf(mainPid, L"helper.exe");
    ASSERT_EQ(children.size(), 1u);
    const auto grandchildren = ChildrenOf(children[0], L"helper.exe");
    ASSERT_EQ(grandchildren.size(), 1u);
    const DWORD self = ::GetCurrentProcessId();
    const std::wstring mainId = Describe(mainPid, self, target);
    const std::wstring childId = Describe(children[0], mainPid, helper);
    const std::wstring grandchildId = Describe(grandchildren[0], children[0], helper);
    const std::wstring agentId = Describe(agentPid, self, agent);
    const std::wstring slowId = Describe(slowPid, self, slow);

    // The scan finds all five, the two outside the folder through their parents.
    EXPECT_EQ(Dll().ProcessRunning(target.c_str()), 5);
    Lines lines = TakeDllLog();
    for (const auto* id : {&mainId, &agentId, &slowId}) {
        EXPECT_EQ(Count(lines, L"Tracking " + *id + L" reason=inside-install-directory"), 1u) << lumtest::Utf8(*id);
    }
    EXPECT_EQ(Count(lines, L"Tracking " + childId + L" reason=verified-descendant"), 1u);
    EXPECT_EQ(Count(lines, L"Tracking " + grandchildId + L" reason=verified-descendant"), 1u);
    EXPECT_EQ(g_notifications.load(), 1);

    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(Dll().CloseApplication(target.c_str()), 1);
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_GE(elapsed, 4000u);
    EXPECT_LT(elapsed, 8500u);
    lines = TakeDllLog();

    // The application is asked first, every member once, each window with WM_CLOSE.
    EXPECT_EQ(IndexOf(lines, L"Graceful request PID="), IndexOf(lines, L"Graceful request " + mainId));
    for (const auto* id : {&mainId, &childId, &grandchildId, &agentId, &slowId}) {
        EXPECT_EQ(Count(lines, L"Graceful request " + *id), 1u) << lumtest::Utf8(*id);
    }
    EXPECT_EQ(Count(lines, L"Graceful request " + grandchildId + L" topLevelWindows=0"), 1u);
    // The first post to a member reaches a live window; its second window (Wine's IME window) may
    // already be gone with its process, which closed on the first.
    const std::wregex posted(L"WM_CLOSE PID=[0-9]+ HWND=[0-9]+ (queued=1 error=0|queued=0 error=1400) \\(.*\\)");
    for (const auto& line : lines) {
        EXPECT_TRUE(!Starts(line, L"WM_CLOSE PID=") || std::regex_match(line, posted)) << lumtest::Utf8(line);
    }
    for (DWORD pid : {mainPid, children[0], agentPid, slowPid}) {
        const ptrdiff_t first = IndexOf(lines, L"WM_CLOSE PID=" + std::to_wstring(pid) + L" HWND=");
        ASSERT_GE(first, 0) << pid;
        EXPECT_NE(lines[first].find(L" queued=1 error=0 ("), std::wstring::npos) << lumtest::Utf8(lines[first]);
    }
    // The cooperative ones leave in the graceful phase...
    const ptrdiff_t force = IndexOf(lines, L"Shutdown phase=force elapsedMs=");
    ASSERT_GE(force, 0);
    for (const auto* id : {&mainId, &childId, &slowId}) {
        const ptrdiff_t exited = IndexOf(lines, L"Confirmed exited " + *id + L" exitCode=0 gracefulRequested=1 forceAttempted=0");
        EXPECT_GE(exited, 0) << lumtest::Utf8(*id);
        EXPECT_LT(exited, force) << lumtest::Utf8(*id);
    }
    // ...the others are terminated when the force phase begins, at the first poll after 4000 ms.
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(lines[force], match, std::wregex(L"Shutdown phase=force elapsedMs=([0-9]+)")));
    EXPECT_GE(std::stoul(match[1].str()), 4000u);
    EXPECT_LT(std::stoul(match[1].str()), 5000u);
    const std::wstring terminated = L" result=" + lum::FormatErrorText(0) + L"; awaiting signaled process handle";
    EXPECT_EQ(Lines(lines.begin() + force + 1, lines.begin() + force + 5),
              (Lines{L"Force attempt " + agentId, L"TerminateProcess PID=" + std::to_wstring(agentPid) + terminated,
                     L"Force attempt " + grandchildId,
                     L"TerminateProcess PID=" + std::to_wstring(grandchildren[0]) + terminated}));
    for (const auto* id : {&agentId, &grandchildId}) {
        EXPECT_GT(IndexOf(lines, L"Confirmed exited " + *id + L" exitCode=1067 gracefulRequested=1 forceAttempted=1"),
                  force) << lumtest::Utf8(*id);
    }
    EXPECT_EQ(processes.ExitCodeOf(agentPid), 1067u);
    EXPECT_EQ(processes.ExitCodeOf(mainPid), 0u);

    // Phases in order, each once; summaries only when they change.
    EXPECT_EQ(Count(lines, L"Shutdown phase="), 3u);
    EXPECT_LT(IndexOf(lines, L"Shutdown phase=graceful elapsedMs="), force);
    EXPECT_GT(IndexOf(lines, L"Shutdown phase=verify-quiet elapsedMs="), force);
    std::wstring previous;
    size_t summaries = 0;
    for (const auto& line : lines) {
        if (!Starts(line, L"Snapshot result: ")) continue;
        const std::wstring summary = line.substr(0, line.rfind(L"; snapshotEntries="));
        EXPECT_NE(summary, previous);
        previous = summary;
        ++summaries;
    }
    EXPECT_GE(summaries, 3u);
    EXPECT_EQ(previous, L"Snapshot result: running=0 trackedIdentities=5");
    EXPECT_TRUE(std::regex_match(lines.back(), std::wregex(L"Shutdown succeeded; elapsedMs=[0-9]+")));
    EXPECT_EQ(Report(), L"No related processes found.");
}

TEST_F(ShutdownProcessTest, TheSetupAndItsAncestorsAreNeverMembersEvenInsideTheInstallFolder) {
    TempDir install;
    TempDir scratch;
    const std::wstring target = Copy(install / L"Lumora.exe");
    const std::wstring waiter = Copy(install / L"Waiter.exe");
    const std::wstring sibling = Copy(install / L"Sibling.exe");
    const std::wstring output = scratch / L"probe.txt";
    ReadyEvents ready;
    Processes processes;
    const DWORD siblingPid = processes.Start(sibling, {L"nowindow", L"--ready", ready.Add()});
    ASSERT_TRUE(ready.WaitAll());
    // A setup inside the install folder (the probe loads the DLL and scans), started by another one from inside it.
    const DWORD waiterPid = processes.Start(waiter, {L"waiter", L"--spawn", Copy(install / L"Probe.exe"), L"probe",
                                                     lumtest::ExeDir() + L"LumoraUI.dll", target, output});
    ASSERT_EQ(::WaitForSingleObject(processes.HandleOf(waiterPid), kReadyDeadlineMs), WAIT_OBJECT_0);
    EXPECT_EQ(processes.ExitCodeOf(waiterPid), 101u) << "only the sibling runs";

    // "result=1", then the log lines with their prefix.
    Lines logged;
    const std::wstring text = lumtest::Wide(lumtest::ReadFileBytes(output));
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
        end = std::min(text.find(L'\n', at), text.size());
        const size_t skip = logged.empty() || end - at <= 22 ? 0 : 22;
        logged.push_back(text.substr(at + skip, end - at - skip));
    }
    ASSERT_GE(logged.size(), 8u);
    EXPECT_EQ(logged[0], L"result=1");
    EXPECT_TRUE(Starts(logged[1], L"Process group target="));
    EXPECT_TRUE(std::regex_match(logged[3], std::wregex(L"Excluded setup/ancestor PID=[0-9]+ name=Probe\\.exe")))
        << lumtest::Utf8(logged[3]);
    EXPECT_EQ(logged[4], L"Excluded setup/ancestor PID=" + std::to_wstring(waiterPid) + L" name=Waiter.exe");
    EXPECT_EQ(logged[5], SelfExcluded());
    EXPECT_EQ(Count(logged, L"Tracking "), 1u);
    EXPECT_EQ(Count(logged, L"Tracking " + Describe(siblingPid, ::GetCurrentProcessId(), sibling) +
                                L" reason=inside-install-directory"),
              1u);
}

TEST_F(ShutdownProcessTest, GroupsAreKeptPerTargetAndReportBuffersFollowTheRules) {
    const auto& api = Dll();
    EXPECT_EQ(api.ProcessRunning(nullptr), -1);
    EXPECT_EQ(api.ProcessRunning(L""), -1);
    EXPECT_EQ(api.CloseApplication(nullptr), 0);
    EXPECT_EQ(api.CloseApplication(L""), 0);
    EXPECT_TRUE(TakeDllLog().empty());
    EXPECT_EQ(g_notifications.load(), 0);

    TempDir install;
    TempDir other;
    const std::wstring target = Copy(install / L"Lumora.exe");
    ReadyEvents ready;
    Processes processes;
    const DWORD pid = processes.Start(target, {L"nowindow", L"--ready", ready.Add()});
    ASSERT_TRUE(ready.WaitAll());
    const std::wstring tracking = L"Tracking PID=" + std::to_wstring(pid) + L" ";
    EXPECT_EQ(api.ProcessRunning(target.c_str()), 1);
    Lines lines = TakeDllLog();
    EXPECT_EQ(Count(lines, L"Process group "), 2u);
    EXPECT_EQ(Count(lines, tracking), 1u);

    // The same target in other letters keeps the group; nothing changed, nothing is logged.
    std::wstring shouted = target;
    for (wchar_t& c : shouted) c = static_cast<wchar_t>(::towupper(c));
    EXPECT_EQ(api.ProcessRunning(shouted.c_str()), 1);
    EXPECT_EQ(TakeDllLog(), Lines{});

    const std::wstring path = lum::CanonicalPath(target);
    const std::wstring report =
        path.substr(path.rfind(L'\\') + 1) + L" (PID " + std::to_wstring(pid) + L") \u2014 Running\r\n" + path;
    const auto length = static_cast<int32_t>(report.size());
    wchar_t buffer[600];
    ASSERT_LT(report.size(), 599u);
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    // Sizes that cannot hold a character leave the buffer alone and give the length.
    for (int32_t size : {0, 100}) EXPECT_EQ(api.GetProcessReport(nullptr, size), length);
    for (int32_t size : {0, -7}) EXPECT_EQ(api.GetProcessReport(buffer, size), length);
    EXPECT_EQ(buffer[0], L'#');
    // Otherwise as much as fits, always terminated.
    EXPECT_EQ(api.GetProcessReport(buffer, 1), 0);
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(buffer[1], L'#');
    EXPECT_EQ(api.GetProcessReport(buffer, 12), 11);
    EXPECT_EQ(std::wstring(buffer), report.substr(0, 11));
    EXPECT_EQ(api.GetProcessReport(buffer, length + 1), length);
    EXPECT_EQ(std::wstring(buffer), report);

    // Another target replaces the group; going back builds it anew.
    EXPECT_EQ(api.ProcessRunning((other / L"Lumora.exe").c_str()), 0);
    EXPECT_EQ(Count(TakeDllLog(), L"Process group "), 2u);
    EXPECT_EQ(Report(), L"No related processes found.");
    EXPECT_EQ(api.ProcessRunning(target.c_str()), 1);
    EXPECT_EQ(Count(TakeDllLog(), tracking), 1u);
    EXPECT_EQ(g_notifications.load(), 4);

    // A target in a drive root cannot be scanned.
    EXPECT_EQ(api.ProcessRunning(L"C:\\Lumora.exe"), -1);
    lines = TakeDllLog();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], L"Process group root=\"\"; scope=verified-path-and-descendants; no executable-name matching");
    EXPECT_EQ(lines[2], L"Invalid process target root");
    EXPECT_EQ(Report(), L"Unable to check processes. Error 87");
}

namespace {

// A host callback that calls back into the library while a close runs; unarmed
// while the calls it makes notify it in turn.
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

TEST_F(ShutdownProcessTest, HostCallbacksDuringACloseCannotTakeTheGroupAway) {
    TempDir install;
    TempDir other;
    g_nestedTarget = other / L"Other.exe";
    g_nestedResults.clear();
    Dll().ConfigureLog(nullptr, &CallBackIntoTheLibrary);
    g_armed = true;
    EXPECT_EQ(Dll().CloseApplication((install / L"Lumora.exe").c_str()), 1);
    g_armed = false;
    // Called after the scan, at the phase change and with the result.
    EXPECT_EQ(g_nestedResults, (std::vector<int32_t>{-1, 0, -1, 0, -1, 0}));
    const Lines lines = TakeDllLog();
    EXPECT_EQ(Count(lines, L"Process group target="), 1u);
    EXPECT_EQ(Count(lines, L"Shutdown started:"), 1u);
    EXPECT_EQ(Count(lines, L"Shutdown succeeded; elapsedMs="), 1u);
    EXPECT_EQ(Count(lines, L"Shutdown worker threw"), 0u);
    Dll().ConfigureLog(nullptr, nullptr);
    // Released in the middle: nothing is reported, and calls work again.
    EXPECT_EQ(Report(), L"No related processes found.");
    EXPECT_EQ(Dll().ProcessRunning(g_nestedTarget.c_str()), 0);
}

// A folder as the target would make the folder above it the root, and a
// target in a shared folder makes that folder the root: both are refused at
// once, and programs beside the install folder or in the shared folder live on.
TEST_F(ShutdownProcessTest, FolderTargetsAndTargetsInSharedFoldersAreRefused) {
    TempDir parent;
    const std::wstring install = parent / L"Lumora";
    ASSERT_TRUE(::CreateDirectoryW(install.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((parent / L"Other").c_str(), nullptr));
    wchar_t temp[MAX_PATH + 1];
    const std::wstring shared(temp, ::GetTempPathW(MAX_PATH + 1, temp));
    const std::wstring sharedExe = shared + L"lumfixture-" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
    {
        ReadyEvents ready;
        Processes processes;
        const DWORD neighbour =
            processes.Start(Copy(parent / L"Other\\Tool.exe"), {L"nowindow", L"--ready", ready.Add()});
        const DWORD inShared = processes.Start(Copy(sharedExe), {L"nowindow", L"--ready", ready.Add()});
        ASSERT_TRUE(ready.WaitAll());
        for (const std::wstring& target : {install, install + L"\\", shared + L"Lumora.exe"}) {
            Dll().Destroy();  // a new group for each target
            EXPECT_EQ(Dll().ProcessRunning(target.c_str()), -1) << lumtest::Utf8(target);
            EXPECT_EQ(Dll().CloseApplication(target.c_str()), 0) << lumtest::Utf8(target);
            const Lines lines = TakeDllLog();
            ASSERT_EQ(lines.size(), 4u) << lumtest::Utf8(target);
            const std::wstring noRoot = L"Process group root=\"\"; scope=verified-path-and-descendants; "
                                        L"no executable-name matching";
            const std::wstring refused = L"Invalid process target root";
            EXPECT_EQ(Lines(lines.begin() + 1, lines.end()), (Lines{noRoot, refused, refused}));
        }
        for (DWORD pid : {neighbour, inShared}) {
            EXPECT_EQ(::WaitForSingleObject(processes.HandleOf(pid), 0), WAIT_TIMEOUT) << "closed: " << pid;
        }
    }
    EXPECT_TRUE(::DeleteFileW(sharedExe.c_str()));
}
