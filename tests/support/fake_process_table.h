// A scripted process table behind the shutdown's process seam: process list, creation and exit times, access
// errors, windows, the clock. Its handles are real event handles, so the code under test closes real handles.
#pragma once

#include <deque>
#include <map>

#include "shutdown/process_api.h"
#include "shutdown/shutdown_engine.h"

namespace lumtest {

struct FakeProcess {
    DWORD pid = 0, parent = 0;
    std::wstring image;                // as QueryFullProcessImageName reports it
    uint64_t created = 0, exited = 0;  // FILETIME values; exited is 0 while it runs
    DWORD exitCode = STILL_ACTIVE;
    bool listed = true;            // in the process list while it runs
    bool closesOnRequest = false;  // exits at once on WM_CLOSE
    DWORD openError = 0, queryError = 0, timesError = 0, terminateError = 0;
    uint64_t reopenCreated = 0;  // when set, what a reopen for termination sees as the creation time
    int windows = 0;             // top-level windows, HWND pid * 10 + n
};

class FakeProcessTable {
public:
    DWORD selfPid = 1000, postError = 0;
    ULONGLONG tick = 50'000;
    std::map<DWORD, int> openCounts;  // OpenProcess calls per process id
    int terminateCalls = 0;

    uint64_t Now() const { return 133'000'000'000'000'000ull + tick * 10'000; }
    // Adds a process created now (or at `created`); returns its index.
    size_t Start(DWORD pid, DWORD parent, const std::wstring& image, uint64_t created = 0) {
        processes_.emplace_back();
        processes_.back().pid = pid, processes_.back().parent = parent, processes_.back().image = image;
        processes_.back().created = created ? created : Now();
        return processes_.size() - 1;
    }
    FakeProcess& At(size_t index) { return processes_[index]; }
    void Exit(size_t index, DWORD code) { processes_[index].exited = Now(), processes_[index].exitCode = code; }

    lum::ProcessApi Api() {
        lum::ProcessApi api = lum::SystemProcessApi();
        api.createToolhelp32Snapshot = [this](DWORD, DWORD) {  // one list at a time
            list_.clear();
            for (const FakeProcess& p : processes_) {
                PROCESSENTRY32W entry{};
                entry.dwSize = sizeof(entry), entry.th32ProcessID = p.pid, entry.th32ParentProcessID = p.parent;
                wcsncpy(entry.szExeFile, p.image.substr(p.image.rfind(L'\\') + 1).c_str(), MAX_PATH - 1);
                if (p.listed && !p.exited) list_.push_back(entry);
            }
            return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        };
        api.process32First = [this](HANDLE, PROCESSENTRY32W* entry) { return cursor_ = 0, Next(entry); };
        api.process32Next = [this](HANDLE, PROCESSENTRY32W* entry) { return Next(entry); };
        api.openProcess = [this](DWORD access, BOOL, DWORD pid) -> HANDLE {
            ++openCounts[pid];
            for (size_t i = processes_.size(); i-- > 0;) {
                if (processes_[i].pid != pid || processes_[i].exited) continue;
                if (processes_[i].openError) return ::SetLastError(processes_[i].openError), nullptr;
                HANDLE handle = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
                handles_[handle] = {i, access == lum::kTerminateRights};  // a reused value replaces its entry
                return handle;
            }
            return ::SetLastError(ERROR_INVALID_PARAMETER), nullptr;
        };
        api.queryFullProcessImageName = [this](HANDLE h, DWORD, wchar_t* buffer, DWORD* size) {
            FakeProcess* p = Find(h);
            if (!p || p->queryError) return Fail(p ? p->queryError : ERROR_INVALID_HANDLE);
            return wcscpy(buffer, p->image.c_str()), *size = static_cast<DWORD>(p->image.size()), TRUE;
        };
        api.getProcessTimes = [this](HANDLE h, FILETIME* creation, FILETIME* exit, FILETIME*, FILETIME*) {
            FakeProcess* p = Find(h);
            if (!p || p->timesError) return Fail(p ? p->timesError : ERROR_INVALID_HANDLE);
            *creation = Time(handles_[h].second && p->reopenCreated ? p->reopenCreated : p->created);
            return *exit = Time(p->exited), TRUE;
        };
        api.waitForSingleObject = [this](HANDLE h, DWORD) -> DWORD {
            return !Find(h) ? WAIT_FAILED : Find(h)->exited ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
        };
        api.getExitCodeProcess = [this](HANDLE h, DWORD* code) {
            return Find(h) ? (*code = Find(h)->exitCode, TRUE) : Fail(ERROR_INVALID_HANDLE);
        };
        api.terminateProcess = [this](HANDLE h, UINT code) {
            ++terminateCalls;
            FakeProcess* p = Find(h);
            if (!p || !handles_[h].second) return Fail(ERROR_ACCESS_DENIED);  // opened without the right
            if (p->terminateError) return Fail(p->terminateError);
            if (!p->exited) p->exited = Now(), p->exitCode = code;
            return TRUE;
        };
        api.getSystemTimeAsFileTime = [this](FILETIME* now) { *now = Time(Now()); };
        api.getCurrentProcessId = [this] { return selfPid; };
        api.enumWindows = [this](WNDENUMPROC callback, LPARAM parameter) -> BOOL {
            for (size_t i = 0; i < processes_.size(); ++i) {
                for (int n = 0; n < processes_[i].windows && !processes_[i].exited; ++n) {
                    callback(reinterpret_cast<HWND>(uintptr_t{processes_[i].pid} * 10 + n), parameter);
                }
            }
            return TRUE;
        };
        api.getWindowThreadProcessId = [this](HWND window, DWORD* pid) -> DWORD {
            return *pid = OwnerOf(window) ? OwnerOf(window)->pid : 0;
        };
        api.postMessage = [this](HWND window, UINT message, WPARAM, LPARAM) {
            if (postError) return Fail(postError);
            FakeProcess* p = OwnerOf(window);
            if (p && message == WM_CLOSE && p->closesOnRequest) p->exited = Now(), p->exitCode = 0;
            return TRUE;
        };
        api.getTickCount64 = [this] { return tick; };
        api.sleep = [this](DWORD ms) { tick += ms; };
        return api;
    }

private:
    static FILETIME Time(uint64_t value) { return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)}; }
    static BOOL Fail(DWORD error) { return ::SetLastError(error), FALSE; }
    FakeProcess* Find(HANDLE h) {
        const auto found = handles_.find(h);
        return found == handles_.end() ? nullptr : &processes_[found->second.first];
    }
    FakeProcess* OwnerOf(HWND window) {
        for (FakeProcess& p : processes_) {
            if (!p.exited && p.pid == reinterpret_cast<uintptr_t>(window) / 10) return &p;
        }
        return nullptr;
    }
    BOOL Next(PROCESSENTRY32W* entry) {
        return cursor_ < list_.size() ? (*entry = list_[cursor_++], TRUE) : Fail(ERROR_NO_MORE_FILES);
    }

    std::deque<FakeProcess> processes_;
    std::map<HANDLE, std::pair<size_t, bool>> handles_;  // process index, opened for termination
    std::vector<PROCESSENTRY32W> list_;
    size_t cursor_ = 0;
};

}  // namespace lumtest
