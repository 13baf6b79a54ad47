// The application shutdown's logic: canonical paths, error texts, the report
// text, and snapshots and shutdown runs on a scripted process table behind the
// process seam (process lists, creation times, access errors, the clock).
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "host/ui_state.h"
#include "shutdown/canonical_path.h"
#include "host/frames.h"
#include "shutdown/close_interface.h"
#include "base/error_text.h"
#include "shutdown/process_group.h"
#include "shutdown/shutdown_engine.h"
#include "shutdown/snapshot.h"
#include "shutdown/target_refusal.h"
#include "test_support.h"

using lum::ProcessGroup;
using lum::ProcessRecord;
using lum::ProcessState;
using lum::ShutdownPhase;
using lumtest::TempDir;
using Lines = std::vector<std::wstring>;

namespace {

const std::wstring kTarget = L"C:\\Apps\\Lumora\\Lumora.exe";
const std::wstring kRoot = L"C:\\Apps\\Lumora\\";

std::wstring Ok() { return lum::FormatErrorText(0); }

struct FakeProcess {
    DWORD pid = 0;
    DWORD parent = 0;
    std::wstring image;    // as QueryFullProcessImageName reports it
    uint64_t created = 0;  // FILETIME values; exited is 0 while it runs
    uint64_t exited = 0;
    DWORD exitCode = STILL_ACTIVE;
    bool listed = true;  // appears in the process list while running
    DWORD openError = 0, queryError = 0, timesError = 0, terminateError = 0;
    bool closesOnRequest = false;  // exits at once on WM_CLOSE
    uint64_t reopenCreated = 0;    // when set, a reopen for termination sees this creation time
    std::vector<uintptr_t> windows;
};

// A scripted process table. Handles given out are real event handles, so the
// code under test owns and closes real handles; each stands for one process.
class FakeSystem {
public:
    FakeSystem() = default;
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;

    DWORD selfPid = 1000;
    ULONGLONG tick = 50'000;
    DWORD snapshotError = 0, firstError = 0, postError = 0;
    DWORD nextError = 0;  // 0: the list ends with ERROR_NO_MORE_FILES
    std::function<void()> onSleep;
    std::map<DWORD, int> openCounts;  // OpenProcess calls per process id
    int terminateCalls = 0;

    uint64_t Now() const { return 133'000'000'000'000'000ull + static_cast<uint64_t>(tick) * 10'000; }
    // Adds a running process created now (or at the given time); returns its index.
    size_t Start(DWORD pid, DWORD parent, const std::wstring& image, uint64_t created = 0) {
        FakeProcess p;
        p.pid = pid;
        p.parent = parent;
        p.image = image;
        p.created = created ? created : Now();
        processes_.push_back(p);
        return processes_.size() - 1;
    }
    FakeProcess& At(size_t index) { return processes_[index]; }
    void Exit(size_t index, DWORD code) {
        processes_[index].exited = Now();
        processes_[index].exitCode = code;
    }

