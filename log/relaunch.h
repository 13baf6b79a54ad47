// The logged relaunch of the setup program (LumUI_RunLogged).
#pragma once

#include <cstdint>

namespace lum {

// Waits up to 30 s for waitProcessId (0: no wait) to end, starts program with
// the filtered arguments and "/LOG=" + the log file (default: the temporary
// folder's "Lumora-install.log"), waits for it and returns its exit code, or
// the Windows error code of the step that failed.
uint32_t RunLogged(const wchar_t* program, const wchar_t* arguments, const wchar_t* logFile, uint32_t waitProcessId);

}  // namespace lum
