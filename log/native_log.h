// The native log: lines kept in memory, stamped with the local time, handed
// to the setup program through LumUI_ReadLog. The library never writes a file.
#pragma once

#include <windows.h>

#include <string>

namespace lum {

// Appends "[native hh:mm:ss.mmm] " + message to the line queue. Any thread.
void WriteLogLine(const std::wstring& message);
// Calls the host callback registered by LumUI_ConfigureLog, if any.
void NotifyHost();
// The log path of the last LumUI_ConfigureLog; logging counts as configured when not empty.
std::wstring LogPath();

// The prefix for a given local time, e.g. "[native 09:05:07.042] ".
std::wstring LogPrefix(const SYSTEMTIME& time);

}  // namespace lum