    lum::ProcessApi Api() {
        lum::ProcessApi api = lum::SystemProcessApi();
        api.createToolhelp32Snapshot = [this](DWORD, DWORD) -> HANDLE {
            if (snapshotError) return ::SetLastError(snapshotError), INVALID_HANDLE_VALUE;
            HANDLE handle = NewHandle();
            auto& list = lists_[handle] = {};
            for (const FakeProcess& p : processes_) {
                if (!p.listed || p.exited) continue;
                PROCESSENTRY32W entry{};
                entry.dwSize = sizeof(entry);
                entry.th32ProcessID = p.pid;
                entry.th32ParentProcessID = p.parent;
                wcsncpy(entry.szExeFile, p.image.substr(p.image.find_last_of(L'\\') + 1).c_str(), MAX_PATH - 1);
                list.first.push_back(entry);
            }
            return handle;
        };
        api.process32First = [this](HANDLE snapshot, PROCESSENTRY32W* entry) -> BOOL {
            if (firstError) return Fail(firstError);
            lists_[snapshot].second = 0;
            return NextEntry(snapshot, entry);
        };
        api.process32Next = [this](HANDLE snapshot, PROCESSENTRY32W* entry) { return NextEntry(snapshot, entry); };
        api.openProcess = [this](DWORD access, BOOL, DWORD pid) -> HANDLE {
            ++openCounts[pid];
            for (size_t i = processes_.size(); i-- > 0;) {
                FakeProcess& p = processes_[i];
                if (p.pid != pid || p.exited) continue;
                if (p.openError) return ::SetLastError(p.openError), nullptr;
                HANDLE handle = NewHandle();
                handles_[handle] = {i, access == lum::kTerminateRights};
                return handle;
            }
            return ::SetLastError(ERROR_INVALID_PARAMETER), nullptr;
        };
        api.queryFullProcessImageName = [this](HANDLE h, DWORD, wchar_t* buffer, DWORD* size) -> BOOL {
            FakeProcess* p = Find(h);
            if (!p || p->queryError) return Fail(p ? p->queryError : ERROR_INVALID_HANDLE);
            wcscpy(buffer, p->image.c_str());
            *size = static_cast<DWORD>(p->image.size());
            return TRUE;
        };
        api.getProcessTimes = [this](HANDLE h, FILETIME* creation, FILETIME* exit, FILETIME* kernel,
                                     FILETIME* user) -> BOOL {
            FakeProcess* p = Find(h);
            if (!p || p->timesError) return Fail(p ? p->timesError : ERROR_INVALID_HANDLE);
            *creation = ToFileTime(handles_[h].reopened && p->reopenCreated ? p->reopenCreated : p->created);
            *exit = ToFileTime(p->exited);
            *kernel = *user = FILETIME{};
            return TRUE;
        };
        api.waitForSingleObject = [this](HANDLE h, DWORD) -> DWORD {
            FakeProcess* p = Find(h);
            return !p ? WAIT_FAILED : p->exited ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
        };
        api.getExitCodeProcess = [this](HANDLE h, DWORD* code) -> BOOL {
            FakeProcess* p = Find(h);
            if (!p) return Fail(ERROR_INVALID_HANDLE);
            *code = p->exitCode;
            return TRUE;
        };
        api.terminateProcess = [this](HANDLE h, UINT code) -> BOOL {
            ++terminateCalls;
            FakeProcess* p = Find(h);
            if (!p || !handles_[h].reopened) return Fail(ERROR_ACCESS_DENIED);
            if (p->terminateError) return Fail(p->terminateError);
            if (!p->exited) p->exited = Now(), p->exitCode = code;
            return TRUE;
        };
        api.getSystemTimeAsFileTime = [this](FILETIME* now) { *now = ToFileTime(Now()); };
        api.getCurrentProcessId = [this] { return selfPid; };
        api.enumWindows = [this](WNDENUMPROC callback, LPARAM parameter) -> BOOL {
            std::vector<uintptr_t> windows;
            for (const FakeProcess& p : processes_) {
                if (!p.exited) windows.insert(windows.end(), p.windows.begin(), p.windows.end());
            }
            for (uintptr_t w : windows) {
                if (!callback(reinterpret_cast<HWND>(w), parameter)) break;
            }
            return TRUE;
        };
        api.getWindowThreadProcessId = [this](HWND window, DWORD* pid) -> DWORD {
            FakeProcess* p = OwnerOf(window);
            *pid = p ? p->pid : 0;
            return p ? 1 : 0;
        };
        api.postMessage = [this](HWND window, UINT message, WPARAM, LPARAM) -> BOOL {
            if (postError) return Fail(postError);
            FakeProcess* p = OwnerOf(window);
            if (p && message == WM_CLOSE && p->closesOnRequest) p->exited = Now(), p->exitCode = 0;
            return TRUE;
        };
        api.getTickCount64 = [this] { return tick; };
        api.sleep = [this](DWORD ms) {
            tick += ms;
            if (onSleep) onSleep();
        };
        return api;
    }

private:
    struct HandleTarget {
        size_t index = 0;
        bool reopened = false;  // opened for termination
    };

