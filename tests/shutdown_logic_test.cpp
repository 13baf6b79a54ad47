// The application shutdown's logic: canonical paths, error texts, the report
// text, and snapshots and shutdown runs whose view of the machine comes from a
// scripted process table behind the process seam (process lists, creation
// times, access errors, the clock).
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/scoped_win.h"
#include "host/ui_state.h"
#include "shutdown/canonical_path.h"
#include "shutdown/close_interface.h"
#include "shutdown/error_text.h"
#include "shutdown/process_group.h"
#include "shutdown/shutdown_engine.h"
#include "shutdown/snapshot.h"
#include "test_support.h"

using lum::ProcessGroup;
using lum::ProcessRecord;
using lum::ProcessState;
using lumtest::TempDir;

namespace {

// ---------------------------------------------------------------------------
// A scripted process table behind lum::ProcessApi. Handles given out are real
// event handles, so the code under test owns and closes real handles; each one
// stands for one fake process object.

struct FakeProcess {
    DWORD pid = 0;
    DWORD parent = 0;
    std::wstring image;     // as QueryFullProcessImageName reports it
    uint64_t created = 0;   // FILETIME value
    uint64_t exited = 0;    // 0 while it runs
    DWORD exitCode = STILL_ACTIVE;
    bool listed = true;     // appears in the process list while running
    DWORD openError = 0;    // OpenProcess fails with it
    DWORD queryError = 0;   // QueryFullProcessImageName fails with it
    DWORD timesError = 0;   // GetProcessTimes fails with it
    DWORD terminateError = 0;
    bool closesOnRequest = false;   // exits at once on WM_CLOSE
    uint64_t reopenCreated = 0;     // when set, a reopen by id sees this creation time
    std::vector<uintptr_t> windows; // top-level window values
};

class FakeSystem {
public:
    static constexpr uint64_t kBaseTime = 133'000'000'000'000'000ull;

    FakeSystem() = default;
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;

    DWORD selfPid = 1000;
    ULONGLONG tick = 50'000;
    DWORD snapshotError = 0;
    DWORD firstError = 0;
    DWORD nextError = 0;  // 0: the list ends with ERROR_NO_MORE_FILES
    DWORD postError = 0;
    std::function<void()> onSleep;
    std::map<DWORD, int> openCounts;  // OpenProcess calls per process id
    int terminateCalls = 0;
    std::vector<uintptr_t> posts;

