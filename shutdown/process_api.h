// The process calls of the application shutdown, gathered in one place so
// that a test can replace single calls (what the process list shows, a
// creation time, an access error, the clock) while everything else keeps
// talking to Windows. SystemProcessApi() holds the real calls.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cstdint>
#include <functional>

namespace lum {

// Each member has the signature of the Windows call it stands for and must
// leave the thread's last error as that call would.
struct ProcessApi {
    std::function<HANDLE(DWORD flags, DWORD processId)> createToolhelp32Snapshot;
    std::function<BOOL(HANDLE snapshot, PROCESSENTRY32W* entry)> process32First;
    std::function<BOOL(HANDLE snapshot, PROCESSENTRY32W* entry)> process32Next;
    std::function<HANDLE(DWORD access, BOOL inherit, DWORD processId)> openProcess;
    std::function<BOOL(HANDLE process, DWORD flags, wchar_t* buffer, DWORD* size)> queryFullProcessImageName;
    std::function<BOOL(HANDLE process, FILETIME* creation, FILETIME* exit, FILETIME* kernel, FILETIME* user)>
        getProcessTimes;
    std::function<DWORD(HANDLE object, DWORD milliseconds)> waitForSingleObject;
    std::function<BOOL(HANDLE process, DWORD* exitCode)> getExitCodeProcess;
    std::function<BOOL(HANDLE process, UINT exitCode)> terminateProcess;
    std::function<void(FILETIME* now)> getSystemTimeAsFileTime;
    std::function<DWORD()> getCurrentProcessId;
    std::function<BOOL(WNDENUMPROC callback, LPARAM parameter)> enumWindows;
    std::function<DWORD(HWND window, DWORD* processId)> getWindowThreadProcessId;
    std::function<BOOL(HWND window, UINT message, WPARAM wparam, LPARAM lparam)> postMessage;
    std::function<ULONGLONG()> getTickCount64;
    std::function<void(DWORD milliseconds)> sleep;
};

// The real Windows calls.
const ProcessApi& SystemProcessApi();

// FILETIME as the 64-bit count of 100 ns intervals it stands for.
inline uint64_t FileTimeValue(const FILETIME& time) noexcept {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace lum