    static FILETIME ToFileTime(uint64_t value) {
        return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
    }
    static BOOL Fail(DWORD error) {
        ::SetLastError(error);
        return FALSE;
    }
    // A value that comes back after its close simply replaces its table entry.
    static HANDLE NewHandle() { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    FakeProcess* Find(HANDLE h) {
        const auto found = handles_.find(h);
        return found == handles_.end() ? nullptr : &processes_[found->second.index];
    }
    FakeProcess* OwnerOf(HWND window) {
        for (FakeProcess& p : processes_) {
            if (!p.exited && std::count(p.windows.begin(), p.windows.end(), reinterpret_cast<uintptr_t>(window))) {
                return &p;
            }
        }
        return nullptr;
    }
    BOOL NextEntry(HANDLE snapshot, PROCESSENTRY32W* entry) {
        auto& [list, cursor] = lists_[snapshot];
        if (cursor >= list.size()) return Fail(nextError ? nextError : ERROR_NO_MORE_FILES);
        *entry = list[cursor++];
        return TRUE;
    }

    std::deque<FakeProcess> processes_;
    std::map<HANDLE, HandleTarget> handles_;
    std::map<HANDLE, std::pair<std::vector<PROCESSENTRY32W>, size_t>> lists_;
};

// A group on the fake table, with the log lines it wrote and the fake tick of each.
class SeamTest : public ::testing::Test {
protected:
    // A setup process 1000 started by 900; neither is ever a member.
    void AddSetupChain() {
        sys_.Start(1000, 900, L"C:\\Temp\\setup.exe");
        sys_.Start(900, 0, L"C:\\Windows\\explorer.exe");
    }
    void MakeGroup(const std::wstring& target = kTarget) {
        group_ = std::make_unique<ProcessGroup>(
            target,
            [this](const std::wstring& line) {
                log_.push_back(line);
                ticks_.push_back(sys_.tick);
            },
            sys_.Api());
    }
    // Lines written since the last call.
    Lines TakeLog() {
        Lines lines(log_.begin() + static_cast<ptrdiff_t>(taken_), log_.end());
        taken_ = log_.size();
        return lines;
    }
    size_t Count(const std::wstring& prefix) const {
        return std::count_if(log_.begin(), log_.end(), [&](const auto& line) { return line.rfind(prefix, 0) == 0; });
    }
    // Index of the first line starting with prefix, or -1.
    ptrdiff_t IndexOf(const std::wstring& prefix) const {
        const auto found =
            std::find_if(log_.begin(), log_.end(), [&](const auto& line) { return line.rfind(prefix, 0) == 0; });
        return found == log_.end() ? -1 : found - log_.begin();
    }
    std::wstring Describe(size_t index) {
        const FakeProcess& p = sys_.At(index);
        return L"PID=" + std::to_wstring(p.pid) + L" parent=" + std::to_wstring(p.parent) + L" created=" +
               std::to_wstring(p.created) + L" path=\"" + p.image + L"\"";
    }
    std::wstring Exited(size_t index, DWORD code, bool graceful, bool forced) {
        return L"Confirmed exited " + Describe(index) + L" exitCode=" + std::to_wstring(code) +
               L" gracefulRequested=" + (graceful ? L"1" : L"0") + L" forceAttempted=" + (forced ? L"1" : L"0");
    }
    bool Run(uint32_t graceful = 4000, uint32_t force = 4000, uint32_t quiet = 500) {
        return lum::RunShutdown(*group_, [this](ShutdownPhase phase) { phases_.push_back(phase); }, graceful, force,
                                quiet);
    }