    uint64_t Now() const { return kBaseTime + static_cast<uint64_t>(tick) * 10'000; }

    // Adds a running process created now (or at the given time) and returns its index.
    size_t Start(DWORD pid, DWORD parent, const std::wstring& image, uint64_t created = 0) {
        FakeProcess process;
        process.pid = pid;
        process.parent = parent;
        process.image = image;
        process.created = created ? created : Now();
        processes_.push_back(process);
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
            if (snapshotError) {
                ::SetLastError(snapshotError);
                return INVALID_HANDLE_VALUE;
            }
            HANDLE handle = NewHandle();
            std::vector<PROCESSENTRY32W> list;
            for (const FakeProcess& p : processes_) {
                if (!p.listed || p.exited) continue;
                PROCESSENTRY32W entry{};
                entry.dwSize = sizeof(entry);
                entry.th32ProcessID = p.pid;
                entry.th32ParentProcessID = p.parent;
                const std::wstring name = p.image.substr(p.image.find_last_of(L'\\') + 1);
                wcsncpy(entry.szExeFile, name.c_str(), MAX_PATH - 1);
                list.push_back(entry);
            }
            lists_[handle] = {list, 0};
            return handle;
        };
        api.process32First = [this](HANDLE snapshot, PROCESSENTRY32W* entry) -> BOOL {
            if (firstError) {
                ::SetLastError(firstError);
                return FALSE;
            }
            lists_[snapshot].second = 0;
            return NextEntry(snapshot, entry);
        };
        api.process32Next = [this](HANDLE snapshot, PROCESSENTRY32W* entry) { return NextEntry(snapshot, entry); };
        api.openProcess = [this](DWORD access, BOOL, DWORD pid) -> HANDLE {
            ++openCounts[pid];
            for (size_t i = processes_.size(); i-- > 0;) {
                FakeProcess& p = processes_[i];
                if (p.pid != pid || p.exited) continue;
                if (p.openError) {
                    ::SetLastError(p.openError);
                    return nullptr;
                }
                HANDLE handle = NewHandle();
                handles_[handle] = {i, access == lum::kTerminateRights};
                return handle;
            }
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        };
        api.queryFullProcessImageName = [this](HANDLE h, DWORD, wchar_t* buffer, DWORD* size) -> BOOL {
            FakeProcess* p = Find(h);
            if (!p) return Fail(ERROR_INVALID_HANDLE);
            if (p->queryError) return Fail(p->queryError);
            wcscpy(buffer, p->image.c_str());
            *size = static_cast<DWORD>(p->image.size());
            return TRUE;
        };
        api.getProcessTimes = [this](HANDLE h, FILETIME* creation, FILETIME* exit, FILETIME* kernel,
                                     FILETIME* user) -> BOOL {
            FakeProcess* p = Find(h);
            if (!p) return Fail(ERROR_INVALID_HANDLE);
            if (p->timesError) return Fail(p->timesError);
            const uint64_t created = (handles_[h].reopened && p->reopenCreated) ? p->reopenCreated : p->created;
            *creation = ToFileTime(created);
            *exit = ToFileTime(p->exited);
            *kernel = *user = FILETIME{};
            return TRUE;
        };
        api.waitForSingleObject = [this](HANDLE h, DWORD) -> DWORD {
            FakeProcess* p = Find(h);
            if (!p) return WAIT_FAILED;
            return p->exited ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
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
            if (!p->exited) {
                p->exited = Now();
                p->exitCode = code;
            }
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
            for (const FakeProcess& p : processes_) {
                for (uintptr_t w : p.windows) {
                    if (w == reinterpret_cast<uintptr_t>(window) && !p.exited) {
                        *pid = p.pid;
                        return 1;
                    }
                }
            }
            *pid = 0;
            return 0;
        };
        api.postMessage = [this](HWND window, UINT message, WPARAM, LPARAM) -> BOOL {
            if (postError) return Fail(postError);
            posts.push_back(reinterpret_cast<uintptr_t>(window));
            for (FakeProcess& p : processes_) {
                for (uintptr_t w : p.windows) {
                    if (w == reinterpret_cast<uintptr_t>(window) && message == WM_CLOSE && p.closesOnRequest &&
                        !p.exited) {
                        p.exited = Now();
                        p.exitCode = 0;
                    }
                }
            }
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
    // A real handle that the code under test owns and closes; a value that
    // comes back later after its close simply replaces its table entry.
    static HANDLE NewHandle() { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    FakeProcess* Find(HANDLE h) {
        const auto found = handles_.find(h);
        return found == handles_.end() ? nullptr : &processes_[found->second.index];
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

}  // namespace

namespace {

const std::wstring kTarget = L"C:\\Apps\\Lumora\\Lumora.exe";
const std::wstring kRoot = L"C:\\Apps\\Lumora\\";

// A group on the fake table, with the log lines it wrote and the fake tick of each.
class SeamTest : public ::testing::Test {
protected:
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
    std::vector<std::wstring> TakeLog() {
        std::vector<std::wstring> lines(log_.begin() + static_cast<ptrdiff_t>(taken_), log_.end());
        taken_ = log_.size();
        return lines;
    }
    size_t CountStarting(const std::wstring& prefix) const {
        size_t n = 0;
        for (const auto& line : log_) n += line.rfind(prefix, 0) == 0;
        return n;
    }
    // Index of the first line starting with prefix, or -1.
    ptrdiff_t IndexOf(const std::wstring& prefix) const {
        for (size_t i = 0; i < log_.size(); ++i) {
            if (log_[i].rfind(prefix, 0) == 0) return static_cast<ptrdiff_t>(i);
        }
        return -1;
    }
    std::wstring Describe(DWORD pid, DWORD parent, uint64_t created, const std::wstring& path) {
        return L"PID=" + std::to_wstring(pid) + L" parent=" + std::to_wstring(parent) + L" created=" +
               std::to_wstring(created) + L" path=\"" + path + L"\"";
    }
    std::wstring Describe(size_t index) {
        const FakeProcess& p = sys_.At(index);
        return Describe(p.pid, p.parent, p.created, p.image);
    }
    bool Run(uint32_t graceful = 4000, uint32_t force = 4000, uint32_t quiet = 500) {
        return lum::RunShutdown(*group_, [this](lum::ShutdownPhase phase) { phases_.push_back(phase); }, graceful,
                                force, quiet);
    }

    FakeSystem sys_;
    std::unique_ptr<ProcessGroup> group_;
    std::vector<std::wstring> log_;
    std::vector<ULONGLONG> ticks_;
    std::vector<lum::ShutdownPhase> phases_;
    size_t taken_ = 0;
};

// A setup process 1000 started by 900; neither is ever a member.
void AddSetupChain(FakeSystem& sys) {
    sys.Start(1000, 900, L"C:\\Temp\\setup.exe");
    sys.Start(900, 0, L"C:\\Windows\\explorer.exe");
}

}  // namespace

// --- Canonical paths, roots and error texts ---------------------------------

TEST(ShutdownPaths, ExistingFileGivesItsFinalPathWithoutPrefix) {
    TempDir dir;
    ASSERT_TRUE(::CreateDirectoryW((dir / L"Sub").c_str(), nullptr));
    ASSERT_TRUE(lumtest::WriteFileBytes(dir / L"Sub\\MixedCase.Txt", "x"));
    std::wstring messy = dir.path() + L"/sub/../Sub/mixedcase.txt";
    const std::wstring canonical = lum::CanonicalPath(messy);
    EXPECT_NE(canonical.rfind(L"\\\\?\\", 0), 0u) << lumtest::Utf8(canonical);
    EXPECT_EQ(canonical.find(L'/'), std::wstring::npos);
    EXPECT_EQ(canonical.find(L".."), std::wstring::npos);
    // The file system's case, not the caller's.
    ASSERT_GE(canonical.size(), 14u);
    EXPECT_EQ(canonical.substr(canonical.size() - 14), L"\\MixedCase.Txt") << lumtest::Utf8(canonical);
    EXPECT_TRUE(lum::EqualsIgnoringCase(canonical, lum::CanonicalPath(dir / L"Sub\\MixedCase.Txt")));
    // A folder opens too.
    EXPECT_TRUE(lum::EqualsIgnoringCase(lum::CanonicalPath(dir / L"Sub"), canonical.substr(0, canonical.size() - 14)));
}

TEST(ShutdownPaths, MissingAndLongFormPaths) {
    EXPECT_EQ(lum::CanonicalPath(L"C:/Apps/Lumora/x.exe"), L"C:\\Apps\\Lumora\\x.exe");
    EXPECT_EQ(lum::CanonicalPath(L"\\\\?\\C:\\Apps\\Lumora\\x.exe"), L"C:\\Apps\\Lumora\\x.exe");
    EXPECT_EQ(lum::CanonicalPath(L"\\\\?\\UNC\\server\\share\\x.exe"), L"\\\\server\\share\\x.exe");
    EXPECT_EQ(lum::CanonicalPath(L""), L"");
}

TEST(ShutdownPaths, ComparisonsFoldAsciiLettersOnly) {
    EXPECT_TRUE(lum::EqualsIgnoringCase(L"C:\\Apps\\LUMORA.exe", L"c:\\apps\\lumora.EXE"));
    EXPECT_FALSE(lum::EqualsIgnoringCase(L"C:\\\u00C4pps", L"C:\\\u00E4pps"));
    EXPECT_FALSE(lum::EqualsIgnoringCase(L"C:\\Apps", L"C:\\Apps\\"));
    EXPECT_TRUE(lum::StartsWithIgnoringCase(L"C:\\APPS\\Lumora\\x.exe", L"c:\\apps\\lumora\\"));
    EXPECT_FALSE(lum::StartsWithIgnoringCase(L"C:\\Apps\\Lumora2\\x.exe", L"C:\\Apps\\Lumora\\"));
    EXPECT_FALSE(lum::StartsWithIgnoringCase(L"C:\\", L"C:\\Apps"));
}

TEST(ShutdownPaths, RootIsTheFolderBeyondADriveRoot) {
    EXPECT_EQ(lum::ProcessRoot(L"C:\\Apps\\Lumora\\Lumora.exe"), L"C:\\Apps\\Lumora\\");
    EXPECT_EQ(lum::ProcessRoot(L"C:\\Lumora.exe"), L"");
    EXPECT_EQ(lum::ProcessRoot(L"Lumora.exe"), L"");
    EXPECT_EQ(lum::ProcessRoot(L"\\\\server\\share\\Lumora.exe"), L"\\\\server\\share\\");
}

TEST(ShutdownPaths, ErrorTextsFrameTheSystemMessage) {
    const std::wstring success = lum::FormatErrorText(0);
    ASSERT_GT(success.size(), 4u);
    EXPECT_EQ(success.rfind(L"0 (", 0), 0u) << lumtest::Utf8(success);
    EXPECT_EQ(success.back(), L')');
    EXPECT_EQ(success.find_first_of(L"\r\n"), std::wstring::npos);

    wchar_t* message = nullptr;
    const DWORD length = ::FormatMessageW(0x1300, nullptr, 5, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    ASSERT_NE(message, nullptr);
    std::wstring expected(message, length);
    ::LocalFree(message);
    for (wchar_t& c : expected) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    EXPECT_EQ(lum::FormatErrorText(5), L"5 (" + expected + L")");

    // A code the system has no text for is the bare unsigned number.
    EXPECT_EQ(lum::FormatErrorText(0xE0AB1234u), L"3769307700");
}

// --- Process group construction and snapshot failures ---------------------

TEST_F(SeamTest, GroupLogsTargetAndRootAndDriveRootTargetsCannotBeScanned) {
    MakeGroup(L"C:/Apps/Lumora/Lumora.exe");
    EXPECT_EQ(TakeLog(), (std::vector<std::wstring>{
                             L"Process group target=\"C:/Apps/Lumora/Lumora.exe\" canonical=\"C:\\Apps\\Lumora\\Lumora.exe\"",
                             L"Process group root=\"C:\\Apps\\Lumora\\\"; scope=verified-path-and-descendants; "
                             L"no executable-name matching"}));

    MakeGroup(L"C:\\Lumora.exe");
    EXPECT_EQ(TakeLog(), (std::vector<std::wstring>{
                             L"Process group target=\"C:\\Lumora.exe\" canonical=\"C:\\Lumora.exe\"",
                             L"Process group root=\"\"; scope=verified-path-and-descendants; no executable-name matching"}));
    sys_.Start(50, 900, L"C:\\Lumora.exe");
    EXPECT_EQ(lum::Snapshot(*group_), -1);
    EXPECT_EQ(group_->scanError, 87u);
    EXPECT_TRUE(group_->records.empty());
    EXPECT_EQ(TakeLog(), std::vector<std::wstring>{L"Invalid process target root"});
    EXPECT_TRUE(sys_.openCounts.empty());
}

TEST_F(SeamTest, SnapshotFailuresReturnMinusOneWithTheirLines) {
    AddSetupChain(sys_);
    const size_t member = sys_.Start(50, 900, kTarget);
    MakeGroup();
    TakeLog();

    sys_.snapshotError = ERROR_NOT_ENOUGH_MEMORY;
    EXPECT_EQ(lum::Snapshot(*group_), -1);
    EXPECT_EQ(group_->scanError, 8u);
    EXPECT_EQ(TakeLog(), std::vector<std::wstring>{L"CreateToolhelp32Snapshot failed: " + lum::FormatErrorText(8)});
    sys_.snapshotError = 0;

    sys_.firstError = ERROR_ACCESS_DENIED;
    EXPECT_EQ(lum::Snapshot(*group_), -1);
    EXPECT_EQ(group_->scanError, 5u);
    EXPECT_EQ(TakeLog(), std::vector<std::wstring>{L"Process32First failed: " + lum::FormatErrorText(5)});
    sys_.firstError = 0;

    sys_.nextError = ERROR_PARTIAL_COPY;
    EXPECT_EQ(lum::Snapshot(*group_), -1);
    EXPECT_EQ(group_->scanError, 299u);
    EXPECT_EQ(TakeLog(), std::vector<std::wstring>{L"Process32Next failed: " + lum::FormatErrorText(299)});
    EXPECT_TRUE(group_->records.empty());
    EXPECT_TRUE(group_->trackedIdentities.empty());
    sys_.nextError = 0;

    // The failures kept the first-snapshot flag: the first good run logs the exclusions.
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    EXPECT_EQ(group_->scanError, 0u);
    EXPECT_EQ(TakeLog(),
              (std::vector<std::wstring>{
                  L"Excluded setup/ancestor PID=1000 name=setup.exe",
                  L"Excluded setup/ancestor PID=900 name=explorer.exe",
                  L"Tracking " + Describe(member) + L" reason=inside-install-directory",
                  L"Snapshot result: running=1 trackedIdentities=1\n  PID=50 name=Lumora.exe path=\"" + kTarget +
                      L"\" state=running error=" + lum::FormatErrorText(0) + L"; snapshotEntries=3"}));
}

// --- Classification ---------------------------------------------------------

TEST_F(SeamTest, SetupAndItsAncestorsAreNeverMembersAndAreLoggedOnce) {
    // The setup runs from inside the install folder (an uninstaller), started by
    // the application itself, started by a process that is no longer listed.
    sys_.Start(1000, 60, kRoot + L"uninstall.exe");
    sys_.Start(60, 50, kRoot + L"Helper.exe");
    sys_.Start(50, 777, kTarget);
    const size_t sibling = sys_.Start(70, 50, kRoot + L"Sibling.exe");
    MakeGroup();
    TakeLog();
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    const auto lines = TakeLog();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], L"Excluded setup/ancestor PID=1000 name=uninstall.exe");
    EXPECT_EQ(lines[1], L"Excluded setup/ancestor PID=60 name=Helper.exe");
    EXPECT_EQ(lines[2], L"Excluded setup/ancestor PID=50 name=Lumora.exe");
    EXPECT_EQ(lines[3], L"Excluded setup/ancestor PID=777");
    EXPECT_EQ(lines[4], L"Tracking " + Describe(sibling) + L" reason=inside-install-directory");
    ASSERT_EQ(group_->records.size(), 1u);
    EXPECT_EQ(group_->records[0].processId, 70u);
    EXPECT_EQ(sys_.openCounts.count(1000) + sys_.openCounts.count(60) + sys_.openCounts.count(50), 0u);

    // Later snapshots exclude silently; an unchanged summary is not logged again.
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(sys_.openCounts[70], 1) << "a running member is never reopened";
}

TEST_F(SeamTest, ParentLoopsEndTheExclusionChain) {
    sys_.Start(1000, 900, L"C:\\Temp\\setup.exe");
    sys_.Start(900, 1000, L"C:\\Temp\\odd.exe");
    MakeGroup();
    TakeLog();
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    EXPECT_EQ(CountStarting(L"Excluded setup/ancestor"), 2u);
}

TEST_F(SeamTest, TreesAreAdmittedInOneSnapshotWhateverTheListOrder) {
    AddSetupChain(sys_);
    // Listed before their parents: grandchild, child outside the root, main.
    const uint64_t t0 = sys_.Now();
    const size_t grandchild = sys_.Start(62, 61, L"C:\\Other\\grand.exe", t0 + 30);
    const size_t child = sys_.Start(61, 50, L"C:\\Other\\child.exe", t0 + 20);
    const size_t main = sys_.Start(50, 900, kTarget, t0 + 10);
    // A sibling folder that merely begins like the install folder.
    sys_.Start(80, 900, L"C:\\Apps\\Lumora2\\Lumora.exe", t0 + 5);
    // Same name as the application, elsewhere: never matched by name.
    sys_.Start(81, 900, L"C:\\Elsewhere\\Lumora.exe", t0 + 5);
    sys_.tick += 1;
    MakeGroup();
    TakeLog();
    EXPECT_EQ(lum::Snapshot(*group_), 3);
    auto lines = TakeLog();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], L"Tracking " + Describe(main) + L" reason=inside-install-directory");
    EXPECT_EQ(lines[3], L"Tracking " + Describe(child) + L" reason=verified-descendant");
    EXPECT_EQ(lines[4], L"Tracking " + Describe(grandchild) + L" reason=verified-descendant");
    EXPECT_EQ(lines[5], L"Snapshot result: running=3 trackedIdentities=3"
                        L"\n  PID=50 name=Lumora.exe path=\"" + kTarget + L"\" state=running error=" +
                            lum::FormatErrorText(0) +
                        L"\n  PID=61 name=child.exe path=\"C:\\Other\\child.exe\" state=running error=" +
                            lum::FormatErrorText(0) +
                        L"\n  PID=62 name=grand.exe path=\"C:\\Other\\grand.exe\" state=running error=" +
                            lum::FormatErrorText(0) + L"; snapshotEntries=7");
}

TEST_F(SeamTest, ReusedIdsAndLateChildrenOfExitedMembersAreNotAdmitted) {
    AddSetupChain(sys_);
    const size_t member = sys_.Start(50, 900, kTarget);
    const size_t earlyChild = sys_.Start(61, 50, L"C:\\Other\\early.exe");
    sys_.At(earlyChild).listed = false;  // not yet in the list
    sys_.tick += 100;
    MakeGroup();
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    TakeLog();

    // The member ends; its id is taken by an unrelated process outside the
    // root, which starts a child of its own. The child started while the member
    // ran shows up in the list only now.
    sys_.tick += 100;
    sys_.Exit(member, 0);
    sys_.tick += 100;
    const size_t reuser = sys_.Start(50, 900, L"C:\\Other\\reuser.exe");
    sys_.tick += 100;
    sys_.Start(62, 50, L"C:\\Other\\late.exe");
    sys_.At(earlyChild).listed = true;
    sys_.tick += 100;

    EXPECT_EQ(lum::Snapshot(*group_), 1);
    EXPECT_EQ(sys_.openCounts[50], 2) << "an exited member's id is examined afresh";
    const auto lines = TakeLog();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], L"Tracking " + Describe(earlyChild) + L" reason=verified-descendant");
    EXPECT_EQ(lines[1], L"Confirmed exited " + Describe(member) +
                            L" exitCode=0 gracefulRequested=0 forceAttempted=0");
    EXPECT_EQ(lines[2].rfind(L"Snapshot result: running=1 trackedIdentities=2\n  PID=61 ", 0), 0u);
    (void)reuser;

