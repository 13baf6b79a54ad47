// The application shutdown on a scripted process table: admission, PID reuse, access errors, processes that
// come and go between the steps, and the phases of a run and its log (one run word for word).
#include <gtest/gtest.h>

#include <memory>

#include "fake_process_table.h"
#include "base/error_text.h"
#include "shutdown/snapshot.h"
#include "test_support.h"

using lum::FormatErrorText;
using lum::ShutdownPhase;
using lumtest::Count;
using lumtest::Lines;

namespace {

const std::wstring kTarget = L"C:\\Apps\\Lumora\\Lumora.exe", kRoot = L"C:\\Apps\\Lumora\\";

class SeamTest : public ::testing::Test {
protected:
    void SetUp() override {  // the setup process 1000, even inside the install folder, and its parent are never members
        sys_.Start(1000, 900, kRoot + L"setup.exe");
        sys_.Start(900, 0, L"C:\\Windows\\explorer.exe");
    }
    void MakeGroup() {
        group_ = std::make_unique<lum::ProcessGroup>(
            kTarget, [this](const std::wstring& line) { log_.push_back(line), ticks_.push_back(sys_.tick); }, sys_.Api());
    }
    Lines TakeLog() {  // the lines since the last call
        Lines lines(log_.begin() + static_cast<ptrdiff_t>(taken_), log_.end());
        return taken_ = log_.size(), lines;
    }
    std::wstring Describe(size_t i) {
        const lumtest::FakeProcess& p = sys_.At(i);
        return L"PID=" + std::to_wstring(p.pid) + L" parent=" + std::to_wstring(p.parent) + L" created=" +
               std::to_wstring(p.created) + L" path=\"" + p.image + L"\"";
    }
    std::wstring Exited(size_t i, const wchar_t* codeAndFlags) {
        return L"Confirmed exited " + Describe(i) + L" exitCode=" + codeAndFlags;
    }
    bool Run() { return lum::RunShutdown(*group_, [this](ShutdownPhase p) { phases_.push_back(p); }, 4000, 4000, 500); }

    lumtest::FakeProcessTable sys_;
    std::unique_ptr<lum::ProcessGroup> group_;
    Lines log_;
    std::vector<ULONGLONG> ticks_;
    std::vector<ShutdownPhase> phases_;
    size_t taken_ = 0;
};

}  // namespace

TEST_F(SeamTest, ReusedIdsLateChildrenAndNewcomersAreNotAdmitted) {
    const size_t member = sys_.Start(50, 900, kTarget);
    const size_t earlyChild = sys_.Start(61, 50, L"C:\\Other\\early.exe");
    sys_.At(earlyChild).listed = false;  // started while the member ran, listed only later
    sys_.Start(51, 900, kTarget, sys_.Now() + 100'000);  // created after the snapshot time (a clock that lags)
    MakeGroup();
    EXPECT_EQ(lum::Snapshot(*group_), 1);
    TakeLog();
    sys_.tick += 100, sys_.Exit(member, 0);  // the member ends; a process outside the folder takes its id
    sys_.tick += 100, sys_.Start(50, 900, L"C:\\Other\\reuser.exe");
    sys_.tick += 100, sys_.Start(62, 50, L"C:\\Other\\late.exe"), sys_.At(earlyChild).listed = true;  // and starts a child
    sys_.tick += 100;
    EXPECT_EQ(lum::Snapshot(*group_), 2);
    EXPECT_EQ(sys_.openCounts[50], 2) << "an exited member's id is examined afresh";
    const Lines lines = TakeLog();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], L"Tracking " + Describe(earlyChild) + L" reason=verified-descendant");
    EXPECT_EQ(lines[1].rfind(L"Tracking PID=51 ", 0), 0u) << "the newcomer, in the first snapshot after its creation";
    EXPECT_EQ(lines[2], Exited(member, L"0 gracefulRequested=0 forceAttempted=0"));
    EXPECT_EQ(lines[3].rfind(L"Snapshot result: running=2 trackedIdentities=3\n  PID=51 ", 0), 0u);
    EXPECT_EQ(lum::Snapshot(*group_), 2);
    EXPECT_TRUE(TakeLog().empty()) << "the exit is logged once, an unchanged result not at all";
    sys_.At(1).parent = 1000;  // a parent loop ends the setup's chain
    MakeGroup();
    EXPECT_EQ(lum::Snapshot(*group_), 1);
}

