// The close interface: the current process group and the process report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shutdown/process_api.h"
#include "shutdown/process_record.h"

namespace lum {

// Releases the current group (closing its handles) and empties the report.
void ReleaseProcessShutdown();
// The report records of the last scan or shutdown, sorted by process id.
const std::vector<ProcessRecord>& ReportRecords();
size_t ReportRecordCount();
// "CloseFailedStatus" or "RunningStatus", plus " · Error <code>" when the record has an error.
std::wstring ProcessStatusText(const ProcessRecord& record);
// The report text of the report records and scan error.
std::wstring BuildProcessReport();
// The report text of the given records and scan error (what BuildProcessReport
// does with the process-wide report).
std::wstring BuildProcessReport(const std::vector<ProcessRecord>& records, uint32_t scanError);
// The shutdown phase the closing dialog shows: 1 graceful, 2 force, else verify.
int32_t ClosingPhase();
// The process calls of the groups that the close interface creates: the real
// calls, unless a test has replaced some of them.
ProcessApi& CloseInterfaceProcessApi();

}  // namespace lum