    // The exit is logged once only.
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(SeamTest, ProcessesCreatedAfterTheSnapshotTimeWaitForTheNextSnapshot) {
    AddSetupChain(sys_);
    const size_t early = sys_.Start(50, 900, kTarget, sys_.Now() + 10'000);  // a clock that lags a little
    MakeGroup();
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    EXPECT_EQ(sys_.openCounts[50], 1);
    sys_.tick += 2;
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    EXPECT_EQ(group_->trackedIdentities.at(0).creationTime, sys_.At(early).created);
}

TEST_F(SeamTest, UnverifiableProcessesAreLoggedOncePerErrorAndNeverCounted) {
    AddSetupChain(sys_);
    const size_t denied = sys_.Start(70, 900, kRoot + L"Denied.exe");
    sys_.At(denied).openError = ERROR_ACCESS_DENIED;
    const size_t noImage = sys_.Start(71, 900, kRoot + L"NoImage.exe");
    sys_.At(noImage).queryError = ERROR_PARTIAL_COPY;
    const size_t noTimes = sys_.Start(72, 900, kRoot + L"NoTimes.exe");
    sys_.At(noTimes).timesError = ERROR_ACCESS_DENIED;
    const size_t gone = sys_.Start(73, 900, kRoot + L"Gone.exe");
    sys_.At(gone).openError = ERROR_INVALID_PARAMETER;  // ended between listing and opening
    sys_.tick += 1;
    MakeGroup();
    TakeLog();
    const std::wstring tail = L"; ownership unavailable; not a shutdown target or blocking process";

    EXPECT_EQ(lum::Snapshot(*group_), 0);
    auto lines = TakeLog();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], L"Skipping unverified process PID=70 parent=900 name=Denied.exe "
                        L"operation=OpenProcess(query+sync) error=" + lum::FormatErrorText(5) + tail);
    EXPECT_EQ(lines[3], L"Skipping unverified process PID=71 parent=900 name=NoImage.exe "
                        L"operation=QueryFullProcessImageName error=" + lum::FormatErrorText(299) + tail);
    EXPECT_EQ(lines[4], L"Skipping unverified process PID=72 parent=900 name=NoTimes.exe "
                        L"operation=GetProcessTimes error=" + lum::FormatErrorText(5) + tail);
    EXPECT_EQ(lines[5], L"Snapshot result: running=0 trackedIdentities=0; snapshotEntries=6");
    EXPECT_TRUE(group_->records.empty());

