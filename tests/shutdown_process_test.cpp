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

#include "host/scoped_win.h"
#include "shutdown/canonical_path.h"
#include "shutdown/error_text.h"
#include "test_support.h"

using lum::UniqueHandle;
using lumtest::Dll;
using lumtest::TempDir;

namespace {

constexpr DWORD kReadyDeadlineMs = 30000;

std::atomic<int> g_notifications{0};
int32_t __stdcall CountNotification() {
    ++g_notifications;
    return 0;
}

// The DLL's log lines without their "[native hh:mm:ss.mmm] " prefix, which is
// checked on the way.
std::vector<std::wstring> TakeDllLog() {
    static const std::wregex prefix(L"^\\[native \\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\] ");
    std::vector<std::wstring> lines;
    for (const std::wstring& line : lumtest::DrainDllLog()) {
        EXPECT_TRUE(std::regex_search(line, prefix)) << lumtest::Utf8(line);
        lines.push_back(line.size() > 22 ? line.substr(22) : std::wstring());
    }
    return lines;
}

size_t CountStarting(const std::vector<std::wstring>& lines, const std::wstring& start) {
    size_t n = 0;
    for (const auto& line : lines) n += line.rfind(start, 0) == 0;
    return n;
}

ptrdiff_t IndexOf(const std::vector<std::wstring>& lines, const std::wstring& start) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(start, 0) == 0) return static_cast<ptrdiff_t>(i);
    }
    return -1;
}

uint64_t CreationTimeOf(DWORD pid) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (!process || !::GetProcessTimes(process.get(), &creation, &exit, &kernel, &user)) return 0;
    return (static_cast<uint64_t>(creation.dwHighDateTime) << 32) | creation.dwLowDateTime;
}

// Process ids whose parent is `parent`; with a name, only those whose
// executable file has that name (Wine may start its desktop process from the
// first process that makes a window).
std::vector<DWORD> ChildrenOf(DWORD parent, const std::wstring& name = std::wstring()) {
    std::vector<DWORD> children;
    lum::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot || !::Process32FirstW(snapshot.get(), &entry)) return children;
    do {
        if (entry.th32ParentProcessID != parent || entry.th32ProcessID == parent) continue;
        if (name.empty() || lum::EqualsIgnoringCase(entry.szExeFile, name)) children.push_back(entry.th32ProcessID);
    } while (::Process32NextW(snapshot.get(), &entry));
    return children;
}

std::wstring Describe(DWORD pid, DWORD parent, const std::wstring& exe) {
    return L"PID=" + std::to_wstring(pid) + L" parent=" + std::to_wstring(parent) + L" created=" +
           std::to_wstring(CreationTimeOf(pid)) + L" path=\"" + lum::CanonicalPath(exe) + L"\"";
}

// A named manual-reset event that a fixture sets when it is ready.
class ReadyEvent {
public:
    ReadyEvent() {
        static std::atomic<int> counter{0};
        name_ = L"lumfixture-ready-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        event_.reset(::CreateEventW(nullptr, TRUE, FALSE, name_.c_str()));
    }
    const std::wstring& name() const { return name_; }
    HANDLE get() const { return event_.get(); }

private:
    std::wstring name_;
    UniqueHandle event_;
};

bool WaitReady(std::initializer_list<const ReadyEvent*> events) {
    std::vector<HANDLE> handles;
    for (const ReadyEvent* e : events) handles.push_back(e->get());
    return ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, kReadyDeadlineMs) <
           WAIT_OBJECT_0 + handles.size();
}

