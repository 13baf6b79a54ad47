#include "shutdown/close_interface.h"

#include <memory>
#include <stdexcept>

#include "base/error_text.h"
#include "log/native_log.h"
#include "shutdown/canonical_path.h"
#include "shutdown/process_group.h"
#include "shutdown/shutdown_engine.h"
#include "shutdown/snapshot.h"

namespace lum {
namespace {

constexpr uint32_t kGracefulBudgetMs = 4000;
constexpr uint32_t kForceBudgetMs = 4000;
constexpr uint32_t kQuietIntervalMs = 500;
// Reported as the scan error when the shutdown itself failed (ERROR_GEN_FAILURE).
constexpr uint32_t kShutdownFailedError = 31;

// Process-wide state of the close interface. Used on the script's thread; a
// shutdown has the group to itself while it runs.
struct CloseState {
    // Shared so that a shutdown in progress keeps its group alive even if the
    // host's callback releases it (LumUI_Destroy) in the middle of the run.
    std::shared_ptr<ProcessGroup> group;
    std::wstring targetKey;  // CanonicalPath of the current group's target
    std::vector<ProcessRecord> reportRecords;
    uint32_t reportScanError = 0;
    int32_t closingPhase = static_cast<int32_t>(ShutdownPhase::Graceful);
    // Set for the whole of LumUI_CloseApplication. The host callback it calls
    // may call back into the library; the group then belongs to the shutdown
    // alone, so scans and nested shutdowns are refused.
    bool closeInProgress = false;
};

CloseState& State() {
    static CloseState state;
    return state;
}

void TakeReportFrom(const ProcessGroup& group) {
    CloseState& state = State();
    state.reportRecords = group.records;
    state.reportScanError = group.scanError;
}

// The scan of LumUI_ProcessRunning. `scanned` receives the group that was
// scanned before the host is notified, since the host's callback may release
// it (LumUI_Destroy).
int32_t ProcessRunningImpl(const wchar_t* target, std::shared_ptr<ProcessGroup>* scanned = nullptr) {
    if (!target || target[0] == L'\0') return -1;
    CloseState& state = State();
    const std::wstring passed = target;
    std::wstring key = CanonicalPath(passed);
    if (!state.group || !EqualsIgnoringAsciiCase(key, state.targetKey)) {
        // The previous group goes first, so its handles are closed before the
        // new group's lines are logged.
        state.group.reset();
        state.targetKey.clear();
        state.group = std::make_shared<ProcessGroup>(
            passed, [](const std::wstring& line) { WriteLogLine(line); }, CloseInterfaceProcessApi());
        state.targetKey = std::move(key);
    }
    const int32_t running = Snapshot(*state.group);
    TakeReportFrom(*state.group);
    if (scanned) *scanned = state.group;
    NotifyHost();
    return running;
}

// The shutdown on the calling thread: the caller has no window to keep alive.
bool ShutdownWithoutWindow(ProcessGroup& group) {
    WriteLogLine(L"Closing application without UI (silent/headless caller).");
    return RunShutdown(
        group, [](ShutdownPhase) { NotifyHost(); }, kGracefulBudgetMs, kForceBudgetMs, kQuietIntervalMs);
}

}  // namespace

int32_t CloseApplication(const wchar_t* target, const ShutdownRunner& runner) {
    if (!target || target[0] == L'\0') return 0;
    CloseState& state = State();
    if (state.closeInProgress) return 0;
    state.closeInProgress = true;
    struct InProgress {
        bool& flag;
        ~InProgress() { flag = false; }
    } inProgress{state.closeInProgress};

    std::shared_ptr<ProcessGroup> group;
    ProcessRunningImpl(target, &group);  // makes the target's group current and scans once
    // A target without a root is refused: its scan logged "Invalid process target root" and there is
    // nothing to wait for.
    if (group && group->root.empty()) return 0;

    bool outcome = false;
    try {
        if (!group) throw std::logic_error("no process group");
        if (runner) {
            outcome = runner([group](const PhaseCallback& onPhase) {
                return RunShutdown(*group, onPhase, kGracefulBudgetMs, kForceBudgetMs, kQuietIntervalMs);
            });
        } else {
            outcome = ShutdownWithoutWindow(*group);
        }
        // A group released during the run (LumUI_Destroy) leaves the report empty.
        if (state.group == group) TakeReportFrom(*group);
    } catch (...) {
        state.reportRecords.clear();
        state.reportScanError = kShutdownFailedError;
        WriteLogLine(L"Shutdown worker threw an exception; error=" + FormatErrorText(kShutdownFailedError));
        outcome = false;
    }
    NotifyHost();
    return outcome ? 1 : 0;
}

int32_t ScanTarget(const wchar_t* target) {
    if (State().closeInProgress) return -1;  // called back from inside LumUI_CloseApplication
    return ProcessRunningImpl(target);
}

void ReleaseProcessShutdown() {
    CloseState& state = State();
    state.group.reset();  // closes every handle the members hold
    state.targetKey.clear();
    state.reportRecords.clear();
    state.reportScanError = 0;
}

const std::vector<ProcessRecord>& ReportRecords() { return State().reportRecords; }

size_t ReportRecordCount() { return State().reportRecords.size(); }

std::wstring ProcessStatusText(const ProcessRecord& record, const ReportTexts& texts) {
    std::wstring text = record.state == ProcessState::CloseFailed ? texts.closeFailedStatus : texts.runningStatus;
    if (record.error != 0) text += L" \u00B7 " + texts.errorCode + L" " + std::to_wstring(record.error);
    return text;
}

std::wstring BuildProcessReport(const std::vector<ProcessRecord>& records, uint32_t scanError,
                                const ReportTexts& texts) {
    std::wstring text;
    for (const ProcessRecord& record : records) {
        if (!text.empty()) text += L"\r\n";
        text += record.name + L" (PID " + std::to_wstring(record.processId) + L") \u2014 " +
                ProcessStatusText(record, texts);
        if (!record.path.empty()) text += L"\r\n" + record.path;
    }
    // A failed scan leaves no records, so the line needs no break before it.
    if (scanError != 0) {
        text += texts.scanFailed + L" " + texts.errorCode + L" " + std::to_wstring(scanError);
    }
    if (text.empty()) text = texts.none;
    return text;
}

std::wstring BuildProcessReport(const ReportTexts& texts) {
    const CloseState& state = State();
    return BuildProcessReport(state.reportRecords, state.reportScanError, texts);
}

int32_t ClosingPhase() { return State().closingPhase; }

void SetClosingPhase(int32_t phase) { State().closingPhase = phase; }

ProcessApi& CloseInterfaceProcessApi() {
    static ProcessApi api = SystemProcessApi();
    return api;
}

}  // namespace lum