    FakeSystem sys_;
    std::unique_ptr<ProcessGroup> group_;
    Lines log_;
    std::vector<ULONGLONG> ticks_;
    std::vector<ShutdownPhase> phases_;
    size_t taken_ = 0;
};

}  // namespace

// --- Canonical paths and error texts ------------------------------------------

TEST(ShutdownPaths, CanonicalPathsComparisonsAndErrorTexts) {
    TempDir dir;
    ASSERT_TRUE(::CreateDirectoryW((dir / L"Sub").c_str(), nullptr));
    ASSERT_TRUE(lumtest::WriteFileBytes(dir / L"Sub\\MixedCase.Txt", "x"));
    // An existing file: its final path in the file system's case, without prefix, slashes or dot segments.
    const std::wstring canonical = lum::CanonicalPath(dir.path() + L"/sub/../Sub/mixedcase.txt");
    EXPECT_TRUE(lum::EqualsIgnoringAsciiCase(canonical, dir.path() + L"\\Sub\\MixedCase.Txt")) << lumtest::Utf8(canonical);
    EXPECT_EQ(canonical.substr(canonical.size() - 14), L"\\MixedCase.Txt") << lumtest::Utf8(canonical);
    EXPECT_NE(canonical.rfind(L"\\\\?\\", 0), 0u);
    // Missing files and long forms.
    EXPECT_EQ(lum::CanonicalPath(L"C:/Apps/Lumora/x.exe"), L"C:\\Apps\\Lumora\\x.exe");
    EXPECT_EQ(lum::CanonicalPath(L"\\\\?\\C:\\Apps\\Lumora\\x.exe"), L"C:\\Apps\\Lumora\\x.exe");
    EXPECT_EQ(lum::CanonicalPath(L"\\\\?\\UNC\\server\\share\\x.exe"), L"\\\\server\\share\\x.exe");
    EXPECT_EQ(lum::CanonicalPath(L""), L"");
    // Only ASCII letters fold; a prefix must end at a separator.
    EXPECT_FALSE(lum::EqualsIgnoringAsciiCase(L"C:\\\u00C4pps", L"C:\\\u00E4pps"));
    EXPECT_TRUE(lum::StartsWithIgnoringAsciiCase(L"C:\\APPS\\Lumora\\x.exe", L"c:\\apps\\lumora\\"));
    EXPECT_EQ(lum::ProcessRoot(L"\\\\server\\share\\Lumora.exe"), L"\\\\server\\share\\");
    // A root may not be a shared folder or hold one; a sibling that merely starts alike is no shared folder.
    const std::vector<std::wstring> shared = {L"C:\\Program Files", L"C:\\Users\\me\\"};
    for (const wchar_t* root : {L"c:\\program files\\", L"C:\\Users\\", L"C:\\Users\\Me\\"}) {
        EXPECT_TRUE(lum::RootCoversSharedFolder(root, shared)) << lumtest::Utf8(root);
    }
    for (const wchar_t* root : {L"C:\\Program Files\\Lumora\\", L"C:\\Program Files (x86)\\", L""}) {
        EXPECT_FALSE(lum::RootCoversSharedFolder(root, shared)) << lumtest::Utf8(root);
    }

    wchar_t* message = nullptr;
    const DWORD length = ::FormatMessageW(0x1300, nullptr, 5, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    ASSERT_NE(message, nullptr);
    std::wstring expected(message, length);
    ::LocalFree(message);
    std::replace_if(expected.begin(), expected.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
    EXPECT_EQ(lum::FormatErrorText(5), L"5 (" + expected + L")");
    EXPECT_EQ(Ok().rfind(L"0 (", 0), 0u) << lumtest::Utf8(Ok());
    EXPECT_EQ(lum::FormatErrorText(0xE0AB1234u), L"3769307700") << "no system text: the bare number";
}

// --- Snapshots ------------------------------------------------------------------

TEST_F(SeamTest, SnapshotFailuresReturnMinusOneWithTheirLines) {
    AddSetupChain();
    const size_t member = sys_.Start(50, 900, kTarget);
    MakeGroup();
    TakeLog();
    const struct {
        DWORD FakeSystem::*field;
        DWORD error;
        const wchar_t* line;
    } rows[] = {{&FakeSystem::snapshotError, 8, L"CreateToolhelp32Snapshot failed: "},
                {&FakeSystem::firstError, 5, L"Process32First failed: "},
                {&FakeSystem::nextError, 299, L"Process32Next failed: "}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.error);
        sys_.*row.field = row.error;
        EXPECT_EQ(lum::Snapshot(*group_), -1);
        EXPECT_EQ(group_->scanError, row.error);
        EXPECT_EQ(TakeLog(), Lines{row.line + lum::FormatErrorText(row.error)});
        EXPECT_TRUE(group_->records.empty());
        EXPECT_TRUE(group_->trackedIdentities.empty());
        sys_.*row.field = 0;
    }
    // The failures kept the first-snapshot flag: the first good one logs the exclusions.
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    EXPECT_EQ(group_->scanError, 0u);
    const Lines lines = TakeLog();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], L"Excluded setup/ancestor PID=1000 name=setup.exe");
    EXPECT_EQ(lines[2], L"Tracking " + Describe(member) + L" reason=inside-install-directory");
}

TEST_F(SeamTest, ParentLoopsEndTheExclusionChain) {
    sys_.Start(1000, 900, L"C:\\Temp\\setup.exe");
    sys_.Start(900, 1000, L"C:\\Temp\\odd.exe");
    MakeGroup();
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    EXPECT_EQ(Count(L"Excluded setup/ancestor"), 2u);
}

TEST_F(SeamTest, ReusedIdsAndLateChildrenOfExitedMembersAreNotAdmitted) {
    AddSetupChain();
    const size_t member = sys_.Start(50, 900, kTarget);
    const size_t earlyChild = sys_.Start(61, 50, L"C:\\Other\\early.exe");
    sys_.At(earlyChild).listed = false;  // not yet in the list
    sys_.tick += 100;
    MakeGroup();
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    TakeLog();

    // The member ends; an unrelated process outside the root takes its id and
    // starts a child. The child started while the member ran is listed only now.
    sys_.tick += 100;
    sys_.Exit(member, 0);
    sys_.tick += 100;
    sys_.Start(50, 900, L"C:\\Other\\reuser.exe");
    sys_.tick += 100;
    sys_.Start(62, 50, L"C:\\Other\\late.exe");
    sys_.At(earlyChild).listed = true;
    sys_.tick += 100;

    EXPECT_EQ(lum::Snapshot(*group_), 1);
    EXPECT_EQ(sys_.openCounts[50], 2) << "an exited member's id is examined afresh";
    const Lines lines = TakeLog();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], L"Tracking " + Describe(earlyChild) + L" reason=verified-descendant");
    EXPECT_EQ(lines[1], Exited(member, 0, false, false));
    EXPECT_EQ(lines[2].rfind(L"Snapshot result: running=1 trackedIdentities=2\n  PID=61 ", 0), 0u);
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    EXPECT_TRUE(TakeLog().empty()) << "the exit is logged once";
}

