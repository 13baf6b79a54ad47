#include "shutdown/process_api.h"

namespace lum {

const ProcessApi& SystemProcessApi() {
    static const ProcessApi api{
        [](DWORD flags, DWORD processId) { return ::CreateToolhelp32Snapshot(flags, processId); },
        [](HANDLE snapshot, PROCESSENTRY32W* entry) { return ::Process32FirstW(snapshot, entry); },
        [](HANDLE snapshot, PROCESSENTRY32W* entry) { return ::Process32NextW(snapshot, entry); },
        [](DWORD access, BOOL inherit, DWORD processId) { return ::OpenProcess(access, inherit, processId); },
        [](HANDLE process, DWORD flags, wchar_t* buffer, DWORD* size) {
            return ::QueryFullProcessImageNameW(process, flags, buffer, size);
        },
        [](HANDLE process, FILETIME* creation, FILETIME* exit, FILETIME* kernel, FILETIME* user) {
            return ::GetProcessTimes(process, creation, exit, kernel, user);
        },
        [](HANDLE object, DWORD milliseconds) { return ::WaitForSingleObject(object, milliseconds); },
        [](HANDLE process, DWORD* exitCode) { return ::GetExitCodeProcess(process, exitCode); },
        [](HANDLE process, UINT exitCode) { return ::TerminateProcess(process, exitCode); },
        [](FILETIME* now) { ::GetSystemTimeAsFileTime(now); },
        [] { return ::GetCurrentProcessId(); },
        [](WNDENUMPROC callback, LPARAM parameter) { return ::EnumWindows(callback, parameter); },
        [](HWND window, DWORD* processId) { return ::GetWindowThreadProcessId(window, processId); },
        [](HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
            return ::PostMessageW(window, message, wparam, lparam);
        },
        [] { return ::GetTickCount64(); },
        [](DWORD milliseconds) { ::Sleep(milliseconds); },
    };
    return api;
}

}  // namespace lum
