// The close interface: the current process group and the process report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shutdown/process_api.h"
#include "shutdown/process_record.h"
#include "shutdown/shutdown_engine.h"

namespace lum {

// LumUI_ProcessRunning: makes the target's group current (reusing it for the
// same canonical target), scans it and notifies the host. -1 for an empty
// target, a refused one, or a call made from inside CloseApplication.
int32_t ScanTarget(const wchar_t* target);
// The group's shutdown with the standard budgets; it reports each change of
// phase to the callback on the thread that runs it.
using GroupShutdown = std::function<bool(const PhaseCallback& onPhase)>;
// Runs a group's shutdown somewhere (a window runs it on a worker thread and
// keeps its messages flowing) and returns its outcome; may throw.
using ShutdownRunner = std::function<bool(const GroupShutdown& shutdown)>;

// LumUI_CloseApplication: scan, shutdown, report. Without a runner the
// shutdown runs on the calling thread. 1 when nothing of the group is left
// running, else 0.
int32_t CloseApplication(const wchar_t* target, const ShutdownRunner& runner = {});

// The language's texts the report is made of.
struct ReportTexts {
    std::wstring closeFailedStatus;  // "CloseFailedStatus"
    std::wstring runningStatus;      // "RunningStatus"
    std::wstring errorCode;          // "ProcessErrorCode"
    std::wstring scanFailed;         // "ProcessScanFailed"
    std::wstring none;               // "ProcessNone"
};

// Releases the current group (closing its handles) and empties the report.
void ReleaseProcessShutdown();
// The report records of the last scan or shutdown, sorted by process id.
const std::vector<ProcessRecord>& ReportRecords();
size_t ReportRecordCount();
// "CloseFailedStatus" or "RunningStatus", plus " · Error <code>" when the record has an error.
std::wstring ProcessStatusText(const ProcessRecord& record, const ReportTexts& texts);
// The report text of the report records and scan error.
std::wstring BuildProcessReport(const ReportTexts& texts);
// The report text of the given records and scan error (what BuildProcessReport
// does with the process-wide report).
std::wstring BuildProcessReport(const std::vector<ProcessRecord>& records, uint32_t scanError,
                                const ReportTexts& texts);
// The shutdown phase the closing dialog shows: 1 graceful, 2 force, else verify.
int32_t ClosingPhase();
void SetClosingPhase(int32_t phase);
// The process calls of the groups that the close interface creates: the real
// calls, unless a test has replaced some of them.
ProcessApi& CloseInterfaceProcessApi();

}  // namespace lum