    // Probed again, logged again only for a new error.
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(sys_.openCounts[70], 2);
    sys_.At(denied).openError = ERROR_INVALID_HANDLE;
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    EXPECT_EQ(TakeLog(), std::vector<std::wstring>{L"Skipping unverified process PID=70 parent=900 name=Denied.exe "
                                                   L"operation=OpenProcess(query+sync) error=" +
                                                   lum::FormatErrorText(6) + tail});
    EXPECT_EQ(group_->reportedUnverified.size(), 4u);
    EXPECT_EQ(CountStarting(L"Skipping unverified process PID=73"), 0u);
}

// --- The shutdown engine ----------------------------------------------------

TEST_F(SeamTest, AWholeRunLogsEveryLineInOrder) {
    AddSetupChain(sys_);
    const uint64_t t0 = sys_.Now();
    const size_t child = sys_.Start(60, 50, L"C:\\Other\\tool.exe", t0 + 20);
    const size_t main = sys_.Start(50, 900, kTarget, t0 + 10);
    sys_.At(main).windows = {0x1234};
    sys_.At(main).closesOnRequest = true;
    sys_.At(child).windows = {0x2000};
    sys_.At(child).closesOnRequest = true;
    sys_.tick += 1;
    const ULONGLONG start = sys_.tick;
    MakeGroup();
    EXPECT_TRUE(Run());
    const std::wstring ok = lum::FormatErrorText(0);
    const std::vector<std::wstring> expected{
        L"Process group target=\"" + kTarget + L"\" canonical=\"" + kTarget + L"\"",
        L"Process group root=\"" + kRoot + L"\"; scope=verified-path-and-descendants; no executable-name matching",
        L"Resetting shutdown attempt flags",
        L"Shutdown started: gentleMs=4000 forceMs=4000 quietMs=500",
        L"Excluded setup/ancestor PID=1000 name=setup.exe",
        L"Excluded setup/ancestor PID=900 name=explorer.exe",
        L"Tracking " + Describe(main) + L" reason=inside-install-directory",
        L"Tracking " + Describe(child) + L" reason=verified-descendant",
        L"Snapshot result: running=2 trackedIdentities=2\n  PID=50 name=Lumora.exe path=\"" + kTarget +
            L"\" state=running error=" + ok + L"\n  PID=60 name=tool.exe path=\"C:\\Other\\tool.exe\" state=running error=" +
            ok + L"; snapshotEntries=4",
        L"Initial shutdown snapshot complete; confirmedRunning=2; main/descendant PIDs, creation times and handles "
        L"captured before exit requests",
        L"Shutdown phase=graceful elapsedMs=0",
        L"WM_CLOSE PID=50 HWND=4660 queued=1 error=" + ok,
        L"Graceful request " + Describe(main) + L" topLevelWindows=1",
        L"WM_CLOSE PID=60 HWND=8192 queued=1 error=" + ok,
        L"Graceful request " + Describe(child) + L" topLevelWindows=1",
        L"Confirmed exited " + Describe(main) + L" exitCode=0 gracefulRequested=1 forceAttempted=0",
        L"Confirmed exited " + Describe(child) + L" exitCode=0 gracefulRequested=1 forceAttempted=0",
        L"Snapshot result: running=0 trackedIdentities=2; snapshotEntries=2",
        L"Shutdown phase=verify-quiet elapsedMs=80",
        L"Shutdown succeeded; elapsedMs=640",
    };
    EXPECT_EQ(log_, expected);
    EXPECT_EQ(phases_, (std::vector<lum::ShutdownPhase>{lum::ShutdownPhase::Graceful, lum::ShutdownPhase::VerifyQuiet}));
    EXPECT_EQ(sys_.tick - start, 640u) << "no sleep after the deciding poll";
}