// Fixture processes of one test: started here, ended (with every descendant
// that is still around) when the test is over.
class Processes {
public:
    ~Processes() {
        std::vector<DWORD> all;
        for (size_t i = 0; i < roots_.size(); ++i) Collect(roots_[i], all);
        for (DWORD pid : all) {
            UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
            if (!process) continue;
            ::TerminateProcess(process.get(), 99);
            ::WaitForSingleObject(process.get(), 5000);
        }
    }
    // Starts exe with the arguments; returns its process id (0 on failure).
    DWORD Start(const std::wstring& exe, const std::vector<std::wstring>& args) {
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
        for (size_t i = 0; i < roots_.size(); ++i) {
            if (roots_[i] == pid) return handles_[i].get();
        }
        return nullptr;
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

std::wstring ExeName() {
    const std::wstring path = lumtest::ExeDir();
    std::wstring module(32768, L'\0');
    module.resize(::GetModuleFileNameW(nullptr, module.data(), 32768));
    return module.substr(module.find_last_of(L'\\') + 1);
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
        api.SetText(L"CloseFailedStatus", L"Could not close");
        api.SetText(L"ProcessErrorCode", L"Error");
        api.SetText(L"ProcessNone", L"No related processes found.");
        api.SetText(L"ProcessScanFailed", L"Unable to check processes.");
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
    const std::wstring root = canonical.substr(0, canonical.rfind(L'\\') + 1);

    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(Dll().CloseApplication(target.c_str()), 1);
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_GE(elapsed, 500u);
    EXPECT_LT(elapsed, 3000u);

    const auto lines = TakeDllLog();
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[0], L"Process group target=\"" + target + L"\" canonical=\"" + canonical + L"\"");
    EXPECT_EQ(lines[1], L"Process group root=\"" + root + L"\"; scope=verified-path-and-descendants; "
                        L"no executable-name matching");
    EXPECT_EQ(lines[2], L"Excluded setup/ancestor PID=" + std::to_wstring(::GetCurrentProcessId()) +
                            L" name=" + ExeName());
    // Further ancestors, and system processes this process may not inspect,
    // depend on the machine; then the first summary.
    size_t at = 3;
    while (at < lines.size() && (lines[at].rfind(L"Excluded setup/ancestor PID=", 0) == 0 ||
                                 lines[at].rfind(L"Skipping unverified process PID=", 0) == 0)) {
        ++at;
    }
    ASSERT_LT(at, lines.size());
    EXPECT_TRUE(std::regex_match(lines[at], std::wregex(L"Snapshot result: running=0 trackedIdentities=0; "
                                                        L"snapshotEntries=[1-9][0-9]*")))
        << lumtest::Utf8(lines[at]);
    const std::vector<std::wstring> rest(lines.begin() + static_cast<ptrdiff_t>(at) + 1, lines.end());
    ASSERT_EQ(rest.size(), 6u);
    EXPECT_EQ(rest[0], L"Closing application without UI (silent/headless caller).");
    EXPECT_EQ(rest[1], L"Resetting shutdown attempt flags");
    EXPECT_EQ(rest[2], L"Shutdown started: gentleMs=4000 forceMs=4000 quietMs=500");
    EXPECT_EQ(rest[3], L"Initial shutdown snapshot complete; confirmedRunning=0; main/descendant PIDs, creation "
                       L"times and handles captured before exit requests");
    EXPECT_TRUE(std::regex_match(rest[4], std::wregex(L"Shutdown phase=verify-quiet elapsedMs=[0-9]{1,4}")))
        << lumtest::Utf8(rest[4]);
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(rest[5], match, std::wregex(L"Shutdown succeeded; elapsedMs=([0-9]+)")))
        << lumtest::Utf8(rest[5]);
    EXPECT_GE(std::stoul(match[1].str()), 500u);
    // The scan, the one phase change, the result.
    EXPECT_EQ(g_notifications.load(), 3);
    EXPECT_EQ(Report(), L"No related processes found.");
}

