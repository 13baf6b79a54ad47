// Shared test helpers: the DLL as a setup program loads it, its log, fixture processes, rendered screens read
// back as pixels, temporary folders, files, strings, and the benchmarks' timing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "exports/LumoraUI.h"

namespace lumtest {

#define LUMTEST_EXPORTS(X)                                                                                        \
    X(Create) X(Attach) X(Destroy) X(Show) X(SetPage) X(RunModal) X(Poll) X(GetFlags) X(SetFlags) X(SetText)      \
    X(SetPath) X(GetPath) X(SetProgress) X(Confirm) X(BeginClose) X(DismissMenu) X(LoadLanguage) X(GetLink)       \
    X(Render) X(ProcessRunning) X(CloseApplication) X(GetProcessReport) X(ConfigureLog) X(ReadLog) X(RunLogged) \
    X(ValidatePath)

// The exports of LumoraUI.dll beside the test program, resolved with GetProcAddress on first use.
struct LumoraApi {
    HMODULE module = nullptr;
#define LUMTEST_SLOT(name) decltype(&LumUI_##name) name = nullptr;
    LUMTEST_EXPORTS(LUMTEST_SLOT)
#undef LUMTEST_SLOT
};
const LumoraApi& Dll();

using Lines = std::vector<std::wstring>;
// Takes every queued line out of the DLL's log; each must start with "[native hh:mm:ss.mmm] ", which is cut off.
Lines TakeDllLog();
// Of the lines starting with `prefix`: how many there are, and the index of the first (-1: none).
size_t Count(const Lines& lines, const std::wstring& prefix);
ptrdiff_t IndexOf(const Lines& lines, const std::wstring& prefix);

// A program started with quoted arguments, ended at the end if it still runs.
struct Child {
    Child(const std::wstring& exe, const std::vector<std::wstring>& args);
    ~Child() { ::TerminateProcess(handle, 99), ::WaitForSingleObject(handle, 5000), ::CloseHandle(handle); }
    bool WaitExit(DWORD ms) const { return ::WaitForSingleObject(handle, ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() const;
    HANDLE handle = nullptr;
    DWORD pid = 0;
};
// Process ids whose parent is `parent` and whose executable is `name`.
std::vector<DWORD> ChildrenOf(DWORD parent, const std::wstring& name);

struct NamedEvent {  // a named manual-reset event: fixtures set it when ready, or hold until it is set
    NamedEvent();
    ~NamedEvent() { ::CloseHandle(event); }
    bool Wait() const { return ::WaitForSingleObject(event, 30000) == WAIT_OBJECT_0; }
    std::wstring name;
    HANDLE event;
};

struct TempDir {  // a fresh folder under the temporary folder, removed with its contents at the end
    TempDir();
    ~TempDir();
    std::wstring operator/(const std::wstring& name) const { return path + L"\\" + name; }
    std::wstring path;
};

struct Image {  // 0xAARRGGBB, top row first; empty when the file could not be read
    UINT width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(UINT x, UINT y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Image LoadPng(const std::wstring& path);
Image RenderScreen(const TempDir& dir, int32_t scenario, int32_t dpi = 96);  // through the DLL into `dir`
bool Near(uint32_t actual, uint32_t expected, int tolerance = 2);           // every colour channel within tolerance

std::wstring ExeDir();  // with a trailing backslash
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
std::string Utf8(const std::wstring& text);

// Benchmarks: prints the time of a first (cold) call and the mean of `rounds` calls after it; returns that mean.
double TimePerCall(const std::string& what, int rounds, const std::function<void()>& body);

}  // namespace lumtest
