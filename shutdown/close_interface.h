// The close interface: the current process group and the process report.
#pragma once

#include <cstddef>
#include <string>

namespace lum {

// Releases the current group (closing its handles) and empties the report.
void ReleaseProcessShutdown();
// Number of records in the process report (paged three at a time in the dialog).
size_t ReportRecordCount();
// The report text of the report records and scan error.
std::wstring BuildProcessReport();

}  // namespace lum