TEST_F(SeamTest, NothingRunningSucceedsAfterTheQuietInterval) {
    AddSetupChain(sys_);
    MakeGroup();
    const ULONGLONG start = sys_.tick;
    EXPECT_TRUE(Run());
    EXPECT_EQ(CountStarting(L"Shutdown phase=verify-quiet elapsedMs=0"), 1u);
    EXPECT_EQ(log_.back(), L"Shutdown succeeded; elapsedMs=560");
    EXPECT_EQ(phases_, std::vector<lum::ShutdownPhase>{lum::ShutdownPhase::VerifyQuiet});
    EXPECT_EQ(sys_.tick - start, 560u);
}

TEST_F(SeamTest, AMemberIgnoringCloseRequestsIsForcedWhenTheGracefulBudgetIsSpent) {
    AddSetupChain(sys_);
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).windows = {0x1234, 0x1238};  // ignores WM_CLOSE
    const size_t quiet = sys_.Start(51, 50, kRoot + L"worker.exe");  // no window at all
    sys_.tick += 1;
    MakeGroup();
    EXPECT_TRUE(Run());
    // Asked once, whatever the number of polls; the main executable first.
    EXPECT_EQ(CountStarting(L"Graceful request"), 2u);
    EXPECT_LT(IndexOf(L"Graceful request PID=50"), IndexOf(L"Graceful request PID=51"));
    EXPECT_EQ(CountStarting(L"WM_CLOSE PID=50"), 2u);
    EXPECT_EQ(CountStarting(L"Graceful request " + Describe(quiet) + L" topLevelWindows=0"), 1u);
    EXPECT_EQ(sys_.posts.size(), 2u);

    const ptrdiff_t force = IndexOf(L"Shutdown phase=force elapsedMs=");
    ASSERT_GE(force, 0);
    EXPECT_EQ(ticks_[force] - ticks_[0], 4000u) << "the first poll at or after 4000 ms";
    EXPECT_EQ(log_[force], L"Shutdown phase=force elapsedMs=4000");
    EXPECT_EQ(log_[force + 1], L"Force attempt " + Describe(main));
    EXPECT_EQ(log_[force + 2],
              L"TerminateProcess PID=50 result=" + lum::FormatErrorText(0) + L"; awaiting signaled process handle");
    EXPECT_EQ(log_[force + 3], L"Force attempt " + Describe(quiet));
    EXPECT_EQ(CountStarting(L"Confirmed exited " + Describe(main) +
                            L" exitCode=1067 gracefulRequested=1 forceAttempted=1"), 1u);
    EXPECT_EQ(CountStarting(L"Confirmed exited " + Describe(quiet) +
                            L" exitCode=1067 gracefulRequested=1 forceAttempted=1"), 1u);
    EXPECT_EQ(sys_.terminateCalls, 2);
    // Forced at 4000, quiet from the poll at 4080, success 560 ms later.
    EXPECT_EQ(log_.back(), L"Shutdown succeeded; elapsedMs=4640");
}