TEST_F(SeamTest, UnverifiableProcessesAreLoggedOncePerErrorAndNeverCounted) {
    const size_t denied = sys_.Start(70, 900, kRoot + L"Denied.exe");
    sys_.At(denied).openError = ERROR_ACCESS_DENIED;
    sys_.At(sys_.Start(71, 900, kRoot + L"NoImage.exe")).queryError = ERROR_PARTIAL_COPY;
    sys_.At(sys_.Start(72, 900, kRoot + L"NoTimes.exe")).timesError = ERROR_ACCESS_DENIED;
    sys_.At(sys_.Start(73, 900, kRoot + L"Gone.exe")).openError = ERROR_INVALID_PARAMETER;  // ended meanwhile
    sys_.tick += 1;
    MakeGroup();
    TakeLog();
    auto skipped = [](const std::wstring& what, DWORD error) {
        return L"Skipping unverified process PID=" + what + L" error=" + FormatErrorText(error) +
               L"; ownership unavailable; not a shutdown target or blocking process";
    };
    const std::wstring deniedLine = L"70 parent=900 name=Denied.exe operation=OpenProcess(query+sync)";
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    const Lines lines = TakeLog();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(Lines(lines.begin() + 2, lines.end()),
              (Lines{skipped(deniedLine, 5),
                     skipped(L"71 parent=900 name=NoImage.exe operation=QueryFullProcessImageName", 299),
                     skipped(L"72 parent=900 name=NoTimes.exe operation=GetProcessTimes", 5),
                     L"Snapshot result: running=0 trackedIdentities=0; snapshotEntries=6"}));
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(sys_.openCounts[70], 2) << "probed again";
    sys_.At(denied).openError = ERROR_INVALID_HANDLE;
    EXPECT_EQ(lum::Snapshot(*group_), 0);
    EXPECT_EQ(TakeLog(), Lines{skipped(deniedLine, 6)});
}

// The shutdown's log is a contract with the setup's own log: one whole run, word for word.
TEST_F(SeamTest, AWholeRunLogsEveryLineInOrder) {
    // Listed before their parents: a grandchild and a child outside the root, then the application;
    // a folder that merely begins like the install folder, and the same name elsewhere.
    const uint64_t t0 = sys_.Now();
    const size_t grandchild = sys_.Start(62, 60, L"C:\\Other\\grand.exe", t0 + 30);
    const size_t child = sys_.Start(60, 50, L"C:\\Other\\tool.exe", t0 + 20);
    const size_t main = sys_.Start(50, 900, kTarget, t0 + 10);
    sys_.Start(80, 900, L"C:\\Apps\\Lumora2\\Lumora.exe", t0 + 5);
    sys_.Start(81, 900, L"C:\\Elsewhere\\Lumora.exe", t0 + 5);
    for (size_t i : {main, child, grandchild}) sys_.At(i).windows = 1, sys_.At(i).closesOnRequest = true;
    sys_.tick += 1;
    MakeGroup();
    EXPECT_TRUE(Run());
    auto running = [](const std::wstring& pid, const std::wstring& path) {
        return L"\n  PID=" + pid + L" name=" + path.substr(path.rfind(L'\\') + 1) + L" path=\"" + path +
               L"\" state=running error=" + FormatErrorText(0);
    };
    Lines expected{
        L"Process group target=\"" + kTarget + L"\" canonical=\"" + kTarget + L"\"",
        L"Process group root=\"" + kRoot + L"\"; scope=verified-path-and-descendants; no executable-name matching",
        L"Resetting shutdown attempt flags", L"Shutdown started: gentleMs=4000 forceMs=4000 quietMs=500",
        L"Excluded setup/ancestor PID=1000 name=setup.exe", L"Excluded setup/ancestor PID=900 name=explorer.exe",
        L"Tracking " + Describe(main) + L" reason=inside-install-directory",
        L"Tracking " + Describe(child) + L" reason=verified-descendant",
        L"Tracking " + Describe(grandchild) + L" reason=verified-descendant",
        L"Snapshot result: running=3 trackedIdentities=3" + running(L"50", kTarget) +
            running(L"60", L"C:\\Other\\tool.exe") + running(L"62", L"C:\\Other\\grand.exe") + L"; snapshotEntries=7",
        L"Initial shutdown snapshot complete; confirmedRunning=3; main/descendant PIDs, creation times and handles "
        L"captured before exit requests",
        L"Shutdown phase=graceful elapsedMs=0"};
    for (size_t i : {main, child, grandchild}) {
        const std::wstring pid = std::to_wstring(sys_.At(i).pid);
        expected.push_back(L"WM_CLOSE PID=" + pid + L" HWND=" + pid + L"0 queued=1 error=" + FormatErrorText(0));
        expected.push_back(L"Graceful request " + Describe(i) + L" topLevelWindows=1");
    }
    for (size_t i : {main, child, grandchild}) expected.push_back(Exited(i, L"0 gracefulRequested=1 forceAttempted=0"));
    expected.insert(expected.end(), {L"Snapshot result: running=0 trackedIdentities=3; snapshotEntries=4",
                                     L"Shutdown phase=verify-quiet elapsedMs=80", L"Shutdown succeeded; elapsedMs=640"});
    EXPECT_EQ(log_, expected);
    EXPECT_EQ(phases_, (std::vector{ShutdownPhase::Graceful, ShutdownPhase::VerifyQuiet}));
    EXPECT_EQ(sys_.tick, ticks_.back()) << "no sleep after the deciding poll";
}