TEST_F(SeamTest, ProcessesCreatedAfterTheSnapshotTimeWaitForTheNextSnapshot) {
    AddSetupChain();
    const size_t early = sys_.Start(50, 900, kTarget, sys_.Now() + 10'000);  // a clock that lags a little
    MakeGroup();
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    sys_.tick += 2;
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    EXPECT_EQ(group_->trackedIdentities.at(0).creationTime, sys_.At(early).created);
}

TEST_F(SeamTest, UnverifiableProcessesAreLoggedOncePerErrorAndNeverCounted) {
    AddSetupChain();
    const size_t denied = sys_.Start(70, 900, kRoot + L"Denied.exe");
    sys_.At(denied).openError = ERROR_ACCESS_DENIED;
    sys_.At(sys_.Start(71, 900, kRoot + L"NoImage.exe")).queryError = ERROR_PARTIAL_COPY;
    sys_.At(sys_.Start(72, 900, kRoot + L"NoTimes.exe")).timesError = ERROR_ACCESS_DENIED;
    sys_.At(sys_.Start(73, 900, kRoot + L"Gone.exe")).openError = ERROR_INVALID_PARAMETER;  // ended meanwhile
    sys_.tick += 1;
    MakeGroup();
    TakeLog();
    auto skipped = [](const wchar_t* what, DWORD error) {
        return std::wstring(L"Skipping unverified process PID=") + what + L" error=" + lum::FormatErrorText(error) +
               L"; ownership unavailable; not a shutdown target or blocking process";
    };
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    const Lines lines = TakeLog();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(Lines(lines.begin() + 2, lines.end()),
              (Lines{skipped(L"70 parent=900 name=Denied.exe operation=OpenProcess(query+sync)", 5),
                     skipped(L"71 parent=900 name=NoImage.exe operation=QueryFullProcessImageName", 299),
                     skipped(L"72 parent=900 name=NoTimes.exe operation=GetProcessTimes", 5),
                     L"Snapshot result: running=0 trackedIdentities=0; snapshotEntries=6"}));
    EXPECT_TRUE(group_->records.empty());

    // Probed again, logged again only for a new error.
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(sys_.openCounts[70], 2);
    sys_.At(denied).openError = ERROR_INVALID_HANDLE;
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    EXPECT_EQ(TakeLog(), Lines{skipped(L"70 parent=900 name=Denied.exe operation=OpenProcess(query+sync)", 6)});
    EXPECT_EQ(group_->reportedUnverified.size(), 4u);
    EXPECT_EQ(Count(L"Skipping unverified process PID=73"), 0u);
}

// --- Shutdown runs ----------------------------------------------------------------

TEST_F(SeamTest, AWholeRunLogsEveryLineInOrder) {
    AddSetupChain();
    // Listed before their parents: a grandchild and a child outside the root, then the application.
    const uint64_t t0 = sys_.Now();
    const size_t grandchild = sys_.Start(62, 60, L"C:\\Other\\grand.exe", t0 + 30);
    const size_t child = sys_.Start(60, 50, L"C:\\Other\\tool.exe", t0 + 20);
    const size_t main = sys_.Start(50, 900, kTarget, t0 + 10);
    // A folder that merely begins like the install folder, and the same name elsewhere.
    sys_.Start(80, 900, L"C:\\Apps\\Lumora2\\Lumora.exe", t0 + 5);
    sys_.Start(81, 900, L"C:\\Elsewhere\\Lumora.exe", t0 + 5);
    sys_.At(main).windows = {0x1234};
    sys_.At(child).windows = {0x2000};
    sys_.At(grandchild).windows = {0x3000};
    for (size_t i : {main, child, grandchild}) sys_.At(i).closesOnRequest = true;
    sys_.tick += 1;
    const ULONGLONG start = sys_.tick;
    MakeGroup();
    EXPECT_TRUE(Run());
    auto running = [](const std::wstring& pid, const std::wstring& name, const std::wstring& path) {
        return L"\n  PID=" + pid + L" name=" + name + L" path=\"" + path + L"\" state=running error=" + Ok();
    };
    const Lines expected{
        L"Process group target=\"" + kTarget + L"\" canonical=\"" + kTarget + L"\"",
        L"Process group root=\"" + kRoot + L"\"; scope=verified-path-and-descendants; no executable-name matching",
        L"Resetting shutdown attempt flags",
        L"Shutdown started: gentleMs=4000 forceMs=4000 quietMs=500",
        L"Excluded setup/ancestor PID=1000 name=setup.exe",
        L"Excluded setup/ancestor PID=900 name=explorer.exe",
        L"Tracking " + Describe(main) + L" reason=inside-install-directory",
        L"Tracking " + Describe(child) + L" reason=verified-descendant",
        L"Tracking " + Describe(grandchild) + L" reason=verified-descendant",
        L"Snapshot result: running=3 trackedIdentities=3" + running(L"50", L"Lumora.exe", kTarget) +
            running(L"60", L"tool.exe", L"C:\\Other\\tool.exe") + running(L"62", L"grand.exe", L"C:\\Other\\grand.exe") +
            L"; snapshotEntries=7",
        L"Initial shutdown snapshot complete; confirmedRunning=3; main/descendant PIDs, creation times and handles "
        L"captured before exit requests",
        L"Shutdown phase=graceful elapsedMs=0",
        L"WM_CLOSE PID=50 HWND=4660 queued=1 error=" + Ok(),
        L"Graceful request " + Describe(main) + L" topLevelWindows=1",
        L"WM_CLOSE PID=60 HWND=8192 queued=1 error=" + Ok(),
        L"Graceful request " + Describe(child) + L" topLevelWindows=1",
        L"WM_CLOSE PID=62 HWND=12288 queued=1 error=" + Ok(),
        L"Graceful request " + Describe(grandchild) + L" topLevelWindows=1",
        Exited(main, 0, true, false),
        Exited(child, 0, true, false),
        Exited(grandchild, 0, true, false),
        L"Snapshot result: running=0 trackedIdentities=3; snapshotEntries=4",
        L"Shutdown phase=verify-quiet elapsedMs=80",
        L"Shutdown succeeded; elapsedMs=640",
    };
    EXPECT_EQ(log_, expected);
    EXPECT_EQ(phases_, (std::vector<ShutdownPhase>{ShutdownPhase::Graceful, ShutdownPhase::VerifyQuiet}));
    EXPECT_EQ(sys_.tick - start, 640u) << "no sleep after the deciding poll";
}

TEST_F(SeamTest, AMemberStartedDuringTheForcePhaseIsAskedAndForcedInTheSamePoll) {
    AddSetupChain();
    sys_.At(sys_.Start(50, 900, kTarget)).terminateError = ERROR_ACCESS_DENIED;  // keeps the force phase going
    MakeGroup();
    bool started = false;
    sys_.onSleep = [&] {
        if (!started && IndexOf(L"Shutdown phase=force") >= 0) started = (sys_.Start(52, 900, kRoot + L"late.exe"), true);
    };
    EXPECT_FALSE(Run());
    ASSERT_TRUE(started);
    const ptrdiff_t asked = IndexOf(L"Graceful request PID=52");
    ASSERT_GT(asked, IndexOf(L"Tracking PID=52"));
    ASSERT_GT(IndexOf(L"Tracking PID=52"), IndexOf(L"Shutdown phase=force"));
    EXPECT_EQ(IndexOf(L"Force attempt PID=52"), asked + 1);
    EXPECT_EQ(ticks_[asked], ticks_[asked + 1]);
}

TEST_F(SeamTest, AFailedTerminationMarksTheRecordAndTheRunTimesOut) {
    AddSetupChain();
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).terminateError = ERROR_ACCESS_DENIED;
    MakeGroup();
    const ULONGLONG start = sys_.tick;
    EXPECT_FALSE(Run());
    EXPECT_EQ(Count(L"Force attempt"), 1u);
    EXPECT_EQ(Count(L"TerminateProcess PID=50 result=" + lum::FormatErrorText(5) + L"; awaiting signaled process handle"),
              1u);
    EXPECT_EQ(Count(L"Snapshot result: running=1 trackedIdentities=1\n  PID=50 name=Lumora.exe path=\"" + kTarget +
                    L"\" state=close-failed error=" + lum::FormatErrorText(5)),
              1u);
    EXPECT_GT(sys_.tick - start, 8500u);
    EXPECT_EQ(log_.back(), L"Shutdown timed out; elapsedMs=" + std::to_wstring(sys_.tick - start));
    ASSERT_EQ(group_->records.size(), 1u);
    EXPECT_EQ(group_->records[0].state, ProcessState::CloseFailed);
    EXPECT_EQ(group_->records[0].error, 5u);

    // A second run starts from fresh flags: asked and forced again.
    log_.clear();
    sys_.At(main).terminateError = 0;
    EXPECT_TRUE(Run());
    EXPECT_EQ(Count(L"Graceful request PID=50"), 1u);
    EXPECT_EQ(Count(Exited(main, 1067, true, true)), 1u);
}