TEST_F(SeamTest, AMemberStartedDuringTheForcePhaseIsAskedAndForcedInTheSamePoll) {
    AddSetupChain(sys_);
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).terminateError = ERROR_ACCESS_DENIED;  // keeps the run in the force phase
    MakeGroup();
    size_t late = 0;
    sys_.onSleep = [&] {
        if (late == 0 && IndexOf(L"Shutdown phase=force") >= 0) {
            late = sys_.Start(52, 900, kRoot + L"late.exe");
        }
    };
    EXPECT_FALSE(Run());
    ASSERT_NE(late, 0u);
    const ptrdiff_t asked = IndexOf(L"Graceful request PID=52");
    const ptrdiff_t forced = IndexOf(L"Force attempt PID=52");
    ASSERT_GE(asked, 0);
    ASSERT_EQ(forced, asked + 1);
    EXPECT_EQ(ticks_[asked], ticks_[forced]);
    EXPECT_GT(IndexOf(L"Tracking PID=52"), IndexOf(L"Shutdown phase=force"));
}

TEST_F(SeamTest, AFailedTerminationMarksTheRecordAndTheRunTimesOut) {
    AddSetupChain(sys_);
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).terminateError = ERROR_ACCESS_DENIED;
    MakeGroup();
    const ULONGLONG start = sys_.tick;
    EXPECT_FALSE(Run());
    EXPECT_EQ(CountStarting(L"Force attempt"), 1u);
    EXPECT_EQ(CountStarting(L"TerminateProcess PID=50 result=" + lum::FormatErrorText(5) +
                            L"; awaiting signaled process handle"), 1u);
    EXPECT_EQ(CountStarting(L"Snapshot result: running=1 trackedIdentities=1\n  PID=50 name=Lumora.exe path=\"" +
                            kTarget + L"\" state=close-failed error=" + lum::FormatErrorText(5)), 1u);
    EXPECT_GT(sys_.tick - start, 8500u);
    EXPECT_EQ(log_.back(), L"Shutdown timed out; elapsedMs=" + std::to_wstring(sys_.tick - start));
    ASSERT_EQ(group_->records.size(), 1u);
    EXPECT_EQ(group_->records[0].state, ProcessState::CloseFailed);
    EXPECT_EQ(group_->records[0].error, 5u);

    // A second run starts from fresh flags: asked and forced again.
    log_.clear();
    sys_.At(main).terminateError = 0;
    EXPECT_TRUE(Run());
    EXPECT_EQ(CountStarting(L"Graceful request PID=50"), 1u);
    EXPECT_EQ(CountStarting(L"Confirmed exited " + Describe(main) +
                            L" exitCode=1067 gracefulRequested=1 forceAttempted=1"), 1u);
}

TEST_F(SeamTest, AnIdThatNoLongerMatchesItsCreationTimeIsNeverTerminated) {
    AddSetupChain(sys_);
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).reopenCreated = sys_.At(main).created + 1;
    MakeGroup();
    EXPECT_FALSE(Run(0, 0, 0));
    EXPECT_EQ(sys_.terminateCalls, 0);
    EXPECT_EQ(CountStarting(L"Verify process creation time PID=50 result=" + lum::FormatErrorText(87) +
                            L"; awaiting signaled process handle"), 1u);
    ASSERT_EQ(group_->trackedIdentities.size(), 1u);
    EXPECT_EQ(group_->trackedIdentities[0].closeError, 87u);
}