TEST_F(SeamTest, AFailedTerminationIsReportedAsCloseFailedAndTheNextRunStartsAfresh) {
    const size_t main = sys_.Start(50, 900, kTarget);
    sys_.At(main).terminateError = ERROR_ACCESS_DENIED;
    MakeGroup();
    EXPECT_FALSE(Run());
    EXPECT_EQ(phases_, (std::vector{ShutdownPhase::Graceful, ShutdownPhase::Force}));
    EXPECT_EQ(Count(log_, L"TerminateProcess PID=50 result=" + FormatErrorText(5) + L"; awaiting signaled process handle"), 1u);
    EXPECT_EQ(Count(log_, L"Snapshot result: running=1 trackedIdentities=1\n  PID=50 name=Lumora.exe path=\"" + kTarget +
                    L"\" state=close-failed error=" + FormatErrorText(5)), 1u);
    EXPECT_EQ(log_.back(), L"Shutdown timed out; elapsedMs=" + std::to_wstring(sys_.tick - ticks_[0]));
    EXPECT_GT(sys_.tick - ticks_[0], 8500u);
    ASSERT_EQ(group_->records.size(), 1u);
    EXPECT_EQ(group_->records[0].state, lum::ProcessState::CloseFailed);
    EXPECT_EQ(group_->records[0].error, 5u);

    log_.clear();
    sys_.At(main).terminateError = 0;
    EXPECT_TRUE(Run());
    EXPECT_EQ(Count(log_, L"Graceful request PID=50"), 1u);
    EXPECT_EQ(Count(log_, Exited(main, L"1067 gracefulRequested=1 forceAttempted=1")), 1u);
}

TEST_F(SeamTest, NothingIsTerminatedThatCannotBeVerifiedAndNothingIsAskedTwice) {
    for (DWORD pid : {50, 51, 52}) sys_.Start(pid, 900, kTarget);
    sys_.At(2).windows = 1;
    sys_.postError = ERROR_ACCESS_DENIED;
    MakeGroup();
    ASSERT_EQ(lum::Snapshot(*group_), 3);
    lum::RequestGracefulExit(*group_);
    lum::RequestGracefulExit(*group_);
    EXPECT_EQ(Count(log_, L"WM_CLOSE PID=50 HWND=500 queued=0 error=" + FormatErrorText(5)), 1u);
    EXPECT_EQ(Count(log_, L"Graceful request"), 3u);
    sys_.At(2).reopenCreated = sys_.At(2).created + 1;  // id 50 now names another process
    sys_.At(3).openError = ERROR_ACCESS_DENIED;
    sys_.At(4).timesError = ERROR_INVALID_HANDLE;
    lum::ForceExit(*group_);
    lum::ForceExit(*group_);
    EXPECT_EQ(Count(log_, L"Force attempt"), 3u);
    const std::wstring tail = L"; awaiting signaled process handle";
    EXPECT_EQ(Count(log_, L"Verify process creation time PID=50 result=" + FormatErrorText(87) + tail), 1u);
    EXPECT_EQ(Count(log_, L"OpenProcess(terminate+query+sync) PID=51 result=" + FormatErrorText(5) + tail), 1u);
    EXPECT_EQ(Count(log_, L"GetProcessTimes PID=52 result=" + FormatErrorText(6) + tail), 1u);
    EXPECT_EQ(sys_.terminateCalls, 0);
}

