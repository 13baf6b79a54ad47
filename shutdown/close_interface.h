// The close interface: the current process group and the process report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shutdown/process_api.h"
#include "shutdown/process_record.h"

namespace lum {

// LumUI_ProcessRunning: makes the target's group current (reusing it for the
// same canonical target), scans it and notifies the host. -1 for an empty
// target, a refused one, or a call made from inside CloseApplication.
int32_t ScanTarget(const wchar_t* target);
// LumUI_CloseApplication on the calling thread: scan, shutdown, report.
// 1 when nothing of the group is left running, else 0.
int32_t CloseApplication(const wchar_t* target);

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
// The process calls of the groups that the close interface creates: the real
// calls, unless a test has replaced some of them.
ProcessApi& CloseInterfaceProcessApi();

}  // namespace lum