TEST_F(SeamTest, ATerminationThatCannotVerifyItsTargetIsNotAttempted) {
    AddSetupChain();
    for (DWORD pid : {50, 51, 52}) sys_.Start(pid, 900, kTarget);
    MakeGroup();
    ASSERT_EQ(lum::Snapshot(*group_), 3);
    sys_.At(2).reopenCreated = sys_.At(2).created + 1;  // id 50 now names another process
    sys_.At(3).openError = ERROR_ACCESS_DENIED;
    sys_.At(4).timesError = ERROR_INVALID_HANDLE;
    lum::ForceExit(*group_);
    lum::ForceExit(*group_);  // forced once per run
    EXPECT_EQ(Count(L"Force attempt"), 3u);
    const std::wstring tail = L"; awaiting signaled process handle";
    EXPECT_EQ(Count(L"Verify process creation time PID=50 result=" + lum::FormatErrorText(87) + tail), 1u);
    EXPECT_EQ(Count(L"OpenProcess(terminate+query+sync) PID=51 result=" + lum::FormatErrorText(5) + tail), 1u);
    EXPECT_EQ(Count(L"GetProcessTimes PID=52 result=" + lum::FormatErrorText(6) + tail), 1u);
    std::map<uint32_t, uint32_t> errors;
    for (const auto& identity : group_->trackedIdentities) errors[identity.processId] = identity.closeError;
    EXPECT_EQ(errors, (std::map<uint32_t, uint32_t>{{50, 87}, {51, 5}, {52, 6}}));
    EXPECT_EQ(sys_.terminateCalls, 0);
}