TEST_F(ShutdownProcessTest, MembersDescendantsAndRefusersAreClosedInOneRun) {
    TempDir install;
    TempDir outside;
    const std::wstring target = Copy(install / L"Lumora.exe");
    const std::wstring agent = Copy(install / L"Agent.exe");
    const std::wstring slow = Copy(install / L"Slow.exe");
    const std::wstring helper = Copy(outside / L"helper.exe");
    ReadyEvent mainReady, childReady, grandchildReady, agentReady, slowReady;
    Processes processes;
    // The application, which starts a helper outside the install folder, which
    // starts a windowless worker; an agent that ignores WM_CLOSE; and one that
    // takes its time to close.
    const DWORD mainPid =
        processes.Start(target, {L"window", L"--ready", mainReady.name(), L"--spawn", helper, L"window", L"--ready",
                                 childReady.name(), L"--spawn", helper, L"nowindow", L"--ready", grandchildReady.name()});
    const DWORD agentPid = processes.Start(agent, {L"ignore", L"--ready", agentReady.name()});
    const DWORD slowPid = processes.Start(slow, {L"slow", L"--delay", L"700", L"--ready", slowReady.name()});
    ASSERT_TRUE(WaitReady({&mainReady, &childReady, &grandchildReady, &agentReady, &slowReady}));
    const auto children = ChildrenOf(mainPid, L"helper.exe");
    ASSERT_EQ(children.size(), 1u);
    const DWORD childPid = children[0];
    const auto grandchildren = ChildrenOf(childPid, L"helper.exe");
    ASSERT_EQ(grandchildren.size(), 1u);
    const DWORD grandchildPid = grandchildren[0];
    const DWORD self = ::GetCurrentProcessId();

    const std::wstring mainId = Describe(mainPid, self, target);
    const std::wstring childId = Describe(childPid, mainPid, helper);
    const std::wstring grandchildId = Describe(grandchildPid, childPid, helper);
    const std::wstring agentId = Describe(agentPid, self, agent);
    const std::wstring slowId = Describe(slowPid, self, slow);

    // The scan finds all five, the two outside the folder through their parents.
    EXPECT_EQ(Dll().ProcessRunning(target.c_str()), 5);
    auto lines = TakeDllLog();
    EXPECT_EQ(CountStarting(lines, L"Tracking " + mainId + L" reason=inside-install-directory"), 1u);
    EXPECT_EQ(CountStarting(lines, L"Tracking " + childId + L" reason=verified-descendant"), 1u);
    EXPECT_EQ(CountStarting(lines, L"Tracking " + grandchildId + L" reason=verified-descendant"), 1u);
    EXPECT_EQ(CountStarting(lines, L"Tracking " + agentId + L" reason=inside-install-directory"), 1u);
    EXPECT_EQ(CountStarting(lines, L"Tracking " + slowId + L" reason=inside-install-directory"), 1u);
    EXPECT_EQ(CountStarting(lines, L"Snapshot result: running=5 trackedIdentities=5\n  PID="), 1u);
    EXPECT_EQ(g_notifications.load(), 1);

    // The report lists them by process id, each with its path.
    std::vector<std::pair<DWORD, std::wstring>> expected{
        {mainPid, target}, {childPid, helper}, {grandchildPid, helper}, {agentPid, agent}, {slowPid, slow}};
    std::sort(expected.begin(), expected.end());
    std::wstring report;
    for (const auto& [pid, exe] : expected) {
        const std::wstring path = lum::CanonicalPath(exe);
        if (!report.empty()) report += L"\r\n";
        report += path.substr(path.rfind(L'\\') + 1) + L" (PID " + std::to_wstring(pid) + L") \u2014 Running\r\n" + path;
    }
    EXPECT_EQ(Report(), report);

    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(Dll().CloseApplication(target.c_str()), 1);
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_GE(elapsed, 4000u);
    EXPECT_LT(elapsed, 8500u);
    lines = TakeDllLog();

    // The application is asked first, and every member once.
    EXPECT_EQ(IndexOf(lines, L"Graceful request PID="), IndexOf(lines, L"Graceful request " + mainId));
    for (const auto* id : {&mainId, &childId, &grandchildId, &agentId, &slowId}) {
        EXPECT_EQ(CountStarting(lines, L"Graceful request " + *id), 1u) << lumtest::Utf8(*id);
    }
    EXPECT_EQ(CountStarting(lines, L"Graceful request " + grandchildId + L" topLevelWindows=0"), 1u);
    EXPECT_GE(CountStarting(lines, L"WM_CLOSE PID=" + std::to_wstring(mainPid) + L" HWND="), 1u);
    EXPECT_EQ(CountStarting(lines, L"WM_CLOSE PID=" + std::to_wstring(grandchildPid)), 0u);
    for (const auto& line : lines) {
        if (line.rfind(L"WM_CLOSE PID=", 0) == 0) {
            EXPECT_TRUE(std::regex_match(line, std::wregex(L"WM_CLOSE PID=[0-9]+ HWND=[0-9]+ queued=1 error=0 \\(.*\\)")))
                << lumtest::Utf8(line);
        }
    }

    // The cooperative ones leave in the graceful phase...
    const ptrdiff_t force = IndexOf(lines, L"Shutdown phase=force elapsedMs=");
    ASSERT_GE(force, 0);
    for (const auto* id : {&mainId, &childId, &slowId}) {
        const ptrdiff_t exited =
            IndexOf(lines, L"Confirmed exited " + *id + L" exitCode=0 gracefulRequested=1 forceAttempted=0");
        EXPECT_GE(exited, 0) << lumtest::Utf8(*id);
        EXPECT_LT(exited, force) << lumtest::Utf8(*id);
    }
    // ...the others are terminated when the force phase begins.
    std::wsmatch match;
    ASSERT_TRUE(std::regex_match(lines[force], match, std::wregex(L"Shutdown phase=force elapsedMs=([0-9]+)")));
    EXPECT_GE(std::stoul(match[1].str()), 4000u);
    EXPECT_LT(std::stoul(match[1].str()), 5000u) << "the first poll after 4000 ms";
    const std::wstring terminated = L" result=" + lum::FormatErrorText(0) + L"; awaiting signaled process handle";
    EXPECT_EQ(lines[force + 1], L"Force attempt " + agentId);
    EXPECT_EQ(lines[force + 2], L"TerminateProcess PID=" + std::to_wstring(agentPid) + terminated);
    EXPECT_EQ(lines[force + 3], L"Force attempt " + grandchildId);
    EXPECT_EQ(lines[force + 4], L"TerminateProcess PID=" + std::to_wstring(grandchildPid) + terminated);
    EXPECT_GT(IndexOf(lines, L"Confirmed exited " + agentId + L" exitCode=1067 gracefulRequested=1 forceAttempted=1"),
              force);
    EXPECT_GT(IndexOf(lines, L"Confirmed exited " + grandchildId +
                                 L" exitCode=1067 gracefulRequested=1 forceAttempted=1"),
              force);
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeProcess(processes.HandleOf(agentPid), &code));
    EXPECT_EQ(code, 1067u);
    ASSERT_TRUE(::GetExitCodeProcess(processes.HandleOf(mainPid), &code));
    EXPECT_EQ(code, 0u);

    // Phases in order, each once; summaries only when they change.
    EXPECT_EQ(CountStarting(lines, L"Shutdown phase="), 3u);
    EXPECT_LT(IndexOf(lines, L"Shutdown phase=graceful elapsedMs="), force);
    EXPECT_GT(IndexOf(lines, L"Shutdown phase=verify-quiet elapsedMs="), force);
    std::wstring previous;
    size_t summaries = 0;
    for (const auto& line : lines) {
        if (line.rfind(L"Snapshot result: ", 0) != 0) continue;
        const std::wstring summary = line.substr(0, line.rfind(L"; snapshotEntries="));
        EXPECT_NE(summary, previous);
        previous = summary;
        ++summaries;
    }
    EXPECT_GE(summaries, 3u);
    EXPECT_TRUE(std::regex_match(previous, std::wregex(L"Snapshot result: running=0 trackedIdentities=5")));
    EXPECT_TRUE(std::regex_match(lines.back(), std::wregex(L"Shutdown succeeded; elapsedMs=[0-9]+")));
    EXPECT_EQ(Report(), L"No related processes found.");
}