TEST_F(SeamTest, OpenAndTimeFailuresOfTheTerminationAreRecorded) {
    AddSetupChain(sys_);
    const size_t main = sys_.Start(50, 900, kTarget);
    MakeGroup();
    ASSERT_EQ(lum::Snapshot(*group_), 1);
    sys_.At(main).openError = ERROR_ACCESS_DENIED;
    lum::ForceExit(*group_);
    EXPECT_EQ(log_.back(), L"OpenProcess(terminate+query+sync) PID=50 result=" + lum::FormatErrorText(5) +
                               L"; awaiting signaled process handle");
    lum::ForceExit(*group_);  // forced once per run
    EXPECT_EQ(CountStarting(L"Force attempt"), 1u);

    group_->trackedIdentities[0].forceAttempted = false;
    sys_.At(main).openError = 0;
    sys_.At(main).timesError = ERROR_INVALID_HANDLE;
    lum::ForceExit(*group_);
    EXPECT_EQ(log_.back(), L"GetProcessTimes PID=50 result=" + lum::FormatErrorText(6) +
                               L"; awaiting signaled process handle");
    EXPECT_EQ(group_->trackedIdentities[0].closeError, 6u);
    EXPECT_EQ(sys_.terminateCalls, 0);
}

TEST_F(SeamTest, FailedPostsAreLoggedAndNotRepeated) {
    AddSetupChain(sys_);
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).windows = {0x40};
    sys_.postError = ERROR_ACCESS_DENIED;
    MakeGroup();
    ASSERT_EQ(lum::Snapshot(*group_), 1);
    lum::RequestGracefulExit(*group_);
    lum::RequestGracefulExit(*group_);
    EXPECT_EQ(CountStarting(L"WM_CLOSE PID=50 HWND=64 queued=0 error=" + lum::FormatErrorText(5)), 1u);
    EXPECT_EQ(CountStarting(L"Graceful request"), 1u);
}

TEST_F(SeamTest, AMemberReappearingDuringVerifyQuietRestartsTheQuietInterval) {
    AddSetupChain(sys_);
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).windows = {0x10};
    sys_.At(main).closesOnRequest = true;
    MakeGroup();
    size_t respawn = 0;
    sys_.onSleep = [&] {
        if (respawn == 0 && IndexOf(L"Shutdown phase=verify-quiet") >= 0 &&
            ticks_[IndexOf(L"Shutdown phase=verify-quiet")] + 240 <= sys_.tick) {
            respawn = sys_.Start(53, 900, kTarget);
            sys_.At(respawn).windows = {0x20};
            sys_.At(respawn).closesOnRequest = true;
        }
    };
    EXPECT_TRUE(Run());
    EXPECT_EQ(phases_, (std::vector<lum::ShutdownPhase>{lum::ShutdownPhase::Graceful, lum::ShutdownPhase::VerifyQuiet,
                                                        lum::ShutdownPhase::Graceful,
                                                        lum::ShutdownPhase::VerifyQuiet}));
    // 80: first quiet poll; 320: the new member is seen; 400: quiet again; success 560 ms later.
    EXPECT_EQ(log_[IndexOf(L"Tracking PID=53") + 2], L"Shutdown phase=graceful elapsedMs=320");
    EXPECT_EQ(log_.back(), L"Shutdown succeeded; elapsedMs=960");
}

TEST_F(SeamTest, ZeroBudgetsEndAfterOnePoll) {
    AddSetupChain(sys_);
    MakeGroup();
    EXPECT_TRUE(Run(0, 0, 0));
    EXPECT_EQ(log_.back(), L"Shutdown succeeded; elapsedMs=0");

    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).terminateError = ERROR_ACCESS_DENIED;
    log_.clear();
    phases_.clear();
    EXPECT_FALSE(Run(0, 0, 0));
    EXPECT_EQ(phases_, std::vector<lum::ShutdownPhase>{lum::ShutdownPhase::Force});
    EXPECT_EQ(CountStarting(L"Graceful request PID=50"), 1u);
    EXPECT_EQ(CountStarting(L"Force attempt PID=50"), 1u);
    EXPECT_EQ(log_.back(), L"Shutdown timed out; elapsedMs=80");
}

TEST_F(SeamTest, AFailedSnapshotMakesNoRequestsAndCountsAsRunning) {
    AddSetupChain(sys_);
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).windows = {0x10};
    MakeGroup();
    sys_.snapshotError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(Run(160, 0, 0));
    EXPECT_EQ(CountStarting(L"Initial shutdown snapshot complete"), 0u);
    EXPECT_EQ(CountStarting(L"Graceful request"), 0u);
    EXPECT_EQ(phases_, (std::vector<lum::ShutdownPhase>{lum::ShutdownPhase::Graceful, lum::ShutdownPhase::Force}));
    EXPECT_EQ(group_->scanError, 5u);
}

// --- The report text ---------------------------------------------------------

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

TEST_F(ReportTextTest, StatusTextsShowTheErrorBehindAMiddleDot) {
    ProcessRecord record{12, L"a.exe", L"C:\\A\\a.exe", ProcessState::Running, 0};
    EXPECT_EQ(lum::ProcessStatusText(record), L"Running");
    record.state = ProcessState::CloseFailed;
    record.error = 5;
    EXPECT_EQ(lum::ProcessStatusText(record), L"Could not close \u00B7 Error 5");
    record.state = ProcessState::Running;
    record.error = 4294967295u;
    EXPECT_EQ(lum::ProcessStatusText(record), L"Running \u00B7 Error 4294967295");
}

