// The native log: lines kept in memory, stamped with the local time, handed
// to the setup program through LumUI_ReadLog. The library never writes a file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace lum {

// The setup program's callback, called after lines it should collect at once.
using HostCallback = int32_t(WINAPI*)(void);

// Stores the log path and the callback, writes the start line and calls the
// callback once; returns what the callback returned (0 without one).
int32_t ConfigureLog(const wchar_t* logPath, HostCallback callback);
// LumUI_ReadLog's protocol: the oldest line's length, -1 when the buffer
// cannot take it with its terminator (the line stays), 0 when none is queued.
// A null buffer or size below 1 asks for the length and takes nothing.
int32_t TakeLogLine(wchar_t* buffer, int32_t size);

// Appends "[native hh:mm:ss.mmm] " + message to the line queue. Any thread.
void WriteLogLine(const std::wstring& message);
// Calls the host callback registered by LumUI_ConfigureLog, if any.
void NotifyHost();
// The log path of the last LumUI_ConfigureLog; logging counts as configured when not empty.
std::wstring LogPath();

// The prefix for a given local time, e.g. "[native 09:05:07.042] ".
std::wstring LogPrefix(const SYSTEMTIME& time);

}  // namespace lum