TEST_F(SeamTest, FailedPostsAreLoggedAndNotRepeated) {
    AddSetupChain();
    sys_.At(sys_.Start(50, 900, kTarget)).windows = {0x40};
    sys_.postError = ERROR_ACCESS_DENIED;
    MakeGroup();
    ASSERT_EQ(lum::Snapshot(*group_), 1);
    lum::RequestGracefulExit(*group_);
    lum::RequestGracefulExit(*group_);
    EXPECT_EQ(Count(L"WM_CLOSE PID=50 HWND=64 queued=0 error=" + lum::FormatErrorText(5)), 1u);
    EXPECT_EQ(Count(L"Graceful request"), 1u);
}

TEST_F(SeamTest, AMemberReappearingDuringVerifyQuietRestartsTheQuietInterval) {
    AddSetupChain();
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).windows = {0x10};
    sys_.At(main).closesOnRequest = true;
    MakeGroup();
    bool respawned = false;
    sys_.onSleep = [&] {
        const ptrdiff_t quiet = IndexOf(L"Shutdown phase=verify-quiet");
        if (respawned || quiet < 0 || ticks_[quiet] + 240 > sys_.tick) return;
        respawned = true;
        const size_t again = sys_.Start(53, 900, kTarget);
        sys_.At(again).windows = {0x20};
        sys_.At(again).closesOnRequest = true;
    };
    EXPECT_TRUE(Run());
    EXPECT_EQ(phases_, (std::vector<ShutdownPhase>{ShutdownPhase::Graceful, ShutdownPhase::VerifyQuiet,
                                                   ShutdownPhase::Graceful, ShutdownPhase::VerifyQuiet}));
    // 80: first quiet poll; 320: the new member is seen; 400: quiet again; success 560 ms later.
    EXPECT_EQ(log_[IndexOf(L"Tracking PID=53") + 2], L"Shutdown phase=graceful elapsedMs=320");
    EXPECT_EQ(log_.back(), L"Shutdown succeeded; elapsedMs=960");
}

TEST_F(SeamTest, ZeroBudgetsEndAfterOnePoll) {
    AddSetupChain();
    MakeGroup();
    EXPECT_TRUE(Run(0, 0, 0));
    EXPECT_EQ(log_.back(), L"Shutdown succeeded; elapsedMs=0");

    sys_.At(sys_.Start(50, 900, kTarget)).terminateError = ERROR_ACCESS_DENIED;
    log_.clear();
    phases_.clear();
    EXPECT_FALSE(Run(0, 0, 0));
    EXPECT_EQ(phases_, std::vector<ShutdownPhase>{ShutdownPhase::Force});
    EXPECT_EQ(Count(L"Graceful request PID=50"), 1u);
    EXPECT_EQ(Count(L"Force attempt PID=50"), 1u);
    EXPECT_EQ(log_.back(), L"Shutdown timed out; elapsedMs=80");
}