TEST_F(ReportTextTest, ReportListsRecordsWithPathsBetweenLineBreaks) {
    const std::vector<ProcessRecord> records{
        {12, L"Lumora.exe", L"C:\\Apps\\Lumora\\Lumora.exe", ProcessState::Running, 0},
        {40, L"helper", L"", ProcessState::CloseFailed, 5},
        {41, L"tool.exe", L"C:\\Other\\tool.exe", ProcessState::Running, 0},
    };
    EXPECT_EQ(lum::BuildProcessReport(records, 0),
              L"Lumora.exe (PID 12) \u2014 Running\r\nC:\\Apps\\Lumora\\Lumora.exe\r\n"
              L"helper (PID 40) \u2014 Could not close \u00B7 Error 5\r\n"
              L"tool.exe (PID 41) \u2014 Running\r\nC:\\Other\\tool.exe");
    EXPECT_EQ(lum::BuildProcessReport({}, 0), L"No related processes found.");
    EXPECT_EQ(lum::BuildProcessReport({}, 1168), L"Unable to check processes. Error 1168");
    lum::Ui().texts.clear();
    EXPECT_EQ(lum::BuildProcessReport({}, 0), L"ProcessNone");
}

// --- The close exports on the scripted table ----------------------------------
// The test program's own copy of the exports (linked from the library), with
// the close interface's process calls replaced.

namespace {

std::vector<std::wstring> TakeLinkedLog() {
    std::vector<std::wstring> lines;
    for (;;) {
        const int32_t length = LumUI_ReadLog(nullptr, 0);
        if (length <= 0) break;
        std::wstring line(static_cast<size_t>(length) + 1, L'\0');
        if (LumUI_ReadLog(line.data(), length + 1) != length) break;
        lines.push_back(line.substr(22, static_cast<size_t>(length) - 22));
    }
    return lines;
}

int g_linkedNotifications = 0;
int32_t __stdcall CountLinkedNotification() {
    ++g_linkedNotifications;
    return 0;
}

class CloseExportsTest : public ReportTextTest {
protected:
    void SetUp() override {
        ReportTextTest::SetUp();
        saved_ = lum::CloseInterfaceProcessApi();
        lum::CloseInterfaceProcessApi() = sys_.Api();
        lum::ReleaseProcessShutdown();
        LumUI_ConfigureLog(nullptr, &CountLinkedNotification);
        TakeLinkedLog();
        g_linkedNotifications = 0;
        AddSetupChain(sys_);
    }
    void TearDown() override {
        lum::ReleaseProcessShutdown();
        lum::CloseInterfaceProcessApi() = saved_;
        LumUI_ConfigureLog(nullptr, nullptr);
        TakeLinkedLog();
        ReportTextTest::TearDown();
    }
    FakeSystem sys_;
    lum::ProcessApi saved_;
};

}  // namespace

TEST_F(CloseExportsTest, ATimedOutCloseReportsTheMembersLeftWithTheirErrors) {
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).terminateError = ERROR_ACCESS_DENIED;
    const size_t helper = sys_.Start(51, 50, L"C:\\Other\\helper.exe");
    sys_.At(helper).windows = {0x30};
    lum::Ui().processListPage = 2;

    EXPECT_EQ(LumUI_ProcessRunning(kTarget.c_str()), 2);
    EXPECT_EQ(lum::Ui().processListPage, 0);
    EXPECT_EQ(lum::ReportRecordCount(), 2u);
    EXPECT_EQ(lum::BuildProcessReport(), L"Lumora.exe (PID 50) \u2014 Running\r\n" + kTarget +
                                             L"\r\nhelper.exe (PID 51) \u2014 Running\r\nC:\\Other\\helper.exe");
    EXPECT_EQ(g_linkedNotifications, 1);

    EXPECT_EQ(LumUI_CloseApplication(kTarget.c_str()), 0);
    const auto lines = TakeLinkedLog();
    const ptrdiff_t headless = std::find(lines.begin(), lines.end(),
                                         L"Closing application without UI (silent/headless caller).") -
                               lines.begin();
    ASSERT_LT(static_cast<size_t>(headless), lines.size());
    EXPECT_EQ(lines[headless + 1], L"Resetting shutdown attempt flags");
    EXPECT_EQ(lines.back().rfind(L"Shutdown timed out; elapsedMs=", 0), 0u);
    // The scan of the close, the graceful and force phases, the result.
    EXPECT_EQ(g_linkedNotifications, 1 + 1 + 2 + 1);
    ASSERT_EQ(lum::ReportRecords().size(), 1u);
    EXPECT_EQ(lum::BuildProcessReport(), L"Lumora.exe (PID 50) \u2014 Could not close \u00B7 Error 5\r\n" + kTarget);
    wchar_t buffer[8];
    EXPECT_EQ(LumUI_GetProcessReport(buffer, 8), 7);
    EXPECT_EQ(std::wstring(buffer), L"Lumora.");
}

TEST_F(CloseExportsTest, AShutdownThatThrowsReportsError31) {
    sys_.Start(50, 900, kTarget);
    lum::CloseInterfaceProcessApi().sleep = [](DWORD) { throw std::runtime_error("broken clock"); };
    EXPECT_EQ(LumUI_CloseApplication(kTarget.c_str()), 0);
    const auto lines = TakeLinkedLog();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), L"Shutdown worker threw an exception; error=" + lum::FormatErrorText(31));
    EXPECT_TRUE(lum::ReportRecords().empty());
    EXPECT_EQ(lum::BuildProcessReport(), L"Unable to check processes. Error 31");

    // Scan failures reach the report the same way, and a later scan clears them.
    lum::CloseInterfaceProcessApi() = sys_.Api();
    lum::ReleaseProcessShutdown();
    sys_.snapshotError = ERROR_NOT_ENOUGH_MEMORY;
    EXPECT_EQ(LumUI_ProcessRunning(kTarget.c_str()), -1);
    EXPECT_EQ(lum::BuildProcessReport(), L"Unable to check processes. Error 8");
    sys_.snapshotError = 0;
    EXPECT_EQ(LumUI_ProcessRunning(kTarget.c_str()), 1);
    EXPECT_EQ(lum::ReportRecordCount(), 1u);
    lum::ReleaseProcessShutdown();
    EXPECT_EQ(lum::BuildProcessReport(), L"No related processes found.");
}
