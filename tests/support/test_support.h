// Shared test helpers: the DLL loaded the way a setup program loads it,
// temporary folders, and small string utilities.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "exports/LumoraUI.h"

namespace lumtest {

// The 26 exports of LumoraUI.dll, resolved with GetProcAddress from the DLL
// beside the test program. The DLL is loaded once per test program.
struct LumoraApi {
    HMODULE module = nullptr;
    decltype(&LumUI_Create) Create = nullptr;
    decltype(&LumUI_Attach) Attach = nullptr;
    decltype(&LumUI_Destroy) Destroy = nullptr;
    decltype(&LumUI_Show) Show = nullptr;
    decltype(&LumUI_SetPage) SetPage = nullptr;
    decltype(&LumUI_RunModal) RunModal = nullptr;
    decltype(&LumUI_Poll) Poll = nullptr;
    decltype(&LumUI_GetFlags) GetFlags = nullptr;
    decltype(&LumUI_SetFlags) SetFlags = nullptr;
    decltype(&LumUI_SetText) SetText = nullptr;
    decltype(&LumUI_SetPath) SetPath = nullptr;
    decltype(&LumUI_GetPath) GetPath = nullptr;
    decltype(&LumUI_SetProgress) SetProgress = nullptr;
    decltype(&LumUI_Confirm) Confirm = nullptr;
    decltype(&LumUI_BeginClose) BeginClose = nullptr;
    decltype(&LumUI_DismissMenu) DismissMenu = nullptr;
    decltype(&LumUI_LoadLanguage) LoadLanguage = nullptr;
    decltype(&LumUI_GetLink) GetLink = nullptr;
    decltype(&LumUI_Render) Render = nullptr;
    decltype(&LumUI_ProcessRunning) ProcessRunning = nullptr;
    decltype(&LumUI_CloseApplication) CloseApplication = nullptr;
    decltype(&LumUI_GetProcessReport) GetProcessReport = nullptr;
    decltype(&LumUI_ConfigureLog) ConfigureLog = nullptr;
    decltype(&LumUI_ReadLog) ReadLog = nullptr;
    decltype(&LumUI_RunLogged) RunLogged = nullptr;
    decltype(&LumUI_ValidatePath) ValidatePath = nullptr;
};

// Loads the DLL on first use; fails the calling test if anything is missing.
const LumoraApi& Dll();

// Takes every queued line out of the DLL's native log, in order.
std::vector<std::wstring> DrainDllLog();

// The folder of the running test program, with a trailing backslash.
std::wstring ExeDir();

// A fresh, empty folder under the temporary folder, removed with all its
// contents when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder path without a trailing backslash.
    const std::wstring& path() const { return path_; }
    // path() + "\\" + name
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Removes a folder and everything in it; true when it is gone.
bool RemoveTree(const std::wstring& path);
// Writes bytes to a file, replacing it.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);

}  // namespace lumtest