TEST_F(SeamTest, AFailedSnapshotMakesNoRequestsAndCountsAsRunning) {
    AddSetupChain();
    sys_.At(sys_.Start(50, 900, kTarget)).windows = {0x10};
    MakeGroup();
    sys_.snapshotError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(Run(160, 0, 0));
    EXPECT_EQ(Count(L"Initial shutdown snapshot complete"), 0u);
    EXPECT_EQ(Count(L"Graceful request"), 0u);
    EXPECT_EQ(phases_, (std::vector<ShutdownPhase>{ShutdownPhase::Graceful, ShutdownPhase::Force}));
    EXPECT_EQ(group_->scanError, 5u);
}

// --- The report text ------------------------------------------------------------

class ReportTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        lum::Ui().texts = {{L"RunningStatus", L"Running"},
                           {L"CloseFailedStatus", L"Could not close"},
                           {L"ProcessErrorCode", L"Error"},
                           {L"ProcessScanFailed", L"Unable to check processes."},
                           {L"ProcessNone", L"No related processes found."}};
    }
    void TearDown() override { lum::Ui().texts.clear(); }
};

TEST_F(ReportTextTest, RecordsWithStatusErrorsAndPathsBetweenLineBreaks) {
    const std::vector<ProcessRecord> records{
        {12, L"Lumora.exe", L"C:\\Apps\\Lumora\\Lumora.exe", ProcessState::Running, 0},
        {40, L"helper", L"", ProcessState::CloseFailed, 5},
        {41, L"tool.exe", L"C:\\Other\\tool.exe", ProcessState::Running, 4294967295u},
    };
    EXPECT_EQ(lum::ProcessStatusText(records[0], lum::ReportTextsOf(lum::Ui())), L"Running");
    EXPECT_EQ(lum::BuildProcessReport(records, 0, lum::ReportTextsOf(lum::Ui())),
              L"Lumora.exe (PID 12) \u2014 Running\r\nC:\\Apps\\Lumora\\Lumora.exe\r\n"
              L"helper (PID 40) \u2014 Could not close \u00B7 Error 5\r\n"
              L"tool.exe (PID 41) \u2014 Running \u00B7 Error 4294967295\r\nC:\\Other\\tool.exe");
    EXPECT_EQ(lum::BuildProcessReport({}, 0, lum::ReportTextsOf(lum::Ui())), L"No related processes found.");
    EXPECT_EQ(lum::BuildProcessReport({}, 1168, lum::ReportTextsOf(lum::Ui())), L"Unable to check processes. Error 1168");
    lum::Ui().texts.clear();
    EXPECT_EQ(lum::BuildProcessReport({}, 0, lum::ReportTextsOf(lum::Ui())), L"ProcessNone");
}

// The test program's own copy of the close export, with its process calls replaced: an
// exception inside the shutdown stops at the wall and reaches the report as error 31.
TEST_F(ReportTextTest, AShutdownThatThrowsReportsError31) {
    FakeSystem sys;
    sys.Start(1000, 900, L"C:\\Temp\\setup.exe");
    sys.Start(50, 900, kTarget);
    const lum::ProcessApi saved = lum::CloseInterfaceProcessApi();
    lum::CloseInterfaceProcessApi() = sys.Api();
    lum::CloseInterfaceProcessApi().sleep = [](DWORD) { throw std::runtime_error("broken clock"); };
    lum::ReleaseProcessShutdown();
    LumUI_ConfigureLog(nullptr, nullptr);
    EXPECT_EQ(LumUI_CloseApplication(kTarget.c_str()), 0);
    std::wstring last;
    for (int32_t length; (length = LumUI_ReadLog(nullptr, 0)) > 0;) {
        last.assign(static_cast<size_t>(length) + 1, L'\0');
        if (LumUI_ReadLog(last.data(), length + 1) != length) break;
        last = last.substr(22, static_cast<size_t>(length) - 22);
    }
    EXPECT_EQ(last, L"Shutdown worker threw an exception; error=" + lum::FormatErrorText(31));
    EXPECT_TRUE(lum::ReportRecords().empty());
    EXPECT_EQ(lum::BuildProcessReport(lum::ReportTextsOf(lum::Ui())), L"Unable to check processes. Error 31");
    lum::ReleaseProcessShutdown();
    lum::CloseInterfaceProcessApi() = saved;
}