TEST_F(ShutdownProcessTest, TheSetupAndItsAncestorsAreNeverMembersEvenInsideTheInstallFolder) {
    TempDir install;
    TempDir scratch;
    const std::wstring target = Copy(install / L"Lumora.exe");
    const std::wstring waiter = Copy(install / L"Waiter.exe");
    const std::wstring probe = Copy(install / L"Probe.exe");
    const std::wstring sibling = Copy(install / L"Sibling.exe");
    const std::wstring output = scratch / L"probe.txt";
    ReadyEvent siblingReady;
    Processes processes;
    const DWORD siblingPid = processes.Start(sibling, {L"nowindow", L"--ready", siblingReady.name()});
    ASSERT_TRUE(WaitReady({&siblingReady}));
    // A setup inside the install folder (the probe loads the DLL and scans),
    // started by another process from inside it.
    const DWORD waiterPid = processes.Start(
        waiter, {L"waiter", L"--spawn", probe, L"probe", lumtest::ExeDir() + L"LumoraUI.dll", target, output});
    ASSERT_EQ(::WaitForSingleObject(processes.HandleOf(waiterPid), kReadyDeadlineMs), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeProcess(processes.HandleOf(waiterPid), &code));
    EXPECT_EQ(code, 101u) << "only the sibling runs";

    std::vector<std::wstring> lines;
    const std::wstring text = lumtest::Wide(lumtest::ReadFileBytes(output));
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find(L'\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end == std::wstring::npos ? text.size() : end + 1;
    }
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], L"result=1");
    auto strip = [](const std::wstring& line) { return line.size() > 22 ? line.substr(22) : line; };
    std::vector<std::wstring> logged;
    for (size_t i = 1; i < lines.size(); ++i) logged.push_back(strip(lines[i]));
    EXPECT_EQ(logged[0].rfind(L"Process group target=", 0), 0u);
    EXPECT_TRUE(std::regex_match(logged[2], std::wregex(L"Excluded setup/ancestor PID=[0-9]+ name=Probe\\.exe")))
        << lumtest::Utf8(logged[2]);
    EXPECT_EQ(logged[3], L"Excluded setup/ancestor PID=" + std::to_wstring(waiterPid) + L" name=Waiter.exe");
    EXPECT_EQ(logged[4], L"Excluded setup/ancestor PID=" + std::to_wstring(::GetCurrentProcessId()) + L" name=" +
                             ExeName());
    EXPECT_EQ(CountStarting(logged, L"Tracking "), 1u);
    EXPECT_EQ(CountStarting(logged, L"Tracking " + Describe(siblingPid, ::GetCurrentProcessId(), sibling) +
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
    ReadyEvent ready;
    Processes processes;
    const DWORD pid = processes.Start(target, {L"nowindow", L"--ready", ready.name()});
    ASSERT_TRUE(WaitReady({&ready}));

    EXPECT_EQ(api.ProcessRunning(target.c_str()), 1);
    auto lines = TakeDllLog();
    EXPECT_EQ(CountStarting(lines, L"Process group "), 2u);
    EXPECT_EQ(CountStarting(lines, L"Tracking PID=" + std::to_wstring(pid) + L" "), 1u);

    // The same target in other letters keeps the group and what it tracked.
    std::wstring shouted = target;
    for (wchar_t& c : shouted) c = static_cast<wchar_t>(::towupper(c));
    EXPECT_EQ(api.ProcessRunning(shouted.c_str()), 1);
    lines = TakeDllLog();
    EXPECT_EQ(CountStarting(lines, L"Process group "), 0u);
    EXPECT_EQ(CountStarting(lines, L"Tracking "), 0u);
    EXPECT_EQ(CountStarting(lines, L"Excluded "), 0u) << "not a first snapshot";
    EXPECT_TRUE(lines.empty()) << "an unchanged summary is not logged again";

    // Buffer rules of the report.
    const std::wstring path = lum::CanonicalPath(target);
    const std::wstring report =
        path.substr(path.rfind(L'\\') + 1) + L" (PID " + std::to_wstring(pid) + L") \u2014 Running\r\n" + path;
    const auto length = static_cast<int32_t>(report.size());
    EXPECT_EQ(api.GetProcessReport(nullptr, 0), length);
    EXPECT_EQ(api.GetProcessReport(nullptr, 100), length);
    wchar_t buffer[600];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(api.GetProcessReport(buffer, 0), length);
    EXPECT_EQ(api.GetProcessReport(buffer, -7), length);
    EXPECT_EQ(buffer[0], L'#');
    EXPECT_EQ(api.GetProcessReport(buffer, 1), 0);
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(buffer[1], L'#');
    EXPECT_EQ(api.GetProcessReport(buffer, 12), 11);
    EXPECT_EQ(std::wstring(buffer), report.substr(0, 11));
    ASSERT_LT(report.size(), 599u);
    EXPECT_EQ(api.GetProcessReport(buffer, length + 1), length);
    EXPECT_EQ(std::wstring(buffer), report);

    // Another target replaces the group.
    const std::wstring otherTarget = other / L"Lumora.exe";
    EXPECT_EQ(api.ProcessRunning(otherTarget.c_str()), 0);
    lines = TakeDllLog();
    EXPECT_EQ(CountStarting(lines, L"Process group "), 2u);
    EXPECT_EQ(Report(), L"No related processes found.");
    EXPECT_EQ(api.ProcessRunning(target.c_str()), 1);
    EXPECT_EQ(CountStarting(TakeDllLog(), L"Tracking PID=" + std::to_wstring(pid) + L" "), 1u);
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

// A host callback that calls back into the library while a close runs.
std::wstring g_nestedTarget;
std::vector<int32_t> g_nestedResults;
bool g_armed = false;
int32_t __stdcall CallBackIntoTheLibrary() {
    // A scan notifies the host too: unarmed, this callback would recurse.
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
    const std::wstring target = install / L"Lumora.exe";
    g_nestedTarget = other / L"Other.exe";
    g_nestedResults.clear();
    Dll().ConfigureLog(nullptr, &CallBackIntoTheLibrary);
    TakeDllLog();

    g_armed = true;
    EXPECT_EQ(Dll().CloseApplication(target.c_str()), 1);
    g_armed = false;
    // Called after the scan, at the phase change and with the result.
    EXPECT_EQ(g_nestedResults, (std::vector<int32_t>{-1, 0, -1, 0, -1, 0}));
    const auto lines = TakeDllLog();
    EXPECT_EQ(CountStarting(lines, L"Process group target="), 1u);
    EXPECT_EQ(CountStarting(lines, L"Shutdown started:"), 1u);
    EXPECT_EQ(CountStarting(lines, L"Shutdown succeeded; elapsedMs="), 1u);
    EXPECT_EQ(CountStarting(lines, L"Shutdown worker threw"), 0u);
    Dll().ConfigureLog(nullptr, nullptr);
    // Released in the middle: nothing is reported, and calls work again.
    EXPECT_EQ(Report(), L"No related processes found.");
    EXPECT_EQ(Dll().ProcessRunning(g_nestedTarget.c_str()), 0);
}
