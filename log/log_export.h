// Saving a copy of the setup log where the user chooses.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace lum {

// The texts the export shows, in the UI's language.
struct LogExportTexts {
    std::wstring title;       // "SaveLog": dialog title and message-box caption
    std::wstring logFiles;    // "LogFiles": the filter's name
    std::wstring saveFailed;  // "SaveLogFailed"
};

// The title menu's "SaveLog" action: save dialog owned by `owner`, copy,
// report. `ownWindow` is true in the library's own window (the uninstaller's
// default file name), false in a window of the setup program.
void RunLogExport(HWND owner, bool ownWindow, const LogExportTexts& texts);

// Copies the configured log file to `destination`: 0, or the Windows error.
// The log file itself as destination, in any letter case, is refused with 32.
uint32_t CopyLogFile(const std::wstring& destination);

}  // namespace lum
